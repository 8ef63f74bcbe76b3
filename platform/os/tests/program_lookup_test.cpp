#include "platform/os/program_lookup.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/os/tests/probe_fixture.h"

namespace os {
namespace {

namespace fs = std::filesystem;

class ProgramLookup : public ::testing::Test {
  protected:
    void SetUp() override {
        Make(prog + "tool", true);
        Make(prog + "both", true);
        Make(prog + "plain.exe", true);
        Make(prog + "plain", true);
        Make(prog + "sub/deep", true);
        Make(prog + "notes.txt", false);
        fs::create_directories(prog + "adir");
        Make(path1 + "onpath", true);
        Make(path2 + "both", true);
        Make(path2 + "later", true);
        Make(path1 + "later", false);
    }

    static void Make(const std::string& file, bool executable) {
        fs::create_directories(fs::path(file).parent_path());
        std::ofstream(file) << "#!/bin/sh\n";
        ::chmod(file.c_str(), executable ? 0755 : 0644);
    }

    testing::ProbeFolder root;
    std::string prog = root.Dir() + "prog/";
    std::string path1 = root.Dir() + "bin1/";
    std::string path2 = root.Dir() + "bin2/";
};

TEST_F(ProgramLookup, FindsByTheOrderOfPlaces) {
    const std::string search = path1 + "::" + path2;
    struct Case {
        std::string name;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"tool", prog + "tool"},
        {"tool.exe", prog + "tool"},
        {"tool.EXE", prog + "tool"},
        {"plain.exe", prog + "plain.exe"},  // the exact name comes first
        {"sub/deep", prog + "sub/deep"},
        {"sub/deep.exe", prog + "sub/deep"},
        {"both", prog + "both"},  // the program folder before the search path
        {"onpath", path1 + "onpath"},
        {"onpath.exe", path1 + "onpath"},
        {"later", path2 + "later"},  // a file that cannot run is passed over
        {prog + "tool", prog + "tool"},
        {prog + "tool.exe", prog + "tool"},
        {"bin1/onpath", std::nullopt},  // a name with a folder does not use the search path
        {"notes.txt", std::nullopt},
        {"adir", std::nullopt},
        {"missing", std::nullopt},
        {".exe", std::nullopt},
        {"", std::nullopt},
        {path1 + "later", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindProgram(c.name, prog, search), c.expected) << "name: " << c.name;
    }
}

TEST_F(ProgramLookup, ProgramFolderWithoutTrailingSlashOrNone) {
    EXPECT_EQ(FindProgram("tool", root.Dir() + "prog", ""), prog + "tool");
    EXPECT_EQ(FindProgram("tool", "", ""), std::nullopt);
    EXPECT_EQ(FindProgram("onpath", "", path1), path1 + "onpath");
}

}  // namespace
}  // namespace os
