// Opens the monitor component once in a fresh process and prints what came of it, so that each
// binding failure is seen by a process that never loaded the library before.

#include <QCoreApplication>
#include <cstdio>
#include <string>

#include "capi/capi_monitor.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    capi::TBelverin monitor(nullptr, capi::TCapiReceive::Manual);
    int events = 0;
    monitor.OnStateChange = [&](bool, bool) { ++events; };
    const bool opened = monitor.Open(1, 5);
    char error[16];
    std::snprintf(error, sizeof error, "%04X", static_cast<unsigned>(monitor.Error()));
    monitor.RejectCall();
    const bool reset = monitor.ResetCapi();
    std::printf("open=%s error=%s engine=%s reset=%s events=%d text=%s\n",
                opened ? "true" : "false", error, monitor.Capi() != nullptr ? "yes" : "no",
                reset ? "true" : "false", events, monitor.ErrorString().c_str());
    return 0;
}
