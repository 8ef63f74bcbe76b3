#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/capi2032/tests/child_process.h"

namespace capi {
namespace {

using capisim_test::BaseEnvironment;
using capisim_test::RunChild;
using capisim_test::TempDir;
namespace fs = std::filesystem;

struct Row {
    const char* name;
    const char* beside;  // library copied beside the probe as libcapi2032.so
    const char* expected;
};

std::ostream& operator<<(std::ostream& os, const Row& r) {
    return os << r.name;
}

class MonitorBindingTest : public ::testing::TestWithParam<Row> {};

TEST_P(MonitorBindingTest, OpenInAFreshProcess) {
    const Row& row = GetParam();
    TempDir program;
    const fs::path probe = fs::path(program.path()) / "probe";
    fs::copy_file(MONITOR_PROBE, probe);
    if (row.beside != nullptr) {
        fs::copy_file(row.beside, fs::path(program.path()) / "libcapi2032.so");
    }
    std::vector<std::string> env = BaseEnvironment();
    env.push_back("CAPISIM_SOCKET=" + program.path() + "/line.sock");
    const auto result = RunChild(probe.string(), {}, env);
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(result.out, std::string(row.expected) + "\n") << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MonitorBindingTest,
    ::testing::Values(Row{"LibraryMissing", nullptr,
                          "open=false error=9002 engine=no reset=false events=0 "
                          "text=File \"CAPI2032.DLL\" not found."},
                      Row{"NotInstalled", SIM_NOT_INSTALLED,
                          "open=false error=9003 engine=no reset=false events=0 "
                          "text=CAPI 2.0 (32 Bit) not installed."},
                      Row{"Installed", SIM_LIBRARY,
                          "open=true error=0000 engine=yes reset=true events=1 text=OK"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace capi
