#pragma once

// Dates of xBase expressions as day numbers: day 1 is 1 January of year 1 (proleptic
// Gregorian), 0 is the empty date.

#include <cstdint>
#include <string>
#include <string_view>

namespace xb {

// Codes of sx_SetDateFormat; any other code reads as American.
enum DateFormat : int {
    kDateAmerican = 0,  // mm/dd/yy
    kDateAnsi = 1,      // yy.mm.dd
    kDateBritish = 2,   // dd/mm/yy
    kDateFrench = 3,    // dd/mm/yy
    kDateGerman = 4,    // dd.mm.yy
    kDateItalian = 5,   // dd-mm-yy
    kDateSpanish = 6,   // dd-mm-yy
    kDateWinDefault = 99
};

struct DateSettings {
    bool century = false;  // four-digit years in DTOC
    int epoch = 1900;      // first year of the window that two-digit years fall in
    int format = kDateAmerican;
};

int32_t DayFromYmd(int year, int month, int day);  // 0 when the date does not exist
void YmdFromDay(int32_t dayNumber, int& year, int& month, int& day);

// "yyyymmdd", or 8 blanks for the empty date.
std::string Dtos(int32_t dayNumber);
// Stored form "yyyymmdd"; blanks or anything invalid give the empty date.
int32_t DayFromDtos(std::string_view text);

std::string Dtoc(int32_t dayNumber, const DateSettings& settings);
// Reads the parts in the order of the date format; a two-digit year falls in the epoch's
// window. Invalid or blank text gives the empty date.
int32_t Ctod(std::string_view text, const DateSettings& settings);

}  // namespace xb
