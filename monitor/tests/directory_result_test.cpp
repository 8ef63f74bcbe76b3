#include "monitor/directory_result.h"

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace monitor {
namespace {

TEST(ParseResultLine, FieldsOfLinesLongAndShort) {
    const struct {
        const char* name;
        std::string line;
        DirectoryAddress expected;
    } cases[] = {
        {"ten fields",
         R"("1","2","3","Jan","Jansen","jr","Dorpsstraat","12","1234 AB","Ede")",
         {"Jan", "Jansen", "jr", "Dorpsstraat 12", "1234 AB", "Ede"}},
        {"empty house number keeps the blank",
         R"("1","2","3","","Smit","","Kerkweg","","","Ede")",
         {"", "Smit", "", "Kerkweg ", "", "Ede"}},
        {"six fields", R"("1","2","3","Jan","Jansen","jr")", {"Jan", "Jansen", "jr", "", "", ""}},
        {"seven fields", R"("1","2","3","a","b","c","Laan")", {"a", "b", "c", "Laan", "", ""}},
        {"two fields", R"("1","2")", {}},
        {"no separators", "found but odd", {}},
        {"eleven fields",
         R"("1","2","3","a","b","c","d","e","f","g","h")",
         {"a", "b", "c", "d e", "f", "g"}},
        {"Windows-1252 and C1 bytes",
         "\"1\",\"2\",\"3\",\"Ren\xE9\",\"\x80\x81\",\"\",\"\",\"\","
         "\"\",\"Zo\xEB\"",
         {"Ren\xC3\xA9", "\xE2\x82\xAC\xC2\x81", "", " ", "", "Zo\xC3\xAB"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseResultLine(c.line), c.expected) << c.name;
    }
}

// After each separator only 500 characters of the line go on, so a long field pushes the later
// ones out.
TEST(ParseResultLine, RestIsCutAfterEachField) {
    const std::string longName(480, 'n');
    const std::string line =
        R"("1","2","3","a",")" + longName + R"(","c","Straat","1","1234","Plaats")";
    const DirectoryAddress a = ParseResultLine(line);
    EXPECT_EQ(a.naam, longName);
    EXPECT_EQ(a.aanhangsel, "c");
    EXPECT_EQ(a.straat, "S");  // cut short; no house number follows
    EXPECT_EQ(a.plaats, "");
}

class ResultFolder : public ::testing::Test {
  protected:
    ResultFolder() {
        dir_ = std::filesystem::temp_directory_path() /
               ("belverin-result-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    ~ResultFolder() override { std::filesystem::remove_all(dir_); }
    void Put(const char* name, const std::string& bytes) {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    std::string Folder() const { return dir_.string() + "/"; }
    std::filesystem::path dir_;
};

TEST_F(ResultFolder, FirstLineDecidesFoundAndStatusLinesFollow) {
    Put("belvo.log",
        "\"1\",\"2\",\"3\",\"A\",\"B\",\"\",\"S\",\"1\",\"P\",\"T\"\r\nsecond line\r\n");
    Put("belvo2.log", "Foongrep 2.1\rniet gevonden hier\nlaatste\r\n");
    const DirectoryResult r = ReadDirectoryResult(Folder());
    EXPECT_EQ(r.state, ResultFileState::Read);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.address.plaats, "T");
    EXPECT_EQ(r.status.lines,
              (std::vector<std::string>{"Foongrep 2.1", "niet gevonden hier", "laatste"}));
    EXPECT_FALSE(r.status.geenCd) << "only the first line counts";

    const struct {
        const char* belvo;
        bool found;
    } cases[] = {{"", false}, {"\r\n\"1\",\"2\"", false}, {"\n", false}, {"x", true}};
    for (const auto& c : cases) {
        Put("belvo.log", c.belvo);
        EXPECT_EQ(ReadDirectoryResult(Folder()).found, c.found) << c.belvo;
    }
}

TEST_F(ResultFolder, StatusFlagIsExactAndAnEmptyFileHasNone) {
    const struct {
        const char* belvo2;
        bool geenCd;
        std::size_t lines;
    } cases[] = {{"KPN-cdfoongids niet gevonden\r\n", true, 1},
                 {"Niet Gevonden\r\n", false, 1},
                 {"", false, 0},
                 {"\r\n", false, 1}};
    for (const auto& c : cases) {
        Put("belvo2.log", c.belvo2);
        const StatusFile s = ReadStatusFile(Folder());
        EXPECT_EQ(s.state, ResultFileState::Read);
        EXPECT_EQ(s.geenCd, c.geenCd) << c.belvo2;
        EXPECT_EQ(s.lines.size(), c.lines) << c.belvo2;
    }
}

TEST_F(ResultFolder, MissingUnreadableAndHugeFiles) {
    EXPECT_EQ(ReadDirectoryResult(Folder()).state, ResultFileState::Absent);
    EXPECT_EQ(ReadStatusFile(Folder()).state, ResultFileState::Absent);

    std::filesystem::create_directory(dir_ / "belvo.log");
    EXPECT_EQ(ReadDirectoryResult(Folder()).state, ResultFileState::ReadError);
    std::filesystem::remove(dir_ / "belvo.log");

    // A pipe nobody writes to must not hold the reader up.
    ASSERT_EQ(::mkfifo((dir_ / "belvo2.log").c_str(), 0600), 0);
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadStatusFile(Folder()).state, ResultFileState::ReadError);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(1));
    std::filesystem::remove(dir_ / "belvo2.log");

    // Only the first 64 KiB are read: a line running past them ends there.
    Put("belvo.log", "\"1\",\"2\",\"3\",\"" + std::string(200 * 1024, 'x'));
    const DirectoryResult r = ReadDirectoryResult(Folder());
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.address.voornaam, std::string(492, 'x'));
    Put("belvo2.log", std::string(100 * 1024, 'y'));
    const StatusFile s = ReadStatusFile(Folder());
    ASSERT_EQ(s.lines.size(), 1u);
    EXPECT_EQ(s.lines[0].size(), 64u * 1024u);
}

}  // namespace
}  // namespace monitor
