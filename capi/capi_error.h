#pragma once

#include "platform/rtl/exception.h"

namespace capi {

// A message or struct that cannot be built as asked (too long, written past its end).
class ECapiError : public rtl::Exception {
  public:
    using Exception::Exception;
};

}  // namespace capi
