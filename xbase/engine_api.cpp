#include "xbase/engine_api.h"

#include <atomic>

namespace xbase {

namespace {
std::atomic<const EngineApi*> bound{nullptr};
}

bool IsComplete(const EngineApi& api) {
#define XBASE_ENGINE_CHECK(name) \
    if (api.name == nullptr)     \
        return false;
    XBASE_ENGINE_CALLS(XBASE_ENGINE_CHECK)
#undef XBASE_ENGINE_CHECK
    return true;
}

void BindEngine(const EngineApi* api) {
    bound.store(api);
}

const EngineApi* BoundEngine() {
    return bound.load();
}

const EngineApi& Engine() {
    return *bound.load();
}

}  // namespace xbase
