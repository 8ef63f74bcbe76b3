#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace agent {

// The characters the control carries, in the order the chooser shows them.
const std::vector<std::string>& CharacterNames();

// The character a file names by its base name, without regard to case: "/x/merlin.acs" is
// Merlin. Nothing for any other name.
std::optional<std::string> CharacterForFile(std::string_view file);

}  // namespace agent
