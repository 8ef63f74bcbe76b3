#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/dialer.h"

namespace os {

// A dialler for tests: keeps every request and answers with `answer`.
class RecordingDialer : public Dialer {
  public:
    struct Call {
        std::string destination;
        std::string applicationName;
        std::string calledParty;
        std::string comment;
        bool operator==(const Call&) const = default;
    };

    int32_t RequestMakeCall(const std::string& destination, const std::string& applicationName,
                            const std::string& calledParty, const std::string& comment) override {
        calls.push_back({destination, applicationName, calledParty, comment});
        return answer;
    }

    std::vector<Call> calls;
    int32_t answer = 0;
};

}  // namespace os
