#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os/sound_output.h"

namespace os {

// Flags of the sndPlaySound contract. Without SND_ASYNC a play returns when the sound has ended.
inline constexpr unsigned SND_SYNC = 0x0000;
inline constexpr unsigned SND_ASYNC = 0x0001;
inline constexpr unsigned SND_NODEFAULT = 0x0002;
inline constexpr unsigned SND_MEMORY = 0x0004;
inline constexpr unsigned SND_LOOP = 0x0008;

// A sound decoded and ready to play; made by DecodeSoundFile or DecodeSoundImage.
struct SoundClip {
    std::string name;  // the path, or the image's label
    bool memory = false;
    int rate = 0;
    int channels = 0;
    std::vector<std::int16_t> samples;  // interleaved

    std::int64_t Frames() const {
        return channels > 0 ? static_cast<std::int64_t>(samples.size()) / channels : 0;
    }
};
using SoundClipPtr = std::shared_ptr<const SoundClip>;

// Null for a missing, unreadable or undecodable file (or image); `error` then says why.
// Files are read by libsndfile: PCM, ADPCM, GSM, A-law and mu-law wave files among others.
SoundClipPtr DecodeSoundFile(const std::string& path, std::string& error);
SoundClipPtr DecodeSoundImage(std::span<const std::uint8_t> image, std::string label,
                              std::string& error);

// Plays sounds on a worker thread per channel, in small blocks, so that Stop and a replacing
// sound act within 100 ms. Every call answers at once unless it asks to wait (a synchronous play).
class SoundPlayer {
  public:
    using LogLine = std::function<void(const std::string&)>;

    // `log` gets one line per failure; by default the line goes to stderr.
    explicit SoundPlayer(std::shared_ptr<SoundOutput> output, LogLine log = {});
    ~SoundPlayer();  // stops both channels and ends the threads
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // The sndPlaySound contract on the sound channel: an empty `path` stops and answers true;
    // SND_MEMORY is not taken here (PlayImage takes images). False for a file that cannot be
    // decoded or when no output opens; never a default sound. SND_LOOP repeats until Stop or
    // the next sound; without SND_ASYNC the call returns when the sound has ended.
    bool PlayFile(const std::string& path, unsigned flags);
    bool PlayImage(std::span<const std::uint8_t> image, std::string label, unsigned flags);
    bool PlayClip(SoundClipPtr clip, unsigned flags);

    // Decodes a file as PlayFile would, with the same log line when it cannot.
    SoundClipPtr Load(const std::string& path);

    // Clips played one after another on the sound channel, as one sound; answers at once.
    bool PlaySequence(std::vector<SoundClipPtr> clips);

    // Ends what the sound channel plays; speech goes on.
    void Stop();

    // The speech channel: a wave image held in memory, labelled with its voice and text for the
    // sound log. Speech is queued in order, waits while a one-shot sound or a sequence plays (not
    // a loop), and is left alone by Stop. False when the image cannot be decoded or, when it
    // would start at once, no output opens.
    bool Speak(std::span<const std::uint8_t> wav, std::string voice, std::string text);
    // Ends the speech playing and drops the queued speech.
    void StopSpeech();

    bool Playing(SoundChannel channel) const;
    // Waits until both channels are idle; false on time-out. For tests and shutdown.
    bool WaitIdle(std::chrono::milliseconds timeout) const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// The program's player: with BELVERIN_SOUND_LOG=<file> one line per sound goes to that file in
// place of playing; otherwise ALSA's "default" device. Made at first use; ends with the program.
SoundPlayer& soundPlayer();
// Puts a player of the test's choice in place; null goes back to the program's own.
void SetSoundPlayer(std::unique_ptr<SoundPlayer> player);

// The program's player by the sndPlaySound contract; a null `sound` stops. A bare pointer
// carries no length, so an image in memory goes through the second form (SND_MEMORY set).
bool sndPlaySound(const char* sound, unsigned flags);
bool sndPlaySound(std::span<const std::uint8_t> image, unsigned flags);

}  // namespace os
