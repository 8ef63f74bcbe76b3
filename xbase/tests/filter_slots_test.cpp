// The filter slots of a table and the filter text they give the engine.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xbase/tests/fake_table_fixture.h"

namespace xbase::testing {
namespace {

class FilterSlots : public FakeTableTest {
  protected:
    FilterSlots() { OpenTable({{{"NAAM", 'C', 10}, {"PLAATS", 'C', 10}}, {}}); }

    FilterHandle Add(const char* expression, uint16_t kind = 0) {
        FilterHandle h = 0;
        EXPECT_EQ(DbiAddFilter(table, 0, kind, false, expression, nullptr, &h), kOk);
        return h;
    }
};

TEST_F(FilterSlots, ActiveExpressionsAreJoinedInSlotOrder) {
    const FilterHandle naam = Add("NAAM = 'Jan'");
    const FilterHandle plaats = Add("PLAATS = 'Ede'");
    EXPECT_EQ(naam, 1);
    EXPECT_EQ(plaats, 2);
    EXPECT_TRUE(fake.queries.empty()) << "a slot is not active until activated";

    ASSERT_EQ(DbiActivateFilter(table, plaats), kOk);
    EXPECT_EQ(fake.filter, "PLAATS = 'Ede'");
    ASSERT_EQ(DbiActivateFilter(table, naam), kOk);
    EXPECT_EQ(fake.filter, "NAAM = 'Jan' .and. PLAATS = 'Ede'");

    ASSERT_EQ(DbiDeactivateFilter(table, naam), kOk);
    EXPECT_EQ(fake.filter, "PLAATS = 'Ede'");
    ASSERT_EQ(DbiActivateFilter(table, 0), kOk);
    EXPECT_EQ(fake.filter, "NAAM = 'Jan' .and. PLAATS = 'Ede'");
    ASSERT_EQ(DbiDropFilter(table, plaats), kOk);
    EXPECT_EQ(fake.filter, "NAAM = 'Jan'");
    // The dropped slot is the next one taken.
    EXPECT_EQ(Add("NAAM = 'Piet'"), plaats);
    ASSERT_EQ(DbiDeactivateFilter(table, 0), kOk);
    EXPECT_EQ(fake.filter, "");

    CursorProperties props;
    ASSERT_EQ(DbiGetTableProps(table, &props), kOk);
    EXPECT_EQ(props.filterCount, 2);
}

TEST_F(FilterSlots, TheHundredAndFirstFilterFailsAndChangesNothing) {
    for (int n = 1; n <= kFilterSlots; ++n) {
        ASSERT_EQ(Add(("NAAM = '" + std::to_string(n) + "'").c_str()), n);
    }
    const auto before = WorkAreaOf(table)->filters;
    FilterHandle h = -1;
    EXPECT_EQ(DbiAddFilter(table, 0, 0, false, "NAAM = 'x'", nullptr, &h), kNoFreeFilterSlot);
    EXPECT_EQ(h, -1);
    const auto& after = WorkAreaOf(table)->filters;
    for (int n = 0; n < kFilterSlots; ++n) {
        EXPECT_EQ(after[n].expression, before[n].expression);
    }
    // A dropped slot, active or not, makes room again.
    ASSERT_EQ(DbiDropFilter(table, 40), kOk);
    EXPECT_EQ(Add("NAAM = 'x'"), 40);
}

TEST_F(FilterSlots, ARejectedExpressionKeepsTheOldFilter) {
    const FilterHandle good = Add("NAAM = 'Jan'");
    ASSERT_EQ(DbiActivateFilter(table, good), kOk);
    const FilterHandle bad = Add("NAAM = ");
    fake.rejected = {"NAAM = 'Jan' .and. NAAM = ", "NAAM = "};
    EXPECT_EQ(DbiActivateFilter(table, bad), kFilterRejected);
    EXPECT_EQ(fake.filter, "NAAM = 'Jan'");
    EXPECT_FALSE(WorkAreaOf(table)->filters[bad - 1].active);
    // Activating all fails the same way and leaves the flags as they were.
    EXPECT_EQ(DbiActivateFilter(table, 0), kFilterRejected);
    EXPECT_EQ(fake.filter, "NAAM = 'Jan'");
    EXPECT_FALSE(WorkAreaOf(table)->filters[bad - 1].active);
    // A refused temporary filter finds nothing and leaves the filter in force.
    const FilterHandle search = Add("NAAM = ", 2);
    EXPECT_EQ(DbiActivateFilter(table, search), kFilterRejected);
    EXPECT_EQ(fake.filter, "NAAM = 'Jan'");
}

TEST_F(FilterSlots, TheTemporaryFilterSearchesUnderTheOneInForce) {
    const FilterHandle kept = Add("NAAM = 'Jan'");
    ASSERT_EQ(DbiActivateFilter(table, kept), kOk);
    const FilterHandle search = Add("PLAATS = 'Ede'", 2);
    fake.queries.clear();
    ASSERT_EQ(DbiActivateFilter(table, search), kOk);
    EXPECT_EQ(fake.queries,
              (std::vector<std::string>{"NAAM = 'Jan' .and. PLAATS = 'Ede'", "NAAM = 'Jan'"}));
    // Later changes of the other slots never take the search along.
    const FilterHandle more = Add("PLAATS <> ''");
    ASSERT_EQ(DbiActivateFilter(table, more), kOk);
    EXPECT_EQ(fake.filter, "NAAM = 'Jan' .and. PLAATS <> ''");
    fake.queries.clear();
    ASSERT_EQ(DbiDropFilter(table, search), kOk);
    EXPECT_TRUE(fake.queries.empty());
}

int32_t Accept(intptr_t, const char*, int32_t) {
    return 1;
}

TEST_F(FilterSlots, CallbackSlotsAndUnknownHandles) {
    FilterHandle h = 0;
    ASSERT_EQ(DbiAddFilter(table, 7, 1, false, nullptr, &Accept, &h), kOk);
    const FilterSlot& slot = WorkAreaOf(table)->filters[h - 1];
    EXPECT_TRUE(slot.isCallback);
    EXPECT_EQ(slot.clientData, 7);
    EXPECT_TRUE(WorkAreaOf(table)->callbackFilterPresent);
    ASSERT_EQ(DbiActivateFilter(table, h), kOk);
    EXPECT_TRUE(fake.queries.empty()) << "callbacks are no filter text";
    ASSERT_EQ(DbiDropFilter(table, h), kOk);
    EXPECT_FALSE(WorkAreaOf(table)->callbackFilterPresent);

    EXPECT_EQ(DbiAddFilter(99, 0, 0, false, "X", nullptr, &h), kNoSuchTable);
    EXPECT_EQ(DbiAddFilter(table, 0, 0, false, "", nullptr, &h), kFilterRejected);
    for (DbiResult r :
         {DbiActivateFilter(99, 1), DbiDeactivateFilter(99, 1), DbiDropFilter(99, 1)}) {
        EXPECT_EQ(r, kNoSuchTable);
    }
}

}  // namespace
}  // namespace xbase::testing
