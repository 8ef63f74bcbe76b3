#pragma once

#include <optional>
#include <string>

#include "xbase/result_codes.h"

namespace xbase {

// Process-wide state of the layer, used from the main thread only.
inline constexpr int kDirectorySlots = 199;

struct LayerState {
    std::string currentDirectory;  // "./" after engine start
    std::string defaultPath;       // from a "PATH:" parameter of an alias
    bool oem = false;              // never set: blob contents pass unconverted
    std::optional<std::string> directories[kDirectorySlots + 1];  // slots 1 to 199
    // Why the engine refused the last write that failed, for the error's further entries.
    struct Refusal {
        DbiResult code = 0;
        int systemError = 0;  // errno, 0 when the engine named none
        std::string reason;
    } refusal;
    DbiResult explaining = 0;  // the code whose text was asked for last
};

LayerState& State();

// Forgets every directory slot and path.
void ResetLayerState();

// The directory of a database handle; null for a handle that names no slot.
const std::string* DirectoryOf(DbHandle db);

// Paths on this system: absolute when they start with "/".
bool IsAbsolutePath(const std::string& path);

// `directory` with a "/" at its end (an empty text stays empty).
std::string WithTrailingSlash(std::string directory);

// A relative `name` joined to `directory`; an absolute one unchanged.
std::string JoinToDirectory(const std::string& directory, const std::string& name);

}  // namespace xbase
