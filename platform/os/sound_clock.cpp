#include "platform/os/sound_clock.h"

namespace os {

SteadySoundClock::SteadySoundClock() : start_(std::chrono::steady_clock::now()) {}

SoundClock::Duration SteadySoundClock::Now() const {
    return std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now() - start_);
}

bool SteadySoundClock::WaitUntil(Duration until, std::stop_token stop) {
    std::unique_lock lock(mutex_);
    // Nothing notifies but a stop request, so the predicate only ever sees the stop.
    wake_.wait_until(lock, stop, start_ + until, [] { return false; });
    return !stop.stop_requested() && Now() >= until;
}

SoundClock::Duration ManualSoundClock::Now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

bool ManualSoundClock::WaitUntil(Duration until, std::stop_token stop) {
    std::unique_lock lock(mutex_);
    return moved_.wait(lock, stop, [&] { return now_ >= until; });
}

void ManualSoundClock::Advance(Duration by) {
    {
        std::lock_guard lock(mutex_);
        now_ += by;
    }
    moved_.notify_all();
}

}  // namespace os
