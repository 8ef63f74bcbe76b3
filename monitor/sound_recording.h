#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/os/sound_recorder.h"

namespace monitor {

// One recording into a file by an outside recorder, and whether it left a new file. A
// recorder still running when this goes is killed.
class SoundRecording {
  public:
    SoundRecording() = default;
    ~SoundRecording();
    SoundRecording(const SoundRecording&) = delete;
    SoundRecording& operator=(const SoundRecording&) = delete;

    bool Running() const { return recorder_ != nullptr; }
    // Starts `recorder` into `path`; false when there is none or it does not start.
    bool Start(std::unique_ptr<os::SoundRecorder> recorder, const std::string& path);
    // Asks the recorder to end.
    void Stop();
    // True once the recorder has ended, or when none runs; never waits.
    bool Ended();
    // Ends a recorder that does not stop when asked.
    void Kill();
    // Ends the recorder; true when the file is there, not empty and changed since the start:
    // an old file that the recorder never touched is no recording.
    bool Finish();

  private:
    std::unique_ptr<os::SoundRecorder> recorder_;
    std::string path_;
    std::optional<std::filesystem::file_time_type> before_;
};

}  // namespace monitor
