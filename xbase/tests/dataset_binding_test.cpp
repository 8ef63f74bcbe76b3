#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/db/field.h"
#include "platform/db/field_kinds.h"
#include "xbase/database.h"
#include "xbase/db_errors.h"
#include "xbase/tests/dataset_fixture.h"

namespace xbase::testing {
namespace {

using Names = std::vector<std::string>;

TEST_F(RealTables, OpeningBindsTheDatabaseAndClosingLetsItGo) {
    MakeFive();
    TestTable& t = Table("VIJF.DBF");
    EXPECT_EQ(t.Database(), nullptr);
    t.Open();
    ASSERT_NE(t.Database(), nullptr);
    EXPECT_EQ(t.DBFlags(), 1u << dbfOpened);
    EXPECT_NE(t.DBHandle(), 0);
    EXPECT_EQ(t.Database()->DatabaseName(), folder);
    EXPECT_EQ(t.Database()->RefCount(), 1);
    EXPECT_EQ(t.Database()->DataSets().size(), 1u);
    EXPECT_NE(t.Handle(), 0);
    EXPECT_EQ(t.Locale(), 1);
    const CursorHandle handle = t.Handle();

    t.Close();
    EXPECT_EQ(t.Database(), nullptr);
    EXPECT_EQ(t.DBFlags(), 0u);
    EXPECT_EQ(t.Handle(), 0);
    EXPECT_EQ(WorkAreaOf(handle), nullptr);
    // The session keeps the connection for the next open.
    TDatabase* kept = Session().FindDatabase(folder);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->RefCount(), 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(RealTables, DatabaseNameChangesOnlyWhileNothingIsBound) {
    MakeFive();
    TestTable& t = Table("VIJF.DBF");
    t.Open();
    EXPECT_EQ(ErrorOf([&] { t.SetDatabaseName("/elders/"); }),
              "Cannot perform this operation on an open dataset");
    EXPECT_EQ(ErrorOf([&] { t.SetSessionName("Ander"); }),
              "Cannot perform this operation on an open dataset");
    t.Close();

    // Bound for a short piece of work while closed.
    t.SetDBFlag(dbfFieldList, true);
    ASSERT_NE(t.Database(), nullptr);
    EXPECT_EQ(ErrorOf([&] { t.SetDatabaseName("/elders/"); }),
              "Cannot perform this operation on an open database");
    t.SetDBFlag(dbfIndexList, true);
    t.SetDBFlag(dbfFieldList, false);
    EXPECT_NE(t.Database(), nullptr);
    t.SetDBFlag(dbfIndexList, false);
    EXPECT_EQ(t.Database(), nullptr);
    t.SetDatabaseName("/elders/");
    EXPECT_EQ(t.DatabaseName(), "/elders/");
}

TEST_F(RealTables, AFolderWithNonAsciiCharactersOpens) {
    const std::string folderName = folder + "Ärger & Söhne/";
    std::filesystem::create_directory(folderName);
    MakeTable("VIJF.DBF", {"NAAM:C:20"}, {{{"NAAM", "Één"}}}, {}, folderName);
    TestTable& t = Table("VIJF.DBF", folderName);
    t.Open();
    EXPECT_EQ(t.FieldByName("NAAM").AsString(), "Één");
    EXPECT_TRUE(messages.empty());
}

TEST_F(RealTables, AMissingTableRaisesTheEngineErrorAndStaysClosed) {
    TestTable& t = Table("NERGENS.DBF");
    try {
        t.Open();
        FAIL() << "opened";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.ErrorCode(), kTableNotOpened);
        EXPECT_EQ(e.Message(), "IDAPI Error : 10024");
    }
    EXPECT_FALSE(t.Active());
    EXPECT_EQ(t.Handle(), 0);
    EXPECT_EQ(t.Database(), nullptr);
    EXPECT_EQ(t.opens, 1);
}

TEST_F(RealTables, AnOpenThatFailsAfterTheCursorLeavesNothingOpen) {
    MakeTable("SOORT.DBF", {"KLEIN:N:4", "NAAM:C:5"}, {{{"NAAM", "a"}}});
    TestTable& t = Table("SOORT.DBF");
    auto* wrong = new db::TStringField(&t, 4);
    wrong->SetFieldName("KLEIN");
    wrong->SetDataSet(&t);
    EXPECT_EQ(ErrorOf([&] { t.Open(); }), "Type mismatch for field 'KLEIN'");
    EXPECT_FALSE(t.Active());
    EXPECT_EQ(t.Handle(), 0);
    EXPECT_EQ(t.Database(), nullptr);
    EXPECT_EQ(t.FieldCount(), 1);
    // The table is not held: an exclusive open elsewhere succeeds.
    const std::string path = folder + "SOORT.DBF";
    const int32_t area = Engine().sx_Use(path.c_str(), "ELDERS", SX_EXCLUSIVE, SX_FOX);
    EXPECT_GT(area, 0);
    Engine().sx_Close();

    delete wrong;
    t.Open();
    EXPECT_EQ(t.FieldByName("KLEIN").DataType(), db::ftSmallint);
    EXPECT_EQ(t.FieldByName("NAAM").AsString(), "a");
}

TEST_F(RealTables, AnEmptyDatabaseNameIsRefused) {
    MakeFive();
    TestTable& t = Table("VIJF.DBF");
    t.SetDatabaseName("");
    EXPECT_EQ(ErrorOf([&] { t.Open(); }), "Database name missing");
    EXPECT_FALSE(t.Active());
    EXPECT_EQ(t.Database(), nullptr);
}

TEST_F(RealTables, ClosingTheDatabaseClosesItsDataSets) {
    MakeFive();
    TestTable& a = Table("VIJF.DBF");
    TestTable& b = Table("VIJF.DBF");
    a.Open();
    b.Open();
    TDatabase* database = a.Database();
    ASSERT_EQ(database, b.Database());
    EXPECT_EQ(database->RefCount(), 2);
    database->Close();
    EXPECT_FALSE(a.Active());
    EXPECT_FALSE(b.Active());
    EXPECT_EQ(a.Database(), nullptr);
    EXPECT_EQ(b.Handle(), 0);
    // Opening again binds again.
    a.Open();
    EXPECT_EQ(WalkForward(a), (Names{"Een", "Twee", "Vier", "Vijf"}));
}

TEST_F(RealTables, CheckOpenRaisesForEveryFailure) {
    MakeFive();
    TestTable& t = Table("VIJF.DBF");
    EXPECT_FALSE(t.CheckOpen(kOk));
    EXPECT_EQ(ErrorOf([&] { t.CheckOpen(kFileOpenError); }), "File Open Error");
    bool asked = false;
    Session().OnPassword = [&](TSession&, bool& tryAgain) {
        asked = true;
        tryAgain = false;
    };
    EXPECT_EQ(ErrorOf([&] { t.CheckOpen(10498); }), "IDAPI Error : 10498");
    EXPECT_TRUE(asked);
    Session().OnPassword = [](TSession&, bool& tryAgain) { tryAgain = true; };
    EXPECT_TRUE(t.CheckOpen(10498));
    Session().OnPassword = nullptr;
}

TEST_F(RealTables, ProvidersComeFromTheRegisteredFactory) {
    MakeFive();
    TestTable& t = Table("VIJF.DBF");
    EXPECT_EQ(ErrorOf([&] { t.Provider(); }), "No provider available");
    struct Made : TDataSetProvider {};
    int made = 0;
    TDBDataSet::SetProviderFactory([&](TDBDataSet&) {
        ++made;
        return std::make_unique<Made>();
    });
    TDataSetProvider& first = t.Provider();
    EXPECT_EQ(&t.Provider(), &first);
    EXPECT_EQ(made, 1);
    TDBDataSet::SetProviderFactory(nullptr);
}

TEST_F(RealTables, CachedUpdatesGoThroughTheLayersNotice) {
    MakeFive();
    TestTable& t = Table("VIJF.DBF");
    t.SetCachedUpdates(true);
    EXPECT_TRUE(messages.empty());
    t.Open();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
              "This BDE function not supported in this xBase layer: DbiBeginDelayedUpdates");
    // Only the old and new values of an update need the mode; none is under way.
    EXPECT_TRUE(db::IsNullValue(t.GetStateFieldValue(db::dsOldValue, t.FieldByName("NAAM"))));
    t.SetCachedUpdates(false);
    EXPECT_EQ(messages.back(),
              "This BDE function not supported in this xBase layer: DbiEndDelayedUpdates");
    EXPECT_EQ(ErrorOf([&] { t.GetStateFieldValue(db::dsOldValue, t.FieldByName("NAAM")); }),
              "Not in cached update mode");
    EXPECT_EQ(t.FieldByName("NAAM").AsString(), "Een");
}

}  // namespace
}  // namespace xbase::testing
