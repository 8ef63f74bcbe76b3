// Opening a table: modes, index names, setters, emptying.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xbase/db_errors.h"
#include "xbase/tests/table_fixture.h"

namespace xbase::testing {
namespace {

class TableOpen : public TableTest {
  protected:
    void SetUp() override {
        TableTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        MakeBook({{{"NAAM", "Pietersen"}}, {{"NAAM", "Aalders"}}, {{"NAAM", "Mulder"}}});
    }
};

TEST_F(TableOpen, ModesReachTheEngine) {
    struct Case {
        bool exclusive;
        bool readOnly;
        int32_t mode;
        bool canModify;
    };
    for (const Case c : {Case{true, false, SX_EXCLUSIVE, true}, Case{false, false, SX_SHARED, true},
                         Case{false, true, SX_READONLY, false}}) {
        TTable& t = Table("BOEK.DBF");
        t.SetExclusive(c.exclusive);
        t.SetReadonly(c.readOnly);
        Recorded().useModes.clear();
        t.Open();
        EXPECT_EQ(Recorded().useModes, std::vector<int32_t>{c.mode});
        EXPECT_EQ(t.CanModify(), c.canModify);
        EXPECT_EQ(t.RecordCount(), 3);
        t.Close();
    }
}

TEST_F(TableOpen, ExclusiveKeepsOthersOut) {
    TTable& first = Table("BOEK.DBF");
    first.SetExclusive(true);
    first.Open();
    TTable& second = Table("BOEK.DBF");
    EXPECT_THROW(second.Open(), EDBEngineError);
    EXPECT_FALSE(second.Active());
    first.Close();
    second.Open();
    EXPECT_TRUE(second.Active());
}

// Refuses the read/write open (and, when asked, the read-only one too).
class RefusingTable : public TTable {
  public:
    DbiResult refusal = kReadOnly;
    bool refuseReadOnlyToo = false;
    std::vector<int32_t> modes;

  protected:
    DbiResult OpenTableArea(const std::string& driver, const std::string& indexName,
                            const std::string& tagName, int32_t openMode, int32_t shareMode,
                            CursorHandle* handle) override {
        modes.push_back(openMode);
        if (openMode == 0 || refuseReadOnlyToo) {
            return refusal;
        }
        return TTable::OpenTableArea(driver, indexName, tagName, openMode, shareMode, handle);
    }
};

TEST_F(TableOpen, ReadOnlyRefusalIsRetriedReadOnlyOnce) {
    RefusingTable t;
    t.SetDatabaseName(folder);
    t.SetTableName("BOEK.DBF");
    t.Open();
    EXPECT_EQ(t.modes, (std::vector<int32_t>{0, 1}));
    EXPECT_FALSE(t.CanModify());
    t.Close();

    t.modes.clear();
    t.refuseReadOnlyToo = true;
    try {
        t.Open();
        ADD_FAILURE() << "opened";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.ErrorCode(), kReadOnly);
    }
    EXPECT_EQ(t.modes, (std::vector<int32_t>{0, 1}));
    EXPECT_FALSE(t.Active());

    t.modes.clear();
    t.refuseReadOnlyToo = false;
    t.refusal = kFileOpenError;
    EXPECT_THROW(t.Open(), EDBEngineError);
    EXPECT_EQ(t.modes, std::vector<int32_t>{0});
}

TEST_F(TableOpen, MissingTableNameAndMissingFile) {
    TTable& t = Table("");
    EXPECT_EQ(ErrorOf([&] { t.Open(); }), "Missing TableName property");
    TTable& gone = Table("WEG.DBF");
    EXPECT_THROW(gone.Open(), EDBEngineError);
    EXPECT_FALSE(gone.Active());
}

TEST_F(TableOpen, SettersNeedAClosedTable) {
    TTable& t = Table("BOEK.DBF");
    t.Open();
    const std::string open = "Cannot perform this operation on an open dataset";
    EXPECT_NE(ErrorOf([&] { t.SetExclusive(true); }).find(open), std::string::npos);
    EXPECT_NE(ErrorOf([&] { t.SetReadonly(true); }).find(open), std::string::npos);
    EXPECT_NE(ErrorOf([&] { t.SetTableType(ttSXNTX); }).find(open), std::string::npos);
    EXPECT_NE(ErrorOf([&] { t.SetTableName("X.DBF"); }).find(open), std::string::npos);
    EXPECT_FALSE(t.Exclusive());
    EXPECT_EQ(t.TableName(), "BOEK.DBF");
}

TEST_F(TableOpen, IndexNameAndIndexFieldNamesShareOneText) {
    TTable& t = Table("BOEK.DBF");
    t.SetIndexFieldNames("NAAM");
    EXPECT_EQ(t.IndexFieldNames(), "NAAM");
    EXPECT_EQ(t.IndexName(), "");
    t.SetIndexName("tel3.idx");
    EXPECT_EQ(t.IndexName(), "tel3.idx");
    EXPECT_EQ(t.IndexFieldNames(), "");
    t.SetIndexFieldNames("");
    EXPECT_EQ(t.IndexName(), "");
}

TEST_F(TableOpen, NewTableNameEmptiesIndexFiles) {
    TTable& t = Table("BOEK.DBF");
    t.IndexFiles().Add("tel0.idx");
    t.SetTableName("BOEK.DBF");
    EXPECT_EQ(t.IndexFiles().Count(), 1);
    t.SetTableName("ANDER.DBF");
    EXPECT_EQ(t.IndexFiles().Count(), 0);
}

TEST_F(TableOpen, OwnIndexFileOpensWithoutIndexAndIsSwitchedToAfterwards) {
    MakeIndex("BOEK.DBF", "tel3.idx", "NAAM");
    TTable& t = Table("BOEK.DBF");
    t.SetIndexName("tel3.idx");
    // Not a production index: no "Index does not exist", the open names none.
    t.Open();
    EXPECT_TRUE(Recorded().indexOpens.empty());
    EXPECT_EQ(Walk(t), (std::vector<std::string>{"Pietersen", "Aalders", "Mulder"}));

    // Once the engine has the file open, naming it switches the order of the open table.
    t.SetIndexName("");
    Engine().sx_Select(t.Handle());
    ASSERT_GT(Engine().sx_IndexOpen((folder + "tel3.idx").c_str()), 0);
    t.SetIndexName("tel3.idx");
    EXPECT_EQ(Walk(t), (std::vector<std::string>{"Aalders", "Mulder", "Pietersen"}));
    t.SetIndexName("");
    EXPECT_EQ(Walk(t), (std::vector<std::string>{"Pietersen", "Aalders", "Mulder"}));
}

TEST_F(TableOpen, IndexFilesOnAnOpenTable) {
    TTable& t = Table("BOEK.DBF");
    t.Open();
    t.IndexFiles().Add("tel0.idx");
    EXPECT_TRUE(messages.empty());
    t.IndexFiles().Delete(0);
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_NE(messages[0].find("DbiCloseIndex"), std::string::npos);
}

TEST_F(TableOpen, EmptyTable) {
    TTable& shared = Table("BOEK.DBF");
    shared.Open();
    EXPECT_THROW(shared.EmptyTable(), EDBEngineError);
    EXPECT_EQ(shared.RecordCount(), 3);
    shared.Close();

    TTable& closed = Table("BOEK.DBF");
    try {
        closed.EmptyTable();
        ADD_FAILURE() << "a closed table was emptied";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.ErrorCode(), kNoSuchTable);
    }

    TTable& own = Table("BOEK.DBF");
    own.SetExclusive(true);
    own.Open();
    own.EmptyTable();
    EXPECT_TRUE(own.Active());
    EXPECT_TRUE(own.IsEmpty());
    EXPECT_EQ(own.RecordCount(), 0);
    own.Append();
    own.FieldByName("NAAM").SetAsString("Nieuw");
    own.Post();
    EXPECT_EQ(Walk(own), std::vector<std::string>{"Nieuw"});
}

TEST_F(TableOpen, DefaultTypeDbfOpensWithTheFoxDriver) {
    TTable& t = Table("BOEK.DBF", ttDefault);
    EXPECT_EQ(t.DriverName(), "SXFOX");
    t.Open();
    EXPECT_EQ(t.RecordCount(), 3);
    // It opens with an engine driver, so its filter reaches the engine as well.
    t.SetFilter("NAAM = 'Mulder'");
    t.SetFiltered(true);
    EXPECT_EQ(t.RecordCount(), 1);
    EXPECT_EQ(t.FieldByName("NAAM").AsString(), "Mulder");
}

TEST_F(TableOpen, FieldDefsOfAClosedTable) {
    TTable& t = Table("BOEK.DBF");
    t.FieldDefs().Update();
    ASSERT_EQ(t.FieldDefs().Count(), 4);
    EXPECT_EQ(t.FieldDefs()[0].Name(), "NAAM");
    EXPECT_EQ(t.FieldDefs()[0].Size(), 20);
    EXPECT_EQ(t.FieldDefs()[3].DataType(), db::ftMemo);
    EXPECT_FALSE(t.Active());
}

}  // namespace
}  // namespace xbase::testing
