#include "platform/os/process_start.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <mutex>
#include <thread>

#include "platform/os/child_reaper.h"
#include "platform/os/program_lookup.h"

extern char** environ;

namespace os {
namespace detail {

// Called directly: the C library's declaration of pidfd_open is not usable from C++ everywhere.
int OpenPidFd(pid_t pid) {
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

}  // namespace detail

namespace {

using detail::OpenPidFd;

// Outlives the reaper, so a waiting thread may still count down during exit.
std::atomic<std::size_t> g_waiting{0};

// Collects started programs by their own pids only, so it never takes the exit status of a child
// that some other part of the program waits for.
class Reaper {
  public:
    static Reaper& Instance() {
        static Reaper reaper;
        return reaper;
    }

    void Adopt(pid_t pid) {
        const int fd = OpenPidFd(pid);
        if (fd < 0) {
            // Without process descriptors a thread per child waits for it.
            ++g_waiting;
            std::thread([pid] {
                while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
                }
                --g_waiting;
            }).detach();
            return;
        }
        {
            std::lock_guard lock(mutex_);
            added_.push_back({pid, fd});
        }
        ++g_waiting;
        Wake();
    }

    ~Reaper() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        Wake();
        if (thread_.joinable()) {
            thread_.join();
        }
        // Children still running are left to the system when this process ends.
        for (const auto& c : children_) {
            ::close(c.fd);
        }
        for (const auto& c : added_) {
            ::close(c.fd);
        }
        ::close(wake_);
    }

  private:
    struct Child {
        pid_t pid;
        int fd;
    };

    Reaper() : wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
        thread_ = std::thread([this] { Run(); });
    }

    void Wake() {
        const eventfd_t one = 1;
        (void)::write(wake_, &one, sizeof one);
    }

    void Run() {
        std::vector<pollfd> fds;
        for (;;) {
            {
                std::lock_guard lock(mutex_);
                if (stop_) {
                    return;
                }
                children_.insert(children_.end(), added_.begin(), added_.end());
                added_.clear();
            }
            fds.assign(1, pollfd{wake_, POLLIN, 0});
            for (const auto& c : children_) {
                fds.push_back(pollfd{c.fd, POLLIN, 0});
            }
            if (::poll(fds.data(), fds.size(), -1) < 0) {
                continue;
            }
            if (fds[0].revents & POLLIN) {
                eventfd_t value;
                (void)::read(wake_, &value, sizeof value);
            }
            for (std::size_t i = children_.size(); i-- > 0;) {
                if (fds[i + 1].revents == 0) {
                    continue;
                }
                siginfo_t info{};
                if (::waitid(P_PIDFD, static_cast<id_t>(children_[i].fd), &info,
                             WEXITED | WNOHANG) == 0 &&
                    info.si_pid == 0) {
                    continue;  // woken but not yet ended
                }
                ::close(children_[i].fd);
                children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(i));
                --g_waiting;
            }
        }
    }

    std::mutex mutex_;
    std::vector<Child> added_;     // guarded by mutex_
    std::vector<Child> children_;  // the reaper thread's own
    bool stop_ = false;            // guarded by mutex_
    int wake_;
    std::thread thread_;
};

// Owns the spawn attributes so every return path releases them.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attr);
    }
    ~SpawnSetup() {
        posix_spawnattr_destroy(&attr);
        posix_spawn_file_actions_destroy(&actions);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

}  // namespace

namespace detail {

StartResult SpawnChild(const std::vector<std::string>& argv, const std::string& programDir,
                       bool stdinFromNull) {
    StartResult result;
    if (argv.empty()) {
        result.error = ENOENT;
        return result;
    }
    const auto path = FindProgram(argv[0], programDir);
    if (!path) {
        result.error = ENOENT;
        return result;
    }
    Reaper::Instance();  // started before the child exists

    SpawnSetup setup;
    int rc = posix_spawn_file_actions_addclosefrom_np(&setup.actions, 3);
    if (rc == 0 && stdinFromNull) {
        rc = posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
    }
    if (rc == 0 && !programDir.empty()) {
        rc = posix_spawn_file_actions_addchdir_np(&setup.actions, programDir.c_str());
    }
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    if (rc == 0) {
        rc = posix_spawnattr_setflags(
            &setup.attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    if (rc == 0) {
        rc = posix_spawnattr_setpgroup(&setup.attr, 0);
    }
    if (rc == 0) {
        rc = posix_spawnattr_setsigmask(&setup.attr, &none);
    }
    if (rc == 0) {
        rc = posix_spawnattr_setsigdefault(&setup.attr, &all);
    }
    if (rc != 0) {
        result.error = rc;
        return result;
    }

    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);

    pid_t pid = -1;
    rc = ::posix_spawn(&pid, path->c_str(), &setup.actions, &setup.attr, args.data(), environ);
    if (rc != 0) {
        result.error = rc;
        return result;
    }
    result.pid = pid;
    return result;
}

void HandToReaper(pid_t pid) {
    Reaper::Instance().Adopt(pid);
}

void CountOwnChild(int delta) {
    if (delta > 0) {
        g_waiting += static_cast<std::size_t>(delta);
    } else {
        g_waiting -= static_cast<std::size_t>(-delta);
    }
}

}  // namespace detail

StartResult StartDetached(const std::vector<std::string>& argv, const std::string& programDir) {
    const StartResult result = detail::SpawnChild(argv, programDir, false);
    if (result.Started()) {
        detail::HandToReaper(result.pid);
    }
    return result;
}

std::size_t UncollectedChildren() {
    return g_waiting.load();
}

}  // namespace os
