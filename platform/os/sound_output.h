#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <stop_token>
#include <string>

namespace os {

// The two channels: sounds (one at a time, a new one ends the last) and speech (queued).
enum class SoundChannel { Sound, Speech };

// How a sound left its channel.
enum class SoundEnd { Finished, Stopped, Replaced, Failed, Shutdown };

const char* SoundChannelName(SoundChannel channel);
const char* SoundEndName(SoundEnd end);

// One sound about to play: samples are signed 16-bit, interleaved, at `rate` frames a second.
struct SoundInfo {
    SoundChannel channel = SoundChannel::Sound;
    std::string name;  // the resolved path, or the label of an image in memory
    unsigned flags = 0;
    bool memory = false;
    int rate = 0;
    int channels = 0;
    std::int64_t frames = 0;  // of one pass
    std::string voice;        // speech only
    std::string text;         // speech only
};

// One open output for one sound.
class SoundStream {
  public:
    virtual ~SoundStream() = default;
    // Writes `frames` interleaved frames and returns once they are taken (about one block's time);
    // returns early when `stop` is requested. False when the output failed.
    virtual bool Write(std::span<const std::int16_t> samples, std::int64_t frames,
                       std::stop_token stop) = 0;
    // Ends the sound: a finished one is played out, any other is cut off.
    virtual void Close(SoundEnd how) = 0;
};

// Where the player sends sounds. Open never blocks; it may be called from any thread.
class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    // Null with `error` set when no output opens.
    virtual std::unique_ptr<SoundStream> Open(const SoundInfo& info, std::string& error) = 0;
};

}  // namespace os
