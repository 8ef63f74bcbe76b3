#pragma once

// Text and number rules of xBase expressions, on Windows-1252 bytes.

#include <string>
#include <string_view>

namespace xb {

char UpperCp1252(char c);
char LowerCp1252(char c);
std::string UpperCp1252(std::string_view text);
std::string LowerCp1252(std::string_view text);

// -1, 0 or 1 by unsigned bytes, the shorter side padded with blanks. Exact off: only as many
// characters of a as b has take part (an empty b equals everything). Exact on: trailing blanks
// of both sides are ignored.
int CompareText(std::string_view a, std::string_view b, bool exact);

std::string_view TrimRight(std::string_view text);
std::string_view TrimLeft(std::string_view text);

// STR(value, length, decimals): rounded half away from zero and right-aligned; decimals are
// given up one at a time until the text fits, then the field is all asterisks.
std::string FormatStr(double value, int length, int decimals);

// VAL: leading blanks, a sign, digits and one decimal point; stops at the first other character.
double ParseVal(std::string_view text);

}  // namespace xb
