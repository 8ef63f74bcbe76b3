// Saves a picture of each page of the settings window, and of the directory chooser, into the
// folder given: for looking at the layout under a real display server.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <fstream>

#include "components/directory_dialog.h"
#include "monitor/finstellingen.h"
#include "monitor/tests/fake_settings_ports.h"
#include "platform/rtl/program_folder.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: settings_screens <folder>\n");
        return 2;
    }
    QApplication app(argc, argv);
    const QString uit = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(uit);
    const std::string programma = uit.toStdString() + "/programma/";
    QDir().mkpath(QString::fromStdString(programma));
    std::ofstream(programma + "belvo.ini")
        << "[msn0]\nnummer=0201234567\nnaam=Thuis\nkleur=12632256\n[msn1]\nnummer=0207654321\n"
           "naam=Kantoor\ncmd=notify %n\nkleur=65535\nfont=255\n[geluid]\nintro0=intro1.wav\n"
           "tijden=000000001111111111110000\n[foongrep]\nfoongrepdirectory=/opt/foongrep/\n";
    rtl::SetProgramDir(programma);

    auto ports = std::make_unique<monitor::testing::FakeSettingsPorts>();
    ports->outlook = true;
    monitor::Tfinstellingen* venster = monitor::Tfinstellingen::Openen(std::move(ports));
    venster->Model().FoongrepStatusTest();
    venster->Model().CapiInfoTonen();
    venster->Tonen();
    int pagina = 0;
    QTimer tik;
    QObject::connect(&tik, &QTimer::timeout, [&] {
        if (pagina > 0) {
            const QString naam =
                QString("%1/pagina-%2.png").arg(uit).arg(pagina, 2, 10, QChar('0'));
            venster->grab().save(naam);
        }
        if (pagina == venster->tabs->count()) {
            tik.stop();
            // The chooser as the Foongrep page opens it.
            QTimer::singleShot(800, [uit] {
                for (QWidget* w : QApplication::topLevelWidgets()) {
                    if (auto* kiezer = qobject_cast<TabcsfDirectoryDialog*>(w);
                        kiezer && kiezer->isVisible()) {
                        kiezer->grab().save(uit + "/mapkiezer.png");
                        kiezer->reject();
                    }
                }
            });
            TDirectoryDialog dir1;
            dir1.Title = "Dubbelklik op de goede directory";
            dir1.Directory = "/usr/share";
            dir1.Execute(venster);
            app.quit();
            return;
        }
        venster->tabs->setCurrentIndex(pagina++);
    });
    tik.start(400);
    const int uitkomst = app.exec();
    delete monitor::Tfinstellingen::Instance();
    return uitkomst;
}
