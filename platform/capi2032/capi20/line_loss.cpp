#include "platform/capi2032/capi20/line_loss.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace capi20 {

bool SocketEnded(int fd) {
    if (fd < 0) {
        return false;
    }
    char byte = 0;
    const ssize_t n = recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n == 0) {
        return true;
    }
    return n < 0 && (errno == ECONNRESET || errno == ENOTCONN || errno == EPIPE ||
                     errno == ETIMEDOUT || errno == EHOSTUNREACH);
}

namespace {

bool ConnectWithin(const addrinfo& a, std::chrono::milliseconds limit) {
    const int fd = socket(a.ai_family, a.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a.ai_protocol);
    if (fd < 0) {
        return false;
    }
    bool ok = connect(fd, a.ai_addr, a.ai_addrlen) == 0;
    if (!ok && errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        int error = 0;
        socklen_t size = sizeof error;
        ok = poll(&p, 1, static_cast<int>(limit.count())) == 1 &&
             getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    close(fd);
    return ok;
}

}  // namespace

bool Reachable(const std::string& host, int port, std::chrono::milliseconds limit) {
    if (host.empty() || port <= 0) {
        return false;
    }
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return false;
    }
    bool ok = false;
    for (const addrinfo* a = found; a != nullptr && !ok; a = a->ai_next) {
        ok = ConnectWithin(*a, limit);
    }
    freeaddrinfo(found);
    return ok;
}

}  // namespace capi20
