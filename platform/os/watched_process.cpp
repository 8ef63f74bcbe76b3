#include "platform/os/watched_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/os/child_reaper.h"

namespace os {

WatchedProcess::WatchedProcess(pid_t pid, int descriptor) : pid_(pid), fd_(descriptor) {
    detail::CountOwnChild(1);
}

WatchedProcess::~WatchedProcess() {
    if (pid_ <= 0) {
        return;
    }
    ::kill(-pid_, SIGKILL);
    // The reaper counts it from here on; it is adopted before our count drops so the total never
    // shows it as collected too early.
    detail::HandToReaper(pid_);
    Forget();
}

WatchedProcess::WatchedProcess(WatchedProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), fd_(std::exchange(other.fd_, -1)) {}

WatchedProcess& WatchedProcess::operator=(WatchedProcess&& other) noexcept {
    if (this != &other) {
        WatchedProcess old(std::move(*this));
        pid_ = std::exchange(other.pid_, -1);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

void WatchedProcess::Forget() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = -1;
    pid_ = -1;
    detail::CountOwnChild(-1);
}

bool WatchedProcess::TryCollect() {
    if (pid_ <= 0) {
        return false;
    }
    siginfo_t info{};
    int rc;
    do {
        rc = ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG);
    } while (rc < 0 && errno == EINTR);
    if (rc == 0 && info.si_pid == 0) {
        return false;
    }
    Forget();
    return true;
}

void WatchedProcess::Kill() {
    if (pid_ <= 0) {
        return;
    }
    ::kill(-pid_, SIGKILL);
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED) < 0 && errno == EINTR) {
    }
    Forget();
}

WatchedStart StartWatched(const std::vector<std::string>& argv, const std::string& programDir) {
    WatchedStart result;
    const StartResult started = detail::SpawnChild(argv, programDir, true);
    if (!started.Started()) {
        result.error = started.error;
        return result;
    }
    result.process = WatchedProcess(started.pid, detail::OpenPidFd(started.pid));
    return result;
}

}  // namespace os
