#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>

#include "platform/xbase32/file_lock.h"
#include "platform/xbase32/tests/child_process.h"
#include "platform/xbase32/tests/engine_fixture.h"
#include "platform/xbase32/tests/reference_dbf.h"

namespace xbtest {
namespace {

std::string MemoFor(const std::string& id) {
    std::string memo;
    const int repeat = 1 + (id.back() - '0') * 7;
    for (int i = 0; i < repeat; ++i) {
        memo += id + ";";
    }
    return memo;
}

using SharingTest = EngineTest;

TEST_F(SharingTest, TwoProcessesAppendingSharedKeepEveryRecordAndMemo) {
    const std::string path = Create("shared.DBF", "ID:C:8,NOTE:M");
    constexpr int kEach = 1000;
    Signal go;
    auto appender = [&](char tag) {
        return [&, tag] {
            if (!go.Wait()) {
                return 3;
            }
            sx_SetLockTimeout(20);
            if (sx_Use(path.c_str(), nullptr, SX_SHARED, SX_FOX) == 0) {
                return 4;
            }
            for (int i = 0; i < kEach; ++i) {
                char id[16];
                std::snprintf(id, sizeof id, "%c%05d", tag, i);
                if (sx_AppendEx() != 0 || !sx_Replace("ID", SX_R_CHAR, id) ||
                    !sx_Replace("NOTE", SX_R_MEMO, MemoFor(id).c_str())) {
                    return 5;
                }
                sx_Unlock(0);
            }
            sx_CloseAll();
            return 0;
        };
    };
    const pid_t a = Spawn(appender('A'));
    const pid_t b = Spawn(appender('B'));
    go.Send();
    go.Send();
    ASSERT_EQ(ExitStatus(a), 0);
    ASSERT_EQ(ExitStatus(b), 0);

    const refdbf::Table t = refdbf::Read(path);
    EXPECT_EQ(t.headerCount, 2u * kEach);
    ASSERT_EQ(t.records.size(), 2u * kEach);
    std::set<std::string> ids;
    for (const auto& r : t.records) {
        const std::string id = r.values[0].substr(0, 6);
        ids.insert(id);
        ASSERT_EQ(r.values[1], MemoFor(id)) << id;
    }
    EXPECT_EQ(ids.size(), 2u * kEach);
    Open(path);
    EXPECT_EQ(sx_RecCount(), 2 * kEach);
}

TEST_F(SharingTest, ExclusiveAndSharedOpensExcludeEachOther) {
    const std::string path = Create("x.DBF", "ID:C:8");
    // Within one process two areas behave as two processes do.
    Open(path, SX_SHARED, "S1");
    EXPECT_EQ(sx_Use(path.c_str(), "E1", SX_EXCLUSIVE, SX_FOX), 0);
    EXPECT_NE(std::string(sx_LastErrorText()).find("open elsewhere"), std::string::npos);
    sx_CloseAll();
    Open(path, SX_EXCLUSIVE, "E2");
    EXPECT_EQ(sx_Use(path.c_str(), "S2", SX_SHARED, SX_FOX), 0);
    EXPECT_EQ(sx_Use(path.c_str(), "R2", SX_READONLY, SX_FOX), 0);
    // Another process cannot share what this one holds exclusively.
    EXPECT_EQ(ExitStatus(Spawn([&] { return sx_Use(path.c_str(), "C", SX_SHARED, SX_FOX) == 0; })),
              1);
    sx_CloseAll();

    Signal opened, release;
    const pid_t child = Spawn([&] {
        if (sx_Use(path.c_str(), nullptr, SX_SHARED, SX_FOX) == 0) {
            return 2;
        }
        opened.Send();
        release.Wait();
        sx_CloseAll();
        return 0;
    });
    ASSERT_TRUE(opened.Wait());
    EXPECT_EQ(sx_Use(path.c_str(), nullptr, SX_EXCLUSIVE, SX_FOX), 0);
    release.Send();
    ASSERT_EQ(ExitStatus(child), 0);
    EXPECT_NE(Open(path, SX_EXCLUSIVE), 0) << "free once the other closed";
}

TEST_F(SharingTest, RecordLockHeldElsewhereRefusesAfterTheTimeOut) {
    const std::string path = Create("l.DBF", "ID:C:8");
    Open(path);
    AppendTexts({"one"});
    AppendTexts({"two"});
    sx_CloseAll();
    Signal locked, release;
    const pid_t child = Spawn([&] {
        if (sx_Use(path.c_str(), nullptr, SX_SHARED, SX_FOX) == 0 || !sx_Rlock(1)) {
            return 2;
        }
        locked.Send();
        release.Wait();
        _exit(0);  // a stop without closing: the lock goes with the process
    });
    ASSERT_TRUE(locked.Wait());
    Open(path, SX_SHARED);
    sx_SetLockTimeout(1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(sx_Rlock(1));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_TRUE(sx_Rlock(2));
    sx_Go(1);
    EXPECT_FALSE(sx_Replace("ID", SX_R_CHAR, "mine")) << "a locked record is not overwritten";
    release.Send();
    ASSERT_EQ(ExitStatus(child), 0);
    EXPECT_TRUE(sx_Rlock(1));
    EXPECT_TRUE(sx_Replace("ID", SX_R_CHAR, "mine"));
}

TEST_F(SharingTest, LockReReadsTheRecordAnotherOpenChanged) {
    const std::string path = Create("r.DBF", "ID:C:8");
    const int first = Open(path, SX_SHARED, "A");
    AppendTexts({"old"});
    sx_Unlock(0);
    Open(path, SX_SHARED, "B");
    sx_Go(1);
    ASSERT_TRUE(sx_Replace("ID", SX_R_CHAR, "new"));
    sx_Select(first);
    EXPECT_STREQ(sx_GetTrimString("ID"), "old") << "the buffer is not refreshed by itself";
    ASSERT_TRUE(sx_Rlock(1));
    EXPECT_STREQ(sx_GetTrimString("ID"), "new");
}

TEST_F(SharingTest, HeldHeaderOrMemoLockTimesOutAppendAndMemoWrite) {
    const std::string path = Create("h.DBF", "ID:C:8,NOTE:M");
    Open(path, SX_SHARED);
    AppendTexts({"one"});
    sx_SetLockTimeout(0);
    const int other = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_TRUE(xb::TryLock(other, xb::lock_offset::kHeader, xb::LockKind::kExclusive));
    EXPECT_EQ(sx_AppendEx(), 1);
    EXPECT_EQ(sx_RecCount(), 1);
    ASSERT_TRUE(xb::TryLock(other, xb::lock_offset::kMemo, xb::LockKind::kExclusive));
    EXPECT_FALSE(sx_Replace("NOTE", SX_R_MEMO, "text"));
    EXPECT_TRUE(sx_Empty("NOTE"));
    ::close(other);
    EXPECT_EQ(sx_AppendEx(), 0);
    EXPECT_TRUE(sx_Replace("NOTE", SX_R_MEMO, "text"));
}

TEST_F(SharingTest, ReaderSeesAnotherProcessGrowTheTableFarPastWhatItFirstSaw) {
    // Records wide enough that the appends outgrow whatever room the reader set aside at open.
    const std::string path = Create("grow.DBF", "ID:C:8,PAD:C:240");
    Open(path, SX_SHARED);
    AppendTexts({"first"});
    sx_Unlock(0);
    ASSERT_EQ(sx_Index(Path("grow_id.idx").c_str(), "ID", 0, 0, ""), 1);
    ASSERT_TRUE(sx_Seek("first"));

    constexpr int kAppended = 20000;  // about 5 MB
    const pid_t writer = Spawn([&] {
        // The child starts with a copy of this process's open: a second area, as another
        // program would have.
        if (sx_Use(path.c_str(), "WRITER", SX_SHARED, SX_FOX) == 0) {
            return 4;
        }
        for (int i = 0; i < kAppended; ++i) {
            char id[16];
            std::snprintf(id, sizeof id, "N%06d", i);
            if (sx_AppendEx() != 0 || !sx_Replace("ID", SX_R_CHAR, id)) {
                return 5;
            }
            sx_Unlock(0);
        }
        sx_Go(1);
        if (!sx_Rlock(1) || !sx_Replace("ID", SX_R_CHAR, "edited")) {
            return 6;
        }
        sx_CloseAll();
        return 0;
    });
    ASSERT_EQ(ExitStatus(writer), 0);

    EXPECT_EQ(sx_RecCount(), kAppended + 1);
    for (const int i : {0, kAppended / 2, kAppended - 1}) {
        char id[16];
        std::snprintf(id, sizeof id, "N%06d", i);
        ASSERT_TRUE(sx_Seek(id)) << id;
        EXPECT_EQ(sx_RecNo(), i + 2);
        EXPECT_STREQ(sx_GetTrimString("ID"), id);
    }
    sx_Go(1);
    EXPECT_STREQ(sx_GetTrimString("ID"), "edited");
}

}  // namespace
}  // namespace xbtest
