#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace monitor {

// The Foongrep folder from [foongrep] foongrepdirectory, with a trailing "/": empty means the
// program folder, and a relative folder counts from the program folder.
std::string FoongrepFolder(std::string_view foongrepdir, std::string_view programDir);

// A number may go to the directory program unless it is empty, begins with "-" (it would read
// as an option) or holds a character below 0x20.
bool IsDirectoryNumber(std::string_view nummer);

// The status text of a number the directory program is not given.
inline constexpr std::string_view kOngeldigNummer =
    "Ongeldig nummer voor Foongrep (niet opgezocht)";

// The result files in the Foongrep folder.
std::string BelvoLogPath(std::string_view folder);
std::string Belvo2LogPath(std::string_view folder);

// The argument vectors of the directory program, with `folder` from FoongrepFolder and the
// search time in seconds as SearchWaitSeconds gives it for zoektijd. The number goes in whole,
// as one argument; nullopt when IsDirectoryNumber refuses it.
// The monitor window's lookup ("-t" and the number apart):
std::optional<std::vector<std::string>> MonitorLookupArguments(std::string_view folder,
                                                               std::string_view zoektijd,
                                                               std::string_view nummer);
// The phone-book and call-log windows' lookup ("-t" and the number as one argument):
std::optional<std::vector<std::string>> WindowLookupArguments(std::string_view folder,
                                                              std::string_view zoektijd,
                                                              std::string_view nummer);
// The status test of the settings dialog:
std::vector<std::string> StatusTestArguments(std::string_view folder);

}  // namespace monitor
