#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace os {

// Finds the program file a command names: an absolute name as it stands; any other name first in
// the program folder, then, when it holds no "/", in each folder of the search path. A name ending
// in ".exe" is also found without that ending, so command lines written for Windows keep working.
// Only executable regular files count.
std::optional<std::string> FindProgram(std::string_view name, std::string_view programDir,
                                       std::string_view searchPath);

// As above with the search path from the environment's PATH.
std::optional<std::string> FindProgram(std::string_view name, std::string_view programDir);

}  // namespace os
