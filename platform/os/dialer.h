#pragma once

#include <cstdint>
#include <string>

namespace os {

// Places a telephone call through whatever the desktop offers for it. The program hands over
// the destination as dialled (prefix and number), the application's name, the called party and
// a comment; 0 means the request was taken.
class Dialer {
  public:
    virtual ~Dialer() = default;
    virtual int32_t RequestMakeCall(const std::string& destination,
                                    const std::string& applicationName,
                                    const std::string& calledParty, const std::string& comment) = 0;
};

}  // namespace os
