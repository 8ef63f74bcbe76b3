// Opens the call-log window over a program folder with a few logged calls and saves a
// picture of it: ftelefoonlog_preview <file.png> [screen]. With "screen" (under Xvfb) the picture
// is of the whole screen, with a filter set, the "Filters" menu open and the edit form beside
// the window. For looking at the window, not run by ctest.

#include <stdlib.h>

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "monitor/book/flogedit.h"
#include "monitor/book/ftelefoonlog.h"
#include "monitor/book/tests/log_table.h"
#include "xbase/engine_library.h"
#include "xbase/sessions.h"

int main(int argc, char** argv) {
    const bool screen = argc == 3 && std::string(argv[2]) == "screen";
    if (argc != 2 && !screen) {
        std::cerr << "usage: ftelefoonlog_preview <file.png> [screen]\n";
        return 2;
    }
    QApplication app(argc, argv);
    std::string error;
    auto engine = xbase::EngineLibrary::Open(REAL_ENGINE_PATH, &error);
    if (!engine) {
        std::cerr << error << "\n";
        return 1;
    }
    xbase::BindEngine(&engine->Api());
    char pattern[] = "/tmp/calllog-preview-XXXXXX";
    const std::string folder = std::string(mkdtemp(pattern)) + "/";
    book::testing::MakeLogTable(
        engine->Api(), folder + book::kLogTableName,
        {{"2024-03-02", "10:00:00", "0201111111", "Jansen", "Kerkstraat 1", "1011AA", "Amsterdam",
          "Thuis", "Telefonie (16)", false, ""},
         {"2024-03-05", "11:15:00", "0102222222", "Bakker", "Dorpsweg 7", "3011BB", "Rotterdam",
          "Werk", "ISDN (1)", false, ""},
         {"2024-02-28", "09:30:00", "0303333333", "Visser", "Laan 3", "3511CC", "Utrecht", "Fax",
          "Fax G3 (17)", true, ""},
         {"2024-03-04", "18:45:00", "0404444444", "Aalders", "Markt 12", "5611DD", "Eindhoven",
          "Modem", "Audio 3.1 (4)", false, "teruggebeld"},
         {"2024-03-03", "20:20:00", "0706666666", "Mulder", "Plein 9", "2511FF", "Den Haag",
          "Kantoor", "Video (24)", false, ""},
         {"2024-03-06", "07:55:00", "--", "Geen nummer herkend", "", "", "", "Thuis",
          "Telefonie (16)", false, ""}});
    rtl::TIniFile belvo(folder + "belvo.ini");
    belvo.WriteInteger("telefoonlog", "sorterenop", 1);
    rtl::TIniFile grids(folder + "belvodbgrid.ini");
    int status = 0;
    {
        book::TfTelefoonLog form(folder, belvo, grids, {});
        form.FormCreate();
        form.show();
        if (screen) {
            form.move(10, 10);
            form.mfilters[6]->trigger();
            form.g1DblClick();
            form.EditForm()->move(form.frameGeometry().right() + 10, 10);
            QTimer::singleShot(300, [&] {
                form.Filters1->popup(form.mapToGlobal(
                    form.MainMenu1->actionGeometry(form.Filters1->menuAction()).bottomLeft()));
            });
        }
        QTimer::singleShot(900, [&] {
            const QPixmap picture =
                screen ? QGuiApplication::primaryScreen()->grabWindow(0) : form.grab();
            status = picture.save(QString::fromStdString(argv[1])) ? 0 : 1;
            app.quit();
        });
        app.exec();
    }
    xbase::Session().Close();
    xbase::BindEngine(nullptr);
    std::filesystem::remove_all(folder);
    return status;
}
