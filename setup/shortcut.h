#pragma once

#include <string>

#include "platform/os/xdg_folders.h"

namespace setup {

// Where a shortcut goes: 1 the desktop, 2 the autostart folder, 3 the program's folder of the
// applications menu.
inline constexpr int kShortcutDesktop = 1;
inline constexpr int kShortcutStartup = 2;
inline constexpr int kShortcutPrograms = 3;

// The program's icon, installed beside the program, and the menu's categories of its entries.
inline constexpr const char* kProgramIcon = "belverin.svg";
inline constexpr const char* kProgramCategories = "Network;Telephony;";

// A desktop entry named `name` that starts `target` in its own folder, with the icon beside
// it. The autostart and applications folders are made when missing; a missing desktop folder
// is a failure.
bool maakshortcut(const std::string& target, const std::string& name, int where,
                  const os::XdgEnvironment& env = os::XdgEnvironment::FromEnvironment());

}  // namespace setup
