#pragma once

#include <array>
#include <string>
#include <string_view>

namespace rtl {

// The class library's date value: whole days since 1899-12-30, the time of day as the fraction.
// Before that day the value is negative and the fraction still counts forward from midnight.
using TDateTime = double;

// Day 1 is 1 January of the year 1 in the day numbers that cross the engine boundary.
inline constexpr int kDateDelta = 693594;

// The process-wide format settings; the program sets them at start.
struct TFormatSettings {
    char DateSeparator = '/';
    char TimeSeparator = ':';
    char DecimalSeparator = '.';
    std::string ShortDateFormat = "m/d/yy";
    std::string LongDateFormat = "dddd, mmmm d, yyyy";
    std::string ShortTimeFormat = "hh:nn";
    std::string LongTimeFormat = "hh:nn:ss";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    // A two-digit year lands within this many years before the current one and the rest after.
    int TwoDigitYearCenturyWindow = 50;
    std::array<std::string, 12> ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> LongMonthNames = {"January",   "February", "March",    "April",
                                                  "May",       "June",     "July",     "August",
                                                  "September", "October",  "November", "December"};
    std::array<std::string, 7> ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> LongDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                               "Thursday", "Friday", "Saturday"};
};

// Main thread only, like the class library's globals.
TFormatSettings& FormatSettings();
void ResetFormatSettings();

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Years 1 to 9999. The Encode functions raise EConvertError for values out of range.
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
TDateTime EncodeDate(int year, int month, int day);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& result);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
// A value outside the years 1 to 9999 decodes as all zeros.
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec);
// 1 is Sunday, 7 Saturday.
int DayOfWeek(TDateTime value);
// The date and the time of day joined, also before 1899-12-30.
TDateTime ComposeDateTime(TDateTime date, TDateTime time);

TDateTime Now();
TDateTime Date();
TDateTime Time();

// Patterns: y/yy two-digit year, yyyy four; m mm mmm mmmm month (minutes right after h or hh);
// d dd ddd dddd, ddddd short and dddddd long date; h hh, n nn, s ss, z zzz; t short and tt
// long time; c short date and long time; am/pm a/p ampm switch h to 12 hours; "/" and ":" give
// the separators; text in single or double quotes stands as it is; other characters too.
std::string FormatDateTime(std::string_view format, TDateTime value);
std::string FormatDateTime(std::string_view format, TDateTime value,
                           const TFormatSettings& settings);

std::string DateToStr(TDateTime value);
std::string TimeToStr(TDateTime value);
std::string DateTimeToStr(TDateTime value);

// Day, month and year in the order of the short date format, parted by the date separator;
// without a year, the current year. Raises EConvertError "'<text>' is not a valid date".
bool TryStrToDate(std::string_view text, TDateTime& result);
bool TryStrToDate(std::string_view text, TDateTime& result, const TFormatSettings& settings);
TDateTime StrToDate(std::string_view text);

}  // namespace rtl
