#include <gtest/gtest.h>

#include <filesystem>

#include "platform/capi2032/tests/child_process.h"

namespace capi {
namespace {

using capisim_test::BaseEnvironment;
using capisim_test::RunChild;
using capisim_test::TempDir;
namespace fs = std::filesystem;

// One row of the status table: which library lies in the program folder and which on the
// library path, the steps run in a fresh process, and what they give.
struct Row {
    const char* name;
    const char* beside;        // library copied into the program folder as libcapi2032.so
    const char* library_path;  // library copied into a folder named by LD_LIBRARY_PATH
    std::vector<std::string> steps;
    const char* expected;
};

std::ostream& operator<<(std::ostream& os, const Row& r) {
    return os << r.name;
}

class StatusTableTest : public ::testing::TestWithParam<Row> {};

TEST_P(StatusTableTest, EachRowInItsOwnProcess) {
    const Row& row = GetParam();
    TempDir program;
    TempDir library;
    const fs::path probe = fs::path(program.path()) / "probe";
    fs::copy_file(CAPI_DLL_PROBE, probe);
    if (row.beside != nullptr) {
        fs::copy_file(row.beside, fs::path(program.path()) / "libcapi2032.so");
    }
    // Nothing but the row's own folders may lead to a library.
    std::vector<std::string> env = BaseEnvironment();
    if (row.library_path != nullptr) {
        fs::copy_file(row.library_path, fs::path(library.path()) / "libcapi2032.so");
        env.push_back("LD_LIBRARY_PATH=" + library.path());
    }
    env.push_back("CAPISIM_SOCKET=" + program.path() + "/line.sock");
    const auto result = RunChild(probe.string(), row.steps, env);
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(result.out, std::string(row.expected) + "\n") << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StatusTableTest,
    ::testing::Values(
        Row{"FileMissing",
            nullptr,
            nullptr,
            {"load", "kept", "version", "register", "unload", "appear:" SIM_LIBRARY, "load",
             "version"},
            "load=2 kept=no version=9002 register=9002 unload=false/2 appear=done load=2 "
            "version=9002"},
        Row{"NotInstalled",
            SIM_NOT_INSTALLED,
            nullptr,
            {"load", "kept", "version", "load", "unload", "kept", "version", "load"},
            "load=3 kept=yes version=9003 load=3 unload=true/1 kept=no version=9001 load=3"},
        Row{"MissingExport",
            SIM_WITHOUT_WAIT,
            nullptr,
            {"load", "kept", "wait", "register", "unload"},
            "load=3 kept=yes wait=9003 register=9003 unload=true/1"},
        Row{"Installed",
            SIM_LIBRARY,
            nullptr,
            {"load", "load", "installed_calls", "version", "register", "wait", "unload", "version",
             "load", "installed_calls"},
            "load=0 load=0 installed_calls=1 version=0/2.0 register=0000 wait=1101 "
            "unload=true/1 version=9001 load=0 installed_calls=2"},
        Row{"FromTheLibraryPath",
            nullptr,
            SIM_LIBRARY,
            {"load", "version"},
            "load=0 version=0/2.0"},
        Row{"ProgramFolderFirst", SIM_NOT_INSTALLED, SIM_LIBRARY, {"load"}, "load=3"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace capi
