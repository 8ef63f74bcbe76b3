// The table's pure helpers: text literals, driver choice, production indexes, index lookup.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/db/database_error.h"
#include "platform/xbase32/expression.h"
#include "xbase/filter_literal.h"
#include "xbase/index_defs.h"
#include "xbase/table_type.h"

namespace xbase::testing {
namespace {

// What the engine reads the literal as.
std::string EngineValue(const std::string& literal) {
    const xb::Expression e = xb::Expression::Compile(literal, {});
    const std::string noRecord(1, ' ');
    return e.Evaluate(xb::RecordRef{noRecord, 1}, xb::EvalSettings{}).text;
}

TEST(TextLiteral, PicksADelimiterTheValueLacks) {
    struct Case {
        std::string value;
        std::string literal;
    };
    const std::vector<Case> cases = {
        {"Jansen", "'Jansen'"},
        {"", "''"},
        {"'s-Hertogenbosch", "\"'s-Hertogenbosch\""},
        {"zeg \"hoi\" en 't", "[zeg \"hoi\" en 't]"},
        {"[a] 'b'", "\"[a] 'b'\""},
        {"a[b", "'a[b'"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(XBaseTextLiteral(c.value), c.literal) << c.value;
        EXPECT_EQ(EngineValue(XBaseTextLiteral(c.value)), c.value) << c.value;
    }
}

TEST(TextLiteral, ValueWithAllThreeDelimitersIsJoinedFromPieces) {
    for (const std::string value :
         {"a'b\"c]d", "'\"]", "]]'\"\"''", "x]'y\"", "ab\"cd'ef]gh'ij\"kl]", "']\"[\xe9"}) {
        const std::string literal = XBaseTextLiteral(value);
        EXPECT_NE(literal.find('+'), std::string::npos) << literal;
        EXPECT_EQ(EngineValue(literal), value) << literal;
    }
}

TEST(TextLiteral, EqualsFilterFindsTheValueWithAnApostrophe) {
    const std::vector<xb::FieldDesc> fields = {{"PLAATS", 'C', 20, 0, 1}};
    const xb::Expression filter =
        xb::Expression::Compile(XBaseEquals("PLAATS", "'s-Hertogenbosch"), fields);
    std::string record = " 's-Hertogenbosch    ";
    EXPECT_TRUE(filter.EvaluateLogical({record, 1}, {}));
    record = " Utrecht             ";
    EXPECT_FALSE(filter.EvaluateLogical({record, 2}, {}));
    EXPECT_EQ(XBaseEquals("PLAATS", "Utrecht"), "PLAATS = 'Utrecht'");
}

TEST(TableType, DriverChoice) {
    struct Case {
        TTableType type;
        std::string name;
        std::string driver;
    };
    const std::vector<Case> cases = {
        {ttDefault, "X.DBF", "SXFOX"},
        {ttDefault, "x.dbf", "SXFOX"},
        {ttDefault, "X.TXT", "ASCIIDRV"},
        {ttDefault, "X.DB", "PARADOX"},
        {ttDefault, "X", "PARADOX"},
        {ttDefault, "map.d/X", "PARADOX"},
        {ttParadox, "X.DBF", "PARADOX"},
        {ttDBase, "X.DBF", "DBASE"},
        {ttASCII, "X.DBF", "ASCIIDRV"},
        {ttSXNTX, "X.DBF", "SXNTX"},
        {ttSXFOX, "X", "SXFOX"},
        {ttSXNSX, "X.DBF", "SXNSX"},
        {ttDefault, "/tmp/a.b/log.DbF", "SXFOX"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DriverNameOf(c.type, c.name), c.driver) << c.type << " " << c.name;
    }
}

TEST(TableType, XBaseTablesAndProductionIndexes) {
    EXPECT_TRUE(IsXBaseTable(ttDBase, "x.db"));
    EXPECT_TRUE(IsXBaseTable(ttSXFOX, "x"));
    EXPECT_TRUE(IsXBaseTable(ttParadox, "x.Dbf"));
    EXPECT_FALSE(IsXBaseTable(ttDefault, "x.db"));
    EXPECT_FALSE(IsXBaseTable(ttASCII, "x.txt"));

    struct Case {
        TTableType type;
        std::string table;
        std::string index;
        bool production;
    };
    const std::vector<Case> cases = {
        {ttSXFOX, "belverintel.DBF", "", true},
        {ttSXFOX, "belverintel.DBF", "tel3.idx", false},
        {ttSXFOX, "belverinlog.DBF", "belverinlog", true},
        {ttSXFOX, "belverinlog.DBF", "BELVERINLOG.CDX", true},
        {ttSXFOX, "dir/belverinlog.DBF", "belverinlog", true},
        {ttSXFOX, "belverinlog.DBF", "belverinlog.NDX", false},
        {ttSXNTX, "x.dbf", "naam.ndx", false},
        {ttDefault, "x.db", "naam.ndx", true},  // not an xBase table
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsProductionIndex(c.type, c.table, c.index), c.production)
            << c.table << " " << c.index;
    }
}

TEST(IndexDefs, FindsByNameAndByLeadingFields) {
    TIndexDefs defs;
    defs.Add({"NAAM", "NAAM;VOORNAAM", 0, "x.cdx"});
    defs.Add({"UNAAM", "NAAM", ixCaseInsensitive, "x.cdx"});
    defs.Add({"EXPR", "UPPER(NAAM)", ixExpression, ""});

    ASSERT_NE(defs.Find("naam"), nullptr);
    EXPECT_EQ(defs.Find("naam")->fields, "NAAM;VOORNAAM");
    EXPECT_EQ(defs.Find("none"), nullptr);

    EXPECT_EQ(defs.FindForFields("naam", false)->name, "NAAM");
    EXPECT_EQ(defs.FindForFields("NAAM;VOORNAAM", false)->name, "NAAM");
    EXPECT_EQ(defs.FindForFields("NAAM", true)->name, "UNAAM");
    EXPECT_EQ(defs.FindForFields("VOORNAAM", false), nullptr);
    EXPECT_EQ(defs.FindForFields("NAAM;VOORNAAM", true), nullptr);
    EXPECT_EQ(defs.FindForFields("UPPER(NAAM)", false), nullptr);
    EXPECT_THROW(defs.GetForFields("STRAAT", false), db::EDatabaseError);
}

}  // namespace
}  // namespace xbase::testing
