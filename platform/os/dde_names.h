#pragma once

#include <string>
#include <string_view>

namespace os {

// Where the program offers its last caller to other programs on the session bus.
inline constexpr std::string_view kDdeObjectPath = "/ddebelverinserver";
inline constexpr std::string_view kDdeInterface = "nl.belverin.ddebelverinserver";
inline constexpr std::string_view kDdeNummer = "ddenummer";
inline constexpr std::string_view kDdeNaam = "ddenaam";

// The bus name for a program file: "nl.belverin." and the file's base name (without folder
// and last extension). A bus-name element holds only letters, digits and "_", and never
// starts with a digit: any other character becomes "_", a leading digit gets "_" before it,
// and an empty base name is "_".
std::string DdeBusName(std::string_view programPath);

}  // namespace os
