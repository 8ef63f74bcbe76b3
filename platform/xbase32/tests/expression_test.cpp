#include "platform/xbase32/expression.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtl/text_encoding.h"
#include "platform/xbase32/tests/expression_fixture.h"

namespace xb {
namespace {

using testing::SampleFields;
using testing::SampleRecord;

class ExpressionTest : public ::testing::Test {
  protected:
    Value Eval(const std::string& text, const EvalSettings& settings = {}) {
        const Expression e = Expression::Compile(text, fields_);
        return e.Evaluate(RecordRef{record_, 7}, settings);
    }
    std::string EvalText(const std::string& text, const EvalSettings& settings = {}) {
        return Expression::Compile(text, fields_).EvaluateText(RecordRef{record_, 7}, settings);
    }

    std::vector<FieldDesc> fields_ = SampleFields();
    std::string record_ = SampleRecord();
};

// Each operator and function on the sample record (NAAM "Jansen", VOORNAAM "Jan", BEDRAG 12.50,
// AANTAL 42, DATUM 2024-02-29, ACTIEF true, LEEG blank, GEEN empty date, record number 7).
// Text results as they are, logicals as T/F, numbers as decimal text, dates as DTOS.
TEST_F(ExpressionTest, OperatorsAndFunctions) {
    struct Case {
        const char* expression;
        ValueType type;
        std::string expected;
    };
    const Case cases[] = {
        // fields without regard to case, literals, white space, parentheses
        {"TRIM(naam)", ValueType::Char, "Jansen"},
        {"TRIM(NaAm)", ValueType::Char, "Jansen"},
        {"voornaam", ValueType::Char, "Jan       "},
        {"FIELD->aantal", ValueType::Numeric, "42"},
        {"  ( ( aantal ) )  ", ValueType::Numeric, "42"},
        {"[x]+\"y\"+'z'", ValueType::Char, "xyz"},
        {"\"it's\"", ValueType::Char, "it's"},
        {".5 + 1", ValueType::Numeric, "1.5"},
        {".t.", ValueType::Logical, "T"},
        {".F.", ValueType::Logical, "F"},
        // + - * / on texts, numbers and dates
        {"TRIM(naam) + ' ' + voornaam", ValueType::Char, "Jansen Jan       "},
        {"'ab  ' - 'cd'", ValueType::Char, "abcd  "},
        {"bedrag * 2", ValueType::Numeric, "25"},
        {"aantal / 4", ValueType::Numeric, "10.5"},
        {"bedrag - aantal", ValueType::Numeric, "-29.5"},
        {"-aantal + 2", ValueType::Numeric, "-40"},
        {"1 + 2 * 3", ValueType::Numeric, "7"},
        {"(1 + 2) * 3", ValueType::Numeric, "9"},
        {"10 - 4 - 3", ValueType::Numeric, "3"},
        {"datum + 1", ValueType::Date, "20240301"},
        {"1 + datum", ValueType::Date, "20240301"},
        {"datum - 60", ValueType::Date, "20231231"},
        {"datum - CTOD('01/01/2024')", ValueType::Numeric, "59"},
        // relations
        {"aantal = 42", ValueType::Logical, "T"},
        {"aantal <> 42", ValueType::Logical, "F"},
        {"aantal # 41", ValueType::Logical, "T"},
        {"aantal != 42", ValueType::Logical, "F"},
        {"aantal < 43", ValueType::Logical, "T"},
        {"aantal <= 42", ValueType::Logical, "T"},
        {"aantal > 42", ValueType::Logical, "F"},
        {"aantal >= 43", ValueType::Logical, "F"},
        {"datum > CTOD('12/31/2023')", ValueType::Logical, "T"},
        {"geen < datum", ValueType::Logical, "T"},
        {".T. > .F.", ValueType::Logical, "T"},
        {"'sen' $ naam", ValueType::Logical, "T"},
        {"'SEN' $ naam", ValueType::Logical, "F"},
        {"'' $ naam", ValueType::Logical, "T"},
        // logic in any case; .NOT. binds looser than a relation, .AND. tighter than .OR.
        {"actief .and. aantal = 42", ValueType::Logical, "T"},
        {"actief .AnD. .not. actief", ValueType::Logical, "F"},
        {".F. .Or. actief", ValueType::Logical, "T"},
        {"!actief", ValueType::Logical, "F"},
        {".NOT. aantal = 41", ValueType::Logical, "T"},
        {"aantal = 41 .or. aantal = 42 .and. .f.", ValueType::Logical, "F"},
        {"(aantal = 41 .or. aantal = 42) .and. .t.", ValueType::Logical, "T"},
        // functions
        {"UPPER(voornaam)", ValueType::Char, "JAN       "},
        {"lower('AbC')", ValueType::Char, "abc"},
        {"LTRIM('  a ')", ValueType::Char, "a "},
        {"RTRIM('  a ')", ValueType::Char, "  a"},
        {"TRIM('  a ')", ValueType::Char, "  a"},
        {"ALLTRIM('  a ')", ValueType::Char, "a"},
        {"SUBSTR(naam, 2, 3)", ValueType::Char, "ans"},
        {"SUBSTR('abcdef', 3)", ValueType::Char, "cdef"},
        {"SUBSTR('abc', 5)", ValueType::Char, ""},
        {"SUBSTR('abcdef', -2)", ValueType::Char, "ef"},
        {"SUBSTR('abc', 2, 10)", ValueType::Char, "bc"},
        {"LEFT('abc', 2)", ValueType::Char, "ab"},
        {"LEFT('abc', 5)", ValueType::Char, "abc"},
        {"RIGHT('abc', 2)", ValueType::Char, "bc"},
        {"RIGHT('abc', 0)", ValueType::Char, ""},
        // a bare number field keeps its own width and decimals
        {"STR(aantal)", ValueType::Char, " 42"},
        {"STR(bedrag)", ValueType::Char, "   12.50"},
        {"STR(aantal + 0)", ValueType::Char, "        42"},
        {"STR(bedrag) == '   12.50'", ValueType::Logical, "T"},
        {"STR(bedrag) = '12.50'", ValueType::Logical, "F"},
        {"STR(bedrag, 10)", ValueType::Char, "        13"},
        {"STR(bedrag, 8, 2)", ValueType::Char, "   12.50"},
        {"STR(3.14159, 6, 2)", ValueType::Char, "  3.14"},
        {"STR(2.5, 1)", ValueType::Char, "3"},
        {"STR(-2.5, 2)", ValueType::Char, "-3"},
        {"STR(1.005, 5, 2)", ValueType::Char, " 1.01"},
        {"STR(1234.567, 6, 2)", ValueType::Char, "1234.6"},
        {"STR(123456, 3)", ValueType::Char, "***"},
        {"STR(-0.001, 5, 2)", ValueType::Char, " 0.00"},
        {"LTRIM(STR(42, 19))", ValueType::Char, "42"},
        {"STR(1, 5, 400)", ValueType::Char, "1.000"},
        {"VAL('  12.5xyz')", ValueType::Numeric, "12.5"},
        {"VAL('-3')", ValueType::Numeric, "-3"},
        {"VAL('abc')", ValueType::Numeric, "0"},
        {"VAL('')", ValueType::Numeric, "0"},
        {"DTOS(datum)", ValueType::Char, "20240229"},
        {"DTOS(geen)", ValueType::Char, "        "},
        {"DTOC(datum)", ValueType::Char, "02/29/24"},
        {"DTOS(CTOD('02/30/24'))", ValueType::Char, "        "},
        {"RECNO()", ValueType::Numeric, "7"},
        {"recno() * 2", ValueType::Numeric, "14"},
        {"DELETED()", ValueType::Logical, "F"},
        {"EMPTY(leeg)", ValueType::Logical, "T"},
        {"EMPTY(naam)", ValueType::Logical, "F"},
        {"EMPTY(0)", ValueType::Logical, "T"},
        {"EMPTY(bedrag)", ValueType::Logical, "F"},
        {"EMPTY(geen)", ValueType::Logical, "T"},
        {"EMPTY(datum)", ValueType::Logical, "F"},
        {"EMPTY(.F.)", ValueType::Logical, "T"},
        {"IIF(actief, 'ja', 'nee')", ValueType::Char, "ja"},
        {"IIF(aantal > 50, 1, 2)", ValueType::Numeric, "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expression);
        Value v;
        ASSERT_NO_THROW(v = Eval(c.expression));
        ASSERT_EQ(v.type, c.type);
        switch (v.type) {
            case ValueType::Char:
                EXPECT_EQ(v.text, c.expected);
                break;
            case ValueType::Numeric:
                EXPECT_DOUBLE_EQ(v.number, std::stod(c.expected));
                break;
            case ValueType::Date:
                EXPECT_EQ(Dtos(v.date), c.expected);
                break;
            case ValueType::Logical:
                EXPECT_EQ(v.logical ? "T" : "F", c.expected);
                break;
        }
    }
}

TEST_F(ExpressionTest, HugeNumbersDoNotFitAndDoNotVanish) {
    const std::string huge = "'1" + std::string(320, '0') + "'";
    EXPECT_EQ(EvalText("STR(VAL(" + huge + "), 5)"), "*****");
    EXPECT_GT(Eval("VAL(" + huge + ")").number, 1e300);
    EXPECT_EQ(EvalText("STR(VAL('0.' + " + huge + "), 5, 2)"), " 0.10");
    EXPECT_EQ(EvalText("STR(1 + 10 * 10 * 10, 3)"), "***");
}

TEST_F(ExpressionTest, DeletedReadsTheFlagByte) {
    record_ = SampleRecord(true);
    EXPECT_TRUE(Eval("DELETED()").logical);
    EXPECT_FALSE(Eval(".NOT. DELETED()").logical);
}

TEST_F(ExpressionTest, TextComparisonWithExactOnAndOff) {
    struct Case {
        const char* expression;
        bool exactOn;
        bool exactOff;
    };
    const Case cases[] = {
        {"'Jan' = 'Jan'", true, true},
        {"'Jansen' = 'Jan'", false, true},  // exact off: only as many characters as the right has
        {"'Jan' = 'Jansen'", false, false},
        {"'Jan' = ''", false, true},  // an empty right side matches everything with exact off
        {"'' = ''", true, true},
        {"'Jan   ' = 'Jan'", true, true},
        {"'Jan' = 'Jan   '", true, true},
        {"' Jan' = 'Jan'", false, false},
        {"'Jan' == 'Jan   '", true, true},  // == is exact whatever the setting
        {"'Jansen' == 'Jan'", false, false},
        {"'' == 'x'", false, false},
        {"'Jansen' <> 'Jan'", true, false},
        {"'Jansen' # 'Jan'", true, false},
        {"'Jansen' > 'Jan'", true, false},
        {"'Jansen' >= 'Jan'", true, true},
        {"'abc' < 'abd'", true, true},
        {"'ab' < 'ab'", false, false},
        {"naam = 'Jan'", false, true},
        {"voornaam = 'Jan'", true, true},
        {"naam = 'Jansen'", true, true},
        {"'\xE9' > 'z'", true, true},  // Windows-1252 bytes, unsigned
        {"'\xC9' < '\xE9'", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expression);
        EvalSettings on;
        on.exact = true;
        EvalSettings off;
        off.exact = false;
        const Expression e = Expression::Compile(c.expression, fields_);
        EXPECT_EQ(e.EvaluateLogical(RecordRef{record_, 1}, on), c.exactOn) << "exact on";
        EXPECT_EQ(e.EvaluateLogical(RecordRef{record_, 1}, off), c.exactOff) << "exact off";
    }
}

TEST_F(ExpressionTest, UpperAndLowerKnowWindows1252Letters) {
    const std::string lower = rtl::Utf8ToCp1252("abcxyzàáâãäåæçèéêëìíîïðñòóôõöøùúûüýþšœžÿ");
    const std::string upper = rtl::Utf8ToCp1252("ABCXYZÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞŠŒŽŸ");
    ASSERT_EQ(lower.find('?'), std::string::npos);
    ASSERT_EQ(upper.find('?'), std::string::npos);
    EXPECT_EQ(Eval("UPPER('" + lower + "')").text, upper);
    EXPECT_EQ(Eval("LOWER('" + upper + "')").text, lower);
    // Letters without a pair in the code page, signs and digits stay as they are.
    const std::string others = rtl::Utf8ToCp1252("ßµ×÷0-9 ,.€ªº");
    EXPECT_EQ(Eval("UPPER('" + others + "')").text, others);
    EXPECT_EQ(Eval("LOWER('" + others + "')").text, others);
    // The program's case-insensitive locate: Upper(field) = upper-cased value.
    fields_ = {{"NAAM", 'C', 10, 0, 1}};
    record_ = " " + rtl::Utf8ToCp1252("Zoë      ");
    record_.resize(11, ' ');
    EXPECT_TRUE(Eval("Upper(NAAM) = '" + rtl::Utf8ToCp1252("ZOË") + "'").logical);
}

TEST_F(ExpressionTest, DatesFollowFormatCenturyAndEpoch) {
    struct Case {
        int format;
        bool century;
        int epoch;
        const char* input;
        const char* dtos;
        const char* dtoc;
    };
    const Case cases[] = {
        {kDateAmerican, false, 1900, "01/01/49", "19490101", "01/01/49"},
        {kDateAmerican, true, 1900, "01/01/49", "19490101", "01/01/1949"},
        {kDateAmerican, false, 1950, "01/01/49", "20490101", "01/01/49"},
        {kDateAmerican, false, 1950, "01/01/50", "19500101", "01/01/50"},
        {kDateAmerican, true, 1950, "12/31/1949", "19491231", "12/31/1949"},
        {kDateAmerican, false, 1900, "02/29/00", "        ", "  /  /  "},  // 1900 was no leap year
        {kDateAmerican, false, 1950, "02/29/00", "20000229", "02/29/00"},
        {kDateAmerican, false, 1900, "13/01/99", "        ", "  /  /  "},
        {kDateAmerican, true, 1900, "", "        ", "  /  /    "},
        {kDateBritish, false, 1900, "31/12/99", "19991231", "31/12/99"},
        {kDateFrench, true, 1900, "1/2/2003", "20030201", "01/02/2003"},
        {kDateGerman, true, 1900, "31.12.1999", "19991231", "31.12.1999"},
        {kDateAnsi, false, 1900, "99.12.31", "19991231", "99.12.31"},
        {kDateAnsi, true, 1900, "", "        ", "    .  .  "},
        {kDateItalian, false, 1900, "31-12-99", "19991231", "31-12-99"},
        {kDateSpanish, true, 1900, "05-06-2007", "20070605", "05-06-2007"},
        {kDateWinDefault, false, 1900, "06/05/07", "19070605", "06/05/07"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.input) + " format " + std::to_string(c.format));
        EvalSettings s;
        s.date = DateSettings{c.century, c.epoch, c.format};
        const std::string date = std::string("CTOD('") + c.input + "')";
        EXPECT_EQ(EvalText("DTOS(" + date + ")", s), c.dtos);
        EXPECT_EQ(EvalText("DTOC(" + date + ")", s), c.dtoc);
        EXPECT_EQ(EvalText(date, s), c.dtoc);  // a date shows as DTOC
    }
    // The century test of the engine-call layer: ten characters exactly when century is on.
    EvalSettings s;
    s.date.century = true;
    EXPECT_EQ(EvalText("DTOC( CTOD(\"01/01/49\") )", s).size(), 10u);
    s.date.century = false;
    EXPECT_EQ(EvalText("DTOC( CTOD(\"01/01/49\") )", s).size(), 8u);
}

TEST_F(ExpressionTest, TextFormOfEachType) {
    EXPECT_EQ(EvalText("naam"), "Jansen              ");
    EXPECT_EQ(EvalText("bedrag"), "   12.50");  // a numeric field keeps its width and decimals
    EXPECT_EQ(EvalText("aantal + 1"), "        43");
    EXPECT_EQ(EvalText("datum"), "02/29/24");
    EXPECT_EQ(EvalText("actief"), ".T.");
    EXPECT_EQ(EvalText("aantal = 1"), ".F.");
}

TEST_F(ExpressionTest, WidthAndBareField) {
    struct Case {
        const char* expression;
        int width;
        bool bare;
    };
    const Case cases[] = {
        {"naam", 20, true},
        {"FIELD->Naam", 20, true},
        {"(naam)", 20, true},
        {"naam + ''", 20, false},
        {"UPPER(naam)", 20, false},
        {"SUBSTR(naam, 3, 5)", 5, false},
        {"SUBSTR(naam, 15)", 6, false},
        {"LEFT(naam, 4)", 4, false},
        {"RIGHT(naam, 40)", 20, false},
        {"TRIM(naam) + voornaam", 30, false},
        {"STR(aantal, 5)", 5, false},
        {"STR(aantal)", 3, false},  // a bare field: its own width
        {"STR(bedrag)", 8, false},
        {"STR(aantal + 0)", 10, false},
        {"DTOS(datum)", 8, false},
        {"IIF(actief, naam, voornaam)", 20, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expression);
        const Expression e = Expression::Compile(c.expression, fields_);
        EXPECT_EQ(e.Width(), c.width);
        EXPECT_EQ(e.BareField() != nullptr, c.bare);
        if (c.bare) {
            EXPECT_EQ(e.BareField()->name, "NAAM");
        }
    }
}

TEST_F(ExpressionTest, InvalidExpressionsAreRefused) {
    const char* cases[] = {
        "",
        "   ",
        "naam +",
        "(aantal",
        "aantal)",
        "'abc",
        "[abc",
        "\"abc",
        "onbekend",
        "FOO(1)",
        "UPPER()",
        "UPPER(naam, 1)",
        "SUBSTR(naam)",
        "RECNO(1)",
        "aantal .xor. .t.",
        "naam = ",
        "1 2",
        "memo",
        ".T",
        "FIELD->",
        "aantal @ 2",
        "naam ->",
        "IIF(actief, 1)",
        "a,b",
        ".",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        EXPECT_THROW(Expression::Compile(text, fields_), ExpressionError);
    }
    try {
        Expression::Compile("naam + onbekend", fields_);
        FAIL() << "compiled";
    } catch (const ExpressionError& e) {
        EXPECT_NE(e.Message().find("ONBEKEND"), std::string::npos) << e.Message();
    }
}

TEST_F(ExpressionTest, NestingIsBounded) {
    auto chain = [](int n) {
        std::string text = "1";
        for (int i = 0; i < n; ++i) {
            text += "+1";
        }
        return text;
    };
    auto parens = [](int n) { return std::string(n, '(') + "1" + std::string(n, ')'); };
    EXPECT_DOUBLE_EQ(Eval(chain(400)).number, 401);
    EXPECT_DOUBLE_EQ(Eval(parens(400)).number, 1);
    for (const std::string& deep :
         {chain(100000), parens(100000), std::string(100000, '-') + "1",
          std::string(50000, '!') + ".T.", "UPPER(" + parens(50000) + ")"}) {
        EXPECT_THROW(Expression::Compile(deep, fields_), ExpressionError);
    }
}

TEST_F(ExpressionTest, TypeMismatchesAreRefused) {
    const char* cases[] = {
        "naam + 1",         "aantal + 'x'",
        "naam = 1",         "datum = 'x'",
        "UPPER(aantal)",    "actief .and. 1",
        ".not. naam",       "datum + datum",
        "naam * 2",         "IIF(actief, 1, 'x')",
        "IIF(1, 2, 3)",     "SUBSTR(naam, 'x')",
        "DTOS(naam)",       "CTOD(datum)",
        "STR(naam)",        "VAL(1)",
        "'a' $ 1",          "-naam",
        "naam - datum",     "1 - datum",
        "actief < 1",       "LEFT(naam, naam)",
        "(aantal = 1) + 1", "aantal .or. actief",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        try {
            Expression::Compile(text, fields_);
            ADD_FAILURE() << "compiled";
        } catch (const ExpressionError& e) {
            EXPECT_NE(e.Message().find("type mismatch"), std::string::npos) << e.Message();
        }
    }
}

TEST_F(ExpressionTest, EvaluationFailuresAreErrors) {
    EXPECT_THROW(Eval("aantal / (aantal - 42)"), ExpressionError);
    const Expression e = Expression::Compile("naam", fields_);
    EXPECT_THROW(e.EvaluateLogical(RecordRef{record_, 1}, {}), ExpressionError);
}

TEST_F(ExpressionTest, ShortRecordReadsAsBlanks) {
    record_ = record_.substr(0, 5);  // "Jans" of NAAM, nothing else
    EXPECT_EQ(Eval("naam").text, "Jans                ");
    EXPECT_TRUE(Eval("EMPTY(voornaam) .and. EMPTY(aantal) .and. EMPTY(datum)").logical);
    record_.clear();
    EXPECT_FALSE(Eval("DELETED()").logical);
}

}  // namespace
}  // namespace xb
