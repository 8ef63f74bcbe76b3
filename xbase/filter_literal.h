#pragma once

#include <string>
#include <string_view>

namespace xbase {

// An xBase text literal that stands for `value` byte for byte. The delimiter is ', " or
// [ ], the first the value does not close; a value that holds all three is cut into
// pieces joined with +. A value with a quote in it (a town like 's-Hertogenbosch) is
// therefore never cut short by its own quote.
std::string XBaseTextLiteral(std::string_view value);

// `field` = literal, the comparison a filter command builds.
std::string XBaseEquals(std::string_view field, std::string_view value);

}  // namespace xbase
