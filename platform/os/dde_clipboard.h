#pragma once

#include <string>
#include <string_view>

namespace os {

// The link to a served item, as other programs find it on the clipboard: three lines, the bus
// name, the object path and the item.
inline constexpr std::string_view kDdeLinkMime = "application/x-belverin-dde-link";

// Replaces the clipboard with the item's text and its link. False when there is no clipboard.
bool PutDdeItemOnClipboard(const std::string& busName, std::string_view item,
                           const std::string& text);

// Replaces the clipboard with plain text.
bool PutTextOnClipboard(const std::string& text);

}  // namespace os
