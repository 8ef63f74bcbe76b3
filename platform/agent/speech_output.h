#pragma once

#include <string>

namespace agent {

// Where a character's voice sounds: a wave image in memory, one at a time.
class SpeechOutput {
  public:
    enum class State { Idle, Waiting, Sounding };

    virtual ~SpeechOutput() = default;
    // Queues the voice; false when it cannot play (no device, an image it cannot read).
    virtual bool Play(const std::string& wav, const std::string& voice,
                      const std::string& text) = 0;
    // Waiting: queued behind another sound; Idle: ended or never started.
    virtual State Current() const = 0;
    virtual void Stop() = 0;
    virtual bool HasDevice() const = 0;
};

}  // namespace agent
