#pragma once

#include <string>
#include <vector>

#include "platform/os/watched_process.h"

namespace os {

// The recorder command used when the settings name none.
inline constexpr const char* kDefaultRecorderCommand = "arecord -q -f cd -t wav";

// Records sound into a file until asked to stop. Main thread only; nothing blocks.
class SoundRecorder {
  public:
    virtual ~SoundRecorder() = default;
    // Starts recording into `path`; false when it cannot start (errno value in `error`).
    virtual bool Start(const std::string& path, int& error) = 0;
    // Asks the recording to end.
    virtual void RequestStop() = 0;
    // True once the recording has ended (or none runs); never waits.
    virtual bool Ended() = 0;
    // Ends a recording that does not stop when asked.
    virtual void Kill() = 0;
};

// An outside program, named by a command line split by the command-line rules, with the
// file's path as one last argument; no shell. It stops on SIGINT, as arecord does.
class ProgramRecorder : public SoundRecorder {
  public:
    ProgramRecorder(std::string commandLine, std::string programDir);
    ~ProgramRecorder() override;

    // The arguments a recording into `path` starts with.
    std::vector<std::string> Arguments(const std::string& path) const;

    bool Start(const std::string& path, int& error) override;
    void RequestStop() override;
    bool Ended() override;
    void Kill() override;

  private:
    std::string commandLine_;
    std::string programDir_;
    WatchedProcess process_;
};

// A recorder for tests: it keeps every path it was started with, may refuse to start, and
// writes `recording` into the file when asked to stop.
class FakeSoundRecorder : public SoundRecorder {
  public:
    bool Start(const std::string& path, int& error) override;
    void RequestStop() override;
    bool Ended() override { return !running_; }
    void Kill() override;

    std::vector<std::string> started;
    int stopRequests = 0;
    int kills = 0;
    int failWith = 0;         // errno value to refuse every start with; 0 starts
    bool ignoreStop = false;  // keeps running when asked to stop
    std::string recording = std::string("RIFF") + std::string(40, '\0');

  private:
    bool running_ = false;
};

}  // namespace os
