// Filter texts over the engine library: the filtered set, the temporary search filter and a
// record edited out of the set.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xbase/tests/real_table_fixture.h"

namespace xbase::testing {
namespace {

class FiltersOverEngine : public RealTable {
  protected:
    void SetUp() override {
        RealTable::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Create("f.dbf", {"NAAM:C:10", "PLAATS:C:10"});
        table = Open("f.dbf");
        ASSERT_GT(table, 0);
        const char* rows[][2] = {
            {"Anna", "Ede"}, {"Bert", "Epe"}, {"Cees", "Ede"}, {"Dirk", "Ede"}, {"Eva", "Epe"}};
        for (const auto& row : rows) {
            std::vector<char> record = Blank(table);
            ASSERT_EQ(DbiPutField(table, 1, record.data(), row[0]), kOk);
            ASSERT_EQ(DbiPutField(table, 2, record.data(), row[1]), kOk);
            ASSERT_EQ(DbiAppendRecord(table, record.data()), kOk);
        }
        Engine().sx_Select(table);
        if (!Engine().sx_Query("") && Missing()) {
            GTEST_SKIP() << "the engine has no filters yet";
        }
    }

    FilterHandle AddActive(const char* expression, uint16_t kind = 0) {
        FilterHandle h = 0;
        EXPECT_EQ(DbiAddFilter(table, 0, kind, false, expression, nullptr, &h), kOk);
        EXPECT_EQ(DbiActivateFilter(table, h), kOk);
        return h;
    }

    std::vector<std::string> Names() {
        std::vector<std::string> names;
        std::vector<char> record = Blank(table);
        EXPECT_EQ(DbiSetToBegin(table), kOk);
        while (DbiGetNextRecord(table, 0, record.data(), nullptr) == kOk) {
            names.push_back(TextOf(table, record));
        }
        return names;
    }

    CursorHandle table = 0;
};

TEST_F(FiltersOverEngine, JoinedSlotsKeepTheRecordsThatPassAll) {
    AddActive("PLAATS = 'Ede'");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Anna", "Cees", "Dirk"}));
    AddActive("NAAM <> 'Cees'");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Anna", "Dirk"}));
    int32_t count = 0;
    ASSERT_EQ(DbiGetRecordCount(table, &count), kOk);
    EXPECT_EQ(count, 2);
}

TEST_F(FiltersOverEngine, TheTemporarySearchFindsTheFirstPassingBothAndLeavesTheFilter) {
    AddActive("PLAATS = 'Ede'");
    const FilterHandle search = AddActive("NAAM > 'B'", 2);
    std::vector<char> record = Blank(table);
    ASSERT_EQ(DbiGetNextRecord(table, 0, record.data(), nullptr), kOk);
    EXPECT_EQ(TextOf(table, record), "Cees");
    ASSERT_EQ(DbiDropFilter(table, search), kOk);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Anna", "Cees", "Dirk"}));

    // A search that finds nothing leaves the cursor where the next record is the end.
    const FilterHandle none = AddActive("NAAM = 'Zora'", 2);
    EXPECT_EQ(DbiGetNextRecord(table, 0, record.data(), nullptr), kEof);
    ASSERT_EQ(DbiDropFilter(table, none), kOk);
    // The first record of the set is found too.
    AddActive("NAAM < 'B'", 2);
    ASSERT_EQ(DbiGetNextRecord(table, 0, record.data(), nullptr), kOk);
    EXPECT_EQ(TextOf(table, record), "Anna");
}

TEST_F(FiltersOverEngine, ARecordEditedOutOfTheFilterIsNoLongerInTheSet) {
    AddActive("PLAATS = 'Ede'");
    std::vector<char> record = Blank(table);
    ASSERT_EQ(DbiSetToBegin(table), kOk);
    ASSERT_EQ(DbiGetNextRecord(table, 0, record.data(), nullptr), kOk);
    ASSERT_EQ(DbiGetNextRecord(table, 0, record.data(), nullptr), kOk);
    ASSERT_EQ(TextOf(table, record), "Cees");
    ASSERT_EQ(DbiGetRecord(table, 0, record.data(), nullptr), kOk);
    ASSERT_EQ(DbiPutField(table, 2, record.data(), "Epe"), kOk);
    ASSERT_EQ(DbiModifyRecord(table, record.data(), true), kOk);
    EXPECT_EQ(DbiGetRecord(table, 0, record.data(), nullptr), kRecordNotInFilter);
    EXPECT_EQ(Engine().sx_RecNo(), 3);
    // The last record of the set too.
    ASSERT_EQ(DbiSetToEnd(table), kOk);
    ASSERT_EQ(DbiGetPriorRecord(table, 0, record.data(), nullptr), kOk);
    ASSERT_EQ(TextOf(table, record), "Dirk");
    ASSERT_EQ(DbiPutField(table, 2, record.data(), "Epe"), kOk);
    ASSERT_EQ(DbiModifyRecord(table, record.data(), true), kOk);
    EXPECT_EQ(DbiGetRecord(table, 0, record.data(), nullptr), kRecordNotInFilter);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Anna"}));
}

TEST_F(FiltersOverEngine, AnExpressionTheEngineRefusesLeavesTheOldFilterInForce) {
    AddActive("PLAATS = 'Ede'");
    FilterHandle bad = 0;
    ASSERT_EQ(DbiAddFilter(table, 0, 0, false, "NAAM = = 'x'", nullptr, &bad), kOk);
    EXPECT_NE(DbiActivateFilter(table, bad), kOk);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Anna", "Cees", "Dirk"}));
    EXPECT_STREQ(Engine().sx_DBFilter(), "PLAATS = 'Ede'");
}

}  // namespace
}  // namespace xbase::testing
