// Makes the monitor window in a fresh process and opens its line on whatever library lies in
// its own folder (or none), then prints the caption and the memo: each way the line can fail
// to open is seen by a process that never loaded a library before.

#include <QApplication>
#include <QPlainTextEdit>
#include <cstdio>
#include <filesystem>

#include "monitor/monitor_window.h"
#include "monitor/settings.h"
#include "platform/os/recording_dde_service.h"
#include "platform/rtl/ini_file.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe");
    rtl::TIniFile belvo((program.parent_path() / "belvo.ini").string());
    monitor::instellingen = monitor::Instellingen{};
    os::RecordingDdeService dde;
    bool opened = false;
    {
        monitor::TForm1 form({belvo, dde, program.string(), nullptr});
        form.FormCreate();
        opened = form.OpenLine();
        app.processEvents();
        std::printf("open=%s\ncaption=%s\n", opened ? "true" : "false", form.Caption().c_str());
        for (const QString& line : form.Memo1->toPlainText().split('\n')) {
            std::printf("memo=%s\n", line.toStdString().c_str());
        }
    }
    std::printf("closed\n");
    return 0;
}
