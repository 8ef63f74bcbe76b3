#include "platform/os/process_start.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "platform/os/tests/probe_fixture.h"

namespace os {
namespace {

using namespace std::chrono_literals;

bool Gone(pid_t pid) {
    return !std::filesystem::exists("/proc/" + std::to_string(pid));
}

bool GoneWithin(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!Gone(pid)) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

TEST(StartDetached, ArgumentsArriveAsGiven) {
    testing::ProbeFolder folder;
    folder.InstallProbe("probe");
    const std::vector<std::string> args = {
        "probe", "two words", "", "-x", "\"q\"", "a;b", "$(rm -rf x)", "\xC3\xA9t\xC3\xA9"};
    const StartResult r = StartDetached(args, folder.Dir());
    ASSERT_TRUE(r.Started()) << r.error;
    const auto got = folder.WaitForArgs();
    ASSERT_TRUE(got);
    EXPECT_EQ(*got, std::vector<std::string>(args.begin() + 1, args.end()));
}

TEST(StartDetached, RunsApartFromTheCaller) {
    testing::ProbeFolder folder;
    folder.InstallProbe("bin/probe.exx");
    // A descriptor without close-on-exec and a blocked signal must not reach the child.
    const int leak = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(leak, 3);
    sigset_t block;
    sigset_t old;
    sigemptyset(&block);
    sigaddset(&block, SIGUSR1);
    ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &block, &old), 0);

    const StartResult r = StartDetached({"bin/probe.exx.exe"}, folder.Dir());
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    ::close(leak);
    ASSERT_TRUE(r.Started()) << r.error;

    const auto info = folder.WaitForInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->at("own_group"), "1");
    EXPECT_EQ(info->at("fds"), "0 1 2 ");
    EXPECT_EQ(std::strtoull(info->at("blocked").c_str(), nullptr, 16), 0u);
    EXPECT_EQ(info->at("pid"), std::to_string(r.pid));
    // probe.info lies in the program folder, so that was its working folder.
}

TEST(StartDetached, DoesNotWaitAndLeavesNoZombie) {
    testing::ProbeFolder folder;
    folder.InstallProbe("probe");
    ::setenv("BELVERIN_PROBE_SLEEP", "1", 1);
    const StartResult r = StartDetached({"probe"}, folder.Dir());
    ::unsetenv("BELVERIN_PROBE_SLEEP");
    ASSERT_TRUE(r.Started()) << r.error;
    ASSERT_TRUE(folder.WaitForInfo());
    EXPECT_FALSE(Gone(r.pid)) << "the start waited for the program";
    EXPECT_GE(UncollectedChildren(), 1u);
    EXPECT_TRUE(GoneWithin(r.pid, 20s)) << "the ended program was not collected";
}

TEST(StartDetached, ManyShortProgramsAreAllCollected) {
    testing::ProbeFolder folder;
    folder.InstallProbe("probe");
    std::vector<pid_t> pids;
    for (int i = 0; i < 20; ++i) {
        const StartResult r = StartDetached({"probe"}, folder.Dir());
        ASSERT_TRUE(r.Started()) << r.error;
        pids.push_back(r.pid);
    }
    for (const pid_t pid : pids) {
        EXPECT_TRUE(GoneWithin(pid, 20s)) << pid;
    }
}

TEST(StartDetached, Failures) {
    testing::ProbeFolder folder;
    folder.InstallProbe("probe");
    struct Case {
        std::vector<std::string> argv;
        std::string dir;
    };
    const Case cases[] = {
        {{}, folder.Dir()},
        {{"missing"}, folder.Dir()},
        {{""}, folder.Dir()},
        {{folder.Dir() + "probe"}, folder.Dir() + "no-such-folder/"},
    };
    for (const auto& c : cases) {
        const StartResult r = StartDetached(c.argv, c.dir);
        EXPECT_FALSE(r.Started());
        EXPECT_NE(r.error, 0);
    }
    EXPECT_TRUE(folder.NothingRan());
}

}  // namespace
}  // namespace os
