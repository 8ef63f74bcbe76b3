// Filters of a table: the Filter text as an engine expression, OnFilterRecord, find.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xbase/db_errors.h"
#include "xbase/filter_literal.h"
#include "xbase/tests/table_fixture.h"

namespace xbase::testing {
namespace {

using Names = std::vector<std::string>;

class TableFilter : public TableTest {
  protected:
    void SetUp() override {
        TableTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        // Stored as Windows-1252 bytes: "M\xfcller" is Müller.
        MakeBook({{{"NAAM", "Jansen"}, {"PLAATS", "Utrecht"}},
                  {{"NAAM", "M\xfcller"}, {"PLAATS", "'s-Hertogenbosch"}},
                  {{"NAAM", "Jansen"}, {"PLAATS", "'s-Hertogenbosch"}},
                  {{"NAAM", "Bakker"}, {"PLAATS", "Utrecht"}}});
        table = &Table("BOEK.DBF");
        table->Open();
    }

    TTable* table = nullptr;
};

TEST_F(TableFilter, FilterShowsOnlyTheMatchingRecords) {
    table->Last();
    table->SetFilter("NAAM = 'Jansen'");
    table->SetFiltered(true);
    EXPECT_EQ(Walk(*table, "PLAATS"), (Names{"Utrecht", "'s-Hertogenbosch"}));
    EXPECT_EQ(table->RecordCount(), 2);

    table->SetFilter("NAAM = 'Bakker'");
    EXPECT_EQ(Walk(*table), Names{"Bakker"});
    EXPECT_EQ(table->RecordCount(), 1);

    table->Last();
    table->SetFiltered(false);
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Jansen");
    EXPECT_TRUE(table->Bof());
    EXPECT_EQ(table->RecordCount(), 4);
    EXPECT_EQ(Walk(*table).size(), 4U);
}

TEST_F(TableFilter, FilterSetBeforeOpenApplies) {
    table->Close();
    table->SetFilter("PLAATS = 'Utrecht'");
    table->SetFiltered(true);
    table->Open();
    EXPECT_EQ(Walk(*table), (Names{"Jansen", "Bakker"}));
}

TEST_F(TableFilter, RejectedTextRaisesAndTheOldFilterStays) {
    table->SetFilter("NAAM = 'Bakker'");
    table->SetFiltered(true);
    for (const std::string bad : {"NAAM = ", "NAAM = 'x", "ONBEKEND = 'x'", "NAAM", "NAAM = 1"}) {
        EXPECT_THROW(table->SetFilter(bad), db::EDatabaseError) << bad;
        EXPECT_EQ(table->Filter(), "NAAM = 'Bakker'");
        EXPECT_EQ(Walk(*table), Names{"Bakker"}) << bad;
    }
}

TEST_F(TableFilter, ValuesWithQuotesAndAccentsFilter) {
    table->SetFiltered(true);
    table->SetFilter(XBaseEquals("PLAATS", "'s-Hertogenbosch"));
    EXPECT_EQ(Walk(*table), (Names{"Müller", "Jansen"}));
    // UTF-8 in the program, Windows-1252 in the table.
    table->SetFilter(XBaseEquals("NAAM", "Müller"));
    EXPECT_EQ(Walk(*table, "PLAATS"), Names{"'s-Hertogenbosch"});
    table->SetFilter("[Müller] $ NAAM");
    EXPECT_EQ(table->RecordCount(), 1);
}

TEST_F(TableFilter, OnFilterRecordFiltersWhileFiltered) {
    std::vector<std::string> seen;
    table->SetOnFilterRecord([&](db::TDataSet& ds, bool& accept) {
        seen.push_back(ds.FieldByName("NAAM").AsString());
        accept = ds.FieldByName("PLAATS").AsString() == "Utrecht";
    });
    EXPECT_EQ(Walk(*table).size(), 4U);
    EXPECT_TRUE(seen.empty());

    table->SetFiltered(true);
    EXPECT_EQ(Walk(*table), (Names{"Jansen", "Bakker"}));
    EXPECT_FALSE(seen.empty());

    // Both filters hold at once.
    table->SetFilter("NAAM = 'Bakker'");
    EXPECT_EQ(Walk(*table), Names{"Bakker"});

    table->SetOnFilterRecord({});
    EXPECT_EQ(Walk(*table), Names{"Bakker"});
    table->SetFilter("");
    EXPECT_EQ(Walk(*table).size(), 4U);
}

TEST_F(TableFilter, UnfilteredOnFilterRecordActsOnlyWhileFinding) {
    int calls = 0;
    table->SetOnFilterRecord([&](db::TDataSet& ds, bool& accept) {
        ++calls;
        accept = ds.FieldByName("NAAM").AsString() == "Jansen";
    });
    table->First();
    EXPECT_EQ(Walk(*table).size(), 4U);
    EXPECT_EQ(calls, 0);

    table->First();
    EXPECT_TRUE(table->FindNext());
    EXPECT_EQ(table->FieldByName("PLAATS").AsString(), "'s-Hertogenbosch");
    EXPECT_GT(calls, 0);
    const int afterFind = calls;
    // Outside the search every record shows again.
    EXPECT_EQ(Walk(*table).size(), 4U);
    EXPECT_EQ(calls, afterFind);

    EXPECT_TRUE(table->FindFirst());
    EXPECT_EQ(table->FieldByName("PLAATS").AsString(), "Utrecht");
    EXPECT_TRUE(table->FindLast());
    EXPECT_EQ(table->FieldByName("PLAATS").AsString(), "'s-Hertogenbosch");
    EXPECT_TRUE(table->FindPrior());
    EXPECT_EQ(table->FieldByName("PLAATS").AsString(), "Utrecht");
    EXPECT_FALSE(table->FindPrior());
    EXPECT_FALSE(table->Found());
}

TEST_F(TableFilter, ExceptionInOnFilterRecordDoesNotEscape) {
    table->SetOnFilterRecord([](db::TDataSet& ds, bool& accept) {
        if (ds.FieldByName("NAAM").AsString() == "Bakker") {
            throw db::EDatabaseError("kapot");
        }
        accept = true;
    });
    table->SetFiltered(true);
    EXPECT_EQ(Walk(*table).size(), 4U);
}

}  // namespace
}  // namespace xbase::testing
