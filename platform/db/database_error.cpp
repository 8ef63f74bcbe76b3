#include "platform/db/database_error.h"

#include <cstdio>
#include <exception>
#include <utility>

#include "platform/db/component.h"
#include "platform/db/exception_handler.h"

namespace db {

void DatabaseError(const std::string& message, const TComponent* component) {
    if (component != nullptr && !component->Name().empty()) {
        throw EDatabaseError(component->Name() + ": " + message);
    }
    throw EDatabaseError(message);
}

void Abort() {
    throw EAbort();
}

namespace {

TExceptionHandler& Handler() {
    static TExceptionHandler handler;
    return handler;
}

}  // namespace

void SetExceptionHandler(TExceptionHandler handler) {
    Handler() = std::move(handler);
}

void HandleException() noexcept {
    try {
        throw;
    } catch (const EAbort&) {
        return;
    } catch (...) {
    }
    try {
        if (Handler()) {
            Handler()();
            return;
        }
        throw;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "unknown exception\n");
    }
}

}  // namespace db
