#pragma once

#include <string>

namespace os {

// Opens a document, folder or link with the desktop's own handler: a text with a scheme
// ("http:", "mailto:", "tel:") as that link, anything else as a local file. Returns whether the
// desktop took it.
bool ShellOpen(const std::string& target);

}  // namespace os
