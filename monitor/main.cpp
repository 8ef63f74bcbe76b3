// The monitor program.
#include <QApplication>
#include <cstdio>

#include "capi/capi_monitor.h"
#include "monitor/belverin_program.h"
#include "monitor/monitor_window.h"
#include "monitor/stop_signals.h"
#include "platform/os/dde_service.h"
#include "platform/os/tray_shell.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    monitor::BelverinProgram program(
        {QCoreApplication::applicationFilePath().toStdString(), {}, {}});
    if (!program.Start()) {
        return program.ExitCode();
    }
    monitor::EndOnStopSignals([&program] { program.Sluiten(); });
    // One line for whoever started the program: whether the line listens.
    auto& line = program.Form1()->Belverin1();
    if (line.Capi() != nullptr) {
        std::printf("Belverin: listening on controller %d\n", line.Controller());
    } else {
        std::printf("Belverin: no line: %s\n", line.ErrorString().c_str());
    }
    std::fflush(stdout);
    const int rc = program.Run();
    if (!program.Ended()) {
        program.Sluiten();
    }
    return rc;
}
