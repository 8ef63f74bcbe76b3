#include "platform/os/sound_output.h"

namespace os {

const char* SoundChannelName(SoundChannel channel) {
    return channel == SoundChannel::Speech ? "speech" : "sound";
}

const char* SoundEndName(SoundEnd end) {
    switch (end) {
        case SoundEnd::Finished:
            return "finished";
        case SoundEnd::Stopped:
            return "stopped";
        case SoundEnd::Replaced:
            return "replaced";
        case SoundEnd::Failed:
            return "failed";
        case SoundEnd::Shutdown:
            return "shutdown";
    }
    return "?";
}

}  // namespace os
