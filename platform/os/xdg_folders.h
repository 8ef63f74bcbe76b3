#pragma once

#include <string>

namespace os {

// The environment the user's folders are found from; empty members take their defaults.
struct XdgEnvironment {
    std::string home;        // $HOME
    std::string configHome;  // $XDG_CONFIG_HOME, default $HOME/.config
    std::string dataHome;    // $XDG_DATA_HOME, default $HOME/.local/share
    static XdgEnvironment FromEnvironment();
};

// XDG_DESKTOP_DIR from user-dirs.dirs in the configuration folder, else $HOME/Desktop.
std::string DesktopFolder(const XdgEnvironment& env);
// The configuration folder's autostart folder.
std::string AutostartFolder(const XdgEnvironment& env);
// The program's own folder of the applications menu: applications/belverin in the data folder.
std::string ApplicationsFolder(const XdgEnvironment& env);

}  // namespace os
