// The monitor component on whatever line libcapi2032.so beside it reaches, in a process of its
// own: prints each state change with the status text the monitor's caption would show and each
// offered call, one line each, until its input ends. Argument: the ring time in seconds.

#include <poll.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "capi/capi_monitor.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    capi::TBelverin monitor;
    monitor.OnStateChange = [&](bool can_reject, bool can_change) {
        std::printf("state=%d,%d text=%s\n", can_reject ? 1 : 0, can_change ? 1 : 0,
                    monitor.ErrorString().c_str());
        std::fflush(stdout);
    };
    monitor.OnIncomingCall = [](const std::string& calling, const std::string& called,
                                std::uint16_t cip, const std::string& text) {
        std::printf("call=%s,%s,%u,%s\n", calling.c_str(), called.c_str(), cip, text.c_str());
        std::fflush(stdout);
    };
    // The ring time in seconds; 0 leaves every call to the others at once.
    const int ring = argc > 1 ? std::atoi(argv[1]) : 0;
    const bool opened = monitor.Open(1, ring);
    std::printf("open=%s text=%s\n", opened ? "true" : "false", monitor.ErrorString().c_str());
    std::fflush(stdout);
    QTimer input;
    QObject::connect(&input, &QTimer::timeout, [] {
        pollfd p{STDIN_FILENO, POLLIN, 0};
        char byte = 0;
        if (poll(&p, 1, 0) == 1 && read(STDIN_FILENO, &byte, 1) <= 0) {
            QCoreApplication::quit();
        }
    });
    input.start(20);
    return app.exec();
}
