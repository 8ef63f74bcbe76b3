#pragma once

#include <functional>

namespace db {

// Where an exception goes that may not travel further (a destructor, an engine callback).
// The handler is called inside the catch block, so it may rethrow to inspect the exception.
using TExceptionHandler = std::function<void()>;

void SetExceptionHandler(TExceptionHandler handler);

// Call from inside a catch block. EAbort is dropped; the default handler writes other
// messages to stderr.
void HandleException() noexcept;

}  // namespace db
