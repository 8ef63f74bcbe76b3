#include "xbase/component_engine.h"

#include <memory>
#include <string>

#include "platform/db/database_error.h"
#include "xbase/engine_library.h"

namespace xbase {

const EngineApi& ComponentEngine() {
    if (const EngineApi* bound = BoundEngine()) {
        return *bound;
    }
    // Kept for the process: the layer's engine start finds it bound and uses it.
    static std::unique_ptr<EngineLibrary> library;
    std::string error;
    library = EngineLibrary::OpenDefault(&error);
    if (!library) {
        db::DatabaseError("Engine library not loaded: " + error);
    }
    BindEngine(&library->Api());
    return library->Api();
}

}  // namespace xbase
