#include "platform/os/alsa_sound_output.h"

#include <alsa/asoundlib.h>

#include <cstdarg>
#include <mutex>

namespace os {
namespace {

void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

class AlsaStream : public SoundStream {
  public:
    AlsaStream(snd_pcm_t* pcm, int channels) : pcm_(pcm), channels_(channels) {}
    ~AlsaStream() override {
        if (pcm_ != nullptr) {
            snd_pcm_drop(pcm_);
            snd_pcm_close(pcm_);
        }
    }

    bool Write(std::span<const std::int16_t> samples, std::int64_t frames,
               std::stop_token stop) override {
        const std::int16_t* at = samples.data();
        snd_pcm_sframes_t left = static_cast<snd_pcm_sframes_t>(frames);
        while (left > 0 && !stop.stop_requested()) {
            const snd_pcm_sframes_t n =
                snd_pcm_writei(pcm_, at, static_cast<snd_pcm_uframes_t>(left));
            if (n < 0) {
                if (snd_pcm_recover(pcm_, static_cast<int>(n), 1) < 0) {
                    return false;
                }
                continue;
            }
            at += n * channels_;
            left -= n;
        }
        return true;
    }

    void Close(SoundEnd how) override {
        if (how == SoundEnd::Finished) {
            snd_pcm_drain(pcm_);
        } else {
            snd_pcm_drop(pcm_);
        }
        snd_pcm_close(pcm_);
        pcm_ = nullptr;
    }

  private:
    snd_pcm_t* pcm_;
    int channels_;
};

}  // namespace

AlsaSoundOutput::AlsaSoundOutput(std::string device) : device_(std::move(device)) {}

std::unique_ptr<SoundStream> AlsaSoundOutput::Open(const SoundInfo& info, std::string& error) {
    static std::once_flag quiet;
    std::call_once(quiet, [] { snd_lib_error_set_handler(QuietAlsa); });

    snd_pcm_t* pcm = nullptr;
    int rc = snd_pcm_open(&pcm, device_.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (rc < 0) {
        error = device_ + ": " + snd_strerror(rc);
        return nullptr;
    }
    // Opened without blocking; writes may wait for room, one small block at a time.
    rc = snd_pcm_nonblock(pcm, 0);
    if (rc >= 0) {
        // A latency of 100 ms bounds what a stop or a replacing sound still lets through.
        rc = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED,
                                static_cast<unsigned>(info.channels),
                                static_cast<unsigned>(info.rate), 1, 100'000);
    }
    if (rc < 0) {
        error = device_ + ": " + snd_strerror(rc);
        snd_pcm_close(pcm);
        return nullptr;
    }
    return std::make_unique<AlsaStream>(pcm, info.channels);
}

}  // namespace os
