#include "platform/agent/default_character.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/agent/character_names.h"
#include "platform/rtl/whole_file.h"

namespace agent {

std::string DefaultCharacterPath() {
    std::string folder;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/') {
        folder = config;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        folder = std::string(home) + "/.config";
    } else {
        folder = "/tmp";
    }
    return folder + "/belverin/character";
}

std::string ReadDefaultCharacter() {
    try {
        if (auto text = rtl::ReadWholeFile(DefaultCharacterPath())) {
            const auto end = text->find_first_of("\r\n");
            if (auto name = CharacterForFile(text->substr(0, end))) {
                return *name;
            }
        }
    } catch (...) {
        // An unreadable choice is no choice.
    }
    return CharacterNames().front();
}

void WriteDefaultCharacter(const std::string& name) {
    const std::filesystem::path path(DefaultCharacterPath());
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    rtl::WriteWholeFileAtomically(path.string(), name + "\n");
}

}  // namespace agent
