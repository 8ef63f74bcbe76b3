#include <cstdlib>
#include <mutex>

#include "platform/os/alsa_sound_output.h"
#include "platform/os/sound_log_output.h"
#include "platform/os/sound_player.h"

namespace os {
namespace {

std::mutex& PlayerMutex() {
    static std::mutex mutex;
    return mutex;
}

std::unique_ptr<SoundPlayer>& Player() {
    static std::unique_ptr<SoundPlayer> player;
    return player;
}

}  // namespace

SoundPlayer& soundPlayer() {
    std::lock_guard lock(PlayerMutex());
    auto& player = Player();
    if (!player) {
        const char* log = std::getenv("BELVERIN_SOUND_LOG");
        if (log != nullptr && *log != '\0') {
            player = std::make_unique<SoundPlayer>(std::make_shared<SoundLogOutput>(log));
        } else {
            player = std::make_unique<SoundPlayer>(std::make_shared<AlsaSoundOutput>());
        }
    }
    return *player;
}

void SetSoundPlayer(std::unique_ptr<SoundPlayer> player) {
    std::unique_ptr<SoundPlayer> old;
    {
        std::lock_guard lock(PlayerMutex());
        old = std::move(Player());
        Player() = std::move(player);
    }
}

bool sndPlaySound(const char* sound, unsigned flags) {
    if (sound == nullptr) {
        soundPlayer().Stop();
        return true;
    }
    if ((flags & SND_MEMORY) != 0) {
        return false;
    }
    return soundPlayer().PlayFile(sound, flags);
}

bool sndPlaySound(std::span<const std::uint8_t> image, unsigned flags) {
    if (image.empty()) {
        soundPlayer().Stop();
        return true;
    }
    return soundPlayer().PlayImage(image, "geheugen", flags | SND_MEMORY);
}

}  // namespace os
