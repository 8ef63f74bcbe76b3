#include <set>

#include "platform/xbase32/tests/engine_fixture.h"

namespace xbtest {
namespace {

struct Step {
    char op;  // T top, B bottom, S skip, G go
    int n = 0;
};

struct Case {
    const char* name;
    std::set<int> deleted;
    bool hide;
    std::vector<Step> steps;
    int recno;
    bool bof;
    bool eof;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

// Five records r1 to r5, some deleted.
class NavigationTest : public EngineTest, public ::testing::WithParamInterface<Case> {};

TEST_P(NavigationTest, StandsWhereTheRulesSay) {
    const Case& c = GetParam();
    Open(Create("nav.DBF", "NAME:C:4"), SX_SHARED);
    for (int i = 1; i <= 5; ++i) {
        AppendTexts({"r" + std::to_string(i)});
        if (c.deleted.count(i) != 0) {
            ASSERT_TRUE(sx_Delete());
        }
    }
    sx_Unlock(0);
    sx_SetDeleted(c.hide ? 1 : 0);
    for (const Step& s : c.steps) {
        switch (s.op) {
            case 'T':
                sx_GoTop();
                break;
            case 'B':
                sx_GoBottom();
                break;
            case 'S':
                sx_Skip(s.n);
                break;
            case 'G':
                sx_Go(s.n);
                break;
        }
    }
    EXPECT_EQ(sx_RecNo(), c.recno);
    EXPECT_EQ(sx_Bof() != 0, c.bof);
    EXPECT_EQ(sx_Eof() != 0, c.eof);
    std::string record(static_cast<size_t>(sx_RecSize()), '?');
    sx_GetRecord(record.data());
    if (c.eof) {
        EXPECT_EQ(record, std::string(record.size(), ' ')) << "the phantom record is blank";
        EXPECT_FALSE(sx_Deleted());
    } else {
        EXPECT_EQ(record.substr(1, 2), "r" + std::to_string(c.recno));
        EXPECT_EQ(sx_Deleted() != 0, c.deleted.count(c.recno) != 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Positions, NavigationTest,
    ::testing::Values(
        Case{"TopSkipsHiddenDeleted", {1, 2}, true, {{'T'}}, 3, false, false},
        Case{"TopShowsDeletedWhenNotHidden", {1, 2}, false, {{'T'}}, 1, false, false},
        Case{"BottomSkipsHiddenDeleted", {4, 5}, true, {{'B'}}, 3, false, false},
        Case{"SkipBackFromFirstStaysWithBof", {}, false, {{'T'}, {'S', -1}}, 1, true, false},
        Case{"SkipBackFromFirstVisibleStays", {1}, true, {{'T'}, {'S', -1}}, 2, true, false},
        Case{"SkipForwardPassesHidden", {3}, true, {{'G', 2}, {'S', 1}}, 4, false, false},
        Case{"SkipBackPassesHidden", {3}, true, {{'G', 4}, {'S', -1}}, 2, false, false},
        Case{"SkipPastLastIsPhantom", {5}, true, {{'B'}, {'S', 1}}, 6, false, true},
        Case{"SkipFromPhantomStaysThere", {}, false, {{'B'}, {'S', 1}, {'S', 1}}, 6, false, true},
        Case{"SkipBackFromPhantomToLastVisible",
             {5},
             true,
             {{'B'}, {'S', 1}, {'S', -1}},
             4,
             false,
             false},
        Case{"SkipManyStopsAtEnd", {}, false, {{'T'}, {'S', 10}}, 6, false, true},
        Case{"SkipBackManyStopsAtFirst", {}, false, {{'B'}, {'S', -10}}, 1, true, false},
        Case{"SkipTwoCountsVisibleOnly", {2, 3}, true, {{'T'}, {'S', 2}}, 5, false, false},
        Case{"SkipBackFromHiddenWithNoneBefore", {1}, true, {{'G', 1}, {'S', -1}}, 2, true, false},
        Case{"TopOnAllHidden", {1, 2, 3, 4, 5}, true, {{'T'}}, 6, true, true},
        Case{"BottomOnAllHidden", {1, 2, 3, 4, 5}, true, {{'B'}}, 6, true, true},
        Case{"SkipBackOnAllHidden", {1, 2, 3, 4, 5}, true, {{'T'}, {'S', -1}}, 6, true, true},
        Case{"GoIgnoresDeletedSetting", {2}, true, {{'G', 2}}, 2, false, false},
        Case{"GoBeyondCountIsPhantom", {}, false, {{'G', 9}}, 6, false, true},
        Case{"GoZeroIsPhantom", {}, false, {{'G', 0}}, 6, false, true}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST_F(EngineTest, EmptyTableIsAtBothEnds) {
    Open(Create("empty.DBF", "NAME:C:4"));
    for (auto move :
         {+[] { sx_GoTop(); }, +[] { sx_GoBottom(); }, +[] { sx_Skip(-1); }, +[] { sx_Skip(1); }}) {
        move();
        EXPECT_EQ(sx_RecNo(), 1);
        EXPECT_TRUE(sx_Eof());
        EXPECT_TRUE(sx_Bof());
    }
    EXPECT_EQ(sx_RecCount(), 0);
}

TEST_F(EngineTest, AppendedRecordIsCurrentAndBlank) {
    Open(Create("app.DBF", "NAME:C:4"));
    AppendTexts({"a"});
    AppendTexts({"b"});
    sx_GoTop();
    ASSERT_EQ(sx_AppendEx(), 0);
    EXPECT_EQ(sx_RecNo(), 3);
    EXPECT_FALSE(sx_Eof());
    EXPECT_FALSE(sx_Bof());
    std::string record(static_cast<size_t>(sx_RecSize()), '?');
    sx_GetRecord(record.data());
    EXPECT_EQ(record, std::string(record.size(), ' '));
    EXPECT_EQ(sx_RecCount(), 3);
}

TEST_F(EngineTest, CountAndPositionFollowAppendsOfAnotherOpen) {
    const std::string path = Create("two.DBF", "NAME:C:4");
    const int first = Open(path, SX_SHARED, "ONE");
    AppendTexts({"a"});
    const int second = Open(path, SX_SHARED, "TWO");
    AppendTexts({"b"});
    AppendTexts({"c"});
    sx_Select(first);
    EXPECT_EQ(sx_RecCount(), 3);
    sx_GoBottom();
    EXPECT_EQ(sx_RecNo(), 3);
    EXPECT_STREQ(sx_GetTrimString("NAME"), "c");
    sx_Select(second);
    EXPECT_EQ(sx_RecNo(), 3);
}

}  // namespace
}  // namespace xbtest
