#include "xbase/tests/logged_engine.h"

#include <algorithm>
#include <type_traits>

namespace xbase::testing {

namespace {

const EngineApi* real = nullptr;
std::vector<std::string> calls;

template <typename F>
struct Logged;
template <typename R, typename... A>
struct Logged<R (*)(A...)> {
    template <const char* Name, auto Member>
    static R Call(A... args) {
        calls.emplace_back(Name);
        return (real->*Member)(args...);
    }
};

#define XBASE_LOGGED_NAME(name) constexpr char kName_##name[] = #name;
XBASE_ENGINE_CALLS(XBASE_LOGGED_NAME)
#undef XBASE_LOGGED_NAME

}  // namespace

std::unique_ptr<LoggedEngine> LoggedEngine::Open(std::string* error) {
#ifdef REAL_ENGINE_PATH
    auto library = EngineLibrary::Open(REAL_ENGINE_PATH, error);
    if (!library) {
        return nullptr;
    }
    return std::unique_ptr<LoggedEngine>(new LoggedEngine(std::move(library)));
#else
    *error = "the build has no engine library";
    return nullptr;
#endif
}

LoggedEngine::LoggedEngine(std::unique_ptr<EngineLibrary> library) : library_(std::move(library)) {
    real = &library_->Api();
    logged_.NotifyUse = real->NotifyUse;
#define XBASE_LOGGED_SET(name) \
    logged_.name = &Logged<decltype(&::name)>::template Call<kName_##name, &EngineApi::name>;
    XBASE_ENGINE_CALLS(XBASE_LOGGED_SET)
#undef XBASE_LOGGED_SET
    calls.clear();
    BindEngine(&logged_);
}

LoggedEngine::~LoggedEngine() {
    real->sx_CloseAll();
    BindEngine(nullptr);
    real = nullptr;
    calls.clear();
}

std::vector<std::string>& LoggedEngine::Log() {
    return calls;
}

int LoggedEngine::CountOf(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

}  // namespace xbase::testing
