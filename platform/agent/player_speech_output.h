#pragma once

#include <string>

#include "platform/agent/speech_output.h"

namespace os {
class SoundPlayer;
}

namespace agent {

// The character's voice on the sound player's speech channel, which lets a playing sound end
// first. The player must outlive this output.
class PlayerSpeechOutput : public SpeechOutput {
  public:
    explicit PlayerSpeechOutput(os::SoundPlayer& player) : player_(player) {}

    bool Play(const std::string& wav, const std::string& voice, const std::string& text) override;
    // Speech held back behind a sound counts as waiting.
    State Current() const override;
    void Stop() override;
    bool HasDevice() const override;

  private:
    os::SoundPlayer& player_;
};

// Installs the real control speaking on the program's sound player.
void InstallProgramAgentControl();

}  // namespace agent
