#pragma once

#include <string>

namespace agent {

// The user's own choice of character, kept by the control in the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config). Robby until chosen; a file naming no known character
// counts as none.
std::string DefaultCharacterPath();
std::string ReadDefaultCharacter();
// Stores a known character's name; raises rtl's EInOutError when the file cannot be written.
void WriteDefaultCharacter(const std::string& name);

}  // namespace agent
