#include "platform/os/tests/child_pipe.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace os::testing {

ChildPipe::ChildPipe(const std::vector<std::string>& argv,
                     const std::map<std::string, std::string>& env, bool errorsToo) {
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }
    // Everything the child needs is made before the fork: only async-signal-safe calls after it.
    std::vector<std::string> vars;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string var = *e;
        if (env.count(var.substr(0, var.find('='))) == 0) {
            vars.push_back(var);
        }
    }
    for (const auto& [name, value] : env) {
        if (!value.empty()) {
            vars.push_back(name + "=" + value);
        }
    }
    std::vector<char*> envp;
    for (auto& v : vars) {
        envp.push_back(v.data());
    }
    envp.push_back(nullptr);
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork");
    }
    if (pid_ == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        if (errorsToo) {
            ::dup2(out[1], 2);
        }
        ::execve(args[0], args.data(), envp.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    in_ = in[1];
    out_ = out[0];
}

ChildPipe::~ChildPipe() {
    CloseInput();
    if (!status_) {
        ::kill(pid_, SIGKILL);
        Wait(std::chrono::seconds(10));
    }
    if (out_ >= 0) {
        ::close(out_);
    }
}

std::optional<std::string> ChildPipe::ReadLine(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (auto nl = buffer_.find('\n'); nl != std::string::npos) {
            std::string line = buffer_.substr(0, nl);
            buffer_.erase(0, nl + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0 || out_ < 0) {
            return std::nullopt;
        }
        pollfd p{out_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        char chunk[512];
        const ssize_t n = ::read(out_, chunk, sizeof chunk);
        if (n <= 0) {
            ::close(out_);
            out_ = -1;
            continue;
        }
        buffer_.append(chunk, static_cast<size_t>(n));
    }
}

std::optional<std::string> ChildPipe::WaitForLine(const std::string& prefix,
                                                  std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        auto line = ReadLine(std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now()));
        if (!line) {
            return std::nullopt;
        }
        if (line->rfind(prefix, 0) == 0) {
            return line;
        }
    }
    return std::nullopt;
}

void ChildPipe::Write(const std::string& text) {
    if (in_ >= 0) {
        [[maybe_unused]] auto n = ::write(in_, text.data(), text.size());
    }
}

void ChildPipe::CloseInput() {
    if (in_ >= 0) {
        ::close(in_);
        in_ = -1;
    }
}

void ChildPipe::Signal(int sig) {
    if (!status_) {
        ::kill(pid_, sig);
    }
}

std::optional<int> ChildPipe::Wait(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!status_) {
        int raw = 0;
        const pid_t r = ::waitpid(pid_, &raw, WNOHANG);
        if (r == pid_) {
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            break;
        }
        if (std::chrono::steady_clock::now() >= end) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status_;
}

}  // namespace os::testing
