#include "platform/db/date_value.h"

#include <cmath>
#include <cstdio>

#include "platform/rtl/exception.h"

namespace db {

namespace {

// Days from 1970-01-01 in the proleptic Gregorian calendar.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

const long long kEpochOffset = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

}  // namespace

double EncodeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month)) {
        throw rtl::EConvertError("Invalid argument to date encode");
    }
    return static_cast<double>(
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
        kEpochOffset);
}

void DecodeDate(double value, int& year, int& month, int& day) {
    CivilFromDays(static_cast<long long>(std::trunc(value)) + kEpochOffset, year, month, day);
}

std::string DateToText(double value) {
    int y = 0;
    int m = 0;
    int d = 0;
    DecodeDate(value, y, m, d);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
    return text;
}

double TextToDate(std::string_view text) {
    int parts[3] = {0, 0, 0};
    int count = 0;
    int digits = 0;
    bool ok = !text.empty();
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (++digits > 4) {
                ok = false;
                break;
            }
            parts[count] = parts[count] * 10 + (c - '0');
        } else if ((c == '-' || c == '/' || c == '.') && digits > 0 && count < 2) {
            ++count;
            digits = 0;
        } else {
            ok = false;
            break;
        }
    }
    if (ok && count == 2 && digits > 0) {
        try {
            return EncodeDate(parts[0], parts[1], parts[2]);
        } catch (const rtl::EConvertError&) {
        }
    }
    throw rtl::EConvertError("'" + std::string(text) + "' is not a valid date");
}

}  // namespace db
