#include "platform/os/desktop_entry.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/os/xdg_folders.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Runs a program with its arguments, no shell; its exit status, output in `output`.
int RunProgram(const std::vector<std::string>& argv, std::string& output) {
    const std::string capture =
        fs::temp_directory_path() / ("entry-run-" + std::to_string(getpid()));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << argv[0] << " is not installed: " << std::strerror(spawned);
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    std::ifstream in(capture);
    std::stringstream text;
    text << in.rdbuf();
    output = text.str();
    fs::remove(capture);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class DesktopEntryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = fs::temp_directory_path() / "entry-XXXXXX";
        root = mkdtemp(pattern.data());
    }
    void TearDown() override { fs::remove_all(root); }
    std::string root;
};

TEST(DesktopEntryName, EveryOtherCharacterBecomesADash) {
    EXPECT_EQ(os::DesktopEntryFileName("Belverin 1.2"), "Belverin-1.2.desktop");
    EXPECT_EQ(os::DesktopEntryFileName("a/b\\c_d-e"), "a-b-c_d-e.desktop");
    // Each byte of a character outside ASCII counts on its own.
    EXPECT_EQ(os::DesktopEntryFileName("Belë"), "Bel--.desktop");
}

TEST(DesktopEntryText, QuotesTheProgramAndEscapesTheValues) {
    const std::string text =
        os::DesktopEntryText("Belverin\\x", "/p a/b\"c$d`e\\f%g/belverin", "/p a");
    EXPECT_NE(text.find("Name=Belverin\\\\x\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Exec=\"/p a/b\\\\\"c\\\\$d\\\\`e\\\\\\\\f%%g/belverin\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Path=/p a\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Terminal=false\n"), std::string::npos);
    EXPECT_EQ(text.rfind("[Desktop Entry]\nType=Application\n", 0), 0u);
    EXPECT_EQ(text.find("Icon="), std::string::npos) << "no icon given, none named";
    EXPECT_EQ(text.find("Categories="), std::string::npos);
    EXPECT_NE(os::DesktopEntryText("B", "/p/b", "/p", "/p a\\b/b.svg", "Network;")
                  .find("\nIcon=/p a\\\\b/b.svg\nCategories=Network;\n"),
              std::string::npos);
}

// For folders with characters a shell or the Exec rules treat specially, the written entry is
// valid and the desktop's launcher starts the program in its folder.
TEST_F(DesktopEntryTest, LauncherStartsTheProgramInItsFolder) {
    for (const std::string folderName : {"met spatie", "aan\"hal", "en'kel", "back`tick", "dol$lar",
                                         "sch\\uin", "punt;komma", "en&teken", "Belë"}) {
        SCOPED_TRACE(folderName);
        const std::string folder = root + "/" + folderName;
        fs::create_directories(folder);
        const std::string program = folder + "/belverin";
        fs::copy_file(BELVERIN_LAUNCH_PROBE, program);
        const std::string entry =
            os::WriteDesktopEntry(root, "Belverin " + folderName, program, folder,
                                  folder + "/belverin.svg", "Network;Telephony;");
        EXPECT_NE(ReadFile(entry).find("\nCategories=Network;Telephony;\n"), std::string::npos);

        std::string output;
        EXPECT_EQ(RunProgram({"desktop-file-validate", entry}, output), 0)
            << output << ReadFile(entry);

        const std::string record = root + "/record";
        fs::remove(record);
        setenv("BELVERIN_LAUNCH_RECORD", record.c_str(), 1);
        ASSERT_EQ(RunProgram({"gio", "launch", entry}, output), 0) << output << ReadFile(entry);
        for (int i = 0; i < 200 && !fs::exists(record); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_EQ(ReadFile(record), program + "\n" + folder + "\n") << ReadFile(entry);
        fs::remove(entry);
    }
    unsetenv("BELVERIN_LAUNCH_RECORD");
}

TEST_F(DesktopEntryTest, DesktopFolderFromUserDirs) {
    const os::XdgEnvironment env{root, root + "/config", ""};
    EXPECT_EQ(os::DesktopFolder(env), root + "/Desktop");
    EXPECT_EQ(os::AutostartFolder(env), root + "/config/autostart");
    EXPECT_EQ(os::ApplicationsFolder(env), root + "/.local/share/applications/belverin");

    fs::create_directories(root + "/config");
    struct Case {
        const char* line;
        std::string expected;
    };
    for (const Case& c : {Case{"XDG_DESKTOP_DIR=\"$HOME/Bureaublad\"", root + "/Bureaublad"},
                          Case{"  XDG_DESKTOP_DIR=\"/srv/bu\\\"reau\"", "/srv/bu\"reau"},
                          Case{"# XDG_DESKTOP_DIR=\"$HOME/Nee\"", root + "/Desktop"},
                          Case{"XDG_DESKTOP_DIR=\"relatief\"", root + "/Desktop"}}) {
        std::ofstream(root + "/config/user-dirs.dirs") << "XDG_MUSIC_DIR=\"$HOME/Muziek\"\n"
                                                       << c.line << "\n";
        EXPECT_EQ(os::DesktopFolder(env), c.expected) << c.line;
    }
    // A relative data or configuration folder is ignored.
    EXPECT_EQ(os::AutostartFolder({root, "rel", "rel"}), root + "/.config/autostart");
}

}  // namespace
