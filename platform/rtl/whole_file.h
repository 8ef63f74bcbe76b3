#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rtl {

// The whole content of a file; nullopt when it does not exist. Any other failure to read
// raises EInOutError with the file name, so that a file that is there is never taken as empty.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces the file's content whole or not at all: the bytes go to a new file beside it,
// which is then renamed over it. A symbolic link is followed, and an existing file keeps its
// permissions. Raises EInOutError with the file name on failure, leaving the old file as it was.
void WriteWholeFileAtomically(const std::string& path, std::string_view content);

}  // namespace rtl
