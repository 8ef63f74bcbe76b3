#pragma once

// Field values as a DBF record stores them, and back. Stored numbers use "." as decimal
// point whatever the process's decimal separator.

#include <cstdint>
#include <string>
#include <string_view>

namespace xbase {

// True when every byte is a blank.
bool IsBlankField(std::string_view bytes);

// "yyyymmdd" to a day number (the class library's date value + 693594); a bad text raises
// rtl::EConvertError.
int32_t DayNumberFromStored(std::string_view bytes);
// The day number as "yyyymmdd", its year as it is; false for a day outside the years 1 to 9999.
bool StoredDate(int32_t dayNumber, std::string* out);

// A stored number read through the process's decimal separator; raises rtl::EConvertError.
double NumberFromStored(std::string_view bytes);
int16_t IntegerFromStored(std::string_view bytes);

// Right-aligned in `width` blanks; false when the value cannot fit. A number with too many
// decimals loses them one at a time until it fits.
bool StoredNumber(double value, int width, int decimals, std::string* out);
bool StoredInteger(int16_t value, int width, std::string* out);

}  // namespace xbase
