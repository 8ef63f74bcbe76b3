// Seek modes over the fake engine: the key sought and the seek settings around it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xbase/tests/fake_table_fixture.h"

namespace xbase::testing {
namespace {

class SeekSettings : public FakeTableTest {
  protected:
    SeekSettings() {
        OpenTable({{{"NAAM", 'C', 10}}, {FakeTag{"NAAM", "/data/naam.idx", "NAAM", "NAAM"}}});
        Engine().sx_Select(table);
        Engine().sx_SetOrder(1);
        fake.softSeek = 0;
        fake.exact = 1;
        fake.recno = 3;
    }
};

TEST_F(SeekSettings, ModesSetExactAndSoftSeekAndPutThemBack) {
    struct Case {
        int32_t mode;
        std::string key;
        std::string sought;
        intptr_t exact;
        intptr_t soft;
    };
    const Case cases[] = {
        {kSearchEqual, "ABC", "ABC", 1, 0},
        {kSearchGreater, "ABC", "ABD", 0, 1},
        {kSearchGreater, "AB\xFF", "AC", 0, 1},  // no wrap to a lower key
        {kSearchGreaterOrEqual, "ABC", "ABC", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        fake.sysProps.clear();
        fake.seekFinds = true;
        ASSERT_EQ(DbiSeekKey(table, c.mode, true, 1, 0, c.key.c_str()), kOk);
        EXPECT_EQ(fake.seeks.back(), c.sought);
        const std::vector<std::pair<int32_t, intptr_t>> expected = {
            {1000, 0}, {1002, 0}, {1003, c.exact}, {1001, c.soft}, {1003, 1}, {1001, 0}};
        EXPECT_EQ(fake.sysProps, expected);
        EXPECT_EQ(fake.exact, 1);
        EXPECT_EQ(fake.softSeek, 0);
    }
}

TEST_F(SeekSettings, AnExactMissGoesBackAndRestoresTheSettings) {
    fake.seekFinds = false;
    fake.softSeek = 1;
    fake.exact = 0;
    EXPECT_EQ(DbiSeekKey(table, kSearchEqual, true, 1, 0, "ZZZ"), kKeyNotFound);
    EXPECT_EQ(fake.gos, (std::vector<int32_t>{3}));
    EXPECT_EQ(fake.softSeek, 1);
    EXPECT_EQ(fake.exact, 0);
    // A soft miss is no failure.
    EXPECT_EQ(DbiSeekKey(table, kSearchGreaterOrEqual, true, 1, 0, "ZZZ"), kOk);
    EXPECT_EQ(DbiGetRecordForKey(table, true, 0, 0, "ZZZ", nullptr), kKeyNotFound);
}

TEST_F(SeekSettings, AKeyOfOnly0xFFBytesHasNothingAboveIt) {
    fake.calls.clear();
    EXPECT_EQ(DbiSeekKey(table, kSearchGreater, true, 1, 0, "\xFF\xFF"), kOk);
    EXPECT_TRUE(fake.seeks.empty());
    EXPECT_EQ(fake.CountOf("sx_GoBottom"), 1);
    EXPECT_EQ(fake.CountOf("sx_Skip"), 1);
}

TEST_F(SeekSettings, NoOrderNoSeek) {
    Engine().sx_SetOrder(0);
    fake.sysProps.clear();
    EXPECT_EQ(DbiSeekKey(table, kSearchEqual, true, 1, 0, "A"), kSeekWithoutOrder);
    EXPECT_EQ(DbiGetRecordForKey(table, true, 1, 0, "A", nullptr), kSeekWithoutOrder);
    EXPECT_TRUE(fake.seeks.empty());
    EXPECT_TRUE(fake.sysProps.empty());
    EXPECT_EQ(DbiSeekKey(99, kSearchEqual, true, 1, 0, "A"), kNoSuchTable);
}

}  // namespace
}  // namespace xbase::testing
