// The monitor window opening its line in a fresh process, with the library its folder holds.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "platform/capi2032/tests/child_process.h"

namespace monitor {
namespace {

using capisim_test::BaseEnvironment;
using capisim_test::RunChild;
using capisim_test::TempDir;
namespace fs = std::filesystem;

struct Row {
    const char* name;
    const char* beside;  // copied beside the probe as libcapi2032.so
    std::string output;  // the probe's whole output, as a pattern
};

std::ostream& operator<<(std::ostream& os, const Row& r) {
    return os << r.name;
}

class OpenLineTest : public ::testing::TestWithParam<Row> {};

TEST_P(OpenLineTest, CaptionAndMemoShowWhatCameOfIt) {
    const Row& row = GetParam();
    TempDir program;
    const fs::path probe = fs::path(program.path()) / "belverin";
    fs::copy_file(OPEN_PROBE, probe);
    if (row.beside != nullptr) {
        fs::copy_file(row.beside, fs::path(program.path()) / "libcapi2032.so");
    }
    std::vector<std::string> env = BaseEnvironment();
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("CAPISIM_SOCKET=" + program.path() + "/line.sock");
    const auto result = RunChild(probe.string(), {}, env);
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_TRUE(std::regex_match(result.out, std::regex(row.output))) << result.out << "\n"
                                                                      << result.err;
}

// What the probe prints when the line fails with `error`: the caption, then the first memo
// line and the failure's own.
std::string Failed(const std::string& error) {
    return "open=false\ncaption=Capi Status: " + error +
           "\nmemo=0\\) \\d\\d:\\d\\d:\\d\\d - Er heeft nog niemand gebeld"
           "\nmemo=\\?\\) \\d\\d:\\d\\d:\\d\\d - Capi fout: " +
           error + "\nclosed\n";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, OpenLineTest,
    ::testing::Values(
        Row{"LibraryMissing", nullptr, Failed(R"(File "CAPI2032\.DLL" not found\.)")},
        Row{"NotInstalled", SIM_NOT_INSTALLED, Failed(R"(CAPI 2\.0 \(32 Bit\) not installed\.)")},
        Row{"Installed", SIM_LIBRARY,
            "open=true\ncaption=Capi Status: OK"
            "\nmemo=0\\) \\d\\d:\\d\\d:\\d\\d - Er heeft nog niemand gebeld\nclosed\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace monitor
