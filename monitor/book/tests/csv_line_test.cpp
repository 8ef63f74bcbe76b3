#include "monitor/book/csv_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace book {
namespace {

using Fields = std::vector<std::string>;

std::string WideLine(Fields* fields) {
    std::string line;
    for (int n = 0; n < 30; ++n) {
        std::string field = "veld" + std::to_string(n);
        field.resize(29, static_cast<char>('a' + n % 26));
        fields->push_back(field);
        line += (n == 0 ? "" : ",") + field;
    }
    return line;
}

TEST(CsvLine, SplitsLinesIntoTheirFields) {
    struct Case {
        std::string line;
        char separator;
        Fields fields;
    };
    Fields wide;
    const std::string wideLine = WideLine(&wide);
    const Case cases[] = {
        {"a,b,,\"c d\"", ',', {"a", "b", " ", "c d"}},
        {",a", ',', {" ", "a"}},
        {"a,", ',', {"a", " "}},
        {",a,", ',', {" ", "a", " "}},
        {"a,,,b", ',', {"a", " ", " ", "b"}},
        {"\"a,b\",c", ',', {"a,b", "c"}},
        {"\",\",b", ',', {",", "b"}},
        {"a;b;;\"c;d\"", ';', {"a", "b", " ", "c;d"}},
        {"a,b", ';', {"a,b"}},
        {"a\tb", '\t', {"a", "b"}},
        {"\"Caf\xC3\xA9 \"\"De Hoek\"\"\",Amsterdam",
         ',',
         {"Caf\xC3\xA9 \"De Hoek\"", "Amsterdam"}},
        {"\"\"\"\"", ',', {"\""}},
        {"\"\"", ',', {" "}},
        {"a,\"\",b", ',', {"a", " ", "b"}},
        {"5\" disk,x", ',', {"5\" disk", "x"}},
        {"\"ab\"c\",d", ',', {"ab\"c", "d"}},
        {"\"open,no close", ',', {"open,no close"}},
        {"a,\"open,no close", ',', {"a", "open,no close"}},
        {",", ',', {" ", " "}},
        {",,", ',', {" ", " ", " "}},
        {wideLine, ',', wide},
        {"\xC3\xA9\xC3\xA9n,Zo\xC3\xAB;x,\xC3\x9F",
         ',',
         {"\xC3\xA9\xC3\xA9n", "Zo\xC3\xAB;x", "\xC3\x9F"}},
        {"\"regel een\r\nregel twee\",b", ',', {"regel een\r\nregel twee", "b"}},
        {"x", ',', {"x"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CsvLine::Fields(c.line, c.separator), c.fields) << c.line;
    }
}

TEST(CsvLine, RewritesIntoQuotedFields) {
    struct Case {
        std::string line;
        std::string rewritten;
    };
    const Case cases[] = {
        {"a,b,,\"c d\"", "\"a\",\"b\",\" \",\"c d\""},
        {",a", "\" \",\"a\""},
        {"x", "\"x\""},
        {"\"a\",\"b\"", "\"a\",\"b\""},
        {"", ""},
    };
    for (const Case& c : cases) {
        const std::string rewritten = CsvLine::Rewrite(c.line, ',');
        EXPECT_EQ(CsvLine::Shown(rewritten), c.rewritten) << c.line;
    }
    // A quote inside a value shows as a quote, though it never ends a field.
    EXPECT_EQ(CsvLine::Shown(CsvLine::Rewrite("\"a\"\"b\",c", ',')), "\"a\"b\",\"c\"");
}

TEST(CsvLine, KnowsWhenARecordGoesOnOnTheNextLine) {
    struct Case {
        std::string line;
        bool insideAtStart;
        bool endsInside;
    };
    const Case cases[] = {
        {"a,\"b", false, true},     {"a,\"b\"", false, false}, {"a,b\"c", false, false},
        {"a,\"b\"\"", false, true}, {"c\",d", true, false},    {"c\"\"d", true, true},
        {"", true, true},           {"x\" y", true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CsvLine::EndsInsideQuotes(c.line, ',', c.insideAtStart), c.endsInside)
            << c.line << " " << c.insideAtStart;
    }
}

}  // namespace
}  // namespace book
