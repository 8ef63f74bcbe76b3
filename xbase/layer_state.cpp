#include "xbase/layer_state.h"

namespace xbase {

LayerState& State() {
    // Never destroyed, so that sessions and data sets may still close at exit.
    static LayerState* const state = new LayerState;
    return *state;
}

void ResetLayerState() {
    State() = LayerState{};
}

const std::string* DirectoryOf(DbHandle db) {
    if (db < 1 || db > kDirectorySlots) {
        return nullptr;
    }
    const auto& slot = State().directories[db];
    return slot ? &*slot : nullptr;
}

bool IsAbsolutePath(const std::string& path) {
    return !path.empty() && path.front() == '/';
}

std::string WithTrailingSlash(std::string directory) {
    if (!directory.empty() && directory.back() != '/') {
        directory += '/';
    }
    return directory;
}

std::string JoinToDirectory(const std::string& directory, const std::string& name) {
    if (IsAbsolutePath(name)) {
        return name;
    }
    return WithTrailingSlash(directory) + name;
}

}  // namespace xbase
