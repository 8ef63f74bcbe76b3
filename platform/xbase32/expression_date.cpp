#include "platform/xbase32/expression_date.h"

#include <array>
#include <cstdio>

namespace xb {

namespace {

// Days since 1970-01-01 of a civil date, valid for every Gregorian date.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

constexpr int64_t kDayOneOffset = 719163;  // so that 0001-01-01 is day 1

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[static_cast<std::size_t>(m - 1)];
}

enum class Order { Mdy, Ymd, Dmy };

struct Layout {
    Order order;
    char separator;
};

Layout LayoutOf(int format) {
    switch (format) {
        case kDateAnsi:
            return {Order::Ymd, '.'};
        case kDateBritish:
        case kDateFrench:
            return {Order::Dmy, '/'};
        case kDateGerman:
            return {Order::Dmy, '.'};
        case kDateItalian:
        case kDateSpanish:
            return {Order::Dmy, '-'};
        default:
            return {Order::Mdy, '/'};
    }
}

int YearInWindow(int twoDigits, int epoch) {
    int year = epoch / 100 * 100 + twoDigits;
    if (year < epoch) {
        year += 100;
    }
    return year;
}

}  // namespace

int32_t DayFromYmd(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month)) {
        return 0;
    }
    return static_cast<int32_t>(DaysFromCivil(year, month, day) + kDayOneOffset);
}

void YmdFromDay(int32_t dayNumber, int& year, int& month, int& day) {
    const int64_t z = static_cast<int64_t>(dayNumber) - kDayOneOffset + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
    month = static_cast<int>(m);
    day = static_cast<int>(d);
}

std::string Dtos(int32_t dayNumber) {
    if (dayNumber <= 0) {
        return std::string(8, ' ');
    }
    int y = 0;
    int m = 0;
    int d = 0;
    YmdFromDay(dayNumber, y, m, d);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", y, m, d);
    return text;
}

int32_t DayFromDtos(std::string_view text) {
    if (text.size() < 8) {
        return 0;
    }
    int parts[3] = {0, 0, 0};
    const int lengths[3] = {4, 2, 2};
    std::size_t pos = 0;
    for (int p = 0; p < 3; ++p) {
        for (int i = 0; i < lengths[p]; ++i, ++pos) {
            const char c = text[pos];
            if (c < '0' || c > '9') {
                return 0;
            }
            parts[p] = parts[p] * 10 + (c - '0');
        }
    }
    return DayFromYmd(parts[0], parts[1], parts[2]);
}

std::string Dtoc(int32_t dayNumber, const DateSettings& settings) {
    const Layout layout = LayoutOf(settings.format);
    const std::string sep(1, layout.separator);
    if (dayNumber <= 0) {
        const std::string yy(settings.century ? 4 : 2, ' ');
        return layout.order == Order::Ymd ? yy + sep + "  " + sep + "  "
                                          : "  " + sep + "  " + sep + yy;
    }
    int y = 0;
    int m = 0;
    int d = 0;
    YmdFromDay(dayNumber, y, m, d);
    char yy[8];
    if (settings.century) {
        std::snprintf(yy, sizeof yy, "%04d", y);
    } else {
        std::snprintf(yy, sizeof yy, "%02d", y % 100);
    }
    char mm[4];
    char dd[4];
    std::snprintf(mm, sizeof mm, "%02d", m);
    std::snprintf(dd, sizeof dd, "%02d", d);
    switch (layout.order) {
        case Order::Ymd:
            return std::string(yy) + sep + mm + sep + dd;
        case Order::Dmy:
            return std::string(dd) + sep + mm + sep + yy;
        case Order::Mdy:
            break;
    }
    return std::string(mm) + sep + dd + sep + yy;
}

int32_t Ctod(std::string_view text, const DateSettings& settings) {
    int values[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int part = 0;
    bool inNumber = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            if (!inNumber) {
                if (part == 3) {
                    return 0;
                }
                inNumber = true;
            }
            if (++digits[part] > 4) {
                return 0;
            }
            values[part] = values[part] * 10 + (c - '0');
        } else if (inNumber) {
            inNumber = false;
            ++part;
        }
    }
    if (inNumber) {
        ++part;
    }
    if (part != 3) {
        return 0;
    }
    int y = 0;
    int m = 0;
    int d = 0;
    int yearDigits = 0;
    switch (LayoutOf(settings.format).order) {
        case Order::Mdy:
            m = values[0], d = values[1], y = values[2], yearDigits = digits[2];
            break;
        case Order::Ymd:
            y = values[0], m = values[1], d = values[2], yearDigits = digits[0];
            break;
        case Order::Dmy:
            d = values[0], m = values[1], y = values[2], yearDigits = digits[2];
            break;
    }
    if (yearDigits <= 2) {
        y = YearInWindow(y, settings.epoch);
    }
    return DayFromYmd(y, m, d);
}

}  // namespace xb
