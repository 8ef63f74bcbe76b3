#include "platform/agent/player_speech_output.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <span>

#include "platform/agent/qt_agent_control.h"
#include "platform/os/sound_player.h"

namespace agent {

bool PlayerSpeechOutput::Play(const std::string& wav, const std::string& voice,
                              const std::string& text) {
    const std::span<const std::uint8_t> image(reinterpret_cast<const std::uint8_t*>(wav.data()),
                                              wav.size());
    return player_.Speak(image, voice, text);
}

SpeechOutput::State PlayerSpeechOutput::Current() const {
    if (!player_.Playing(os::SoundChannel::Speech)) {
        return State::Idle;
    }
    return player_.Playing(os::SoundChannel::Sound) ? State::Waiting : State::Sounding;
}

void PlayerSpeechOutput::Stop() {
    player_.StopSpeech();
}

bool PlayerSpeechOutput::HasDevice() const {
    if (const char* log = std::getenv("BELVERIN_SOUND_LOG"); log && *log) {
        return true;
    }
    std::ifstream cards("/proc/asound/cards");
    const std::string text{std::istreambuf_iterator<char>(cards), std::istreambuf_iterator<char>()};
    return !text.empty() && text.find("no soundcards") == std::string::npos;
}

void InstallProgramAgentControl() {
    InstallQtAgentControl(std::make_shared<PlayerSpeechOutput>(os::soundPlayer()));
}

}  // namespace agent
