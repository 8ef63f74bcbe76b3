// A program with the single-instance guard, for tests in real processes.
// Usage: single_instance_probe <title> <activate 0|1> <fallback parent> [<stop message>]
// The first copy says "first" (and "listening" when its socket is up), says "activated" for each
// request and runs until its input ends. Any other copy says each box as "box <caption>|<text>"
// and then "end".
#include <unistd.h>
#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>

#include "components/single_instance.h"
#include "platform/ui/scripted_dialogs.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        return 2;
    }
    QApplication app(argc, argv);
    ui::ScriptedDialogs boxes;
    auto folders = os::InstanceFolders::FromEnvironment();
    folders.fallbackParent = argv[3];
    TSingleInstance guard(argv[1], nullptr, folders);
    guard.Activate = std::string(argv[2]) == "1";
    guard.StopMsg = argc > 4 ? argv[4] : "";
    guard.OnActivate = [] {
        std::printf("activated\n");
        std::fflush(stdout);
    };
    if (guard.Loaded()) {
        for (const auto& shown : boxes.shown()) {
            std::printf("box %s|%s\n", shown.caption.c_str(), shown.text.c_str());
        }
        std::printf("end\n");
        return 0;
    }
    std::printf("first\n%s", guard.Listening() ? "listening\n" : "");
    std::fflush(stdout);
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char c;
        if (::read(0, &c, 1) <= 0) {
            app.quit();
        }
    });
    return app.exec();
}
