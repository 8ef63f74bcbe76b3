#include "platform/xbase32/tests/engine_fixture.h"

namespace xbtest {
namespace {

constexpr const char* kFields = "C:C:5,N:N:8:2,I:N:4,D:D,L:L,M:M";

struct ReplaceCase {
    const char* name;
    const char* field;
    int32_t kind;
    std::string text;
    double number = 0;
    int32_t flag = 0;
    const char* stored;  // nullptr: refused, the field keeps its blanks
};

void PrintTo(const ReplaceCase& c, std::ostream* os) {
    *os << c.name;
}

class ReplaceTest : public EngineTest, public ::testing::WithParamInterface<ReplaceCase> {};

TEST_P(ReplaceTest, StoresTheFieldsFormOrRefuses) {
    const ReplaceCase& c = GetParam();
    const std::string path = Create("v.DBF", kFields);
    Open(path);
    ASSERT_EQ(sx_AppendEx(), 0);
    const void* value = c.kind == SX_R_DOUBLE    ? static_cast<const void*>(&c.number)
                        : c.kind == SX_R_LOGICAL ? static_cast<const void*>(&c.flag)
                                                 : static_cast<const void*>(c.text.c_str());
    const std::string before = sx_GetString(c.field);
    EXPECT_EQ(sx_Replace(c.field, c.kind, value) != 0, c.stored != nullptr) << sx_LastErrorText();
    // Reopen: what counts is what reached the file.
    sx_Close();
    Open(path);
    EXPECT_EQ(sx_GetString(c.field), std::string(c.stored != nullptr ? c.stored : before));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ReplaceTest,
    ::testing::Values(
        ReplaceCase{"TextPadded", "C", SX_R_CHAR, "abc", 0, 0, "abc  "},
        ReplaceCase{"TextCut", "C", SX_R_CHAR, "abcdefgh", 0, 0, "abcde"},
        ReplaceCase{"WindowsAnsiByte", "C", SX_R_CHAR, "Zo\xEB", 0, 0, "Zo\xEB  "},
        ReplaceCase{"DoubleWithDecimals", "N", SX_R_DOUBLE, "", 1234.5, 0, " 1234.50"},
        ReplaceCase{"DoubleRounded", "N", SX_R_DOUBLE, "", 2.345, 0, "    2.35"},
        ReplaceCase{"DoubleTooWide", "N", SX_R_DOUBLE, "", 123456.789, 0, nullptr},
        ReplaceCase{"NegativeWhole", "I", SX_R_DOUBLE, "", -12, 0, " -12"},
        ReplaceCase{"NumberText", "I", SX_R_CHAR, " 42", 0, 0, "  42"},
        ReplaceCase{"NumberTextTooWide", "I", SX_R_CHAR, "12345", 0, 0, nullptr},
        // A number text is written as a number of the field; any other text is refused.
        ReplaceCase{"NumberTextGetsTheDecimals", "N", SX_R_CHAR, "3.14159", 0, 0, "    3.14"},
        ReplaceCase{"NumberTextRounded", "N", SX_R_CHAR, "-2.345", 0, 0, "   -2.35"},
        ReplaceCase{"NumberTextWithSign", "N", SX_R_CHAR, " +12 ", 0, 0, "   12.00"},
        ReplaceCase{"NumberTextLeadingPoint", "I", SX_R_CHAR, ".6", 0, 0, "   1"},
        ReplaceCase{"NumberTextEmptyIsBlank", "N", SX_R_CHAR, "  ", 0, 0, "        "},
        ReplaceCase{"NumberTextTooWideWithDecimals", "N", SX_R_CHAR, "123456", 0, 0, nullptr},
        ReplaceCase{"TextIntoNumber", "N", SX_R_CHAR, "abc", 0, 0, nullptr},
        ReplaceCase{"NumberWithTrailingText", "N", SX_R_CHAR, "12abc", 0, 0, nullptr},
        ReplaceCase{"NumberWithBlankInside", "N", SX_R_CHAR, "1 2", 0, 0, nullptr},
        ReplaceCase{"NumberWithExponent", "N", SX_R_CHAR, "1e3", 0, 0, nullptr},
        ReplaceCase{"NumberWithDecimalComma", "N", SX_R_CHAR, "3,5", 0, 0, nullptr},
        ReplaceCase{"LoneSign", "N", SX_R_CHAR, "-", 0, 0, nullptr},
        ReplaceCase{"DateText", "D", SX_R_DATESTR, "12/31/99", 0, 0, "19991231"},
        ReplaceCase{"DateTextFourDigitYear", "D", SX_R_DATESTR, "02/29/2024", 0, 0, "20240229"},
        ReplaceCase{"DateTextInvalid", "D", SX_R_DATESTR, "02/30/99", 0, 0, nullptr},
        ReplaceCase{"DateTextBlank", "D", SX_R_DATESTR, "  /  /  ", 0, 0, "        "},
        ReplaceCase{"DateAsStoredText", "D", SX_R_CHAR, "20240229", 0, 0, "20240229"},
        ReplaceCase{"LogicalTrue", "L", SX_R_LOGICAL, "", 0, -1, "T"},
        ReplaceCase{"LogicalFalse", "L", SX_R_LOGICAL, "", 0, 0, "F"},
        ReplaceCase{"LogicalText", "L", SX_R_CHAR, "y", 0, 0, "T"},
        ReplaceCase{"MemoText", "M", SX_R_MEMO, "a memo", 0, 0, "a memo"},
        ReplaceCase{"MemoAsText", "M", SX_R_CHAR, "via text", 0, 0, "via text"},
        ReplaceCase{"LogicalIntoText", "C", SX_R_LOGICAL, "", 0, 1, nullptr},
        ReplaceCase{"DoubleIntoDate", "D", SX_R_DOUBLE, "", 3, 0, nullptr},
        ReplaceCase{"DateIntoNumber", "N", SX_R_DATESTR, "12/31/99", 0, 0, nullptr},
        ReplaceCase{"UnknownField", "X", SX_R_CHAR, "x", 0, 0, nullptr},
        ReplaceCase{"UnknownKind", "C", 77, "x", 0, 0, nullptr}),
    [](const ::testing::TestParamInfo<ReplaceCase>& info) { return std::string(info.param.name); });

TEST_F(EngineTest, ReplaceRefusedAtTheEndOfTable) {
    Open(Create("v.DBF", kFields));
    sx_GoTop();
    ASSERT_TRUE(sx_Eof());
    EXPECT_FALSE(sx_Replace("C", SX_R_CHAR, "x"));
    EXPECT_FALSE(sx_PutRecord(std::string(static_cast<size_t>(sx_RecSize()), ' ').c_str()));
    EXPECT_EQ(sx_RecCount(), 0);
}

TEST_F(EngineTest, TwoDigitYearsFallInTheEpochsCentury) {
    Open(Create("e.DBF", "D:D"));
    ASSERT_EQ(sx_AppendEx(), 0);
    struct {
        int epoch;
        const char* text;
        const char* stored;
    } cases[] = {{1900, "01/01/49", "19490101"},
                 {1950, "01/01/49", "20490101"},
                 {1950, "01/01/50", "19500101"},
                 {1950, "01/01/51", "19510101"},
                 {1950, "06/15/2049", "20490615"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        sx_SetEpoch(c.epoch);
        ASSERT_TRUE(sx_Replace("D", SX_R_DATESTR, c.text));
        EXPECT_STREQ(sx_GetString("D"), c.stored);
    }
    EXPECT_EQ(sx_SetEpoch(1900), 1950) << "the old epoch comes back";
}

TEST_F(EngineTest, DateTextsFollowFormatAndCentury) {
    Open(Create("f.DBF", "D:D"));
    ASSERT_EQ(sx_AppendEx(), 0);
    ASSERT_TRUE(sx_Replace("D", SX_R_CHAR, "19991231"));
    struct {
        int format;
        bool century;
        const char* text;
    } cases[] = {{0, false, "12/31/99"}, {0, true, "12/31/1999"}, {1, false, "99.12.31"},
                 {2, false, "31/12/99"}, {3, true, "31/12/1999"}, {4, false, "31.12.99"},
                 {5, false, "31-12-99"}, {6, true, "31-12-1999"}, {99, false, "12/31/99"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        sx_SetDateFormat(c.format);
        sx_SetCentury(c.century ? 1 : 0);
        EXPECT_STREQ(sx_GetDateString("D"), c.text);
        // The same text read back in that format gives the same day.
        ASSERT_TRUE(sx_Replace("D", SX_R_DATESTR, c.text));
        EXPECT_STREQ(sx_GetString("D"), "19991231");
    }
    sx_SetCentury(1);
    EXPECT_EQ(sx_SetCentury(0), 1) << "the old setting comes back";
    sx_SetDateFormat(4);
    ASSERT_TRUE(sx_Replace("D", SX_R_CHAR, ""));
    EXPECT_STREQ(sx_GetDateString("D"), "  .  .  ");
    EXPECT_STREQ(sx_GetDateString("NOSUCH"), "");
}

TEST_F(EngineTest, ReadsTrimmedLogicalAndEmptyFromStoredBytes) {
    Open(Create("r.DBF", "C:C:5,N:N:5:1,D:D,L:L"));
    struct {
        const char *c, *n, *d, *l;  // stored bytes
        const char* trimC;
        const char* trimN;
        bool emptyC, emptyN, emptyD, emptyL, logical;
    } cases[] = {
        {"ab   ", "  1.5", "19991231", "T", "ab", "1.5", false, false, false, false, true},
        {"     ", "  0.0", "        ", "F", "", "0.0", true, true, true, true, false},
        {"  x  ", "     ", "        ", "y", "  x", "", false, true, true, false, true},
        {"abcde", " -2.0", "20000101", "?", "abcde", "-2.0", false, false, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.trimC);
        ASSERT_EQ(sx_AppendEx(), 0);
        const std::string record = std::string(" ") + c.c + c.n + c.d + c.l;
        ASSERT_EQ(record.size(), static_cast<size_t>(sx_RecSize()));
        ASSERT_TRUE(sx_PutRecord(record.c_str()));
        EXPECT_STREQ(sx_GetTrimString("C"), c.trimC);
        EXPECT_STREQ(sx_GetTrimString("N"), c.trimN);
        EXPECT_EQ(sx_Empty("C") != 0, c.emptyC);
        EXPECT_EQ(sx_Empty("N") != 0, c.emptyN);
        EXPECT_EQ(sx_Empty("D") != 0, c.emptyD);
        EXPECT_EQ(sx_Empty("L") != 0, c.emptyL);
        EXPECT_EQ(sx_GetLogical("L") != 0, c.logical);
        EXPECT_FALSE(sx_GetLogical("C"));
    }
}

TEST_F(EngineTest, MemoTextIsReplacedEmptiedAndWrapped) {
    const std::string path = Create("m.DBF", "M:M");
    Open(path);
    ASSERT_EQ(sx_AppendEx(), 0);
    ASSERT_TRUE(sx_Replace("M", SX_R_MEMO, "first text"));
    const auto sizeBefore = std::filesystem::file_size(Path("m.FPT"));
    ASSERT_TRUE(sx_Replace("M", SX_R_MEMO, "aaa bbb ccc"));
    // A new text goes to new blocks, so a reader of the old pointer never sees a half write.
    EXPECT_GT(std::filesystem::file_size(Path("m.FPT")), sizeBefore);
    char* wrapped = sx_GetMemo("M", 7);
    ASSERT_NE(wrapped, nullptr);
    EXPECT_STREQ(wrapped, "aaa bbb\r\nccc");
    sx_MemDealloc(wrapped);
    char* plain = sx_GetMemo("M", 0);
    ASSERT_NE(plain, nullptr);
    EXPECT_STREQ(plain, "aaa bbb ccc");
    sx_MemDealloc(plain);
    EXPECT_FALSE(sx_Empty("M"));

    ASSERT_TRUE(sx_Replace("M", SX_R_MEMO, nullptr));
    EXPECT_TRUE(sx_Empty("M"));
    EXPECT_EQ(sx_GetMemo("M", 0), nullptr);
    EXPECT_STREQ(sx_LastErrorText(), "") << "an empty memo is no failure";
    EXPECT_EQ(sx_GetBlobLength("M"), 0);
    EXPECT_STREQ(sx_GetString("M"), "");
}

}  // namespace
}  // namespace xbtest
