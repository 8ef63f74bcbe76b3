#pragma once

#include <string>
#include <string_view>

namespace rtl {

// UTF-8 text in lower case: every letter Windows-1252 holds is folded (A-Z, the accented
// capitals, Š, Œ, Ž and Ÿ); other characters and malformed bytes stay as they are.
std::string Utf8LowerCase(std::string_view utf8);

}  // namespace rtl
