#pragma once

#include <string>
#include <string_view>

namespace rtl {

// The folder of the running program, with a trailing "/". Settings, tables and sounds lie there.
std::string ProgramDir();

// Makes ProgramDir answer `folder` (a trailing "/" is added when missing); an empty text goes
// back to the running program's own folder. For tests, main thread only.
void SetProgramDir(std::string folder);

// The path of the existing file in `folder` whose name matches `name` without regard to ASCII
// case, the exact spelling first; each "/"-separated part of `name` is matched in turn. When
// nothing matches, the path as given (folder joined with name), so that creating or opening
// it reports the missing file itself.
std::string ResolveCaseInsensitive(std::string_view folder, std::string_view name);

// Joins a folder and a name with exactly one "/" between them.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace rtl
