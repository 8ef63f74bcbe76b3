// vCards written by other programs through both maintenance tools, read before and after by
// an independent reader (python3-vobject).
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "monitor/book/outlook_link.h"
#include "monitor/book/outlook_tools.h"
#include "monitor/settings.h"
#include "platform/rtl/tests/temp_dir.h"
#include "platform/rtl/text_encoding.h"

extern char** environ;

namespace monitor {
namespace {

namespace fs = std::filesystem;
using rtl::testing::TempDir;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The card's content lines as vobject reads them, sorted; fails the test when it cannot.
std::vector<std::string> ValuesOf(const std::string& card, const std::string& encoding,
                                  const std::string& scratch) {
    const std::string out = scratch + "values.txt";
    std::vector<std::string> args = {"/usr/bin/python3", BELVERIN_VCARD_VALUES, card, encoding,
                                     out};
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        ADD_FAILURE() << "cannot start python3";
        return {};
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "vobject cannot read " << card;
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(out));
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    fs::remove(out);
    return lines;
}

TEST(ForeignCards, BothToolsChangeOnlyWhatTheyMeanToAndLeaveOtherFilesAlone) {
    TempDir dir;
    const std::string folder = dir.Path() + "belverin/contacten/";
    fs::create_directories(folder);
    std::map<std::string, std::string> before;
    for (const auto& e : fs::directory_iterator(BELVERIN_VCARD_FIXTURES)) {
        fs::copy_file(e.path(), folder + e.path().filename().string());
        before[e.path().filename().string()] = ReadFile(e.path().string());
    }

    struct Edit {
        std::string from;
        std::string to;
    };
    struct Case {
        std::string file;
        std::string encoding;     // as read before; every written file is UTF-8
        std::vector<Edit> edits;  // none: the file stays byte for byte
        std::string rawLine;      // a line the written file holds as it stands
    };
    const std::vector<Case> cases = {
        {"a-foto.vcf",
         "utf-8",
         {{"item1.TEL;TYPE=HOME,pref:020-5551234", "item1.TEL;TYPE=HOME,pref:0205551234"},
          {"CATEGORIES:Familie|Belverin log", "CATEGORIES:Familie"}},
         "CATEGORIES:Familie,\r\n"},
        {"b-utf8-40.vcf",
         "utf-8",
         {{"TEL;TYPE=cell;VALUE=text:06-9876 5432", "TEL;TYPE=cell;VALUE=text:069876 5432"},
          {"TEL;TYPE=voice,home;VALUE=uri:tel:+31-20-555-0101",
           "TEL;TYPE=voice,home;VALUE=uri:tel:+3120-555-0101"},
          {"CATEGORIES:Belverin log|Vrienden", "CATEGORIES:|Vrienden"}},
         "CATEGORIES:,Vrienden\r\n"},
        {"c-cp1252.vcf",
         "cp1252",
         {{"TEL;TYPE=WORK:079-3161616", "TEL;TYPE=WORK:0793161616"},
          {"CATEGORIES:Werk|Belverin log", "CATEGORIES:Werk"}},
         "ORG:Caf\xC3\xA9 \xE2\x80\x98"
         "De Hoek\xE2\x80\x99\r\n"},
        {"d-ongewijzigd.vcf", "utf-8", {}, ""},
        {"e-groep-40.vcf", "", {}, ""},
        {"f-groep-30.vcf", "", {}, ""},
        {"g-geen-end.vcf", "", {}, ""},
        {"h-slechte-regel.vcf", "", {}, ""},
        {"i-versie-21.vcf", "", {}, ""},
        {"j-leeg.vcf", "", {}, ""},
    };
    ASSERT_EQ(before.size(), cases.size());
    std::map<std::string, std::vector<std::string>> valuesBefore;
    for (const Case& c : cases) {
        if (!c.edits.empty()) {
            valuesBefore[c.file] = ValuesOf(folder + c.file, c.encoding, dir.Path());
        }
    }

    setenv("XDG_DATA_HOME", dir.Path().c_str(), 1);
    instellingen = Instellingen{};
    outlookaankoppelen();
    ASSERT_TRUE(outlookisgekoppeld());
    std::vector<std::string> lijst;
    const auto regel = [&](const std::string& t) { lijst.push_back(t); };
    ASSERT_TRUE(streepjewissen(regel));
    ASSERT_TRUE(outlooklogwissen(regel));
    outlookafkoppelen();
    unsetenv("XDG_DATA_HOME");

    // Groups and broken files are no contacts: the tools never saw them.
    EXPECT_EQ(lijst, (std::vector<std::string>{
                         "Pieter Jansen", "  020-5551234 > 0205551234",
                         "Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m-M\xC3\xBCller",
                         "  +31-20-555-0101 > +3120-555-0101", "  06-9876 5432 > 069876 5432",
                         "Jos\xC3\xA9 M\xC3\xBCller", "  079-3161616 > 0793161616",
                         "Karin van Dijk", "Pieter Jansen  Familie;Belverin log",
                         "Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m-M\xC3\xBCller  Belverin log;Vrienden",
                         "Jos\xC3\xA9 M\xC3\xBCller  Werk;Belverin log"}));

    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(folder)) {
        left.push_back(e.path().filename().string());
    }
    EXPECT_EQ(left.size(), cases.size()) << "a temporary file stayed behind";

    for (const Case& c : cases) {
        const std::string after = ReadFile(folder + c.file);
        if (c.edits.empty()) {
            EXPECT_EQ(after, before[c.file]) << c.file;
            continue;
        }
        EXPECT_TRUE(rtl::IsValidUtf8(after)) << c.file;
        EXPECT_NE(after.find(c.rawLine), std::string::npos) << c.file;
        std::size_t start = 0;
        for (std::size_t end; (end = after.find('\n', start)) != std::string::npos;
             start = end + 1) {
            EXPECT_TRUE(end > start && after[end - 1] == '\r') << c.file << " at " << start;
            EXPECT_LE(end - 1 - start, 75u) << c.file << " at " << start;
        }
        EXPECT_EQ(start, after.size()) << c.file << ": the last line has no line end";

        std::vector<std::string> expected = valuesBefore[c.file];
        for (const Edit& edit : c.edits) {
            auto at = std::find(expected.begin(), expected.end(), edit.from);
            ASSERT_NE(at, expected.end()) << c.file << ": " << edit.from;
            *at = edit.to;
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(ValuesOf(folder + c.file, "utf-8", dir.Path()), expected) << c.file;
    }
}

}  // namespace
}  // namespace monitor
