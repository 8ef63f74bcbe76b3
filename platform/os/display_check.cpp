#include "platform/os/display_check.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <string_view>

namespace os {

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// "-platform NAME" (or "--platform NAME") as QGuiApplication reads it.
std::string PlatformArgument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg.starts_with("--")) {
            arg.remove_prefix(1);
        }
        if (arg == "-platform" && i + 1 < argc) {
            return argv[i + 1];
        }
    }
    return {};
}

// Whether Qt would take X11: `platform` is what -platform or QT_QPA_PLATFORM give (empty for
// Qt's default); a Wayland session with a Wayland display is left to Qt.
bool UsesX11(const std::string& platform, const std::string& sessionType,
             const std::string& waylandDisplay) {
    if (platform.empty()) {
        return !(sessionType == "wayland" && !waylandDisplay.empty());
    }
    // The plugin's name, without its options ("xcb:option") or a list of fallbacks.
    const std::string first = platform.substr(0, platform.find_first_of(":;"));
    return first == "xcb" && platform.find(';') == std::string::npos;
}

}  // namespace

std::optional<std::string> DisplayProblem(int argc, char** argv) {
    std::string platform = PlatformArgument(argc, argv);
    if (platform.empty()) {
        platform = Env("QT_QPA_PLATFORM");
    }
    if (!UsesX11(platform, Env("XDG_SESSION_TYPE"), Env("WAYLAND_DISPLAY"))) {
        return std::nullopt;
    }
    const std::string display = Env("DISPLAY");
    if (display.empty()) {
        return "no display (DISPLAY is empty); start it from a desktop session.";
    }
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    if (error != 0) {
        return "cannot reach the display " + display + "; start it from a desktop session.";
    }
    return std::nullopt;
}

}  // namespace os
