#pragma once

#include <stdexcept>
#include <string>

namespace xb {

// A failed engine operation; the C interface turns it into a failure result and keeps
// the text for sx_LastErrorText. A failure of the system names its error number (errno),
// so that callers can tell a full disk from any other.
class Error : public std::runtime_error {
  public:
    explicit Error(const std::string& what, int systemError = 0)
        : std::runtime_error(what), systemError_(systemError) {}
    int SystemError() const { return systemError_; }

  private:
    int systemError_;
};

}  // namespace xb
