// The libcapi20 adapter in fresh processes: the binding's probes with the adapter beside them as
// libcapi2032.so and a libcapi20 double, or the real libcapi20, found through the library path.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/capi2032/capi20/tests/capi20_double.h"
#include "platform/capi2032/tests/child_process.h"

namespace {

using capisim_test::BaseEnvironment;
using capisim_test::ChildResult;
using capisim_test::RunChild;
using capisim_test::TempDir;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

constexpr const char* kNotInstalledOpen =
    "open=false error=9003 engine=no reset=false events=0 text=CAPI 2.0 (32 Bit) not installed.\n";

// Runs a probe from a program folder of its own with `library` beside it; `double_folder`
// (may be empty) goes on the library path, where the adapter finds libcapi20.so.3.
ChildResult RunProbe(const char* probe, const char* library, const std::string& double_folder,
                     const std::vector<std::string>& args) {
    TempDir program;
    TempDir home;  // no ~/.capi20rc: libcapi20 must not go onto the network
    const fs::path copy = fs::path(program.path()) / "probe";
    fs::copy_file(probe, copy);
    fs::copy_file(library, fs::path(program.path()) / "libcapi2032.so");
    std::vector<std::string> env = BaseEnvironment();
    env.push_back("HOME=" + home.path());
    env.push_back("CAPISIM_SOCKET=" + program.path() + "/line.sock");
    if (!double_folder.empty()) {
        env.push_back("LD_LIBRARY_PATH=" + double_folder);
    }
    return RunChild(copy.string(), args, env);
}

ChildResult WithDouble(const char* probe, const std::vector<std::string>& args) {
    return RunProbe(probe, ADAPTER, DOUBLE_FOLDER, args);
}

// The dll probe's "step=value" pairs.
std::map<std::string, std::string> Steps(const std::string& out) {
    std::map<std::string, std::string> steps;
    std::istringstream in(out);
    std::string pair;
    while (in >> pair) {
        const auto eq = pair.find('=');
        steps[pair.substr(0, eq)] = eq == std::string::npos ? "" : pair.substr(eq + 1);
    }
    return steps;
}

std::vector<std::string> Split(const std::string& text, char by) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, by);) {
        parts.push_back(part);
    }
    return parts;
}

// The monitor probe's output line that starts with `key=`, without the key.
std::string LineOf(const std::string& out, const std::string& key) {
    for (const std::string& line : Split(out, '\n')) {
        if (line.starts_with(key + "=")) {
            return line.substr(key.size() + 1);
        }
    }
    return "(no " + key + " line)";
}

TEST(Capi20AdapterTest, RegisterPassesTheEnginesLimitsAndReturnsTheApplId) {
    const ChildResult r = WithDouble(MONITOR_PROBE, {"road"});
    ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
    const std::string engine = LineOf(r.out, "register");
    EXPECT_THAT(engine, ::testing::MatchesRegex("[0-9]+,[0-9]+,[0-9]+/[1-9][0-9]*"));
    EXPECT_EQ(LineOf(r.out, "double_register"), engine);
}

TEST(Capi20AdapterTest, CallRoadMatchesTheSimulatedLineAlone) {
    const ChildResult alone = RunProbe(MONITOR_PROBE, SIM_LIBRARY, "", {"road"});
    const ChildResult adapted = WithDouble(MONITOR_PROBE, {"road"});
    ASSERT_EQ(alone.exit_code, 0) << alone.out << alone.err;
    ASSERT_EQ(adapted.exit_code, 0) << adapted.out << adapted.err;
    EXPECT_EQ(LineOf(adapted.out, "call"), "0301234567,5551234,16,telephony cleared=yes");
    EXPECT_EQ(LineOf(adapted.out, "call"), LineOf(alone.out, "call"));
    const std::string transcript = LineOf(adapted.out, "transcript");
    EXPECT_THAT(transcript, HasSubstr(">0283:0000:"));  // the call left to the others
    EXPECT_EQ(transcript, LineOf(alone.out, "transcript"));
}

TEST(Capi20AdapterTest, WaitHoldsOnInSlicesUntilAMessageComes) {
    const ChildResult r = WithDouble(DLL_PROBE, {"load", "register", "wait_slices", "waits"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    auto steps = Steps(r.out);
    EXPECT_EQ(steps["load"], "0");
    EXPECT_EQ(steps["register"], "0000");
    EXPECT_EQ(steps["wait_slices"], "held/0000") << "never returns the time-out";
    const auto waits = Split(steps["waits"], '/');
    ASSERT_EQ(waits.size(), 3u) << r.out;
    EXPECT_GE(std::stoi(waits[0]), 5) << "one second in slices of 200 ms";
    EXPECT_EQ(std::stoi(waits[1]), 200000) << "longest time-out given, in microseconds";
    EXPECT_LE(std::stoi(waits[2]), 300) << "longest time inside one wait, in milliseconds";
}

TEST(Capi20AdapterTest, ReleaseEndsAWaiterAndNeverMeetsItInsideTheWait) {
    const ChildResult r =
        WithDouble(DLL_PROBE, {"load", "register", "release_waiting", "overlap", "waits"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    auto steps = Steps(r.out);
    const auto release = Split(steps["release_waiting"], '/');
    ASSERT_EQ(release.size(), 3u) << r.out;
    EXPECT_EQ(release[0], "0000");
    EXPECT_LT(std::stoi(release[1]), 500) << "milliseconds the release took";
    EXPECT_EQ(release[2], "1101") << "what the waiter got";
    EXPECT_EQ(steps["overlap"], "no");
    EXPECT_LE(std::stoi(Split(steps["waits"], '/')[2]), 300);
}

TEST(Capi20AdapterTest, HangingLineStillLetsTheEngineReleaseAndUnload) {
    const ChildResult r = WithDouble(MONITOR_PROBE, {"hang_release"});
    ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "ended=yes unload=true status=1\n") << r.err;
}

TEST(Capi20AdapterTest, VersionAndProfilesAreTheLinesAndTextsAreTerminated) {
    const std::vector<std::string> common = {"load", "version4", "profile:0", "profile:1"};
    std::vector<std::string> with_texts = common;
    with_texts.push_back("texts");
    const ChildResult alone = RunProbe(DLL_PROBE, SIM_LIBRARY, "", common);
    const ChildResult adapted = WithDouble(DLL_PROBE, with_texts);
    ASSERT_EQ(alone.exit_code, 0) << alone.err;
    ASSERT_EQ(adapted.exit_code, 0) << adapted.err;
    auto a = Steps(alone.out);
    auto b = Steps(adapted.out);
    for (const char* step : {"load", "version4", "profile:0", "profile:1"}) {
        EXPECT_EQ(b[step], a[step]) << step;
    }
    EXPECT_NE(b["profile:0"], b["profile:1"]) << "each controller's own profile";
    // 64 and 8 characters without terminator arrive cut to fit with theirs.
    const std::string manufacturer = std::string(CAPI20_DOUBLE_MANUFACTURER).substr(0, 63);
    const std::string serial = std::string(CAPI20_DOUBLE_SERIAL_NUMBER).substr(0, 7);
    EXPECT_THAT(adapted.out,
                HasSubstr("texts=0000/\"" + manufacturer + "\"|0000/\"" + serial + "\"\n"));
}

TEST(Capi20AdapterTest, DriverWithoutAnswersGivesNotInstalledAndNothing) {
    const ChildResult r = WithDouble(DLL_PROBE, {"load", "null_texts", "version4", "texts"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "load=0 null_texts=done version4=1009/0.0.0.0 texts=1009/\"\"|1009/\"\"\n");
}

struct Broken {
    const char* name;
    const char* folder;
    std::vector<std::string> steps;
    const char* expected;
};

std::ostream& operator<<(std::ostream& os, const Broken& b) {
    return os << b.name;
}

class BrokenDoubleTest : public ::testing::TestWithParam<Broken> {};

TEST_P(BrokenDoubleTest, NotInstalledWithoutACrash) {
    const Broken& b = GetParam();
    const ChildResult open = RunProbe(MONITOR_PROBE, ADAPTER, b.folder, {});
    EXPECT_EQ(open.exit_code, 0) << open.err;
    EXPECT_EQ(open.out, kNotInstalledOpen) << open.err;
    const ChildResult steps = RunProbe(DLL_PROBE, ADAPTER, b.folder, b.steps);
    EXPECT_EQ(steps.exit_code, 0) << steps.err;
    EXPECT_EQ(steps.out, std::string(b.expected) + "\n") << steps.err;
}

INSTANTIATE_TEST_SUITE_P(
    Doubles, BrokenDoubleTest,
    ::testing::Values(
        Broken{"DriverNotInstalled",
               DOUBLE_NOT_INSTALLED_FOLDER,
               {"load", "double_calls"},
               "load=3 double_calls=1"},
        // With a function missing, no export calls into the library at all.
        Broken{"WaitMissing",
               DOUBLE_WITHOUT_WAIT_FOLDER,
               {"load", "direct_all", "double_calls"},
               "load=3 direct_all=1009,1009,1009,1009,1009,1009,1009,1009,1009 double_calls=0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Capi20AdapterTest, RealLibraryWithoutADeviceIsNotInstalled) {
    for (const char* device : {"/dev/capi20", "/dev/isdn/capi20", "/etc/capi20.conf"}) {
        if (fs::exists(device)) {
            GTEST_SKIP() << device << " exists: libcapi20 would reach a real CAPI here";
        }
    }
    // stderr is left alone: libcapi20 writes its debug lines there.
    const ChildResult open = RunProbe(MONITOR_PROBE, ADAPTER, "", {});
    EXPECT_EQ(open.exit_code, 0) << open.err;
    EXPECT_EQ(open.out, kNotInstalledOpen);
    const ChildResult load = RunProbe(DLL_PROBE, ADAPTER, "", {"load", "register"});
    EXPECT_EQ(load.exit_code, 0) << load.err;
    EXPECT_EQ(load.out, "load=3 register=9003\n");
}

}  // namespace
