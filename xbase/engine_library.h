#pragma once

#include <memory>
#include <string>

#include "xbase/engine_api.h"

namespace xbase {

// The engine shared library, loaded at run time; unloaded when destroyed.
class EngineLibrary {
  public:
    static constexpr const char* kFileName = "libxbase32.so";

    // Loads the library at `path` (a bare name searches the library path). Null with the
    // reason in `error` when it does not load or lacks a call; NotifyUse may be missing.
    static std::unique_ptr<EngineLibrary> Open(const std::string& path, std::string* error);

    // The engine's file name in the program folder first, then on the library path.
    static std::unique_ptr<EngineLibrary> OpenDefault(std::string* error);
    // The file name OpenDefault looks for: kFileName unless a test names another.
    static void SetDefaultFileName(std::string name);

    ~EngineLibrary();
    EngineLibrary(const EngineLibrary&) = delete;
    EngineLibrary& operator=(const EngineLibrary&) = delete;

    const EngineApi& Api() const { return api_; }

  private:
    explicit EngineLibrary(void* handle) : handle_(handle) {}
    void* handle_;
    EngineApi api_;
};

}  // namespace xbase
