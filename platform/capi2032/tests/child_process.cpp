#include "platform/capi2032/tests/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace capisim_test {
namespace {

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings) {
        out.push_back(s.data());
    }
    out.push_back(nullptr);
    return out;
}

pid_t Spawn(const std::string& program, std::vector<std::string> args, std::vector<std::string> env,
            int in, int out, int err) {
    args.insert(args.begin(), program);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in, 0);
    posix_spawn_file_actions_adddup2(&actions, out, 1);
    posix_spawn_file_actions_adddup2(&actions, err, 2);
    pid_t pid = -1;
    std::vector<char*> argv = Pointers(args);
    std::vector<char*> envp = Pointers(env);
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        throw std::runtime_error("cannot start " + program);
    }
    return pid;
}

int ExitCode(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Waits for the child; kills it when it overstays.
int Reap(pid_t pid, int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return ExitCode(status);
        }
        if (done < 0 || std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void Pipe(int fds[2]) {
    if (pipe2(fds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }
}

}  // namespace

std::vector<std::string> BaseEnvironment() {
    std::vector<std::string> env;
    for (const char* name :
         {"PATH", "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) {
            env.push_back(std::string(name) + "=" + value);
        }
    }
    return env;
}

ChildResult RunChild(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& env, int timeout_ms) {
    int in[2], out[2], err[2];
    Pipe(in);
    Pipe(out);
    Pipe(err);
    const pid_t pid = Spawn(program, args, env, in[0], out[1], err[1]);
    close(in[0]);
    close(in[1]);
    close(out[1]);
    close(err[1]);
    ChildResult result;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (open > 0 && std::chrono::steady_clock::now() < deadline) {
        if (poll(fds, 2, 100) <= 0) {
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? result.out : result.err).append(buffer, static_cast<size_t>(n));
            }
        }
    }
    for (pollfd& f : fds) {
        if (f.fd >= 0) {
            close(f.fd);
        }
    }
    result.exit_code = Reap(pid, 1000);
    return result;
}

Child::Child(const std::string& program, const std::vector<std::string>& args,
             const std::vector<std::string>& env) {
    int in[2], out[2];
    Pipe(in);
    Pipe(out);
    pid_ = Spawn(program, args, env, in[0], out[1], 2);
    close(in[0]);
    close(out[1]);
    in_ = in[1];
    out_ = out[0];
}

Child::~Child() {
    CloseInput();
    if (pid_ > 0) {
        Wait(5000);
    }
    if (out_ >= 0) {
        close(out_);
    }
}

std::string Child::ReadLine(int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        if (const size_t nl = pending_.find('\n'); nl != std::string::npos) {
            std::string line = pending_.substr(0, nl);
            pending_.erase(0, nl + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd fd = {out_, POLLIN, 0};
        if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0) {
            return "";
        }
        char buffer[1024];
        const ssize_t n = read(out_, buffer, sizeof buffer);
        if (n <= 0) {
            return "";
        }
        pending_.append(buffer, static_cast<size_t>(n));
    }
}

void Child::CloseInput() {
    if (in_ >= 0) {
        close(in_);
        in_ = -1;
    }
}

int Child::Wait(int timeout_ms) {
    if (pid_ <= 0) {
        return -1;
    }
    const int code = Reap(pid_, timeout_ms);
    pid_ = -1;
    return code;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "capisim-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace capisim_test
