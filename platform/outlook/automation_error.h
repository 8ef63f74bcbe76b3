#pragma once

#include "platform/rtl/exception.h"

namespace outlook {

// The one error every member of the store raises, as an automation server's failures reach
// the program as one error class.
class EAutomationError : public rtl::Exception {
  public:
    using rtl::Exception::Exception;
};

}  // namespace outlook
