#include "platform/os/xdg_folders.h"

#include <cstdlib>
#include <fstream>
#include <string_view>

namespace os {

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Relative values are ignored by the XDG rules.
std::string ConfigHome(const XdgEnvironment& env) {
    if (!env.configHome.empty() && env.configHome.front() == '/') {
        return env.configHome;
    }
    return env.home + "/.config";
}

std::string DataHome(const XdgEnvironment& env) {
    if (!env.dataHome.empty() && env.dataHome.front() == '/') {
        return env.dataHome;
    }
    return env.home + "/.local/share";
}

// The value of one line XDG_DESKTOP_DIR="$HOME/..." or "/...", with its backslash escapes;
// empty when the line is not of that form.
std::string DesktopValue(std::string_view line, const std::string& home) {
    constexpr std::string_view key = "XDG_DESKTOP_DIR=\"";
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos || line.substr(start, key.size()) != key) {
        return {};
    }
    std::string value;
    bool closed = false;
    for (std::size_t i = start + key.size(); i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            value += line[++i];
        } else if (line[i] == '"') {
            closed = true;
            break;
        } else {
            value += line[i];
        }
    }
    if (!closed) {
        return {};
    }
    if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/')) {
        return home + value.substr(5);
    }
    return value.rfind('/', 0) == 0 ? value : std::string();
}

}  // namespace

XdgEnvironment XdgEnvironment::FromEnvironment() {
    return {Env("HOME"), Env("XDG_CONFIG_HOME"), Env("XDG_DATA_HOME")};
}

std::string DesktopFolder(const XdgEnvironment& env) {
    std::ifstream in(ConfigHome(env) + "/user-dirs.dirs");
    std::string found;
    for (std::string line; std::getline(in, line);) {
        if (std::string value = DesktopValue(line, env.home); !value.empty()) {
            found = value;  // the last line wins, as in a shell
        }
    }
    return found.empty() ? env.home + "/Desktop" : found;
}

std::string AutostartFolder(const XdgEnvironment& env) {
    return ConfigHome(env) + "/autostart";
}

std::string ApplicationsFolder(const XdgEnvironment& env) {
    return DataHome(env) + "/applications/belverin";
}

}  // namespace os
