// Memo contents of the record the caller holds, whatever record the engine stands on.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "xbase/tests/real_table_fixture.h"

namespace xbase::testing {
namespace {

constexpr uint16_t kMemo = 2;

class Blobs : public RealTable {
  protected:
    void SetUp() override {
        RealTable::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Create("m.dbf", {"NAAM:C:10", "MEMO:M"});
        table = Open("m.dbf");
        ASSERT_GT(table, 0);
    }

    // Appends a record named `name` with `memo`, written through the blob answer.
    std::vector<char> AppendWithMemo(const std::string& name, const std::string& memo) {
        std::vector<char> record = Blank(table);
        EXPECT_EQ(DbiPutField(table, 1, record.data(), name.c_str()), kOk);
        EXPECT_EQ(DbiPutBlob(table, record.data(), kMemo, 0, memo.size(), memo.data()), kOk);
        EXPECT_EQ(DbiAppendRecord(table, record.data()), kOk);
        return record;
    }

    std::string Memo(std::vector<char>& record) {
        uint32_t size = 0;
        EXPECT_EQ(DbiGetBlobSize(table, record.data(), kMemo, &size), kOk);
        std::string content(size, '\0');
        uint32_t read = 0;
        EXPECT_EQ(DbiGetBlob(table, record.data(), kMemo, 0, size, content.data(), &read), kOk);
        content.resize(read);
        return content;
    }

    // The record `recno` as the table holds it.
    std::vector<char> OnDisk(int32_t recno) {
        Engine().sx_Select(table);
        const int32_t was = Engine().sx_RecNo();
        std::vector<char> record(static_cast<size_t>(RecordSize(table)));
        Engine().sx_Go(recno);
        Engine().sx_GetRecord(record.data());
        Engine().sx_Go(was);
        return record;
    }

    CursorHandle table = 0;
};

TEST_F(Blobs, ReadsByOffsetAndLengthOfAFortyByteMemo) {
    const std::string forty(40, 'm');
    std::vector<char> record = AppendWithMemo("Een", forty);
    struct Case {
        uint32_t offset;
        uint32_t length;
        DbiResult result;
        uint32_t read;
    };
    const Case cases[] = {
        {0, 100, kBlobShortRead, 40}, {50, 10, kBlobOffsetBeyondEnd, 0}, {30, 10, kOk, 10},
        {35, 10, kBlobShortRead, 5},  {40, 1, kBlobShortRead, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        std::string buffer(100, '\0');
        uint32_t read = 99;
        EXPECT_EQ(DbiGetBlob(table, record.data(), kMemo, c.offset, c.length, buffer.data(), &read),
                  c.result);
        EXPECT_EQ(read, c.read);
        EXPECT_EQ(buffer.substr(0, read), forty.substr(0, read));
    }
}

TEST_F(Blobs, WritesAtAnOffsetKeepTheBytesBeforeIt) {
    std::vector<char> record = AppendWithMemo("Een", "Hello world");
    ASSERT_EQ(DbiPutBlob(table, record.data(), kMemo, 5, 1, "!"), kOk);
    EXPECT_EQ(Memo(record), "Hello!");
    ASSERT_EQ(DbiTruncateBlob(table, record.data(), kMemo, 2), kOk);
    EXPECT_EQ(Memo(record), "He");
    EXPECT_EQ(DbiPutBlob(table, record.data(), kMemo, 3, 1, "x"), kBlobOffsetBeyondEnd);
    EXPECT_EQ(Memo(record), "He");
    ASSERT_EQ(DbiTruncateBlob(table, record.data(), kMemo, 0), kOk);
    EXPECT_EQ(Memo(record), "");
    uint32_t read = 7;
    EXPECT_EQ(DbiGetBlob(table, record.data(), kMemo, 0, 10, nullptr, &read), kOk);
    EXPECT_EQ(read, 0u);
}

TEST_F(Blobs, TruncatingKeepsTheFirstBytes) {
    std::string forty;
    for (int i = 0; i < 40; ++i)
        forty += static_cast<char>('a' + i % 26);
    std::vector<char> record = AppendWithMemo("Een", forty);
    ASSERT_EQ(DbiTruncateBlob(table, record.data(), kMemo, 10), kOk);
    EXPECT_EQ(Memo(record), forty.substr(0, 10));
}

TEST_F(Blobs, LargeAndBinaryContentsRoundTrip) {
    std::string large(70000, 'x');
    for (size_t i = 0; i < large.size(); i += 997)
        large[i] = static_cast<char>(i % 251);  // zero bytes among them
    std::vector<char> record = AppendWithMemo("Groot", large);
    uint32_t size = 0;
    ASSERT_EQ(DbiGetBlobSize(table, record.data(), kMemo, &size), kOk);
    EXPECT_EQ(size, large.size());
    EXPECT_EQ(Memo(record), large);
    std::vector<char> stored = OnDisk(1);
    EXPECT_EQ(Memo(stored), large);
}

TEST_F(Blobs, AMemoInANewRecordOfAnEmptyTable) {
    std::vector<char> record = Blank(table);
    ASSERT_EQ(DbiPutBlob(table, record.data(), kMemo, 0, 5, "eerst"), kOk);
    ASSERT_EQ(DbiInsertRecord(table, 0, record.data()), kOk);
    std::vector<char> stored = OnDisk(1);
    EXPECT_EQ(Memo(stored), "eerst");
}

TEST_F(Blobs, TheCallersRecordDecidesWhichMemoIsReadAndWritten) {
    std::vector<char> one = AppendWithMemo("Een", "memo van een");
    AppendWithMemo("Twee", "memo van twee");
    const std::vector<char> twoBefore = OnDisk(2);

    // The engine stands on record 2, then after the last: record 1's memo all the same.
    ASSERT_EQ(DbiSetToSeqNo(table, "\2\0\0\0"), kOk);
    EXPECT_EQ(Memo(one), "memo van een");
    ASSERT_EQ(DbiSetToEnd(table), kOk);
    EXPECT_EQ(Memo(one), "memo van een");

    // Writing record 1's memo writes no record: neither 2 nor 1 itself until modified.
    ASSERT_EQ(DbiSetToSeqNo(table, "\2\0\0\0"), kOk);
    const std::vector<char> oneBefore = OnDisk(1);
    ASSERT_EQ(DbiPutBlob(table, one.data(), kMemo, 0, 5, "nieuw"), kOk);
    EXPECT_EQ(OnDisk(2), twoBefore);
    EXPECT_EQ(OnDisk(1), oneBefore);
    EXPECT_EQ(Memo(one), "nieuw");
    std::vector<char> stored = OnDisk(1);
    EXPECT_EQ(Memo(stored), "memo van een");
}

TEST_F(Blobs, TheEngineBufferIsUntouchedByEveryAnswerFailuresIncluded) {
    std::vector<char> one = AppendWithMemo("Een", std::string(40, 'a'));
    AppendWithMemo("Twee", "twee");
    ASSERT_EQ(DbiSetToSeqNo(table, "\2\0\0\0"), kOk);
    const std::vector<char> own = EngineBuffer(table);
    ASSERT_NE(own, one);
    std::string buffer(100, '\0');
    uint32_t n = 0;
    struct Case {
        const char* what;
        std::function<DbiResult()> answer;
        DbiResult result;
    };
    const Case cases[] = {
        {"size", [&] { return DbiGetBlobSize(table, one.data(), kMemo, &n); }, kOk},
        {"short read",
         [&] { return DbiGetBlob(table, one.data(), kMemo, 0, 100, buffer.data(), &n); },
         kBlobShortRead},
        {"beyond", [&] { return DbiGetBlob(table, one.data(), kMemo, 50, 1, buffer.data(), &n); },
         kBlobOffsetBeyondEnd},
        {"write", [&] { return DbiPutBlob(table, one.data(), kMemo, 40, 2, "zz"); }, kOk},
        {"write beyond", [&] { return DbiPutBlob(table, one.data(), kMemo, 99, 2, "zz"); },
         kBlobOffsetBeyondEnd},
        {"truncate", [&] { return DbiTruncateBlob(table, one.data(), kMemo, 3); }, kOk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.answer(), c.result);
        EXPECT_EQ(EngineBuffer(table), own);
    }
    EXPECT_TRUE(WorkAreaOf(table)->savedRecords.empty());
}

TEST_F(Blobs, UnknownTables) {
    std::vector<char> record = Blank(table);
    uint32_t n = 0;
    for (DbiResult r : {DbiOpenBlob(99, record.data(), kMemo, 0), DbiFreeBlob(99, nullptr, kMemo),
                        DbiGetBlobSize(99, record.data(), kMemo, &n),
                        DbiGetBlob(99, record.data(), kMemo, 0, 1, nullptr, &n),
                        DbiPutBlob(99, record.data(), kMemo, 0, 1, "x"),
                        DbiTruncateBlob(99, record.data(), kMemo, 0)}) {
        EXPECT_EQ(r, kNoSuchTable);
    }
    EXPECT_EQ(DbiOpenBlob(table, record.data(), kMemo, 0), kOk);
    EXPECT_EQ(DbiFreeBlob(table, record.data(), kMemo), kOk);
}

}  // namespace
}  // namespace xbase::testing
