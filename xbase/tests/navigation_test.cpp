// Moving over a small table with a deleted record, reading records and their properties.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xbase/tests/real_table_fixture.h"

namespace xbase::testing {
namespace {

class Navigation : public RealTable {
  protected:
    void SetUp() override {
        RealTable::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Create("nav.dbf", {"NAAM:C:10", "NR:N:4"});
        table = Open("nav.dbf");
        ASSERT_GT(table, 0);
        for (const char* name : {"Anna", "Bert", "Cees", "Dirk"}) {
            AppendText(table, name);
        }
        // Cees is deleted, and hidden while deleted records are.
        ASSERT_EQ(DbiSetToSeqNo(table, Bookmark(3).data()), kOk);
        ASSERT_EQ(DbiDeleteRecord(table, nullptr), kOk);
        Engine().sx_SetDeleted(1);
        record.assign(static_cast<size_t>(RecordSize(table)), 'x');
    }

    static std::vector<char> Bookmark(int32_t recno) {
        std::vector<char> b(kBookmarkSize);
        std::memcpy(b.data(), &recno, kBookmarkSize);
        return b;
    }

    // Names met by next (or prior) from the cursor until the answer is not 0.
    std::vector<std::string> Walk(bool forward, DbiResult* last) {
        std::vector<std::string> names;
        for (;;) {
            const DbiResult r = forward ? DbiGetNextRecord(table, 0, record.data(), nullptr)
                                        : DbiGetPriorRecord(table, 0, record.data(), nullptr);
            if (r != kOk) {
                *last = r;
                return names;
            }
            names.push_back(TextOf(table, record));
        }
    }

    CursorHandle table = 0;
    std::vector<char> record;
};

TEST_F(Navigation, BeginThenNextGoesThroughTheVisibleRecordsAndStopsAtTheEnd) {
    ASSERT_EQ(DbiSetToBegin(table), kOk);
    DbiResult last = kOk;
    EXPECT_EQ(Walk(true, &last), (std::vector<std::string>{"Anna", "Bert", "Dirk"}));
    EXPECT_EQ(last, kEof);
    // The blank record came with the end, and the cursor went back to the last record.
    EXPECT_EQ(record, std::vector<char>(record.size(), ' '));
    EXPECT_EQ(Engine().sx_RecNo(), 4);
    EXPECT_EQ(DbiGetNextRecord(table, 0, record.data(), nullptr), kEof);
}

TEST_F(Navigation, PriorAfterEndGivesTheLastAndStopsBeforeTheFirst) {
    ASSERT_EQ(DbiSetToEnd(table), kOk);
    DbiResult last = kOk;
    EXPECT_EQ(Walk(false, &last), (std::vector<std::string>{"Dirk", "Bert", "Anna"}));
    EXPECT_EQ(last, kBof);
    EXPECT_EQ(DbiGetNextRecord(table, 0, record.data(), nullptr), kOk);
    EXPECT_EQ(TextOf(table, record), "Anna");
}

TEST_F(Navigation, PropertiesGiveRecordNumberAndDeletedFlag) {
    Engine().sx_SetDeleted(0);
    ASSERT_EQ(DbiSetToBegin(table), kOk);
    std::vector<std::pair<int32_t, int16_t>> seen;
    RecordProperties p;
    while (DbiGetNextRecord(table, 0, nullptr, &p) == kOk) {
        seen.emplace_back(p.recordNumber, p.deleted);
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int32_t, int16_t>>{{1, 0}, {2, 0}, {3, 1}, {4, 0}}));
    EXPECT_EQ(p.recordNumber, 0);  // at the end
}

TEST_F(Navigation, CurrentRecordAtEitherEndAndInside) {
    ASSERT_EQ(DbiSetToBegin(table), kOk);
    EXPECT_EQ(DbiGetRecord(table, 0, record.data(), nullptr), kBof);
    ASSERT_EQ(DbiSetToEnd(table), kOk);
    EXPECT_EQ(DbiGetRecord(table, 0, record.data(), nullptr), kEof);
    ASSERT_EQ(DbiSetToSeqNo(table, Bookmark(2).data()), kOk);
    RecordProperties p;
    EXPECT_EQ(DbiGetRecord(table, 0, record.data(), &p), kOk);
    EXPECT_EQ(TextOf(table, record), "Bert");
    EXPECT_EQ(p.recordNumber, 2);
}

TEST_F(Navigation, ADeletedCurrentRecordIsOutOfTheSetWhileDeletedAreHidden) {
    ASSERT_EQ(DbiSetToSeqNo(table, Bookmark(2).data()), kOk);
    ASSERT_EQ(DbiDeleteRecord(table, nullptr), kOk);
    EXPECT_EQ(DbiGetRecord(table, 0, record.data(), nullptr), kRecordNotInFilter);
    EXPECT_EQ(Engine().sx_RecNo(), 2);
    // Shown again, the same record is one of the set.
    Engine().sx_SetDeleted(0);
    EXPECT_EQ(DbiGetRecord(table, 0, record.data(), nullptr), kOk);
    EXPECT_EQ(TextOf(table, record), "Bert");
}

TEST_F(Navigation, TheOnlyRecordDeletedIsOutOfTheSet) {
    Create("one.dbf", {"NAAM:C:10"});
    const CursorHandle one = Open("one.dbf");
    AppendText(one, "Enig");
    ASSERT_EQ(DbiDeleteRecord(one, nullptr), kOk);
    EXPECT_EQ(DbiGetRecord(one, 0, nullptr, nullptr), kRecordNotInFilter);
}

TEST_F(Navigation, BookmarksAndPositions) {
    ASSERT_EQ(DbiSetToSeqNo(table, Bookmark(4).data()), kOk);
    std::vector<char> mark(kBookmarkSize);
    ASSERT_EQ(DbiGetSeqNo(table, mark.data()), kOk);
    EXPECT_EQ(mark, Bookmark(4));

    // Beyond the record count: after the last.
    ASSERT_EQ(DbiSetToSeqNo(table, Bookmark(99).data()), kOk);
    EXPECT_EQ(DbiGetNextRecord(table, 0, nullptr, nullptr), kEof);
    ASSERT_EQ(DbiSetToSeqNo(table, Bookmark(99).data()), kOk);
    ASSERT_EQ(DbiGetPriorRecord(table, 0, record.data(), nullptr), kOk);
    EXPECT_EQ(TextOf(table, record), "Dirk");

    ASSERT_EQ(DbiMoveToPosition(table, 1), kOk);
    ASSERT_EQ(DbiGetRecord(table, 0, record.data(), nullptr), kOk);
    EXPECT_EQ(TextOf(table, record), "Bert");
}

TEST_F(Navigation, SetToCursorFollowsAnotherCursorOfTheTable) {
    const CursorHandle other = Open("nav.dbf");
    ASSERT_GT(other, 0);
    ASSERT_EQ(DbiSetToSeqNo(other, Bookmark(4).data()), kOk);
    EXPECT_EQ(DbiSetToCursor(table, other), kOk);
    ASSERT_EQ(DbiGetRecord(table, 0, record.data(), nullptr), kOk);
    EXPECT_EQ(TextOf(table, record), "Dirk");
    EXPECT_EQ(DbiSetToCursor(table, 200), kNoSuchTable);
    EXPECT_EQ(DbiSetToCursor(200, table), kNoSuchTable);
}

TEST_F(Navigation, PositioningAnswersLeaveTheCurrentAreaAsTheyFoundIt) {
    const CursorHandle other = Open("nav.dbf");
    Engine().sx_Select(other);
    for (DbiResult r : {DbiSetToBegin(table), DbiSetToEnd(table), DbiMoveToPosition(table, 2),
                        DbiRelRecordLock(table, true), DbiInitRecord(table, record.data())}) {
        EXPECT_EQ(r, kOk);
        EXPECT_EQ(Engine().sx_WorkArea(nullptr), other);
    }
    // Reading a record leaves the table's own area current.
    ASSERT_EQ(DbiSetToBegin(table), kOk);
    ASSERT_EQ(DbiGetNextRecord(table, 0, nullptr, nullptr), kOk);
    EXPECT_EQ(Engine().sx_WorkArea(nullptr), table);
}

TEST_F(Navigation, HandlesThatNameNoTable) {
    const CursorHandle none = 77;
    for (DbiResult r :
         {DbiSetToBegin(none), DbiSetToEnd(none), DbiSetToSeqNo(none, Bookmark(1).data()),
          DbiMoveToPosition(none, 1), DbiGetPriorRecord(none, 0, nullptr, nullptr),
          DbiGetRecord(none, 0, nullptr, nullptr), DbiGetNextRecord(none, 0, nullptr, nullptr),
          DbiInitRecord(none, nullptr), DbiInsertRecord(none, 0, nullptr),
          DbiModifyRecord(none, nullptr, false), DbiDeleteRecord(none, nullptr),
          DbiRelRecordLock(none, true), DbiGetRecordCount(none, nullptr),
          DbiEmptyTable(db, none, nullptr, nullptr)}) {
        EXPECT_EQ(r, kNoSuchTable);
    }
    // Bookmarks always answer; the pseudo-cursors have no rows here.
    EXPECT_EQ(DbiGetSeqNo(none, nullptr), kOk);
    EXPECT_EQ(DbiGetNextRecord(kNullCursor, 0, nullptr, nullptr), kEof);
}

// The record-filter event of the data set: a callback slot.
int32_t NotBert(intptr_t, const char* record, int32_t) {
    return std::string(record + 1, 4) == "Bert" ? 0 : 1;
}

TEST_F(Navigation, ACallbackSlotSkipsTheRecordsItRejectsBothWays) {
    FilterHandle slot = 0;
    ASSERT_EQ(DbiAddFilter(table, 0, 1, false, nullptr, &NotBert, &slot), kOk);
    ASSERT_EQ(DbiActivateFilter(table, slot), kOk);
    ASSERT_EQ(DbiSetToBegin(table), kOk);
    DbiResult last = kOk;
    EXPECT_EQ(Walk(true, &last), (std::vector<std::string>{"Anna", "Dirk"}));
    ASSERT_EQ(DbiSetToEnd(table), kOk);
    EXPECT_EQ(Walk(false, &last), (std::vector<std::string>{"Dirk", "Anna"}));
    // Without a record buffer the callback still sees the record.
    ASSERT_EQ(DbiSetToBegin(table), kOk);
    RecordProperties p;
    ASSERT_EQ(DbiGetNextRecord(table, 0, nullptr, &p), kOk);
    ASSERT_EQ(DbiGetNextRecord(table, 0, nullptr, &p), kOk);
    EXPECT_EQ(p.recordNumber, 4);

    ASSERT_EQ(DbiDeactivateFilter(table, slot), kOk);
    ASSERT_EQ(DbiSetToBegin(table), kOk);
    EXPECT_EQ(Walk(true, &last).size(), 3u);
}

TEST_F(Navigation, LocksTakenForRejectedRecordsAreReleased) {
    FilterHandle slot = 0;
    ASSERT_EQ(DbiAddFilter(table, 0, 1, false, nullptr, &NotBert, &slot), kOk);
    ASSERT_EQ(DbiActivateFilter(table, slot), kOk);
    ASSERT_EQ(DbiSetToBegin(table), kOk);
    ASSERT_EQ(DbiGetNextRecord(table, 1, record.data(), nullptr), kOk);  // Anna, locked
    ASSERT_EQ(DbiGetNextRecord(table, 1, record.data(), nullptr), kOk);  // Dirk, locked
    EXPECT_EQ(TextOf(table, record), "Dirk");

    // Another open of the table is another lock owner.
    const CursorHandle other = Open("nav.dbf");
    Engine().sx_Select(other);
    EXPECT_TRUE(Engine().sx_Rlock(2)) << "Bert stayed locked";
    EXPECT_FALSE(Engine().sx_Rlock(1));
    EXPECT_FALSE(Engine().sx_Rlock(4));
    ASSERT_EQ(DbiRelRecordLock(table, true), kOk);
    Engine().sx_Select(other);
    EXPECT_TRUE(Engine().sx_Rlock(1));
}

TEST_F(Navigation, ALockHeldElsewhereIsRefused) {
    const CursorHandle other = Open("nav.dbf");
    Engine().sx_Select(other);
    ASSERT_TRUE(Engine().sx_Rlock(1));
    ASSERT_EQ(DbiSetToBegin(table), kOk);
    EXPECT_EQ(DbiGetNextRecord(table, 1, record.data(), nullptr), kLockRefused);
    EXPECT_EQ(DbiGetRecord(table, 1, record.data(), nullptr), kLockRefused);
    // Unlocked reads go on.
    EXPECT_EQ(DbiGetRecord(table, 0, record.data(), nullptr), kOk);
    EXPECT_EQ(TextOf(table, record), "Anna");
}

}  // namespace
}  // namespace xbase::testing
