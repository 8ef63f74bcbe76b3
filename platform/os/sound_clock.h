#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace os {

// Time as the recording output sees it: the real clock, or one that a test moves by hand.
class SoundClock {
  public:
    using Duration = std::chrono::microseconds;
    virtual ~SoundClock() = default;
    virtual Duration Now() const = 0;
    // Returns true once Now() has reached `until`, false when `stop` came first.
    virtual bool WaitUntil(Duration until, std::stop_token stop) = 0;
};

class SteadySoundClock : public SoundClock {
  public:
    SteadySoundClock();
    Duration Now() const override;
    bool WaitUntil(Duration until, std::stop_token stop) override;

  private:
    std::chrono::steady_clock::time_point start_;
    std::mutex mutex_;
    std::condition_variable_any wake_;
};

// Stands still until a test calls Advance.
class ManualSoundClock : public SoundClock {
  public:
    Duration Now() const override;
    bool WaitUntil(Duration until, std::stop_token stop) override;
    void Advance(Duration by);

  private:
    mutable std::mutex mutex_;
    std::condition_variable_any moved_;
    Duration now_{0};
};

}  // namespace os
