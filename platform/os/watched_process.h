#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace os {

struct WatchedStart;

// A started program that its starter watches and collects itself. Move-only. Dropping a handle
// whose program has not been collected kills the program's group and leaves the collection to
// the reaper, so nothing outlives its owner and no zombie stays.
class WatchedProcess {
  public:
    WatchedProcess() = default;
    ~WatchedProcess();
    WatchedProcess(WatchedProcess&& other) noexcept;
    WatchedProcess& operator=(WatchedProcess&& other) noexcept;
    WatchedProcess(const WatchedProcess&) = delete;
    WatchedProcess& operator=(const WatchedProcess&) = delete;

    // True from the start until the program has been collected.
    bool Running() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }

    // A process descriptor that becomes readable once the program has ended; -1 when the system
    // gave none (the program can then only be killed).
    int Descriptor() const { return fd_; }

    // Collects the program when it has ended (by itself or by a signal); false while it runs.
    // Never blocks.
    bool TryCollect();

    // Sends SIGKILL to the program's whole process group and collects the program. The wait
    // is only for the system to tear down a program that can no longer run.
    void Kill();

  private:
    friend WatchedStart StartWatched(const std::vector<std::string>& argv,
                                     const std::string& programDir);
    WatchedProcess(pid_t pid, int descriptor);
    void Forget();

    pid_t pid_ = -1;
    int fd_ = -1;
};

struct WatchedStart {
    WatchedProcess process;
    int error = 0;  // errno value when the start failed
    bool Started() const { return process.Running(); }
};

// Starts argv[0] as StartDetached does (no shell, its own process group, descriptors 0 to 2
// only, default signals, programDir as working folder), with stdin from /dev/null, and hands
// the program to the caller to watch.
WatchedStart StartWatched(const std::vector<std::string>& argv, const std::string& programDir);

}  // namespace os
