#include "platform/os/staged_swap.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

namespace fs = std::filesystem;

using Files = std::map<std::string, std::string>;

Files ReadFolder(const std::string& folder) {
    Files files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        files[entry.path().filename().string()] = entry.is_directory() ? "<map>" : text.str();
    }
    return files;
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

const Files kOld = {{"a.FPT", "oud memo"}, {"a.DBF", "oude tabel"}, {"belverin", "oud"}};
const Files kNew = {{"a.FPT", "nieuw memo"}, {"a.DBF", "nieuwe tabel"}, {"belverin", "nieuw"}};
const std::vector<std::string> kOrder = {"a.FPT", "a.DBF", "belverin"};

class StagedSwapTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = fs::temp_directory_path() / "swap-XXXXXX";
        folder = mkdtemp(pattern.data());
        for (const auto& [name, text] : kOld) {
            Write(folder + "/" + name, text);
        }
    }
    void TearDown() override { fs::remove_all(folder); }

    // Stages the new files and commits in a child that ends at the `stopAt`-th step (0: never).
    void CommitInChild(int stopAt) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            static int steps = 0;
            static int stop = 0;
            stop = stopAt;
            os::SetSwapStepHook([](std::string_view) {
                if (++steps == stop) {
                    _exit(7);
                }
            });
            os::StagedSwap swap(folder);
            swap.Prepare();
            for (const auto& [name, text] : kNew) {
                Write(swap.StagedPath(name), text);
            }
            swap.Commit(kOrder);
            _exit(0);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_EQ(WEXITSTATUS(status), stopAt == 0 ? 0 : 7);
    }

    std::string folder;
};

TEST_F(StagedSwapTest, AStopAtAnyStepRecoversToTheNewFiles) {
    // Step 1 is the journal on disk, 2 to 4 each rename.
    for (int stopAt : {0, 1, 2, 3, 4}) {
        SCOPED_TRACE(stopAt);
        SetUp();
        CommitInChild(stopAt);
        const os::SwapRecovery recovery = os::FinishStagedSwap(folder);
        EXPECT_EQ(recovery, stopAt == 0 ? os::SwapRecovery::Nothing : os::SwapRecovery::Finished);
        EXPECT_EQ(ReadFolder(folder), kNew);
        TearDown();
    }
}

// Old files under names in other case (as a file system that ignores case leaves them) are
// replaced, not kept beside the new ones, also when a stop leaves the rest to the recovery.
TEST_F(StagedSwapTest, OldNamesInOtherCaseGoWithTheSwap) {
    for (int stopAt : {0, 2, 3, 4}) {
        SCOPED_TRACE(stopAt);
        SetUp();
        fs::rename(folder + "/a.FPT", folder + "/A.FPT");
        fs::rename(folder + "/a.DBF", folder + "/A.dbf");
        Write(folder + "/BELVERIN.TXT", "eigen bestand");
        CommitInChild(stopAt);
        os::FinishStagedSwap(folder);
        Files expected = kNew;
        expected["BELVERIN.TXT"] = "eigen bestand";
        EXPECT_EQ(ReadFolder(folder), expected);
        TearDown();
    }
}

TEST_F(StagedSwapTest, StagedFilesWithoutJournalAreDropped) {
    os::StagedSwap swap(folder);
    swap.Prepare();
    Write(swap.StagedPath("belverin"), "half");
    // A journal that never got its name: only its temporary file exists.
    Write(folder + "/" + std::string(os::StagedSwap::kJournalName) + ".tmp", "belverin-swap 1\n");
    EXPECT_EQ(os::FinishStagedSwap(folder), os::SwapRecovery::Dropped);
    EXPECT_EQ(ReadFolder(folder), kOld);
    EXPECT_EQ(os::FinishStagedSwap(folder), os::SwapRecovery::Nothing);
}

TEST_F(StagedSwapTest, DiscardLeavesTheOldFiles) {
    os::StagedSwap swap(folder + "/");
    swap.Prepare();
    Write(swap.StagedPath("a.DBF"), "nieuw");
    swap.Discard();
    EXPECT_EQ(ReadFolder(folder), kOld);
}

TEST_F(StagedSwapTest, CommitRefusesNamesOutsideTheFolder) {
    os::StagedSwap swap(folder);
    swap.Prepare();
    for (const std::string name : {"../x", "", "a\nb"}) {
        EXPECT_ANY_THROW(swap.Commit({name})) << name;
    }
    EXPECT_FALSE(fs::exists(folder + "/" + std::string(os::StagedSwap::kJournalName)));
}

}  // namespace
