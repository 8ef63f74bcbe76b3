#pragma once

#include <string>
#include <string_view>

namespace os {

// The file name of a desktop entry: each character outside [A-Za-z0-9._-] becomes "-", then
// ".desktop".
std::string DesktopEntryFileName(std::string_view name);

// A desktop entry that starts `program` (no arguments) in `workingFolder`, with `icon` (a path
// or a theme's icon name) and `categories` (such as "Network;Telephony;") when not empty.
std::string DesktopEntryText(std::string_view name, std::string_view program,
                             std::string_view workingFolder, std::string_view icon = {},
                             std::string_view categories = {});

// Writes the entry into `folder` whole or not at all and returns its path. Raises
// rtl::EInOutError when it cannot be written.
std::string WriteDesktopEntry(const std::string& folder, std::string_view name,
                              std::string_view program, std::string_view workingFolder,
                              std::string_view icon = {}, std::string_view categories = {});

}  // namespace os
