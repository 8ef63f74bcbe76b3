#include "xbase/engine_library.h"

#include "platform/rtl/program_folder.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace xbase {

std::unique_ptr<EngineLibrary> EngineLibrary::Open(const std::string& path, std::string* error) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        if (error != nullptr) {
            const char* why = dlerror();
            *error = why != nullptr ? why : "cannot load " + path;
        }
        return nullptr;
    }
    std::unique_ptr<EngineLibrary> library(new EngineLibrary(handle));
    EngineApi& api = library->api_;
    api.NotifyUse = reinterpret_cast<decltype(api.NotifyUse)>(dlsym(handle, "NotifyUse"));
    std::string missing;
#define XBASE_ENGINE_LOOKUP(name)                                          \
    api.name = reinterpret_cast<decltype(api.name)>(dlsym(handle, #name)); \
    if (api.name == nullptr && missing.empty())                            \
        missing = #name;
    XBASE_ENGINE_CALLS(XBASE_ENGINE_LOOKUP)
#undef XBASE_ENGINE_LOOKUP
    if (!missing.empty()) {
        if (error != nullptr) {
            *error = path + " lacks " + missing;
        }
        return nullptr;
    }
    return library;
}

namespace {
std::string& DefaultFileName() {
    static std::string name = EngineLibrary::kFileName;
    return name;
}
}  // namespace

void EngineLibrary::SetDefaultFileName(std::string name) {
    DefaultFileName() = name.empty() ? std::string(kFileName) : std::move(name);
}

std::unique_ptr<EngineLibrary> EngineLibrary::OpenDefault(std::string* error) {
    const std::string& name = DefaultFileName();
    const std::string beside = rtl::ProgramDir() + name;
    std::error_code ec;
    if (std::filesystem::exists(beside, ec)) {
        if (auto library = Open(beside, error)) {
            return library;
        }
    }
    return Open(name, error);
}

EngineLibrary::~EngineLibrary() {
    dlclose(handle_);
}

}  // namespace xbase
