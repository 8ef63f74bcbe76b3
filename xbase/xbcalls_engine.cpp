// Engine start and stop.

#include <cctype>
#include <cstdio>
#include <memory>
#include <string>

#include "xbase/engine_api.h"
#include "xbase/engine_library.h"
#include "xbase/layer_state.h"
#include "xbase/message_sink.h"
#include "xbase/work_area.h"
#include "xbase/xbcalls.h"

namespace xbase {

namespace {

constexpr const char* kVersionMessage =
    "xBase Database Engine Requires XBASE32.DLL Version 2.40.00 or later.";
constexpr int kLowestVersion = 40;
constexpr intptr_t kPropStop = 65005;

std::unique_ptr<EngineLibrary>& LoadedLibrary() {
    static std::unique_ptr<EngineLibrary> library;
    return library;
}

bool BindLibraryWhenUnbound() {
    if (BoundEngine() != nullptr) {
        return true;
    }
    std::string error;
    auto library = EngineLibrary::OpenDefault(&error);
    if (!library) {
        std::fprintf(stderr, "engine library: %s\n", error.c_str());
        return false;
    }
    LoadedLibrary() = std::move(library);
    BindEngine(&LoadedLibrary()->Api());
    return true;
}

// Characters 7 and 8 of the version text hold the release as two digits.
bool VersionAccepted(const std::string& version) {
    if (version.size() < 8 || !std::isdigit(static_cast<unsigned char>(version[6])) ||
        !std::isdigit(static_cast<unsigned char>(version[7]))) {
        return false;
    }
    return (version[6] - '0') * 10 + (version[7] - '0') >= kLowestVersion;
}

}  // namespace

DbiResult DbiInitEngine(const void* /*environment*/) {
    if (!BindLibraryWhenUnbound()) {
        ShowMessage(kVersionMessage);
        return kEngineRefused;
    }
    const EngineApi& e = Engine();
    if (e.NotifyUse != nullptr) {
        e.NotifyUse(9);
    }
    e.sx_SetStringType(1);
    State().oem = false;
    e.sx_ErrorLevel(1);
    State().currentDirectory = "./";

    const char* text = e.sx_Version();
    std::string version = text != nullptr ? text : "";
    if (version.size() > 8) {
        version.resize(8);
    }
    if (version.empty() || !VersionAccepted(version)) {
        ShowMessage(kVersionMessage);
        return kEngineRefused;
    }
    return kOk;
}

DbiResult DbiExitEngine() {
    if (BoundEngine() == nullptr) {
        return kOk;
    }
    const EngineApi& e = Engine();
    // The records of closed areas would name tables that are gone.
    ClearAllWorkAreas();
    e.sx_CloseAll();
    e.sx_SysProp(kPropStop, 0);
    return kOk;
}

}  // namespace xbase
