#include "monitor/directory_command.h"

#include <gtest/gtest.h>

#include "platform/os/command_line.h"

namespace monitor {
namespace {

// The command lines as the Windows program wrote them, blanks and all.
std::string MonitorLine(const std::string& d, const std::string& s, const std::string& n) {
    return d + "foongrep.exe -1 -,, -q  -a iso -e" + s + " -rsfpmgt  -t " + n + " -o " + d +
           "belvo.log -O " + d + "belvo2.log";
}
std::string WindowLine(const std::string& d, const std::string& s, const std::string& n) {
    return d + "foongrep.exe -1 -,, -q -a iso -e" + s + " -rsfpmgt -t" + n + " -o " + d +
           "belvo.log -O " + d + "belvo2.log";
}

TEST(DirectoryCommand, VectorsAreTheSplitCommandLines) {
    const std::string d = "/opt/foongrep/";
    EXPECT_EQ(*MonitorLookupArguments(d, "60", "0201234567"),
              os::SplitCommandLine(MonitorLine(d, "60", "0201234567")));
    EXPECT_EQ(*WindowLookupArguments(d, "60", "0201234567"),
              os::SplitCommandLine(WindowLine(d, "60", "0201234567")));
    EXPECT_EQ(StatusTestArguments(d),
              os::SplitCommandLine(d + "foongrep.exe -S -O " + d + "belvo2.log"));
}

// The search time in "-e" is the one the wait uses.
TEST(DirectoryCommand, SearchTimeAgreesWithTheWait) {
    const struct {
        const char* zoektijd;
        const char* e;
    } cases[] = {{"60", "-e60"}, {"abc", "-e5"}, {"0", "-e5"}};
    for (const auto& c : cases) {
        EXPECT_EQ((*MonitorLookupArguments("/f/", c.zoektijd, "1"))[6], c.e) << c.zoektijd;
        EXPECT_EQ((*WindowLookupArguments("/f/", c.zoektijd, "1"))[6], c.e) << c.zoektijd;
    }
}

TEST(DirectoryCommand, BlanksStayInsideTheirArguments) {
    const std::string d = "/home/jan/Mijn Foongrep/";
    const auto m = *MonitorLookupArguments(d, "60", "020 123 4567");
    EXPECT_EQ(m.front(), d + "foongrep.exe");
    EXPECT_EQ(m[9], "020 123 4567");
    EXPECT_EQ(m[11], d + "belvo.log");
    EXPECT_EQ(m[13], d + "belvo2.log");
    EXPECT_EQ(m.size(), 14u);
    const auto w = *WindowLookupArguments(d, "60", "020 123\"4567");
    EXPECT_EQ(w[8], "-t020 123\"4567");
    EXPECT_EQ(w.size(), 13u);
    EXPECT_EQ(StatusTestArguments(d).back(), d + "belvo2.log");
}

TEST(DirectoryCommand, NumbersThatWouldActAsOptionsAreRefused) {
    for (const char* bad : {"", "-S", "-", "--", "-t0201", "020\n1", "\x1F", "0201\t"}) {
        EXPECT_FALSE(IsDirectoryNumber(bad)) << bad;
        EXPECT_FALSE(MonitorLookupArguments("/f/", "60", bad)) << bad;
        EXPECT_FALSE(WindowLookupArguments("/f/", "60", bad)) << bad;
    }
    for (const char* good : {"0201234567", "+31 20-1234", "\xE9\xE9n", "a\"b", "1 -S"}) {
        EXPECT_TRUE(IsDirectoryNumber(good)) << good;
    }
}

TEST(DirectoryCommand, FolderIsJoinedAndCountsFromTheProgramFolder) {
    const struct {
        const char* setting;
        const char* folder;
    } cases[] = {
        {"", "/prog/"},      {"/opt/fg", "/opt/fg/"}, {"/opt/fg/", "/opt/fg/"},
        {"fg", "/prog/fg/"}, {"fg/", "/prog/fg/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FoongrepFolder(c.setting, "/prog/"), c.folder) << c.setting;
    }
}

}  // namespace
}  // namespace monitor
