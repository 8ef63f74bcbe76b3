#pragma once

#include <memory>
#include <string>
#include <vector>

#include "xbase/engine_api.h"
#include "xbase/engine_library.h"

namespace xbase::testing {

// The engine library itself, bound with every call written to a log by name before it runs.
// While it lives it is the bound engine.
class LoggedEngine {
  public:
    // Null, with the reason in `error`, when the build has no engine library.
    static std::unique_ptr<LoggedEngine> Open(std::string* error);
    ~LoggedEngine();
    LoggedEngine(const LoggedEngine&) = delete;
    LoggedEngine& operator=(const LoggedEngine&) = delete;

    // The calls that ran since the last Clear.
    std::vector<std::string>& Log();
    int CountOf(const std::string& call) const;
    // The engine without logging, for the test's own checks.
    const EngineApi& Real() const { return library_->Api(); }

  private:
    explicit LoggedEngine(std::unique_ptr<EngineLibrary> library);
    std::unique_ptr<EngineLibrary> library_;
    EngineApi logged_;
};

}  // namespace xbase::testing
