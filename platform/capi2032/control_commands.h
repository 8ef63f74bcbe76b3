#pragma once

// The control socket's commands: one line in, a reply out. A reply starts with "ok\n" and
// the command's output, or is the single line "error: <why>\n".

#include <string>
#include <string_view>

namespace capisim {

class Line;

std::string RunControlCommand(Line& line, std::string_view command);

}  // namespace capisim
