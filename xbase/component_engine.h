#pragma once

#include "xbase/engine_api.h"

namespace xbase {

// The engine for the engine components, which may act before any table has started it:
// binds the engine library from the program folder when nothing is bound yet. Raises
// db::EDatabaseError when the library cannot be loaded.
const EngineApi& ComponentEngine();

}  // namespace xbase
