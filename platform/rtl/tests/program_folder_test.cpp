#include "platform/rtl/program_folder.h"

#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/rtl/tests/temp_dir.h"

namespace rtl {
namespace {

using rtl::testing::TempDir;

TEST(ProgramFolder, IsTheFolderOfTheRunningProgramUnlessSet) {
    const std::string own = ProgramDir();
    ASSERT_FALSE(own.empty());
    EXPECT_EQ(own.back(), '/');
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    EXPECT_EQ(own + std::filesystem::path(exe).filename().string(), exe);

    SetProgramDir("/tmp/x");
    EXPECT_EQ(ProgramDir(), "/tmp/x/");
    SetProgramDir("/tmp/y/");
    EXPECT_EQ(ProgramDir(), "/tmp/y/");
    SetProgramDir("");
    EXPECT_EQ(ProgramDir(), own);
}

TEST(ProgramFolder, JoinPath) {
    EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
    EXPECT_EQ(JoinPath("/a/", "/b"), "/a/b");
    EXPECT_EQ(JoinPath("", "b"), "b");
}

TEST(ProgramFolder, ResolveCaseInsensitive) {
    TempDir dir;
    dir.Write("Belvo.INI", "x");
    dir.Write("exact.wav", "1");
    dir.Write("EXACT.WAV", "2");
    std::filesystem::create_directory(dir.File("Geluid"));
    dir.Write("Geluid/Intro.Wav", "3");
    struct Case {
        std::string name;
        std::string expected;  // relative to the folder
    };
    const Case cases[] = {
        {"belvo.ini", "Belvo.INI"},
        {"BELVO.ini", "Belvo.INI"},
        {"exact.wav", "exact.wav"},  // the exact spelling wins
        {"EXACT.WAV", "EXACT.WAV"},
        {"Exact.Wav", "EXACT.WAV"},  // several others: the least name, the same each time
        {"geluid/intro.wav", "Geluid/Intro.Wav"},
        {"GELUID", "Geluid"},
        {"missing.ini", "missing.ini"},
        {"geluid/missing.wav", "geluid/missing.wav"},  // nothing matched: as given
        {"belvo.ini.bak", "belvo.ini.bak"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ResolveCaseInsensitive(dir.Path(), c.name), dir.Path() + c.expected) << c.name;
    }
    // Without the trailing "/" on the folder.
    std::string folder = dir.Path();
    folder.pop_back();
    EXPECT_EQ(ResolveCaseInsensitive(folder, "belvo.ini"), dir.Path() + "Belvo.INI");
    EXPECT_EQ(ResolveCaseInsensitive(dir.File("nofolder"), "x"), dir.File("nofolder/x"));
}

}  // namespace
}  // namespace rtl
