#pragma once

#include <cstdint>
#include <functional>

#include "xbase/result_codes.h"
#include "xbase/xbcalls.h"

namespace xbase {

inline constexpr int32_t kCallbackServerCall = 1;
inline constexpr int32_t kCallbackPassword = 2;

// Installs an event as the engine's callback of one kind for its lifetime and puts the
// previous one back afterwards. The layer accepts it and never calls it.
class TBDECallback {
  public:
    using Event = std::function<int32_t(void* info)>;

    TBDECallback(const void* owner, SessionHandle handle, int32_t kind, void* buffer,
                 uint16_t bufferLength, Event event);
    ~TBDECallback();
    TBDECallback(const TBDECallback&) = delete;
    TBDECallback& operator=(const TBDECallback&) = delete;

    // Runs the event, then the previous callback.
    int32_t Invoke(void* info);
    bool Installed() const { return installed_; }
    int32_t Kind() const { return kind_; }
    const void* Owner() const { return owner_; }

  private:
    static int32_t Trampoline(int32_t kind, intptr_t clientData, void* info);

    const void* owner_;
    SessionHandle handle_;
    int32_t kind_;
    Event event_;
    intptr_t previousData_ = 0;
    uint16_t previousBufferLength_ = 0;
    void* previousBuffer_ = nullptr;
    EngineCallback previous_ = nullptr;
    bool installed_ = false;
};

}  // namespace xbase
