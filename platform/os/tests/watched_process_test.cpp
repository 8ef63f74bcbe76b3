#include "platform/os/watched_process.h"

#include <poll.h>
#include <signal.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "platform/os/process_start.h"
#include "platform/os/tests/probe_fixture.h"

namespace os {
namespace {

using namespace std::chrono_literals;

bool GroupGoneWithin(pid_t group, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (::kill(-group, 0) == 0 || errno != ESRCH) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

bool CollectedWithin(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (UncollectedChildren() != 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// Sleeping probes, so that a test decides how each one ends.
class WatchedProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_.InstallProbe("probe");
        ::setenv("BELVERIN_PROBE_SLEEP", "30", 1);
    }
    void TearDown() override {
        ::unsetenv("BELVERIN_PROBE_SLEEP");
        ::unsetenv("BELVERIN_PROBE_FORK");
        EXPECT_TRUE(CollectedWithin(10s));
    }
    testing::ProbeFolder folder_;
};

TEST_F(WatchedProcessTest, StartsApartWithStdinFromNullAndArgumentsWhole) {
    const std::vector<std::string> args = {"probe.exe", "-t", "0201 23", "-o", "a b/belvo.log"};
    WatchedStart w = StartWatched(args, folder_.Dir());
    ASSERT_TRUE(w.Started()) << w.error;
    const auto info = folder_.WaitForInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->at("own_group"), "1");
    EXPECT_EQ(info->at("stdin"), "/dev/null");
    EXPECT_EQ(info->at("fds"), "0 1 2 ");
    EXPECT_EQ(info->at("pid"), std::to_string(w.process.Pid()));
    EXPECT_EQ(*folder_.WaitForArgs(), std::vector<std::string>(args.begin() + 1, args.end()));
    EXPECT_EQ(UncollectedChildren(), 1u);
    w.process.Kill();
}

TEST_F(WatchedProcessTest, DescriptorTellsTheEndAndTryCollectTakesIt) {
    ::setenv("BELVERIN_PROBE_SLEEP", "0", 1);
    WatchedStart w = StartWatched({"probe"}, folder_.Dir());
    ASSERT_TRUE(w.Started()) << w.error;
    ASSERT_GE(w.process.Descriptor(), 0);
    pollfd p{w.process.Descriptor(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 10000), 1) << "the end was never signalled";
    EXPECT_TRUE(w.process.TryCollect());
    EXPECT_FALSE(w.process.Running());
    EXPECT_EQ(UncollectedChildren(), 0u);
    EXPECT_FALSE(w.process.TryCollect());
}

TEST_F(WatchedProcessTest, RunningProgramIsNotCollected) {
    WatchedStart w = StartWatched({"probe"}, folder_.Dir());
    ASSERT_TRUE(w.Started()) << w.error;
    ASSERT_TRUE(folder_.WaitForInfo());
    pollfd p{w.process.Descriptor(), POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 100), 0);
    EXPECT_FALSE(w.process.TryCollect());
    EXPECT_TRUE(w.process.Running());
    w.process.Kill();
}

// A child that the program left in its group must not outlive a kill, nor a dropped handle.
TEST_F(WatchedProcessTest, KillAndDropEndTheWholeGroup) {
    ::setenv("BELVERIN_PROBE_FORK", "1", 1);
    for (const bool drop : {false, true}) {
        SCOPED_TRACE(drop ? "dropped" : "killed");
        const std::string info = folder_.Dir() + "probe.info";
        std::remove(info.c_str());
        auto w = std::make_unique<WatchedStart>(StartWatched({"probe"}, folder_.Dir()));
        ASSERT_TRUE(w->Started()) << w->error;
        const pid_t group = w->process.Pid();
        const auto written = folder_.WaitForInfo();
        ASSERT_TRUE(written);
        ASSERT_TRUE(written->count("child"));
        if (drop) {
            w.reset();
        } else {
            w->process.Kill();
            EXPECT_FALSE(w->process.Running());
        }
        EXPECT_TRUE(GroupGoneWithin(group, 5s));
        EXPECT_TRUE(CollectedWithin(10s));
    }
}

TEST_F(WatchedProcessTest, FailuresStartNothing) {
    const std::vector<std::vector<std::string>> cases = {{}, {"missing.exe"}, {""}};
    for (const auto& argv : cases) {
        const WatchedStart w = StartWatched(argv, folder_.Dir());
        EXPECT_FALSE(w.Started());
        EXPECT_NE(w.error, 0);
    }
    EXPECT_TRUE(folder_.NothingRan());
}

}  // namespace
}  // namespace os
