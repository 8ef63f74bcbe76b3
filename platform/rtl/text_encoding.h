#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rtl {

// Windows-1252 bytes to UTF-8. Lossless: the five bytes the code page leaves undefined
// map to the C1 code points of the same value.
std::string Cp1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252; a character the code page cannot hold, or a malformed sequence,
// becomes '?'.
std::string Utf8ToCp1252(std::string_view utf8);

// The characters of a UTF-8 text that Windows-1252 cannot hold, each once, in the order they
// first appear; a malformed sequence counts as U+FFFD. Empty when Utf8ToCp1252 loses nothing.
std::u32string Cp1252Unholdable(std::string_view utf8);

// One character as UTF-8.
std::string Utf8Of(char32_t cp);

bool IsValidUtf8(std::string_view bytes);

// The first `count` characters of a UTF-8 text, never cutting a character in two.
std::string_view Utf8Left(std::string_view utf8, std::size_t count);

}  // namespace rtl
