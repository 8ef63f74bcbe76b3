#pragma once

#include <optional>
#include <string>

namespace os {

// Why the display that Qt would open for this program cannot be reached, in one line; nothing
// when it can, or when Qt is to use another platform than X11 (offscreen, Wayland, ...). Reads
// "-platform" among the arguments and the environment as Qt does, and opens (and closes) a
// connection to the X server. Call it before the application object is made: Qt aborts there.
std::optional<std::string> DisplayProblem(int argc, char** argv);

}  // namespace os
