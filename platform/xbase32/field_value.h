#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/xbase32/expression_text.h"  // TrimLeft, TrimRight
#include "platform/xbase32/field_desc.h"
#include "platform/xbase32/settings.h"

namespace xb {

// Conversions between a field's stored bytes and the texts and values of the interface.

// A stored date "yyyymmdd" as text in the date format; a blank date gives the format's
// separators between blanks.
std::string FormatDate(std::string_view stored, const DateSettings& settings);

// A date text in the date format (two-digit years placed in the epoch's century window;
// "yyyymmdd" is taken too) to its stored form; a text without digits is the blank date.
// False when it is no valid date.
bool ParseDate(std::string_view text, const DateSettings& settings, std::string* stored);

// The value as a number field stores it; false when it does not fit the width.
bool FormatNumber(double value, int width, int decimals, std::string* stored);

// A plain decimal number ("-12.5", "+3", ".5"; no exponent, no blanks inside); nothing for
// any other text.
std::optional<double> ParseNumberText(std::string_view text);

// A text right-aligned in a number field; false when it is longer than the width.
bool AlignNumberText(std::string_view text, int width, std::string* stored);

// Memo block number from the field bytes: 10 digits (blanks allowed) or 4 bytes binary.
// Throws xb::Error on other bytes.
uint32_t ParseMemoPointer(std::string_view bytes);
std::string FormatMemoPointer(uint32_t block, int width);

bool IsBlank(std::string_view bytes);

bool StoredLogical(char c);  // T, t, Y, y

// Breaks lines longer than lineWidth at a blank (or hard, without one) with CR LF;
// lineWidth 0 or less leaves the text as it is.
std::string WrapLines(std::string_view text, int lineWidth);

}  // namespace xb
