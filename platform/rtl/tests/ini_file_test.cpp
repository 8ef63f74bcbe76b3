#include "platform/rtl/ini_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "platform/rtl/tests/temp_dir.h"

namespace rtl {
namespace {

using rtl::testing::TempDir;

TEST(TIniFile, ReadStringFollowsPrivateProfileRules) {
    struct Case {
        const char* what;
        std::string file;
        std::string section, key;
        std::string expected;
    };
    const std::string d = "<default>";
    const Case cases[] = {
        {"hand-typed key in another case", "[capi]\r\nnultoevoegen=1\r\n", "CAPI", "NulToevoegen",
         "1"},
        {"empty value is a value", "[a]\r\ncmd=\r\n", "a", "cmd", ""},
        {"absent key gives the default", "[a]\r\ncmd=\r\n", "a", "cmdline", d},
        {"absent section gives the default", "[a]\r\nk=v\r\n", "b", "k", d},
        {"key outside any section is not found", "k=v\r\n[a]\r\n", "a", "k", d},
        {"split at the first =", "[a]\r\nk=x=y\r\n", "a", "k", "x=y"},
        {"blanks and tabs trimmed", "[a]\r\n \tk \t=\t  v w \t\r\n", "a", "k", "v w"},
        {"section header with blanks", "  [ a ]  \r\nk=v\r\n", "a", "k", "v"},
        {"; inside a value is data", "[a]\r\nk=x;y ; z\r\n", "a", "k", "x;y ; z"},
        {"; at line start is a comment", "[a]\r\n;k=v\r\n", "a", ";k", d},
        {"; after blanks is a comment", "[a]\r\n  ; k=v\r\nk=w\r\n", "a", "k", "w"},
        {"one pair of quotes removed", "[a]\r\nk=\"C:\\a b\\x.exe\" \"%t\"\r\n", "a", "k",
         "C:\\a b\\x.exe\" \"%t"},
        {"single quotes removed", "[a]\r\nk='  v  '\r\n", "a", "k", "  v  "},
        {"only one pair", "[a]\r\nk=\"\"v\"\"\r\n", "a", "k", "\"v\""},
        {"unmatched quotes stay", "[a]\r\nk=\"v'\r\n", "a", "k", "\"v'"},
        {"lone quote stays", "[a]\r\nk=\"\r\n", "a", "k", "\""},
        {"first key wins", "[a]\r\nk=1\r\nK=2\r\n", "a", "k", "1"},
        {"first section wins", "[a]\r\nx=1\r\n[A]\r\nk=2\r\n", "a", "k", d},
        {"LF and CR line ends", "[a]\nj=1\rk=2\n", "a", "k", "2"},
        {"byte-order mark skipped", "\xEF\xBB\xBF[a]\r\nk=v\r\n", "a", "k", "v"},
        {"Windows-1252 byte read as UTF-8", "[a]\r\nk=Twee\xEB\r\n", "a", "k", "Twee\xC3\xAB"},
        {"UTF-8 kept", "[a]\r\nk=Twee\xC3\xAB\r\n", "a", "k", "Twee\xC3\xAB"},
        {"each line decoded on its own: UTF-8 beside Windows-1252",
         "[a]\r\nk=Twee\xC3\xAB\r\nj=Caf\xE9\r\n", "a", "k", "Twee\xC3\xAB"},
        {"each line decoded on its own: Windows-1252 beside UTF-8",
         "[a]\r\nk=Twee\xC3\xAB\r\nj=Caf\xE9\r\n", "a", "j", "Caf\xC3\xA9"},
        {"a cut UTF-8 sequence makes its line Windows-1252", "[a]\r\nk=x\xC3\r\nj=\xC3\xAB\r\n",
         "a", "k", "x\xC3\x83"},
        {"a section name in Windows-1252", "[Caf\xE9]\r\nk=v\r\n", "Caf\xC3\xA9", "k", "v"},
        {"line without = is no key", "[a]\r\nk\r\n", "a", "k", d},
        {"header without ] is no section", "[a\r\nk=v\r\n", "a", "k", d},
        {"non-ASCII names match exactly only",
         "[\xC3\xAB"
         "a]\r\nk=v\r\n",
         "\xC3\x8B"
         "A",
         "k", d},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.Write("x.ini", c.file);
        const TIniFile ini(dir.File("x.ini"));
        EXPECT_EQ(ini.ReadString(c.section, c.key, d), c.expected) << c.what;
    }
}

TEST(TIniFile, MissingFileGivesDefaults) {
    TempDir dir;
    const TIniFile ini(dir.File("none.ini"));
    EXPECT_EQ(ini.ReadString("a", "k", "x"), "x");
    EXPECT_EQ(ini.ReadInteger("a", "k", 7), 7);
    EXPECT_TRUE(ini.ReadBool("a", "k", true));
    EXPECT_FALSE(ini.SectionExists("a"));
    EXPECT_FALSE(ini.ValueExists("a", "k"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.ini")));
}

TEST(TIniFile, ReadIntegerAndReadBool) {
    struct Case {
        std::string value;
        int integer;   // with default -99
        bool boolean;  // with default true
    };
    const Case cases[] = {
        {"0", 0, false},
        {"1", 1, true},
        {"42", 42, true},
        {"+7", 7, true},
        {"-15", -15, true},
        {"007", 7, true},
        {"2147483647", 2147483647, true},
        {"-2147483648", -2147483647 - 1, true},
        {"2147483648", -99, true},
        {"-2147483649", -99, true},
        {"99999999999999999999", -99, true},
        {"0x1F", 31, true},
        {"0X1f", 31, true},
        {"$FF", 255, true},
        {"$0", 0, false},
        {"0x8000000F", -2147483633, true},
        {"$FFFFFFFF", -1, true},
        {"0x100000000", -99, true},
        {"0x", -99, true},
        {"$", -99, true},
        {"0xG", -99, true},
        {"", -99, true},
        {"abc", -99, true},
        {"1.5", -99, true},
        {"12abc", -99, true},
        {"1 2", -99, true},
        {"-", -99, true},
        {"true", -99, true},
        {"\"5\"", 5, true},  // quotes come off first
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.Write("x.ini", "[a]\r\nk=" + c.value + "\r\n");
        const TIniFile ini(dir.File("x.ini"));
        EXPECT_EQ(ini.ReadInteger("a", "k", -99), c.integer) << "value: " << c.value;
        EXPECT_EQ(ini.ReadBool("a", "k", true), c.boolean) << "value: " << c.value;
    }
    TempDir dir;
    dir.Write("x.ini", "[a]\r\nk=true\r\n");
    EXPECT_FALSE(TIniFile(dir.File("x.ini")).ReadBool("a", "k", false));
}

TEST(TIniFile, WritesEditTheFileInPlace) {
    struct Case {
        const char* what;
        std::string before;
        std::function<void(TIniFile&)> edit;
        std::string after;
    };
    const Case cases[] = {
        {"new file", "", [](TIniFile& i) { i.WriteString("a", "k", "v"); }, "[a]\r\nk=v\r\n"},
        {"replace in the middle keeps comments, order and unknown lines",
         "; top\r\n[a]\r\nx=1\r\n; note\r\nK = old \r\nnonsense line\r\ny=2\r\n[b]\r\nz=3\r\n",
         [](TIniFile& i) { i.WriteString("A", "k", "new"); },
         "; top\r\n[a]\r\nx=1\r\n; note\r\nK=new\r\nnonsense line\r\ny=2\r\n[b]\r\nz=3\r\n"},
        {"new key after the section's last key", "[a]\r\nx=1\r\n\r\n; about b\r\n[b]\r\nz=3\r\n",
         [](TIniFile& i) { i.WriteString("a", "k", "v"); },
         "[a]\r\nx=1\r\nk=v\r\n\r\n; about b\r\n[b]\r\nz=3\r\n"},
        {"new key in a section without keys", "[a]\r\n[b]\r\n",
         [](TIniFile& i) { i.WriteString("a", "k", "v"); }, "[a]\r\nk=v\r\n[b]\r\n"},
        {"new section at the end", "[a]\r\nx=1", [](TIniFile& i) { i.WriteString("b", "k", "v"); },
         "[a]\r\nx=1\r\n\r\n[b]\r\nk=v\r\n"},
        {"only the first of a doubled key is replaced", "[a]\r\nk=1\r\nk=2\r\n",
         [](TIniFile& i) { i.WriteString("a", "k", "3"); }, "[a]\r\nk=3\r\nk=2\r\n"},
        {"no quotes and no blanks added", "",
         [](TIniFile& i) { i.WriteString("a", "k", " \"x\" "); }, "[a]\r\nk= \"x\" \r\n"},
        {"LF file comes back with CR LF", "[a]\nx=1\n",
         [](TIniFile& i) { i.WriteString("a", "x", "2"); }, "[a]\r\nx=2\r\n"},
        {"Windows-1252 file comes back as UTF-8", "[a]\r\nn=Twee\xEB\r\n",
         [](TIniFile& i) { i.WriteString("a", "k", "v"); }, "[a]\r\nn=Twee\xC3\xAB\r\nk=v\r\n"},
        {"mixed file: only the written line changes, the rest becomes UTF-8",
         "[a]\r\nn=Twee\xC3\xAB\r\nm=Caf\xE9\r\nk=1\r\n",
         [](TIniFile& i) { i.WriteString("a", "k", "\xC3\xA9\xC3\xA9n"); },
         "[a]\r\nn=Twee\xC3\xAB\r\nm=Caf\xC3\xA9\r\nk=\xC3\xA9\xC3\xA9n\r\n"},
        {"integers in signed decimal", "",
         [](TIniFile& i) {
             i.WriteInteger("a", "c", static_cast<int>(0x8000000Fu));
             i.WriteInteger("a", "p", 255);
         },
         "[a]\r\nc=-2147483633\r\np=255\r\n"},
        {"booleans as 1 and 0", "",
         [](TIniFile& i) {
             i.WriteBool("a", "t", true);
             i.WriteBool("a", "f", false);
         },
         "[a]\r\nt=1\r\nf=0\r\n"},
        {"delete a key", "[a]\r\nx=1\r\nk=2\r\n", [](TIniFile& i) { i.DeleteKey("a", "K"); },
         "[a]\r\nx=1\r\n"},
        {"erase every copy of a section", "[a]\r\nx=1\r\n[b]\r\ny=2\r\n[A]\r\nz=3\r\n",
         [](TIniFile& i) { i.EraseSection("a"); }, "[b]\r\ny=2\r\n"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        if (!c.before.empty()) {
            dir.Write("x.ini", c.before);
        }
        TIniFile ini(dir.File("x.ini"));
        c.edit(ini);
        EXPECT_EQ(dir.Read("x.ini"), c.after) << c.what;
    }
}

TEST(TIniFile, ValuesSurviveARoundTrip) {
    const std::string values[] = {"a=b;c", "; not a comment", "x;y", "Twee\xC3\xAB", "", "[x]"};
    TempDir dir;
    TIniFile ini(dir.File("x.ini"));
    for (const auto& v : values) {
        ini.WriteString("a", "k", v);
        EXPECT_EQ(ini.ReadString("a", "k", "?"), v);
    }
}

TEST(TIniFile, SecondObjectSeesWritesAtOnce) {
    TempDir dir;
    TIniFile writer(dir.File("x.ini"));
    const TIniFile reader(dir.File("x.ini"));
    EXPECT_EQ(reader.ReadString("a", "k", "none"), "none");
    writer.WriteString("a", "k", "1");
    EXPECT_EQ(reader.ReadString("a", "k", "none"), "1");
    writer.WriteString("a", "k", "2");
    EXPECT_EQ(reader.ReadInteger("a", "k", 0), 2);
    EXPECT_TRUE(reader.ValueExists("A", "K"));
    EXPECT_TRUE(reader.SectionExists("A"));
    // A hand edit between two reads is seen too.
    dir.Write("x.ini", "[a]\r\nk=3\r\n");
    EXPECT_EQ(reader.ReadInteger("a", "k", 0), 3);
}

TEST(TIniFile, SectionListings) {
    TempDir dir;
    dir.Write("x.ini", "[a]\r\nx=1\r\n;c=0\r\nY=2\r\ny=3\r\n[b]\r\n[A]\r\nz=1\r\n");
    const TIniFile ini(dir.File("x.ini"));
    TStringList keys;
    ini.ReadSection("A", keys);
    EXPECT_EQ(keys.Items(), (std::vector<std::string>{"x", "Y"}));
    ini.ReadSection("none", keys);
    EXPECT_EQ(keys.Count(), 0);
    TStringList sections;
    ini.ReadSections(sections);
    EXPECT_EQ(sections.Items(), (std::vector<std::string>{"a", "b"}));
}

TEST(TIniFile, FailedWriteRaisesWithTheFileNameAndKeepsTheFile) {
    TempDir dir;
    const std::string missing = dir.File("no/such/folder/x.ini");
    TIniFile ini(missing);
    try {
        ini.WriteString("a", "k", "v");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_NE(e.Message().find(missing), std::string::npos) << e.Message();
    }

    if (geteuid() != 0) {  // root writes into read-only folders
        dir.Write("x.ini", "[a]\r\nk=old\r\n");
        chmod(dir.Path().c_str(), 0500);
        TIniFile locked(dir.File("x.ini"));
        EXPECT_THROW(locked.WriteString("a", "k", "new"), Exception);
        chmod(dir.Path().c_str(), 0700);
        EXPECT_EQ(dir.Read("x.ini"), "[a]\r\nk=old\r\n");
    }
}

TEST(TIniFile, RefusesWhatWouldChangeTheShapeOfTheFile) {
    struct Case {
        std::string section, key, value;
    };
    const Case cases[] = {
        {"a", "k", "line\r\n[x]"}, {"a", "k", "v\n"}, {"a", "k=x", "v"}, {"a", "", "v"},
        {"a", " ", "v"},           {"a]", "k", "v"},  {"", "k", "v"},    {"a", ";k", "v"},
        {"a", "[k", "v"},          {"a\n", "k", "v"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.Write("x.ini", "[a]\r\nk=old\r\n");
        TIniFile ini(dir.File("x.ini"));
        EXPECT_THROW(ini.WriteString(c.section, c.key, c.value), Exception)
            << ::testing::PrintToString(c.section + "|" + c.key + "|" + c.value);
        EXPECT_EQ(dir.Read("x.ini"), "[a]\r\nk=old\r\n");
    }
}

TEST(TIniFile, WriteKeepsPermissionsAndSymbolicLinks) {
    TempDir dir;
    dir.Write("real.ini", "[a]\r\nk=1\r\n");
    chmod(dir.File("real.ini").c_str(), 0640);
    std::filesystem::create_symlink(dir.File("real.ini"), dir.File("link.ini"));
    TIniFile ini(dir.File("link.ini"));
    ini.WriteString("a", "k", "2");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.ini")));
    EXPECT_EQ(dir.Read("real.ini"), "[a]\r\nk=2\r\n");
    struct stat st {};
    ASSERT_EQ(stat(dir.File("real.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // No temporary file is left behind.
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 2);
}

}  // namespace
}  // namespace rtl
