#pragma once

#include <string>

#include "platform/rtl/exception.h"

namespace db {

class TComponent;

// The data sets' own failures ("Dataset not in edit or insert mode", ...).
class EDatabaseError : public rtl::Exception {
  public:
    using rtl::Exception::Exception;
};

// The silent exception: ends an operation without a message.
class EAbort : public rtl::Exception {
  public:
    EAbort() : rtl::Exception("Operation aborted") {}
};

// Raises EDatabaseError; the component's name, when it has one, leads the message.
[[noreturn]] void DatabaseError(const std::string& message, const TComponent* component = nullptr);

[[noreturn]] void Abort();

}  // namespace db
