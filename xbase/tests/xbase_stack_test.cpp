// The engine component bound to the table data set through its data source, over the layer
// and the engine library.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/db/data_source.h"
#include "platform/db/database_error.h"
#include "xbase/layer_state.h"
#include "xbase/message_sink.h"
#include "xbase/sessions.h"
#include "xbase/tests/component_fixture.h"
#include "xbase/tests/phonebook_startup.h"
#include "xbase/work_area.h"

namespace xbase::testing {
namespace {

namespace fs = std::filesystem;

// The phone-book window's three components on a form.
class StackTest : public ComponentTest {
  protected:
    void SetUp() override {
        ComponentTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        ResetLayerState();
        ClearAllWorkAreas();
        SetMessageSink([this](const LayerMessage& m) { messages.push_back(m.text); });
        Session().Open();
        table = new TTable(&form);
        source = new db::TDataSource(&form);
        source->SetDataSet(table);
        xb = new TXbase(&form);
        xb->SetName("a2");
        xb->SetDataSource(source);
    }
    void TearDown() override {
        if (table != nullptr) {
            table->Close();
        }
        Session().Close();
        SetMessageSink({});
        ResetLayerState();
        ComponentTest::TearDown();
    }

    void Bind(const std::string& name) {
        table->SetDatabaseName(folder);
        table->SetTableName(folder + name);
        table->SetTableType(ttSXFOX);
    }

    std::vector<std::string> Numbers() {
        std::vector<std::string> numbers;
        for (table->First(); !table->Eof(); table->Next()) {
            numbers.push_back(table->FieldByName("NUMMER").AsString());
        }
        return numbers;
    }

    std::vector<std::string> messages;
    db::TComponent form;
    TTable* table = nullptr;
    db::TDataSource* source = nullptr;
    TXbase* xb = nullptr;
};

std::vector<Row> MixedRows() {
    std::vector<Row> rows;
    for (int i = 0; i < 30; ++i) {
        // Numbers out of order; every third record deleted, the first ones among them.
        rows.push_back({"0" + std::to_string(700 - i * 7 % 50), "Naam" + std::to_string(i),
                        i < 4 || i % 3 == 0});
    }
    return rows;
}

int LiveCount(const std::vector<Row>& rows) {
    int n = 0;
    for (const Row& r : rows) {
        n += r.deleted ? 0 : 1;
    }
    return n;
}

TEST_F(StackTest, ThePhoneBookStartsUpThroughTheTable) {
    const std::vector<Row> rows = MixedRows();
    MakeTable("belverintel.DBF", rows);
    Bind("belverintel.DBF");

    const StartUp started = StartPhoneBook(*table, *xb, folder);
    for (int n = 0; n < kPhoneBookIndexes; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(started.orders[static_cast<std::size_t>(n)], n + 1);
        EXPECT_EQ(started.indexNames[static_cast<std::size_t>(n)], "TEL" + std::to_string(n));
        EXPECT_TRUE(fs::exists(folder + "tel" + std::to_string(n) + ".idx"));
    }
    EXPECT_FALSE(table->Exclusive());
    EXPECT_EQ(xb->Count(), LiveCount(rows));

    // The number order reads the live records sorted.
    xb->SetOrder(started.orders[0]);
    EXPECT_EQ(table->IndexName(), "TEL0");
    std::vector<std::string> expected;
    for (const Row& r : rows) {
        if (!r.deleted) {
            expected.push_back(r.nummer);
        }
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Numbers(), expected);

    table->Close();
    EXPECT_EQ(RecordsOnDisk(folder + "belverintel.DBF"), LiveCount(rows));
}

TEST_F(StackTest, ASeekFindsTheRecordTheWalkFinds) {
    std::vector<Row> rows = MixedRows();
    rows.push_back({"0123", "Eerste"});
    rows.push_back({"0123", "Tweede"});
    MakeTable("belverintel.DBF", rows);
    Bind("belverintel.DBF");
    const StartUp started = StartPhoneBook(*table, *xb, folder);
    const int numberOrder = started.orders[0];

    for (const std::string& number :
         {std::string("0123"), std::string("0700"), std::string("0651"), std::string("0999")}) {
        SCOPED_TRACE(number);
        xb->SetOrder(started.orders[2]);
        const bool walked = WalkLookup(*table, *xb, numberOrder, number);
        const std::string walkedName = walked ? table->FieldByName("NAAM").AsString() : "";
        const int walkedRecord = walked ? table->RecNo() : -1;
        EXPECT_EQ(table->IndexName(), "TEL2");

        const bool sought = SeekLookup(*table, *xb, numberOrder, number);
        EXPECT_EQ(sought, walked);
        if (sought && walked) {
            EXPECT_EQ(table->RecNo(), walkedRecord);
            EXPECT_EQ(table->FieldByName("NAAM").AsString(), walkedName);
        }
    }
    ASSERT_TRUE(WalkLookup(*table, *xb, numberOrder, "0123"));
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Eerste");
}

TEST_F(StackTest, PackWhenTheCurrentRecordIsAmongTheLastOnes) {
    std::vector<Row> rows;
    for (int i = 0; i < 12; ++i) {
        rows.push_back({"0" + std::to_string(i), "n" + std::to_string(i), i < 9});
    }
    MakeTable("belverintel.DBF", rows);
    Bind("belverintel.DBF");
    table->SetExclusive(true);
    table->Open();
    table->Last();
    xb->Pack();
    EXPECT_EQ(xb->Count(), 3);
    EXPECT_EQ(Numbers(), (std::vector<std::string>{"09", "010", "011"}));
}

TEST_F(StackTest, PackAndZapOnASharedOrClosedTableChangeNothing) {
    const std::vector<Row> rows = MixedRows();
    MakeTable("belverintel.DBF", rows);
    Bind("belverintel.DBF");
    EXPECT_THROW(xb->Pack(), db::EDatabaseError);
    EXPECT_THROW(xb->Zap(), db::EDatabaseError);
    table->Open();
    EXPECT_THROW(xb->Pack(), db::EDatabaseError);
    EXPECT_THROW(xb->Zap(), db::EDatabaseError);
    // Deleted records still count: nothing was packed.
    EXPECT_EQ(xb->Count(), static_cast<int>(rows.size()));
    table->Close();
    EXPECT_EQ(RecordsOnDisk(folder + "belverintel.DBF"), static_cast<int>(rows.size()));
}

TEST_F(StackTest, AFailedExclusiveOpenLeavesTheOtherTableAlone) {
    MakeTable("belverinlog.DBF", {{"1", "log"}, {"2", "log"}});
    TTable& log = *new TTable(&form);
    log.SetDatabaseName(folder);
    log.SetTableName(folder + "belverinlog.DBF");
    log.SetTableType(ttSXFOX);
    log.Open();
    Bind("missing.DBF");
    table->SetExclusive(true);
    EXPECT_ANY_THROW(table->Open());
    Logged().Log().clear();

    EXPECT_THROW(xb->Pack(), db::EDatabaseError);
    EXPECT_EQ(xb->Index(folder + "tel0.idx", "nummer", 0, false, ""), 0);
    xb->Reindex();
    EXPECT_EQ(Logged().CountOf("sx_Index"), 0);
    EXPECT_EQ(Logged().CountOf("sx_Pack"), 0);
    EXPECT_FALSE(fs::exists(folder + "tel0.idx"));
    EXPECT_EQ(log.RecordCount(), 2);
    log.Close();
}

TEST_F(StackTest, CommitPostsTheRecordBeingEdited) {
    MakeTable("belverintel.DBF", {{"010", "Oud"}});
    Bind("belverintel.DBF");
    table->Open();
    table->Edit();
    table->FieldByName("NAAM").SetAsString("Nieuw");
    xb->Commit();
    EXPECT_EQ(table->State(), db::dsBrowse);
    table->Close();
    table->Open();
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Nieuw");
}

TEST_F(StackTest, AQueryGivenBeforeOpeningFiltersTheOpenedTable) {
    const std::vector<Row> rows = MixedRows();
    MakeTable("belverintel.DBF", rows);
    Bind("belverintel.DBF");
    EXPECT_EQ(xb->Query("NAAM = 'Naam5'"), 0);
    table->Open();
    EXPECT_EQ(xb->Count(), 1);
    EXPECT_EQ(Numbers(), (std::vector<std::string>{rows[5].nummer}));
    xb->Query("");
    EXPECT_EQ(Numbers().size(), rows.size());
}

TEST_F(StackTest, ExtraIndexesFollowTheTableThroughClosingAndOpening) {
    MakeTable("belverintel.DBF", MixedRows());
    Bind("belverintel.DBF");
    table->Open();
    ASSERT_EQ(xb->Index(folder + "names.IDX", "naam", 0, false, ""), 1);
    table->Close();

    rtl::TStringList names;
    names.Add(folder + "names");
    xb->SetExtraIndexes(names);
    table->Open();
    EXPECT_EQ(xb->IndexOrd(), 1);
    EXPECT_EQ(table->IndexName(), "NAMES");
    const std::vector<std::string> byName = Numbers();
    EXPECT_EQ(byName.front(), "0700");  // Naam0 sorts first; record 0 holds 0700
}

}  // namespace
}  // namespace xbase::testing
