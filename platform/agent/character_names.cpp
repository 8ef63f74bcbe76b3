#include "platform/agent/character_names.h"

#include <algorithm>

namespace agent {
namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

}  // namespace

const std::vector<std::string>& CharacterNames() {
    static const std::vector<std::string> names{"Robby", "Peedy", "Merlin", "Genie"};
    return names;
}

std::optional<std::string> CharacterForFile(std::string_view file) {
    // Windows paths still name the file after their last separator of either kind.
    const auto slash = file.find_last_of("/\\");
    std::string_view base = slash == std::string_view::npos ? file : file.substr(slash + 1);
    const auto dot = base.find('.');
    if (dot != std::string_view::npos) {
        base = base.substr(0, dot);
    }
    for (const auto& name : CharacterNames()) {
        if (SameIgnoringCase(base, name)) {
            return name;
        }
    }
    return std::nullopt;
}

}  // namespace agent
