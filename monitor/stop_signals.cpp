#include "monitor/stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

namespace monitor {
namespace {

int wakeFd = -1;
QSocketNotifier* notifier = nullptr;  // lives as long as the process

std::function<void()>& Stop() {
    static std::function<void()> stop;
    return stop;
}

void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] auto n = ::write(wakeFd, &byte, 1);
    errno = saved;
}

void SetAction(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

}  // namespace

void EndOnStopSignals(std::function<void()> stop) {
    Stop() = std::move(stop);
    if (!Stop()) {
        SetAction(SIG_DFL);
        return;
    }
    if (wakeFd < 0) {
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0) {
            return;
        }
        wakeFd = fds[0];
        notifier = new QSocketNotifier(fds[1], QSocketNotifier::Read);
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, [fd = fds[1]] {
            char buffer[16];
            while (::read(fd, buffer, sizeof buffer) > 0) {
            }
            if (Stop()) {
                Stop()();
            }
        });
    }
    SetAction(OnSignal);
}

}  // namespace monitor
