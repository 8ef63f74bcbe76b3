#pragma once

#include <string>

namespace agent {

// The espeak-ng voice for a 16-bit language id; Dutch for any id without a voice of its own.
std::string VoiceForLanguage(int languageId);

// The characters speak Dutch unless told otherwise.
inline constexpr int kCharacterLanguage = 1043;

}  // namespace agent
