#pragma once

#include <stdexcept>
#include <string>

namespace xb {

// A failed engine operation; the C interface turns it into a failure result and keeps
// the text for sx_LastErrorText.
class Error : public std::runtime_error {
  public:
    explicit Error(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace xb
