#pragma once

#include <string>
#include <string_view>

namespace db {

// Date values count days from 30 December 1899 (day 0); the fraction is the time of day.
// A date field holds the day number: the date value's whole days plus DateDelta, so that
// 1 January of year 1 is day 1.
inline constexpr int DateDelta = 693594;

// Raise rtl::EConvertError for a day that does not exist.
double EncodeDate(int year, int month, int day);
void DecodeDate(double value, int& year, int& month, int& day);

// The program's short date form "yyyy-mm-dd".
std::string DateToText(double value);
// Reads "yyyy-mm-dd" (also with "/" or "."); rtl::EConvertError "'%s' is not a valid date".
double TextToDate(std::string_view text);

}  // namespace db
