#include "platform/capi2032/control_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/capi2032/control_commands.h"
#include "platform/capi2032/control_path.h"
#include "platform/capi2032/line.h"

namespace capisim {
namespace {

constexpr size_t kMaxCommand = 1024;

void Complain(const std::string& what) {
    std::fprintf(stderr, "capisim: control socket not available: %s\n", what.c_str());
}

sockaddr_un Address(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);  // length checked before
    return address;
}

// A socket file nobody answers on is left over from a process that ended.
bool IsStale(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const sockaddr_un address = Address(path);
    const bool refused =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
        errno == ECONNREFUSED;
    close(fd);
    return refused;
}

void WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        done += static_cast<size_t>(n);
    }
}

}  // namespace

ControlServer& ControlServer::Instance() {
    static ControlServer server;
    return server;
}

ControlServer::~ControlServer() {
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) {
        Stop();
    }
}

void ControlServer::Sync() {
    // Counted under our own lock, so that a register and a release racing each other cannot
    // leave a registered line without its socket.
    std::lock_guard lock(mutex_);
    const bool wanted = Line::Instance().ApplicationCount() > 0;
    if (wanted && !thread_.joinable()) {
        Start();
    } else if (!wanted && thread_.joinable()) {
        Stop();
    }
}

void ControlServer::Start() {
    ControlPath where = ControlSocketPath(true);
    if (where.path.empty()) {
        Complain(where.error);
        return;
    }
    struct stat st {};
    if (lstat(where.path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            Complain(where.path + " exists and is no socket");
            return;
        }
        if (!IsStale(where.path)) {
            Complain(where.path + " is in use by another line");
            return;
        }
        unlink(where.path.c_str());
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int stop[2] = {-1, -1};
    const sockaddr_un address = Address(where.path);
    if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        chmod(where.path.c_str(), 0600) != 0 || listen(fd, 8) != 0 ||
        lstat(where.path.c_str(), &st) != 0 || pipe2(stop, O_CLOEXEC) != 0) {
        Complain(where.path + ": " + std::strerror(errno));
        if (fd >= 0) {
            close(fd);
            unlink(where.path.c_str());
        }
        return;
    }
    listen_fd_ = fd;
    stop_read_ = stop[0];
    stop_write_ = stop[1];
    path_ = where.path;
    device_ = st.st_dev;
    inode_ = st.st_ino;
    thread_ = std::thread(&ControlServer::Serve, this);
}

void ControlServer::Stop() {
    const char byte = 1;
    while (write(stop_write_, &byte, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
    close(listen_fd_);
    close(stop_read_);
    close(stop_write_);
    listen_fd_ = stop_read_ = stop_write_ = -1;
    // Only our own socket file is removed, not one another line made meanwhile.
    struct stat st {};
    if (lstat(path_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_) {
        unlink(path_.c_str());
    }
}

void ControlServer::Serve() {
    for (;;) {
        pollfd fds[2] = {{listen_fd_, POLLIN, 0}, {stop_read_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[1].revents != 0) {
            return;
        }
        if (fds[0].revents & POLLIN) {
            const int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                Answer(fd);
                close(fd);
            }
        }
    }
}

void ControlServer::Answer(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != geteuid()) {
        WriteAll(fd, "error: the line takes commands from its own user only\n");
        return;
    }
    // A client that sends nothing cannot hold the line's commands up for long.
    timeval timeout{2, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    std::string command;
    char buffer[256];
    while (command.find('\n') == std::string::npos && command.size() <= kMaxCommand) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        command.append(buffer, static_cast<size_t>(n));
    }
    const size_t newline = command.find('\n');
    if (newline == std::string::npos && command.size() > kMaxCommand) {
        WriteAll(fd, "error: the command is too long\n");
        return;
    }
    if (newline != std::string::npos && newline + 1 != command.size()) {
        WriteAll(fd, "error: one command per connection\n");
        return;
    }
    WriteAll(fd, RunControlCommand(Line::Instance(), command));
}

}  // namespace capisim
