// Shows the Outlook Tools window after a dash removal over a small folder and saves a picture
// of the screen: outlook_window_shot <png>. Run under xvfb-run to look at the window.
#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "monitor/book/foutlook.h"
#include "monitor/book/outlook_link.h"
#include "platform/ui/scripted_dialogs.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: outlook_window_shot <png>\n";
        return 2;
    }
    std::string root = (std::filesystem::temp_directory_path() / "belverin-shot-XXXXXX").string();
    root = std::string(mkdtemp(root.data())) + "/";
    setenv("XDG_DATA_HOME", root.c_str(), 1);
    const std::string folder = root + "belverin/contacten/";
    std::filesystem::create_directories(folder);
    const char* cards[][3] = {
        {"Jan Bakker", "020-1234567", "06-12345678"},
        {"Anna de Vries", "030-2345678", ""},
        {"Garage Smit", "0318-456789", "0318-45-67-90"},
    };
    int n = 0;
    for (const auto& c : cards) {
        std::ofstream(folder + std::to_string(++n) + ".vcf")
            << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" << c[0] << "\r\nTEL;TYPE=HOME:" << c[1] << "\r\n"
            << (*c[2] ? std::string("TEL;TYPE=WORK:") + c[2] + "\r\n" : "") << "END:VCARD\r\n";
    }

    QApplication app(argc, argv);
    ui::ScriptedDialogs dialogs;
    dialogs.AnswerMessage(ui::mrOk);
    monitor::outlookaankoppelen();
    monitor::Tfoutlook window;
    window.move(40, 40);
    window.show();
    int status = 1;
    QObject::connect(&window, &monitor::Tfoutlook::ToolKlaar, [&](bool gelukt) {
        QTimer::singleShot(300, [&, gelukt] {
            const bool saved = QGuiApplication::primaryScreen()->grabWindow(0).save(argv[1]);
            status = gelukt && saved ? 0 : 1;
            app.quit();
        });
    });
    QTimer::singleShot(200, [&] { window.BStreepjeuittelefoonnrClick(); });
    app.exec();
    std::filesystem::remove_all(root);
    return status;
}
