#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace os::testing {

// A program started by a test with its standard input and output on pipes and some variables
// of the environment changed; killed and collected when dropped.
class ChildPipe {
  public:
    // `env` entries replace or add variables; an empty value removes one. With `errorsToo` the
    // standard error comes on the same pipe as the output.
    ChildPipe(const std::vector<std::string>& argv,
              const std::map<std::string, std::string>& env = {}, bool errorsToo = false);
    ~ChildPipe();
    ChildPipe(const ChildPipe&) = delete;
    ChildPipe& operator=(const ChildPipe&) = delete;

    pid_t Pid() const { return pid_; }
    // The next line of output without its line break; nothing when none came within `limit`.
    std::optional<std::string> ReadLine(std::chrono::milliseconds limit = std::chrono::seconds(10));
    // Reads lines until one starts with `prefix`; that line.
    std::optional<std::string> WaitForLine(
        const std::string& prefix, std::chrono::milliseconds limit = std::chrono::seconds(15));
    void Write(const std::string& text);
    void CloseInput();
    void Signal(int sig);
    // The exit status (128 + signal for a signal); nothing when it still ran after `limit`.
    std::optional<int> Wait(std::chrono::milliseconds limit = std::chrono::seconds(10));

  private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string buffer_;
    std::optional<int> status_;
};

}  // namespace os::testing
