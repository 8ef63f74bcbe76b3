#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/os/sound_clock.h"
#include "platform/os/sound_output.h"

namespace os {

// One sound as the recording output saw it.
struct SoundRecord {
    SoundInfo info;
    std::int64_t frames_played = 0;  // all passes of a loop together
    std::optional<SoundEnd> end;     // empty while it plays
};

// An output for tests: records every sound and takes its samples at the pace of a clock (the
// real one, or one the test moves). Can be told to refuse to open, as a missing device does.
class RecordingSoundOutput : public SoundOutput {
  public:
    explicit RecordingSoundOutput(
        std::shared_ptr<SoundClock> clock = std::make_shared<SteadySoundClock>());

    std::unique_ptr<SoundStream> Open(const SoundInfo& info, std::string& error) override;

    std::vector<SoundRecord> Records() const;
    // Waits until `count` sounds have ended; false on time-out.
    bool WaitForEnded(std::size_t count, std::chrono::milliseconds timeout) const;
    // Waits until `count` sounds have been opened; false on time-out.
    bool WaitForOpened(std::size_t count, std::chrono::milliseconds timeout) const;
    void SetRefuseOpen(bool refuse);
    SoundClock& Clock() { return *clock_; }

  private:
    class Stream;
    friend class Stream;
    void Played(std::size_t index, std::int64_t frames);
    void Ended(std::size_t index, SoundEnd end);

    std::shared_ptr<SoundClock> clock_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<SoundRecord> records_;
    bool refuse_ = false;
};

}  // namespace os
