// Seeking, ranges, record keys and bookmark order on an index of the engine library.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xbase/tests/real_table_fixture.h"

namespace xbase::testing {
namespace {

class Keys : public RealTable {
  protected:
    void SetUp() override {
        RealTable::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Create("k.dbf", {"NAAM:C:6", "NR:N:4"});
        table = Open("k.dbf");
        ASSERT_GT(table, 0);
        // Physical order differs from the key order.
        const std::pair<const char*, int16_t> rows[] = {
            {"ABE", 5}, {"ABB", 1}, {"ABCX", 42}, {"ABC", 3}, {"ABD", 4}};
        for (const auto& [name, nr] : rows) {
            std::vector<char> record = Named(name);
            ASSERT_EQ(DbiPutField(table, 2, record.data(), &nr), kOk);
            ASSERT_EQ(DbiAppendRecord(table, record.data()), kOk);
        }
        Engine().sx_Select(table);
        naam = Engine().sx_Index((folder + "naam.idx").c_str(), "NAAM", 0, 0, "");
        if (naam == 0 && Missing()) {
            GTEST_SKIP() << "the engine has no indexes yet";
        }
        ASSERT_GT(naam, 0) << Engine().sx_LastErrorText();
    }

    std::vector<char> Named(const std::string& name) {
        std::vector<char> record = Blank(table);
        EXPECT_EQ(DbiPutField(table, 1, record.data(), name.c_str()), kOk);
        return record;
    }

    std::string Current() {
        std::vector<char> record = Blank(table);
        EXPECT_EQ(DbiGetRecord(table, 0, record.data(), nullptr), kOk);
        return TextOf(table, record);
    }

    std::vector<std::string> Names() {
        std::vector<std::string> names;
        std::vector<char> record = Blank(table);
        while (DbiGetNextRecord(table, 0, record.data(), nullptr) == kOk) {
            names.push_back(TextOf(table, record));
        }
        return names;
    }

    std::vector<char> Mark(int32_t recno) {
        std::vector<char> b(kBookmarkSize);
        std::memcpy(b.data(), &recno, kBookmarkSize);
        return b;
    }

    std::vector<std::vector<char>> AllOnDisk() {
        std::vector<std::vector<char>> all;
        Engine().sx_Select(table);
        for (int32_t r = 1; r <= Engine().sx_RecCount(); ++r) {
            std::vector<char> record(static_cast<size_t>(RecordSize(table)));
            std::vector<char> mark = Mark(r);
            EXPECT_EQ(DbiSetToSeqNo(table, mark.data()), kOk);
            Engine().sx_GetRecord(record.data());
            all.push_back(record);
        }
        return all;
    }

    CursorHandle table = 0;
    int32_t naam = 0;
};

TEST_F(Keys, SearchModes) {
    struct Case {
        int32_t mode;
        const char* key;
        DbiResult result;
        std::string found;
    };
    const Case cases[] = {
        {kSearchEqual, "ABC", kOk, "ABC"},
        {kSearchGreater, "ABC", kOk, "ABD"},  // past every key that starts with ABC
        {kSearchGreaterOrEqual, "ABC", kOk, "ABC"},
        {kSearchGreaterOrEqual, "ABBB", kOk, "ABC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(DbiSeekKey(table, c.mode, true, 1, 0, c.key), c.result);
        EXPECT_EQ(Current(), c.found);
    }
    // Greater than every key: after the last.
    EXPECT_EQ(DbiSeekKey(table, kSearchGreater, true, 1, 0, "ABE"), kOk);
    EXPECT_EQ(DbiGetRecord(table, 0, nullptr, nullptr), kEof);
}

TEST_F(Keys, AnExactMissReturnsToTheNotedRecordAndRestoresTheSettings) {
    const sx_bool exact = Engine().sx_SetExact(0);
    const sx_bool soft = Engine().sx_SetSoftSeek(1);
    std::vector<char> mark = Mark(2);
    ASSERT_EQ(DbiSetToSeqNo(table, mark.data()), kOk);
    EXPECT_EQ(DbiSeekKey(table, kSearchEqual, true, 1, 0, "ABA"), kKeyNotFound);
    EXPECT_EQ(Engine().sx_RecNo(), 2);
    std::vector<char> sought = Named("ZZ");
    EXPECT_EQ(DbiSeekKey(table, kSearchEqual, false, 1, 0, sought.data()), kKeyNotFound);
    EXPECT_EQ(Engine().sx_RecNo(), 2);
    EXPECT_EQ(Engine().sx_SysProp(1002, 0), 0);
    EXPECT_EQ(Engine().sx_SysProp(1000, 0), 1);
    Engine().sx_SetExact(exact);
    Engine().sx_SetSoftSeek(soft);
}

TEST_F(Keys, SeekingARecordsKeyNeverWritesTheRecord) {
    const auto before = AllOnDisk();
    std::vector<char> mark = Mark(1);
    ASSERT_EQ(DbiSetToSeqNo(table, mark.data()), kOk);
    const std::vector<char> own = EngineBuffer(table);
    std::vector<char> sought = Named("ABD");
    EXPECT_EQ(DbiSeekKey(table, kSearchEqual, false, 1, 0, sought.data()), kOk);
    EXPECT_EQ(Current(), "ABD");
    ASSERT_EQ(DbiSetToSeqNo(table, mark.data()), kOk);
    std::string key;
    ASSERT_EQ(DbiExtractKey(table, sought.data(), &key), kOk);
    EXPECT_EQ(key, "ABD   ");
    EXPECT_EQ(EngineBuffer(table), own);
    ASSERT_EQ(DbiExtractKey(table, nullptr, &key), kOk);
    EXPECT_EQ(key, "ABE   ");
    EXPECT_EQ(AllOnDisk(), before);

    std::vector<char> found = Blank(table);
    EXPECT_EQ(DbiGetRecordForKey(table, false, 0, 0, Named("ABCA").data(), found.data()), kOk);
    EXPECT_EQ(TextOf(table, found), "ABCX");
    EXPECT_EQ(AllOnDisk(), before);
}

TEST_F(Keys, ANumericKeyIsSoughtAsItsDigits) {
    Engine().sx_Select(table);
    ASSERT_GT(Engine().sx_Index((folder + "nr.idx").c_str(), "NR", 0, 0, ""), 0);
    std::vector<char> sought = Blank(table);
    const int16_t nr = 42;
    ASSERT_EQ(DbiPutField(table, 2, sought.data(), &nr), kOk);
    EXPECT_EQ(DbiSeekKey(table, kSearchEqual, false, 1, 0, sought.data()), kOk);
    EXPECT_EQ(Current(), "ABCX");
}

TEST_F(Keys, RangesStandBeforeTheirFirstRecordAndResetKeepsTheEnd) {
    ASSERT_EQ(DbiSetRange(table, true, 1, 0, "ABC", true, 1, 0, "ABD", true), kOk);
    EXPECT_EQ(Names(), (std::vector<std::string>{"ABC", "ABCX", "ABD"}));
    ASSERT_EQ(DbiSetRange(table, false, 1, 0, Named("ABCX").data(), true, 1, 0, Named("ABE").data(),
                          true),
              kOk);
    EXPECT_EQ(Names(), (std::vector<std::string>{"ABCX", "ABD", "ABE"}));
    // Names() left the cursor on the last of the range; after it, reset keeps it there.
    ASSERT_EQ(DbiSetToEnd(table), kOk);
    ASSERT_EQ(DbiResetRange(table), kOk);
    EXPECT_EQ(DbiGetRecord(table, 0, nullptr, nullptr), kEof);
    ASSERT_EQ(DbiSetToBegin(table), kOk);
    EXPECT_EQ(Names().size(), 5u);
}

TEST_F(Keys, BookmarksCompareInTheOrderAndTheCursorStaysWhereItWas) {
    int16_t result = 9;
    const std::vector<char> abe = Mark(1), abb = Mark(2);
    struct Place {
        const char* label;
        DbiResult (*go)(CursorHandle);
        DbiResult next;  // of the next record after the comparison
    };
    const Place places[] = {{"begin", &DbiSetToBegin, kOk}, {"end", &DbiSetToEnd, kEof}};
    for (const Place& p : places) {
        SCOPED_TRACE(p.label);
        ASSERT_EQ(p.go(table), kOk);
        ASSERT_EQ(DbiCompareBookMarks(table, abe.data(), abb.data(), &result), kOk);
        EXPECT_EQ(result, 1);
        std::vector<char> record = Blank(table);
        EXPECT_EQ(DbiGetNextRecord(table, 0, record.data(), nullptr), p.next);
        if (p.next == kOk) {
            EXPECT_EQ(TextOf(table, record), "ABB");
        }
    }
    ASSERT_EQ(DbiCompareBookMarks(table, abb.data(), abb.data(), &result), kOk);
    EXPECT_EQ(result, 0);
    // In the natural order the record numbers decide.
    CursorHandle h = table;
    ASSERT_EQ(DbiSwitchToIndex(&h, nullptr, nullptr, 0, false), kOk);
    ASSERT_EQ(DbiCompareBookMarks(table, abe.data(), abb.data(), &result), kOk);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(DbiSeekKey(table, kSearchEqual, true, 1, 0, "ABC"), kSeekWithoutOrder);
}

}  // namespace
}  // namespace xbase::testing
