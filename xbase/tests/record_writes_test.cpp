// Appending, changing, deleting, counting and emptying records, and their locks.

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "xbase/tests/real_table_fixture.h"

namespace xbase::testing {
namespace {

class RecordWrites : public RealTable {
  protected:
    void SetUp() override {
        RealTable::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Create("w.dbf", {"NAAM:C:10"});
        table = Open("w.dbf");
        ASSERT_GT(table, 0);
    }

    std::vector<char> Named(const std::string& name) {
        std::vector<char> record = Blank(table);
        EXPECT_EQ(DbiPutField(table, 1, record.data(), name.c_str()), kOk);
        return record;
    }

    // Whether another process, with an open of its own, gets the lock of record `recno`.
    bool OtherProcessLocks(int32_t recno) {
        int answer[2];
        EXPECT_EQ(pipe(answer), 0);
        const pid_t child = fork();
        if (child == 0) {
            close(answer[0]);
            const int32_t area =
                Engine().sx_Use((folder + "w.dbf").c_str(), "OTHER", SX_SHARED, SX_FOX);
            const char ok = area > 0 && Engine().sx_Rlock(recno) ? '1' : '0';
            (void)!write(answer[1], &ok, 1);
            _exit(0);
        }
        close(answer[1]);
        char ok = '?';
        EXPECT_EQ(read(answer[0], &ok, 1), 1);
        close(answer[0]);
        int status = 0;
        waitpid(child, &status, 0);
        return ok == '1';
    }

    CursorHandle table = 0;
};

TEST_F(RecordWrites, ANewRecordIsLockedOnlyWhenTheCallerAsks) {
    ASSERT_EQ(DbiInsertRecord(table, 0, Named("Vrij").data()), kOk);
    EXPECT_TRUE(OtherProcessLocks(1));
    ASSERT_EQ(DbiInsertRecord(table, 1, Named("Vast").data()), kOk);
    EXPECT_FALSE(OtherProcessLocks(2));
    ASSERT_EQ(DbiRelRecordLock(table, false), kOk);
    EXPECT_TRUE(OtherProcessLocks(2));
    ASSERT_EQ(DbiAppendRecord(table, Named("Ook").data()), kOk);
    EXPECT_TRUE(OtherProcessLocks(3));

    std::vector<char> record = Blank(table);
    ASSERT_EQ(DbiSetToBegin(table), kOk);
    std::vector<std::string> names;
    while (DbiGetNextRecord(table, 0, record.data(), nullptr) == kOk) {
        names.push_back(TextOf(table, record));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Vrij", "Vast", "Ook"}));
}

TEST_F(RecordWrites, ModifyWritesTheCurrentRecordAndMayFreeItsLock) {
    for (const char* name : {"Een", "Twee"}) {
        ASSERT_EQ(DbiAppendRecord(table, Named(name).data()), kOk);
    }
    std::vector<char> record = Blank(table);
    ASSERT_EQ(DbiSetToBegin(table), kOk);
    ASSERT_EQ(DbiGetNextRecord(table, 1, record.data(), nullptr), kOk);
    ASSERT_EQ(DbiModifyRecord(table, Named("Eerste").data(), false), kOk);
    EXPECT_FALSE(OtherProcessLocks(1));
    ASSERT_EQ(DbiModifyRecord(table, Named("Eerst").data(), true), kOk);
    EXPECT_TRUE(OtherProcessLocks(1));

    const CursorHandle reader = Open("w.dbf", 1);
    ASSERT_EQ(DbiSetToBegin(reader), kOk);
    ASSERT_EQ(DbiGetNextRecord(reader, 0, record.data(), nullptr), kOk);
    EXPECT_EQ(TextOf(reader, record), "Eerst");
    ASSERT_EQ(DbiGetNextRecord(reader, 0, record.data(), nullptr), kOk);
    EXPECT_EQ(TextOf(reader, record), "Twee");
}

TEST_F(RecordWrites, RefusedWritesAreReportedNotSwallowed) {
    ASSERT_EQ(DbiAppendRecord(table, Named("Een").data()), kOk);
    const CursorHandle reader = Open("w.dbf", 1);
    ASSERT_EQ(DbiSetToBegin(reader), kOk);
    ASSERT_EQ(DbiGetNextRecord(reader, 0, nullptr, nullptr), kOk);
    EXPECT_EQ(DbiInsertRecord(reader, 0, Named("Nee").data()), kReadOnly);
    EXPECT_EQ(DbiModifyRecord(reader, Named("Nee").data(), false), kReadOnly);
    EXPECT_EQ(DbiDeleteRecord(reader, nullptr), kReadOnly);

    // A record that another user holds.
    const CursorHandle other = Open("w.dbf");
    Engine().sx_Select(other);
    ASSERT_TRUE(Engine().sx_Rlock(1));
    ASSERT_EQ(DbiSetToBegin(table), kOk);
    ASSERT_EQ(DbiGetNextRecord(table, 0, nullptr, nullptr), kOk);
    EXPECT_EQ(DbiModifyRecord(table, Named("Nee").data(), false), kLockRefused);
    EXPECT_EQ(DbiDeleteRecord(table, nullptr), kLockRefused);
    std::vector<char> record = Blank(table);
    ASSERT_EQ(DbiGetRecord(table, 0, record.data(), nullptr), kOk);
    EXPECT_EQ(TextOf(table, record), "Een");
}

TEST_F(RecordWrites, AWriteTheDiskRefusesLeavesNoRecordAndItsErrorSaysWhy) {
    struct Case {
        const char* name;
        std::function<void()> refuse;
        DbiResult code;
        const char* reason;
        int systemError;
    };
    const std::vector<Case> cases = {
        {"full disk", [] { Engine().sx_SysProp(65110, 0); }, kAppendRefused2, "the disk is full",
         ENOSPC},
        // The append itself goes through (its record and its count); the record's write not.
        {"record refused after its append",
         [] {
             Engine().sx_SysProp(65112, 2);
             Engine().sx_SysProp(65111, 1);
         },
         kLockRefused, "the disk is read-only", EROFS},
    };
    ASSERT_EQ(DbiAppendRecord(table, Named("Een").data()), kOk);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.refuse();
        const DbiResult result = DbiAppendRecord(table, Named("Twee").data());
        Engine().sx_SysProp(65110, -1);
        Engine().sx_SysProp(65111, 0);
        ASSERT_EQ(result, c.code);
        // The error's text, then its one further entry: the engine's reason.
        std::string text;
        ASSERT_EQ(DbiGetErrorString(result, &text), kOk);
        EXPECT_EQ(text, "IDAPI Error : " + std::to_string(c.code));
        std::string reason;
        int32_t native = 0;
        ASSERT_EQ(DbiGetErrorEntry(1, &native, &reason), kOk);
        EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
        EXPECT_NE(reason.find("w.dbf"), std::string::npos) << reason;
        EXPECT_EQ(native, c.systemError);
        ASSERT_EQ(DbiGetErrorEntry(2, &native, &reason), kOk);
        EXPECT_EQ(reason, "");

        // Nothing of the failed record stays, not even a blank one.
        int32_t count = 0;
        ASSERT_EQ(DbiGetRecordCount(table, &count), kOk);
        EXPECT_EQ(count, 1);
        Engine().sx_Select(table);
        EXPECT_EQ(Engine().sx_RecCount(), 1);
    }
    // Another failure with no reason of its own does not borrow that one.
    std::string text, reason;
    int32_t native = 0;
    ASSERT_EQ(DbiGetErrorString(kNoSuchTable, &text), kOk);
    ASSERT_EQ(DbiGetErrorEntry(1, &native, &reason), kOk);
    EXPECT_EQ(reason, "");
    ASSERT_EQ(DbiAppendRecord(table, Named("Twee").data()), kOk);
    std::vector<char> record = Blank(table);
    ASSERT_EQ(DbiSetToBegin(table), kOk);
    std::vector<std::string> names;
    while (DbiGetNextRecord(table, 0, record.data(), nullptr) == kOk) {
        names.push_back(TextOf(table, record));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Een", "Twee"}));
}

TEST_F(RecordWrites, CountLeavesDeletedRecordsOutWhileTheyAreHidden) {
    for (const char* name : {"Een", "Twee", "Drie"}) {
        ASSERT_EQ(DbiAppendRecord(table, Named(name).data()), kOk);
    }
    ASSERT_EQ(DbiDeleteRecord(table, nullptr), kOk);  // the last appended is current
    int32_t count = 0;
    ASSERT_EQ(DbiGetRecordCount(table, &count), kOk);
    EXPECT_EQ(count, 3);
    Engine().sx_SetDeleted(1);
    ASSERT_EQ(DbiGetRecordCount(table, &count), kOk);
    EXPECT_EQ(count, 2);
}

TEST_F(RecordWrites, EmptyingASharedTableIsRefused) {
    ASSERT_EQ(DbiAppendRecord(table, Named("Een").data()), kOk);
    EXPECT_EQ(DbiEmptyTable(db, table, "w.dbf", nullptr), kEmptyRefused);
    int32_t count = 0;
    ASSERT_EQ(DbiGetRecordCount(table, &count), kOk);
    EXPECT_EQ(count, 1);

    CursorHandle h = table;
    ASSERT_EQ(DbiCloseTable(&h), kOk);
    const CursorHandle alone = Open("w.dbf", 0, 1);
    ASSERT_GT(alone, 0);
    EXPECT_EQ(DbiEmptyTable(db, alone, "w.dbf", nullptr), kOk);
    ASSERT_EQ(DbiGetRecordCount(alone, &count), kOk);
    EXPECT_EQ(count, 0);
}

TEST_F(RecordWrites, InitRecordGivesRecordSizeBlanks) {
    std::vector<char> record(static_cast<size_t>(RecordSize(table)) + 1, 'x');
    ASSERT_EQ(DbiInitRecord(table, record.data()), kOk);
    EXPECT_EQ(std::string(record.begin(), record.end() - 1), std::string(11, ' '));
    EXPECT_EQ(record.back(), 'x');
}

}  // namespace
}  // namespace xbase::testing
