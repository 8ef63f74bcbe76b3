// capisim: drives the simulated line of a running program through its control socket.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/capi2032/control_path.h"

namespace {

constexpr const char* kUsage =
    "usage: capisim call <calling> <called> [--cip N] [--no-number]\n"
    "       capisim hangup | elsewhere | transcript | status\n"
    "The line listens while a program has an application registered; the socket is\n"
    "$CAPISIM_SOCKET, else capisim.sock in $XDG_RUNTIME_DIR or ${TMPDIR:-/tmp}/capisim-<uid>.\n";

bool Sendable(const char* arg) {
    if (*arg == '\0') {
        return false;
    }
    for (const char* p = arg; *p != '\0'; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c <= 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::string command;
    for (int i = 1; i < argc; ++i) {
        if (!Sendable(argv[i])) {
            std::fprintf(
                stderr,
                "capisim: arguments must not be empty or hold blanks or control characters\n");
            return 2;
        }
        command += (i > 1 ? " " : "") + std::string(argv[i]);
    }
    command += "\n";

    const capisim::ControlPath where = capisim::ControlSocketPath(false);
    if (where.path.empty()) {
        std::fprintf(stderr, "capisim: %s\n", where.error.c_str());
        return 2;
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, where.path.c_str(), where.path.size() + 1);
    if (fd < 0 || connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        std::fprintf(stderr, "capisim: no simulated line listens at %s (%s)\n", where.path.c_str(),
                     std::strerror(errno));
        return 2;
    }
    size_t sent = 0;
    while (sent < command.size()) {
        const ssize_t n = send(fd, command.data() + sent, command.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            std::fprintf(stderr, "capisim: %s\n", std::strerror(errno));
            return 2;
        }
        sent += static_cast<size_t>(n);
    }
    shutdown(fd, SHUT_WR);
    std::string reply;
    char buffer[4096];
    for (;;) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        reply.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    if (reply.starts_with("ok\n")) {
        std::fputs(reply.c_str() + 3, stdout);
        return 0;
    }
    std::fputs(reply.empty() ? "capisim: the line gave no answer\n" : reply.c_str(), stderr);
    return 1;
}
