#pragma once

// Other processes for the tests of what the engine shares between them.

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include <gtest/gtest.h>

namespace xbtest {

// A one-way signal between processes.
class Signal {
  public:
    Signal() { EXPECT_EQ(pipe(fd_), 0); }
    ~Signal() {
        close(fd_[0]);
        close(fd_[1]);
    }
    void Send() { EXPECT_EQ(write(fd_[1], "x", 1), 1); }
    bool Wait() {
        char c;
        return read(fd_[0], &c, 1) == 1;
    }

  private:
    int fd_[2];
};

// Runs body in a child process; its result is the child's exit status.
inline pid_t Spawn(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        _exit(body());
    }
    return pid;
}

inline int ExitStatus(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace xbtest
