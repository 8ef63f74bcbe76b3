// The monitor program.
#include <QApplication>
#include <cstdio>

#include "monitor/belverin_program.h"
#include "platform/os/display_check.h"

int main(int argc, char** argv) {
    // Without a display Qt aborts inside QApplication; say so in one line instead.
    if (const auto problem = os::DisplayProblem(argc, argv)) {
        std::fprintf(stderr, "Belverin: %s\n", problem->c_str());
        return 1;
    }
    QApplication app(argc, argv);
    monitor::BelverinProgram program(
        {QCoreApplication::applicationFilePath().toStdString(), {}, {}});
    return program.Exec();
}
