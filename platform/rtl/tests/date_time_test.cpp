#include "platform/rtl/date_time.h"

#include <cmath>

#include <gtest/gtest.h>

#include "platform/rtl/exception.h"

namespace rtl {
namespace {

class DateTimeTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetFormatSettings(); }
    void TearDown() override { ResetFormatSettings(); }
};

TEST_F(DateTimeTest, DateValuesCountDaysFrom18991230) {
    struct Case {
        int y, m, d;
        double value;
    };
    const Case cases[] = {
        {1899, 12, 30, 0},  {1899, 12, 31, 1},       {1900, 1, 1, 2},       {1899, 12, 29, -1},
        {1900, 3, 1, 61},   {1970, 1, 1, 25569},     {2000, 2, 29, 36585},  {1999, 12, 31, 36525},
        {1, 1, 1, -693593}, {9999, 12, 31, 2958465}, {2024, 12, 31, 45657},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.value) << c.y << "-" << c.m << "-" << c.d;
        int y = 0, m = 0, d = 0;
        DecodeDate(c.value, y, m, d);
        EXPECT_EQ(y * 10000 + m * 100 + d, c.y * 10000 + c.m * 100 + c.d) << c.value;
    }
    // The engine's day numbers start at 1 January of the year 1.
    EXPECT_EQ(EncodeDate(1, 1, 1) + kDateDelta, 1);
}

TEST_F(DateTimeTest, InvalidDatesAndTimesRaise) {
    struct Case {
        int a, b, c;
    };
    const Case dates[] = {{2023, 2, 29}, {2100, 2, 29}, {2024, 4, 31}, {2024, 13, 1},
                          {2024, 0, 1},  {0, 1, 1},     {10000, 1, 1}, {2024, 1, 0}};
    for (const auto& c : dates) {
        EXPECT_THROW(EncodeDate(c.a, c.b, c.c), EConvertError) << c.a << "-" << c.b << "-" << c.c;
    }
    EXPECT_NO_THROW(EncodeDate(2000, 2, 29));
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 60, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
    EXPECT_THROW(EncodeTime(-1, 0, 0, 0), EConvertError);
    int y = 1, m = 1, d = 1;
    DecodeDate(NAN, y, m, d);
    EXPECT_EQ(y + m + d, 0);
    DecodeDate(1e12, y, m, d);
    EXPECT_EQ(y + m + d, 0);
}

TEST_F(DateTimeTest, TimesDecodeToTheMillisecond) {
    struct Case {
        double value;
        int h, n, s, ms;
    };
    const Case cases[] = {
        {0.5, 12, 0, 0, 0},
        {0.75, 18, 0, 0, 0},
        {-1.25, 6, 0, 0, 0},  // before 1899-12-30 the fraction still counts forward
        {EncodeTime(23, 59, 59, 999), 23, 59, 59, 999},
        {36525 + EncodeTime(8, 5, 3, 7), 8, 5, 3, 7},
    };
    for (const auto& c : cases) {
        int h = -1, n = -1, s = -1, ms = -1;
        DecodeTime(c.value, h, n, s, ms);
        EXPECT_EQ(std::vector<int>({h, n, s, ms}), std::vector<int>({c.h, c.n, c.s, c.ms}))
            << c.value;
    }
    // Rounding up to midnight moves to the next day instead of giving hour 24.
    const double almost = 36525 + 0.9999999999;
    int h = 0, n = 0, s = 0, ms = 0, y = 0, m = 0, d = 0;
    DecodeTime(almost, h, n, s, ms);
    DecodeDate(almost, y, m, d);
    EXPECT_EQ(std::vector<int>({y, m, d, h, n, s, ms}), std::vector<int>({2000, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", almost), "2000-01-01 00:00:00");
}

TEST_F(DateTimeTest, ComposeAndWeekday) {
    EXPECT_EQ(ComposeDateTime(EncodeDate(2024, 1, 2), EncodeTime(6, 0, 0, 0)), 45293.25);
    EXPECT_EQ(ComposeDateTime(-1, 0.25), -1.25);
    EXPECT_EQ(DayOfWeek(0), 7);                         // Saturday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 6, 2)), 1);    // Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 25)), 2);  // Monday, before day 0
}

TEST_F(DateTimeTest, FormatDateTimePatterns) {
    const double when = EncodeDate(2024, 3, 5) + EncodeTime(9, 7, 4, 45);
    const double afternoon = EncodeDate(2024, 11, 25) + EncodeTime(14, 30, 0, 0);
    struct Case {
        std::string format;
        double value;
        std::string expected;
    };
    const Case cases[] = {
        {"yyyy-mm-dd", when, "2024-03-05"},
        {"dd-mm-yyyy", when, "05-03-2024"},
        {"hh:nn", when, "09:07"},
        {"hh:nn:ss", when, "09:07:04"},
        {"hh:mm:ss", when, "09:07:04"},  // mm after hh is minutes
        {"h:m:s", when, "9:7:4"},
        {"hh' uur 'mm", when, "09 uur 07"},  // a literal in between keeps mm minutes
        {"mm/dd/yy", when, "03/05/24"},
        {"d-m-y", when, "5-3-24"},
        {"YYYY-MM-DD HH:NN", when, "2024-03-05 09:07"},
        {"ss.zzz", when, "04.045"},
        {"s.z", when, "4.45"},
        {"mmm mmmm", when, "Mar March"},
        {"ddd dddd", when, "Tue Tuesday"},
        {"ddddd", when, "3/5/24"},
        {"c", when, "3/5/24 09:07:04"},
        {"c", EncodeDate(2024, 3, 5), "3/5/24"},
        {"t|tt", when, "09:07|09:07:04"},
        {"h:nn am/pm", afternoon, "2:30 pm"},
        {"hh:nn AM/PM", when, "09:07 AM"},
        {"h a/p", afternoon, "2 p"},
        {"h ampm", afternoon, "2 PM"},
        {"h am/pm", EncodeTime(0, 30, 0, 0), "12 am"},
        {"\"yyyy\" yyyy", when, "yyyy 2024"},
        {"'unterminated", when, "unterminated"},
        {"[dd]", when, "[05]"},
        {"yyyy-mm-dd", EncodeDate(1, 1, 1), "0001-01-01"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDateTime(c.format, c.value), c.expected) << c.format;
    }
}

TEST_F(DateTimeTest, SeparatorsAndNamedFormatsComeFromTheSettings) {
    const double when = EncodeDate(2024, 3, 5) + EncodeTime(9, 7, 4, 0);
    TFormatSettings& s = FormatSettings();
    s.ShortDateFormat = "yyyy-mm-dd";
    s.ShortTimeFormat = "hh:nn";
    s.DateSeparator = '.';
    s.TimeSeparator = '.';
    EXPECT_EQ(DateToStr(when), "2024-03-05");  // "-" in a format is a literal
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn", when), "05.03.2024 09.07");
    EXPECT_EQ(FormatDateTime("t", when), "09.07");
    EXPECT_EQ(TimeToStr(when), "09.07.04");
    EXPECT_EQ(DateTimeToStr(when), "2024-03-05 09.07.04");
    // Named formats naming each other stop instead of running on.
    s.ShortDateFormat = "c";
    EXPECT_NO_THROW(FormatDateTime("c", when));
    ResetFormatSettings();
    EXPECT_EQ(DateToStr(when), "3/5/24");
}

TEST_F(DateTimeTest, StrToDateReadsTheShortDateFormatOrder) {
    struct Case {
        std::string format;
        char separator;
        std::string text;
        int y, m, d;  // 0 when invalid
    };
    const Case cases[] = {
        {"m/d/yy", '/', "12/31/1999", 1999, 12, 31},
        {"dd-mm-yyyy", '-', "31-12-1999", 1999, 12, 31},
        {"yyyy-mm-dd", '-', "1999-12-31", 1999, 12, 31},
        {"yyyy-mm-dd", '-', " 2024-1-2 ", 2024, 1, 2},
        {"dd-mm-yyyy", '-', "31-12-0049", 49, 12, 31},  // four digits stand as written
        {"dd-mm-yyyy", '-', "31/12/1999", 0, 0, 0},
        {"dd-mm-yyyy", '-', "31-02-2000", 0, 0, 0},
        {"dd-mm-yyyy", '-', "31-12-1999x", 0, 0, 0},
        {"dd-mm-yyyy", '-', "", 0, 0, 0},
        {"dd-mm-yyyy", '-', "31", 0, 0, 0},
        {"dd-mm-yyyy", '-', "1-2-3-4", 0, 0, 0},
        {"dd-mm-yyyy", '-', "01-01-100000", 0, 0, 0},
    };
    for (const auto& c : cases) {
        TFormatSettings s;
        s.ShortDateFormat = c.format;
        s.DateSeparator = c.separator;
        TDateTime value = -12345;
        const bool ok = TryStrToDate(c.text, value, s);
        EXPECT_EQ(ok, c.y != 0) << c.text;
        if (ok && c.y != 0) {
            EXPECT_EQ(value, EncodeDate(c.y, c.m, c.d)) << c.text;
        }
    }
    EXPECT_THROW(StrToDate("nonsense"), EConvertError);
    try {
        StrToDate("x");
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'x' is not a valid date");
    }
}

TEST_F(DateTimeTest, StrToDateTwoDigitYearsAndMissingYear) {
    int this_year = 0, m = 0, d = 0;
    DecodeDate(Date(), this_year, m, d);
    TFormatSettings s;
    s.ShortDateFormat = "dd-mm-yy";
    s.DateSeparator = '-';
    TDateTime value = 0;
    ASSERT_TRUE(TryStrToDate("05-03", value, s));
    int y = 0;
    DecodeDate(value, y, m, d);
    EXPECT_EQ(std::vector<int>({y, m, d}), std::vector<int>({this_year, 3, 5}));

    // Within the window of 50 years before this one and the rest after.
    for (const int two : {0, 49, 50, 99}) {
        ASSERT_TRUE(TryStrToDate("01-01-" + std::to_string(two), value, s));
        DecodeDate(value, y, m, d);
        EXPECT_EQ(y % 100, two);
        EXPECT_GE(y, this_year - 50) << two;
        EXPECT_LT(y, this_year + 50) << two;
    }
}

TEST_F(DateTimeTest, NowDateAndTimeAgree) {
    const double before = Now();
    const double date = Date();
    const double time = Time();
    const double after = Now();
    EXPECT_EQ(date, std::trunc(before));
    EXPECT_GE(time, 0);
    EXPECT_LT(time, 1);
    EXPECT_LE(before, after);
    EXPECT_GT(before, EncodeDate(2020, 1, 1));
    EXPECT_LT(std::fabs(after - before), 1.0 / 24 / 60);  // under a minute
}

}  // namespace
}  // namespace rtl
