#include "platform/os/instance_lock.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/os/tests/child_pipe.h"

namespace fs = std::filesystem;

namespace {

class TempFolder {
  public:
    TempFolder() {
        std::string tmpl = (fs::temp_directory_path() / "lock-test-XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data());
        ::chmod(path_.c_str(), 0700);
    }
    ~TempFolder() { fs::remove_all(path_); }
    const std::string& Path() const { return path_; }
    std::string Sub(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

std::string OwnName() {
    return "belverin-" + std::to_string(::getuid());
}

TEST(InstanceFolder, RuntimeFolderOnlyWhenPrivateElseOwnFolderBelowParent) {
    TempFolder temp;
    const std::string priv = temp.Sub("private");
    const std::string open = temp.Sub("open");
    const std::string link = temp.Sub("link");
    fs::create_directory(priv);
    ::chmod(priv.c_str(), 0700);
    fs::create_directory(open);
    ::chmod(open.c_str(), 0755);
    fs::create_directory_symlink(priv, link);
    const std::string parent = temp.Sub("parent");
    fs::create_directory(parent);
    const std::string fallback = parent + "/" + OwnName();

    struct Case {
        std::string runtime;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {priv, priv},     {"", fallback},        {open, fallback},
        {link, fallback}, {"private", fallback}, {temp.Sub("missing"), fallback},
    };
    for (const auto& c : cases) {
        std::string reason;
        EXPECT_EQ(os::ChooseInstanceFolder({c.runtime, parent}, reason), c.expected)
            << "runtime folder '" << c.runtime << "'";
    }
    struct stat st {};
    ASSERT_EQ(::lstat(fallback.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
}

TEST(InstanceFolder, UnusableOwnFolderIsRefusedWithReason) {
    struct Case {
        const char* what;
        void (*make)(const std::string& path, const std::string& elsewhere);
    };
    const std::vector<Case> cases = {
        {"a folder others may enter",
         [](const std::string& p, const std::string&) {
             fs::create_directory(p);
             ::chmod(p.c_str(), 0755);
         }},
        {"a file",
         [](const std::string& p, const std::string&) { std::fclose(std::fopen(p.c_str(), "w")); }},
        {"a link to a private folder",
         [](const std::string& p, const std::string& elsewhere) {
             fs::create_directory(elsewhere);
             ::chmod(elsewhere.c_str(), 0700);
             fs::create_directory_symlink(elsewhere, p);
         }},
    };
    for (const auto& c : cases) {
        TempFolder temp;
        const std::string own = temp.Path() + "/" + OwnName();
        c.make(own, temp.Sub("elsewhere"));
        std::string reason;
        EXPECT_EQ(os::ChooseInstanceFolder({"", temp.Path()}, reason), "") << c.what;
        EXPECT_NE(reason.find(own), std::string::npos) << c.what << ": " << reason;

        const auto lock = os::InstanceLock::Claim("Belverin", {"", temp.Path()});
        EXPECT_EQ(lock.Verdict(), os::InstanceVerdict::Failed) << c.what;
        EXPECT_FALSE(lock.Reason().empty());
        EXPECT_NE(lock.LockPath().find(own), std::string::npos);
    }
}

TEST(InstanceName, StablePerTitleAndApartForOtherTitles) {
    EXPECT_EQ(os::InstanceName("Belverin"), os::InstanceName("Belverin"));
    EXPECT_NE(os::InstanceName("Belverin"), os::InstanceName("belverin"));
    EXPECT_NE(os::InstanceName("Belverin"), os::InstanceName("Belverin setup"));
    // Fixed across builds: another program claiming the same title must find the same file.
    EXPECT_EQ(os::InstanceName(""), "belverin-cbf29ce484222325");
}

TEST(InstanceLock, OneClaimPerTitleWithinAProcessToo) {
    TempFolder temp;
    const os::InstanceFolders folders{temp.Path(), "/nonexistent"};
    auto first = os::InstanceLock::Claim("Belverin", folders);
    ASSERT_TRUE(first.IsFirst()) << first.Reason();
    EXPECT_EQ(first.LockPath(), temp.Path() + "/" + os::InstanceName("Belverin") + ".lock");
    EXPECT_EQ(first.SocketPath(), temp.Path() + "/" + os::InstanceName("Belverin") + ".sock");
    EXPECT_EQ(os::InstanceLock::Claim("Belverin", folders).Verdict(), os::InstanceVerdict::Another);
    EXPECT_TRUE(os::InstanceLock::Claim("Other", folders).IsFirst());

    os::InstanceLock moved = std::move(first);
    EXPECT_EQ(os::InstanceLock::Claim("Belverin", folders).Verdict(), os::InstanceVerdict::Another);
    moved = os::InstanceLock();
    EXPECT_TRUE(os::InstanceLock::Claim("Belverin", folders).IsFirst());
}

// A program folder's claim is the folder's alone, in this process too, and writes nothing there.
TEST(InstanceLock, OneClaimPerProgramFolder) {
    TempFolder temp;
    const std::string program = temp.Sub("program");
    const std::string other = temp.Sub("other");
    fs::create_directory(program);
    fs::create_directory(other);
    auto first = os::InstanceLock::ClaimFolder(program);
    ASSERT_TRUE(first.IsFirst()) << first.Reason();
    EXPECT_EQ(first.SocketPath(), "");
    EXPECT_EQ(os::InstanceLock::ClaimFolder(program + "/").Verdict(), os::InstanceVerdict::Another);
    EXPECT_TRUE(os::InstanceLock::ClaimFolder(other).IsFirst());
    EXPECT_TRUE(fs::is_empty(program));
    // A title's claim and a folder's are apart.
    EXPECT_TRUE(os::InstanceLock::Claim("Belverin", {temp.Path(), "/nonexistent"}).IsFirst());

    first = os::InstanceLock();
    EXPECT_TRUE(os::InstanceLock::ClaimFolder(program).IsFirst());
    const auto missing = os::InstanceLock::ClaimFolder(temp.Sub("missing"));
    EXPECT_EQ(missing.Verdict(), os::InstanceVerdict::Failed);
    EXPECT_NE(missing.Reason(), "");
}

// Real processes, each with the same private runtime folder.
class InstanceLockProcesses : public ::testing::Test {
  protected:
    std::unique_ptr<os::testing::ChildPipe> Start(const std::string& title,
                                                  std::vector<std::string> more = {}) {
        std::vector<std::string> argv = {BELVERIN_LOCK_PROBE, title};
        argv.insert(argv.end(), more.begin(), more.end());
        return std::make_unique<os::testing::ChildPipe>(
            argv, std::map<std::string, std::string>{{"XDG_RUNTIME_DIR", runtime.Path()}});
    }
    TempFolder runtime;
};

TEST_F(InstanceLockProcesses, SecondCopyUntilTheFirstEndsEvenByKill) {
    auto first = Start("Belverin");
    auto line = first->ReadLine();
    ASSERT_TRUE(line);
    EXPECT_EQ(*line, "first " + runtime.Path() + "/" + os::InstanceName("Belverin") + ".lock");
    EXPECT_EQ(Start("Belverin")->ReadLine(), "another");
    EXPECT_EQ(Start("Belverin setup")->ReadLine().value_or("").rfind("first ", 0), 0u);

    first->Signal(SIGKILL);
    EXPECT_EQ(first->Wait(), 128 + SIGKILL);
    EXPECT_EQ(Start("Belverin")->ReadLine().value_or("").rfind("first ", 0), 0u);
}

// Whatever runtime folder the holder has, its program folder is taken, until it is killed.
TEST_F(InstanceLockProcesses, AProgramFolderIsHeldAcrossRuntimeFoldersUntilAKill) {
    TempFolder program;
    TempFolder elsewhere;
    auto first = std::make_unique<os::testing::ChildPipe>(
        std::vector<std::string>{BELVERIN_LOCK_PROBE, "--folder", program.Path()},
        std::map<std::string, std::string>{{"XDG_RUNTIME_DIR", elsewhere.Path()}});
    EXPECT_EQ(first->ReadLine(), "first " + program.Path());
    EXPECT_EQ(Start("--folder", {program.Path()})->ReadLine(), "another");
    EXPECT_EQ(os::InstanceLock::ClaimFolder(program.Path()).Verdict(),
              os::InstanceVerdict::Another);
    first->Signal(SIGKILL);
    first->Wait();
    EXPECT_TRUE(os::InstanceLock::ClaimFolder(program.Path()).IsFirst());
}

TEST_F(InstanceLockProcesses, OfEightAtOnceExactlyOneIsFirst) {
    std::vector<std::unique_ptr<os::testing::ChildPipe>> copies;
    for (int i = 0; i < 8; ++i) {
        copies.push_back(Start("Belverin"));
    }
    int firsts = 0;
    int others = 0;
    for (auto& c : copies) {
        const auto line = c->ReadLine().value_or("");
        firsts += line.rfind("first ", 0) == 0;
        others += line == "another";
    }
    EXPECT_EQ(firsts, 1);
    EXPECT_EQ(others, 7);
}

TEST_F(InstanceLockProcesses, AProgramStartedByTheFirstHoldsNoLock) {
    auto first = Start("Belverin", {"/nonexistent", "/bin/sleep", "30"});
    ASSERT_EQ(first->ReadLine().value_or("").rfind("first ", 0), 0u);
    const auto child = first->ReadLine().value_or("");
    ASSERT_EQ(child.rfind("child ", 0), 0u) << child;
    const pid_t sleeper = std::stoi(child.substr(6));

    first->Signal(SIGKILL);
    first->Wait();
    ASSERT_EQ(::kill(sleeper, 0), 0) << "the started program still runs";
    EXPECT_EQ(Start("Belverin")->ReadLine().value_or("").rfind("first ", 0), 0u);
    ::kill(sleeper, SIGKILL);
}

TEST_F(InstanceLockProcesses, UnusableFoldersGiveTheReason) {
    TempFolder parent;
    const std::string own = parent.Path() + "/" + OwnName();
    fs::create_directory(own);
    ::chmod(own.c_str(), 0777);
    ::chmod(runtime.Path().c_str(), 0755);
    const auto line = Start("Belverin", {parent.Path()})->ReadLine().value_or("");
    EXPECT_EQ(line.rfind("failed ", 0), 0u) << line;
    EXPECT_NE(line.find(own), std::string::npos) << line;
}

}  // namespace
