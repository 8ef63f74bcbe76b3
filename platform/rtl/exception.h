#pragma once

#include <exception>
#include <string>

namespace rtl {

// Base of every exception the program raises; the message is shown to the user as it stands.
class Exception : public std::exception {
  public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

  private:
    std::string message_;
};

class EConvertError : public Exception {
  public:
    using Exception::Exception;
};

class EInOutError : public Exception {
  public:
    using Exception::Exception;
};

}  // namespace rtl
