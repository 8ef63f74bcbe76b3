// What one open learns of the changes other processes make to the same table and its index
// files: deletes, key edits, packs and zaps, and what a stopped writer leaves behind.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>

#include "platform/xbase32/change_stamp.h"
#include "platform/xbase32/file_lock.h"
#include "platform/xbase32/tests/child_process.h"
#include "platform/xbase32/tests/engine_fixture.h"

namespace xbtest {
namespace {

std::string Name(int r) {
    char text[16];
    std::snprintf(text, sizeof text, "naam%03d", r);
    return text;
}

// The records by NAAM as the table holds them now, equal names by record number.
std::vector<int> SortedByName() {
    std::vector<std::pair<std::string, int>> rows;
    for (int r = 1; r <= sx_RecCount(); ++r) {
        sx_Go(r);
        rows.emplace_back(sx_GetString("NAAM"), r);
    }
    std::sort(rows.begin(), rows.end());
    std::vector<int> out;
    for (const auto& row : rows) {
        out.push_back(row.second);
    }
    return out;
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ChangesElsewhereTest : public EngineTest {
  protected:
    // A table of `records` names in reverse order of their numbers, with an index on NAAM.
    void MakeBook(int mode, int records = 100) {
        path_ = Create("book.DBF", "NAAM:C:20,NR:N:4");
        Open(path_, mode);
        for (int r = 1; r <= records; ++r) {
            ASSERT_EQ(sx_AppendEx(), 0) << sx_LastErrorText();
            ASSERT_TRUE(sx_Replace("NAAM", SX_R_CHAR, Name(records + 1 - r).c_str()));
            const double nr = r;
            ASSERT_TRUE(sx_Replace("NR", SX_R_DOUBLE, &nr));
        }
        sx_Unlock(0);
        ASSERT_EQ(sx_Index(Index().c_str(), "naam", 0, 0, ""), 1) << sx_LastErrorText();
    }

    std::string Index() const { return Path("naam.idx"); }

    // Runs body in another process with the table open there in the given mode; the body's
    // false fails the test. The process ends without closing what it opened, unless the body
    // closes it: as a process that is stopped.
    void Elsewhere(int mode, const std::function<bool()>& body) {
        const std::string path = path_;
        const pid_t child = Spawn([&] {
            if (sx_Use(path.c_str(), "other", mode, SX_FOX) == 0) {
                return 4;
            }
            return body() ? 0 : 5;
        });
        ASSERT_EQ(ExitStatus(child), 0);
    }

    std::string path_;
};

bool Rename(int record, const std::string& naam) {
    sx_Go(record);
    const bool ok = sx_Replace("NAAM", SX_R_CHAR, naam.c_str()) != 0;
    sx_Unlock(0);
    return ok;
}

TEST_F(ChangesElsewhereTest, DeletesElsewhereAreCountedAndHidden) {
    MakeBook(SX_SHARED);
    sx_SetDeleted(1);
    ASSERT_EQ(sx_Count(), 100);
    Elsewhere(SX_SHARED, [] {
        for (int r = 1; r <= 10; ++r) {
            sx_Go(r);
            if (!sx_Delete()) {
                return false;
            }
            sx_Unlock(0);
        }
        return true;
    });
    EXPECT_EQ(sx_Count(), 90);
    EXPECT_EQ(Walk().size(), 90u);
    sx_SetDeleted(0);
    EXPECT_EQ(sx_Count(), 100);
    sx_SetDeleted(1);
    EXPECT_EQ(sx_Count(), 90);
    sx_SetOrder(0);
    EXPECT_EQ(sx_Count(), 90);
    EXPECT_EQ(Walk().size(), 90u);
}

// One edit is followed by its record alone, several by comparing every key: both end where a
// new build would.
TEST_F(ChangesElsewhereTest, KeyEditsElsewhereMoveTheEntries) {
    const std::vector<std::vector<int>> cases = {{5}, {5, 17, 60, 99}};
    for (const std::vector<int>& edited : cases) {
        SCOPED_TRACE(edited.size());
        sx_CloseAll();
        std::filesystem::remove(Path("book.DBF"));
        MakeBook(SX_SHARED);
        ASSERT_TRUE(sx_Seek(Name(96).c_str()));
        ASSERT_EQ(sx_RecNo(), 5);
        Elsewhere(SX_SHARED, [&] {
            for (const int r : edited) {
                if (!Rename(r, "ZZZ edited " + std::to_string(r))) {
                    return false;
                }
            }
            sx_Close();
            return true;
        });
        for (const int r : edited) {
            EXPECT_TRUE(sx_Seek(("ZZZ edited " + std::to_string(r)).c_str())) << r;
            EXPECT_EQ(sx_RecNo(), r);
            EXPECT_FALSE(sx_Seek(Name(101 - r).c_str())) << r;
        }
        EXPECT_EQ(Walk(), SortedByName());
        EXPECT_EQ(sx_Count(), 100);
    }
}

// Another open saved the file after this one read it: closing this one leaves that file as
// it is, and what it holds is still followed to the table's state.
TEST_F(ChangesElsewhereTest, AnOrderIsNotSavedOverAFileAnotherOpenWrote) {
    MakeBook(SX_SHARED);
    Elsewhere(SX_SHARED, [this] {
        if (sx_IndexOpen(Index().c_str()) == 0 || !Rename(5, "ZZZ edited")) {
            return false;
        }
        sx_Close();
        return true;
    });
    const std::string theirs = FileBytes(Index());
    ASSERT_TRUE(sx_Seek("ZZZ edited"));
    ASSERT_EQ(sx_AppendEx(), 0);
    ASSERT_TRUE(sx_Replace("NAAM", SX_R_CHAR, "aaa"));
    sx_Unlock(0);
    sx_CloseAll();
    EXPECT_EQ(FileBytes(Index()), theirs);
    Open(path_, SX_SHARED);
    ASSERT_EQ(sx_IndexOpen(Index().c_str()), 1) << sx_LastErrorText();
    EXPECT_EQ(Walk(), SortedByName());
    EXPECT_TRUE(sx_Seek("ZZZ edited"));
    EXPECT_EQ(sx_RecNo(), 5);
}

// The index file was made before the table last changed: opening it builds the order anew
// from the table.
TEST_F(ChangesElsewhereTest, AnIndexFileOlderThanItsTableIsBuiltAnewWhenOpened) {
    struct Case {
        const char* name;
        int mode;
        std::function<bool()> change;
    };
    const std::string index = Index();
    const auto editAndStop = [&] {
        if (sx_IndexOpen(index.c_str()) == 0 || !Rename(5, "ZZZ edited")) {
            return false;
        }
        ::kill(::getpid(), SIGKILL);
        return false;
    };
    const std::vector<Case> cases = {
        {"a key edited, the writer stopped before closing", SX_SHARED, editAndStop},
        {"a key edited in exclusive use, the writer stopped", SX_EXCLUSIVE, editAndStop},
        {"a pack that leaves as many records", SX_EXCLUSIVE,
         [] {
             sx_Go(2);
             if (!sx_Delete() || !sx_Pack() || sx_AppendEx() != 0 ||
                 !sx_Replace("NAAM", SX_R_CHAR, "ZZZ edited")) {
                 return false;
             }
             sx_Close();
             return true;
         }},
        {"a zap and as many new records", SX_EXCLUSIVE,
         [] {
             if (!sx_Zap()) {
                 return false;
             }
             for (int r = 1; r <= 100; ++r) {
                 const std::string naam = r == 5 ? "ZZZ edited" : "Y" + Name(r);
                 if (sx_AppendEx() != 0 || !sx_Replace("NAAM", SX_R_CHAR, naam.c_str())) {
                     return false;
                 }
             }
             sx_Close();
             return true;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sx_CloseAll();
        std::filesystem::remove(Path("book.DBF"));
        MakeBook(SX_SHARED);
        sx_CloseAll();
        const std::string path = path_;
        const pid_t child = Spawn([&] {
            if (sx_Use(path.c_str(), "other", c.mode, SX_FOX) == 0) {
                return 4;
            }
            return c.change() ? 0 : 5;
        });
        const int status = ExitStatus(child);
        EXPECT_TRUE(status == 0 || status == -1) << status;  // -1: stopped by the signal
        Open(path_, SX_SHARED);
        ASSERT_EQ(sx_IndexOpen(index.c_str()), 1) << sx_LastErrorText();
        EXPECT_EQ(Walk(), SortedByName());
        EXPECT_EQ(sx_Count(), sx_RecCount());
        EXPECT_TRUE(sx_Seek("ZZZ edited"));
        EXPECT_STREQ(sx_GetTrimString("NAAM"), "ZZZ edited");
    }
}

// A writer marks the stamp before it writes the record and again after; one that stopped in
// between leaves its record as it is once it no longer holds it.
TEST_F(ChangesElsewhereTest, AWriterStoppedMidwayLeavesItsRecordFollowed) {
    MakeBook(SX_SHARED);
    constexpr int kRecord = 5;
    Signal marked;
    Signal written;
    Signal seeked;
    const std::string path = path_;
    const pid_t writer = Spawn([&] {
        const int fd = ::open(path.c_str(), O_RDWR);
        unsigned char header[32];
        if (fd < 0 || ::pread(fd, header, sizeof header, 0) != sizeof header ||
            !xb::TryLock(fd, xb::lock_offset::kRecordBase + kRecord, xb::LockKind::kExclusive) ||
            !xb::TryLock(fd, xb::lock_offset::kStamp, xb::LockKind::kExclusive)) {
            return 4;
        }
        char was[xb::kChangeStampSize];
        if (::pread(fd, was, sizeof was, xb::kChangeStampAt) != sizeof was) {
            return 5;
        }
        const auto now = xb::DecodeChangeStamp(std::string_view(was, sizeof was));
        const std::string mark = xb::EncodeChangeStamp(xb::StampBeforeWrite(*now, kRecord));
        if (::pwrite(fd, mark.data(), mark.size(), xb::kChangeStampAt) !=
            static_cast<ssize_t>(mark.size())) {
            return 6;
        }
        marked.Send();
        if (!seeked.Wait()) {
            return 7;
        }
        const unsigned headerLength = header[8] | header[9] << 8;
        const unsigned recordLength = header[10] | header[11] << 8;
        std::string record(recordLength, ' ');
        record.replace(1, 10, "ZZZ edited");
        if (::pwrite(fd, record.data(), record.size(),
                     headerLength + (kRecord - 1) * recordLength) !=
            static_cast<ssize_t>(record.size())) {
            return 8;
        }
        ::kill(::getpid(), SIGKILL);  // before the mark after the write
        return 9;
    });
    ASSERT_TRUE(marked.Wait());
    EXPECT_TRUE(sx_Seek(Name(96).c_str()));  // the write has begun; the old bytes stand
    EXPECT_EQ(sx_RecNo(), kRecord);
    seeked.Send();
    EXPECT_EQ(ExitStatus(writer), -1);
    EXPECT_TRUE(sx_Seek("ZZZ edited"));
    EXPECT_EQ(sx_RecNo(), kRecord);
    EXPECT_FALSE(sx_Seek(Name(96).c_str()));
    EXPECT_EQ(Walk(), SortedByName());
    // Its index file is not trusted either: what the stopped write left cannot be told.
    sx_CloseAll();
    Open(path_, SX_SHARED);
    ASSERT_EQ(sx_IndexOpen(Index().c_str()), 1) << sx_LastErrorText();
    EXPECT_TRUE(sx_Seek("ZZZ edited"));
    EXPECT_EQ(Walk(), SortedByName());
}

// A save leaves a new file beside the index until it is renamed into place: those of processes
// that no longer run go at the next open; others stay.
TEST_F(ChangesElsewhereTest, SavesThatStoppedMidwayAreRemovedAtTheNextOpen) {
    const std::string path = Create("book.DBF", "NAAM:C:20");
    const pid_t gone = Spawn([] { return 0; });
    ASSERT_EQ(ExitStatus(gone), 0);
    const std::string dead = std::to_string(gone);
    const std::string alive = std::to_string(::getpid());
    struct Leftover {
        std::string name;
        std::string bytes;
        bool removed;
    };
    const std::vector<Leftover> files = {
        {"naam.idx.tmp" + dead + "-0", "BVKEYIDX\1\0\0\0", true},
        {"NAAM.IDX.tmp" + dead + "-7", "", true},  // stopped before it wrote a byte
        {"nr.idx.tmp" + dead + "-3", "BVKE", true},
        {"naam.idx.tmp" + alive + "-0", "BVKEYIDX\1\0\0\0", false},  // still being written
        {"eigen.idx.tmp" + dead + "-0", "no index of ours", false},
        {"notes.txt.tmp" + dead + "-0", "BVKEYIDX", false},
        {"naam.idx.tmp" + dead, "BVKEYIDX", false},
    };
    for (const Leftover& f : files) {
        std::ofstream(Path(f.name), std::ios::binary) << f.bytes;
    }
    Open(path, SX_SHARED);
    const std::vector<std::string> left = Files();
    for (const Leftover& f : files) {
        EXPECT_EQ(std::find(left.begin(), left.end(), f.name) == left.end(), f.removed) << f.name;
    }
}

// An open that finishes or clears a stopped pack holds the table for a moment: an open at the
// same time waits for it instead of refusing. A table held exclusively is still refused at once.
TEST_F(ChangesElsewhereTest, AnOpenWaitsForAnotherOneFinishingAStoppedPack) {
    const std::string path = Create("book.DBF", "NAAM:C:20");
    for (const bool recovering : {true, false}) {
        SCOPED_TRACE(recovering ? "a stopped pack being finished" : "an exclusive open");
        sx_CloseAll();
        Signal held;
        Signal letGo;
        const pid_t holder = Spawn([&] {
            const int fd = ::open(path.c_str(), O_RDWR);
            if (fd < 0 ||
                (recovering &&
                 !xb::TryLock(fd, xb::lock_offset::kRecovery, xb::LockKind::kExclusive)) ||
                !xb::TryLock(fd, xb::lock_offset::kOpen, xb::LockKind::kExclusive)) {
                return 4;
            }
            held.Send();
            if (recovering) {
                ::usleep(300 * 1000);  // the opener is refused at once unless it waits
            } else if (!letGo.Wait()) {
                return 5;
            }
            return 0;
        });
        ASSERT_TRUE(held.Wait());
        const int area = sx_Use(path.c_str(), nullptr, SX_SHARED, SX_FOX);
        if (recovering) {
            EXPECT_NE(area, 0) << sx_LastErrorText();
        } else {
            EXPECT_EQ(area, 0);
            EXPECT_NE(std::string(sx_LastErrorText()).find("held exclusively elsewhere"),
                      std::string::npos);
            letGo.Send();
        }
        EXPECT_EQ(ExitStatus(holder), 0);
    }
}

}  // namespace
}  // namespace xbtest
