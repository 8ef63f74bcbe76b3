#include "platform/rtl/date_time.h"

#include <time.h>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "platform/rtl/exception.h"

namespace rtl {

namespace {

constexpr std::int64_t kMsecsPerDay = 86400000;
// 1899-12-30 counted from 1970-01-01.
constexpr std::int64_t kUnixDateDelta = 25569;

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// The value as a whole day and milliseconds into it; false when it lies outside the years
// that the class library knows.
bool Split(TDateTime value, std::int64_t& days, std::int64_t& msecs) {
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6) {
        return false;
    }
    const double whole = std::trunc(value);
    days = static_cast<std::int64_t>(whole);
    msecs = std::llround(std::fabs(value - whole) * kMsecsPerDay);
    if (msecs >= kMsecsPerDay) {  // rounding reached midnight: it is the next day
        msecs -= kMsecsPerDay;
        days += 1;
    }
    return true;
}

bool InYearRange(std::int64_t days) {
    return days >= -kDateDelta + 1 && days <= 2958465;  // 0001-01-01 .. 9999-12-31
}

TFormatSettings& Settings() {
    static TFormatSettings settings;
    return settings;
}

std::string Pad(int value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool StartsWithNoCase(std::string_view s, std::size_t at, std::string_view prefix) {
    if (s.size() - at < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (Upper(s[at + i]) != Upper(prefix[i])) {
            return false;
        }
    }
    return true;
}

// Whether the format holds an am/pm marker outside quotes, which makes h a 12-hour clock.
bool HasAmPm(std::string_view format) {
    char quote = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (StartsWithNoCase(format, i, "am/pm") || StartsWithNoCase(format, i, "a/p") ||
                   StartsWithNoCase(format, i, "ampm")) {
            return true;
        }
    }
    return false;
}

struct Parts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0, dow = 0;
    bool has_time = false;
};

class Formatter {
  public:
    Formatter(const TFormatSettings& settings, const Parts& parts)
        : settings_(settings), p_(parts) {}

    void Append(std::string_view format, int depth) {
        // The named formats may name each other; two levels are all that make sense.
        if (depth > 2) {
            return;
        }
        const bool twelve = HasAmPm(format);
        char last = 0;
        std::size_t i = 0;
        while (i < format.size()) {
            const char c = format[i];
            const char u = Upper(c);
            std::size_t run = 1;
            while (i + run < format.size() && Upper(format[i + run]) == u) {
                ++run;
            }
            switch (u) {
                case '"':
                case '\'': {
                    const auto close = format.find(c, i + 1);
                    const std::size_t end = close == std::string_view::npos ? format.size() : close;
                    out_.append(format.substr(i + 1, end - i - 1));
                    i = end == format.size() ? end : end + 1;
                    continue;
                }
                case '/':
                    out_ += settings_.DateSeparator;
                    i += 1;
                    continue;
                case ':':
                    out_ += settings_.TimeSeparator;
                    i += 1;
                    continue;
                case 'Y':
                    out_ += run <= 2 ? Pad(p_.year % 100, 2) : Pad(p_.year, 4);
                    break;
                case 'M':
                    if (last == 'H' && run <= 2) {
                        out_ += run == 1 ? std::to_string(p_.minute) : Pad(p_.minute, 2);
                    } else if (run == 1) {
                        out_ += std::to_string(p_.month);
                    } else if (run == 2) {
                        out_ += Pad(p_.month, 2);
                    } else if (p_.month >= 1) {
                        const auto& names =
                            run == 3 ? settings_.ShortMonthNames : settings_.LongMonthNames;
                        out_ += names[static_cast<std::size_t>(p_.month - 1)];
                    }
                    break;
                case 'D':
                    if (run == 1) {
                        out_ += std::to_string(p_.day);
                    } else if (run == 2) {
                        out_ += Pad(p_.day, 2);
                    } else if (run <= 4) {
                        if (p_.dow >= 1) {
                            const auto& names =
                                run == 3 ? settings_.ShortDayNames : settings_.LongDayNames;
                            out_ += names[static_cast<std::size_t>(p_.dow - 1)];
                        }
                    } else {
                        Append(run == 5 ? settings_.ShortDateFormat : settings_.LongDateFormat,
                               depth + 1);
                    }
                    break;
                case 'H': {
                    run = run > 2 ? 2 : run;
                    int hour = p_.hour;
                    if (twelve) {
                        hour %= 12;
                        hour = hour == 0 ? 12 : hour;
                    }
                    out_ += run == 1 ? std::to_string(hour) : Pad(hour, 2);
                    break;
                }
                case 'N':
                    run = run > 2 ? 2 : run;
                    out_ += run == 1 ? std::to_string(p_.minute) : Pad(p_.minute, 2);
                    break;
                case 'S':
                    run = run > 2 ? 2 : run;
                    out_ += run == 1 ? std::to_string(p_.second) : Pad(p_.second, 2);
                    break;
                case 'Z':
                    run = run >= 3 ? 3 : 1;
                    out_ += run == 1 ? std::to_string(p_.msec) : Pad(p_.msec, 3);
                    break;
                case 'T':
                    run = run > 2 ? 2 : run;
                    Append(run == 1 ? settings_.ShortTimeFormat : settings_.LongTimeFormat,
                           depth + 1);
                    break;
                case 'C':
                    run = 1;
                    Append(settings_.ShortDateFormat, depth + 1);
                    if (p_.has_time) {
                        out_ += ' ';
                        Append(settings_.LongTimeFormat, depth + 1);
                    }
                    break;
                case 'A':
                    if (AppendAmPm(format, i)) {
                        continue;
                    }
                    out_ += c;
                    i += 1;
                    continue;
                default:
                    out_ += c;
                    i += 1;
                    continue;
            }
            last = u;
            i += run;
        }
    }

    std::string Take() { return std::move(out_); }

  private:
    // am/pm and a/p keep the case in which the format writes them; ampm uses the settings.
    bool AppendAmPm(std::string_view format, std::size_t& i) {
        const bool pm = p_.hour >= 12;
        if (StartsWithNoCase(format, i, "am/pm")) {
            out_.append(format.substr(pm ? i + 3 : i, 2));
            i += 5;
        } else if (StartsWithNoCase(format, i, "a/p")) {
            out_ += format[pm ? i + 2 : i];
            i += 3;
        } else if (StartsWithNoCase(format, i, "ampm")) {
            out_ += pm ? settings_.TimePMString : settings_.TimeAMString;
            i += 4;
        } else {
            return false;
        }
        return true;
    }

    const TFormatSettings& settings_;
    const Parts& p_;
    std::string out_;
};

}  // namespace

TFormatSettings& FormatSettings() {
    return Settings();
}

void ResetFormatSettings() {
    Settings() = TFormatSettings();
}

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month)) {
        return false;
    }
    result = static_cast<TDateTime>(DaysFromCivil(year, month, day) + kUnixDateDelta);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime result = 0;
    if (!TryEncodeDate(year, month, day, result)) {
        throw EConvertError("Invalid argument to date encode");
    }
    return result;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& result) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        msec < 0 || msec > 999) {
        return false;
    }
    const std::int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + msec;
    result = static_cast<double>(ms) / kMsecsPerDay;
    return true;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    TDateTime result = 0;
    if (!TryEncodeTime(hour, minute, second, msec, result)) {
        throw EConvertError("Invalid argument to time encode");
    }
    return result;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
    std::int64_t days = 0;
    std::int64_t msecs = 0;
    if (!Split(value, days, msecs) || !InYearRange(days)) {
        year = month = day = 0;
        return;
    }
    CivilFromDays(days - kUnixDateDelta, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec) {
    std::int64_t days = 0;
    std::int64_t msecs = 0;
    if (!Split(value, days, msecs)) {
        hour = minute = second = msec = 0;
        return;
    }
    hour = static_cast<int>(msecs / 3600000);
    minute = static_cast<int>(msecs / 60000 % 60);
    second = static_cast<int>(msecs / 1000 % 60);
    msec = static_cast<int>(msecs % 1000);
}

int DayOfWeek(TDateTime value) {
    std::int64_t days = 0;
    std::int64_t msecs = 0;
    if (!Split(value, days, msecs)) {
        return 0;
    }
    // 1899-12-30 was a Saturday.
    return static_cast<int>(((days + 6) % 7 + 7) % 7) + 1;
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time) {
    const double whole = std::trunc(date);
    const double t = std::fabs(time - std::trunc(time));
    return whole < 0 ? whole - t : whole + t;
}

TDateTime Now() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    localtime_r(&ts.tv_sec, &local);
    return ComposeDateTime(
        EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
        EncodeTime(local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec,
                   static_cast<int>(ts.tv_nsec / 1000000)));
}

TDateTime Date() {
    return std::trunc(Now());
}

TDateTime Time() {
    const TDateTime now = Now();
    return now - std::trunc(now);
}

std::string FormatDateTime(std::string_view format, TDateTime value,
                           const TFormatSettings& settings) {
    Parts parts;
    DecodeDate(value, parts.year, parts.month, parts.day);
    DecodeTime(value, parts.hour, parts.minute, parts.second, parts.msec);
    parts.dow = parts.year == 0 ? 0 : DayOfWeek(value);
    parts.has_time = parts.hour != 0 || parts.minute != 0 || parts.second != 0 || parts.msec != 0;
    Formatter formatter(settings, parts);
    formatter.Append(format.empty() ? std::string_view("c") : format, 0);
    return formatter.Take();
}

std::string FormatDateTime(std::string_view format, TDateTime value) {
    return FormatDateTime(format, value, Settings());
}

std::string DateToStr(TDateTime value) {
    return FormatDateTime("ddddd", value);
}

std::string TimeToStr(TDateTime value) {
    return FormatDateTime("tt", value);
}

std::string DateTimeToStr(TDateTime value) {
    return FormatDateTime("c", value);
}

bool TryStrToDate(std::string_view text, TDateTime& result, const TFormatSettings& settings) {
    auto skip_blanks = [&](std::size_t& i) {
        while (i < text.size() && text[i] == ' ') {
            ++i;
        }
    };
    int numbers[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int count = 0;
    std::size_t i = 0;
    skip_blanks(i);
    while (count < 3) {
        if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) {
            return false;
        }
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            if (digits[count] == 4) {
                return false;
            }
            numbers[count] = numbers[count] * 10 + (text[i] - '0');
            ++digits[count];
            ++i;
        }
        ++count;
        skip_blanks(i);
        if (i < text.size() && text[i] == settings.DateSeparator && count < 3) {
            ++i;
            skip_blanks(i);
        } else {
            break;
        }
    }
    if (i != text.size() || count < 2) {
        return false;
    }
    // The order is that of the first of d, m and y in the short date format.
    char order = 'M';
    for (const char c : settings.ShortDateFormat) {
        const char u = Upper(c);
        if (u == 'D' || u == 'M' || u == 'Y') {
            order = u;
            break;
        }
    }
    int year = 0;
    int month = 0;
    int day = 0;
    int year_digits = 4;
    const int current_year = [] {
        int y = 0, m = 0, d = 0;
        DecodeDate(Now(), y, m, d);
        return y;
    }();
    if (count == 2) {
        year = current_year;
        if (order == 'D') {
            day = numbers[0], month = numbers[1];
        } else {
            month = numbers[0], day = numbers[1];
        }
    } else if (order == 'Y') {
        year = numbers[0], month = numbers[1], day = numbers[2], year_digits = digits[0];
    } else if (order == 'D') {
        day = numbers[0], month = numbers[1], year = numbers[2], year_digits = digits[2];
    } else {
        month = numbers[0], day = numbers[1], year = numbers[2], year_digits = digits[2];
    }
    if (year_digits <= 2) {
        const int base = current_year - settings.TwoDigitYearCenturyWindow;
        year += base / 100 * 100;
        if (settings.TwoDigitYearCenturyWindow > 0 && year < base) {
            year += 100;
        }
    }
    return TryEncodeDate(year, month, day, result);
}

bool TryStrToDate(std::string_view text, TDateTime& result) {
    return TryStrToDate(text, result, Settings());
}

TDateTime StrToDate(std::string_view text) {
    TDateTime result = 0;
    if (!TryStrToDate(text, result)) {
        throw EConvertError("'" + std::string(text) + "' is not a valid date");
    }
    return result;
}

}  // namespace rtl
