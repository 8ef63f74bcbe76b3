#pragma once

#include <string>
#include <vector>

namespace xbase {

// Text helpers of the layer; ASCII case only, as the engine compares names.
std::string UpperAscii(std::string text);
bool EqualsNoCase(const std::string& a, const std::string& b);

// The part after the last "/".
std::string FileNameOf(const std::string& path);
// A file name without its extension.
std::string StemOf(const std::string& fileName);

// The identifiers of an xBase expression, upper-cased ("UPPER(naam)+x" gives UPPER, NAAM, X).
std::vector<std::string> IdentifiersOf(const std::string& expression);

}  // namespace xbase
