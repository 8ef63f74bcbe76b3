#include "monitor/book/csv_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace book {
namespace {

using Records = std::vector<std::string>;

TEST(CsvReader, TurnsBytesIntoRecords) {
    struct Case {
        const char* what;
        std::string bytes;
        Records records;
    };
    const Case cases[] = {
        {"byte-order mark and UTF-8",
         "\xEF\xBB\xBF\xC3\xA9\xC3\xA9n,b\r\n",
         {"\xC3\xA9\xC3\xA9n,b"}},
        {"Windows-1252", "Zo\xEB,b\n", {"Zo\xC3\xAB,b"}},
        {"invalid UTF-8 read as Windows-1252",
         "caf\xE9,\xC3\xA9\n",
         {"caf\xC3\xA9,\xC3\x83\xC2\xA9"}},
        {"three line ends", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"blank lines", "a\n\n \t\r\n\r\nb\n", {"a", "b"}},
        {"quoted CR LF", "\"x\r\ny\",z\r\nq", {"\"x\r\ny\",z", "q"}},
        {"quoted LF and CR", "\"x\ny\rz\",1\n2", {"\"x\r\ny\r\nz\",1", "2"}},
        {"blank line inside quotes", "\"x\n\ny\"\n", {"\"x\r\n\r\ny\""}},
        {"quote open to the end", "a\n\"b,c\n\nd\ne\n", {"a", "\"b,c", "d", "e"}},
        {"empty file", "", {}},
    };
    for (const Case& c : cases) {
        const CsvFile file = ReadCsv(c.bytes, ',');
        EXPECT_EQ(file.error, "") << c.what;
        EXPECT_EQ(file.records, c.records) << c.what;
    }
}

TEST(CsvReader, RefusesWhatIsNoText) {
    for (const std::string& bytes : {std::string("\xFF\xFE"
                                                 "a\0,\0b\0",
                                                 8),
                                     std::string("\xFE\xFF\0a", 4), std::string("a,b\nc\0d", 7)}) {
        const CsvFile file = ReadCsv(bytes, ',');
        EXPECT_NE(file.error, "");
        EXPECT_TRUE(file.records.empty());
    }
    const CsvFile missing = ReadCsvFile("/nonexistent/folder/file.csv", ',');
    EXPECT_NE(missing.error, "");
    EXPECT_TRUE(missing.records.empty());
}

TEST(CsvReader, TheSeparatorDecidesWhereAQuotedFieldStarts) {
    // With ";" the quote opens the second field and the record goes on; with "," it does not.
    EXPECT_EQ(ReadCsv("a;\"b\nc\";d\n", ';').records, Records{"a;\"b\r\nc\";d"});
    EXPECT_EQ(ReadCsv("a;\"b\nc\";d\n", ',').records, (Records{"a;\"b", "c\";d"}));
}

}  // namespace
}  // namespace book
