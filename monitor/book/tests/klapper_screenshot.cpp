// Shows the phone-book window over a few Dutch entries sorted by name and saves a picture of
// the screen: klapper_screenshot <file.png> [<menu> | --filter]. With a menu's title the window
// first takes a font through "Lettertype" and shows that menu open; with --filter it shows the
// entries of the first one's town, the menu reading "Filters (aan)". Meant to run under a
// virtual X server.

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <iostream>
#include <string>

#include "monitor/book/ftelefoonklapper.h"
#include "monitor/book/tests/shot_support.h"
#include "platform/rtl/ini_file.h"
#include "platform/ui/scripted_dialogs.h"
#include "xbase/table.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::cerr << "usage: klapper_screenshot <file.png> [<menu> | --filter]\n";
        return 2;
    }
    const std::string out = argv[1];
    const bool filter = argc == 3 && std::string(argv[2]) == "--filter";
    const QString menu = argc == 3 && !filter ? QString::fromUtf8(argv[2]) : QString();
    const auto scratch = book::shot::ShotFolder::Open("klapper-shot");
    if (!scratch) {
        return 1;
    }
    const std::string& folder = scratch->Folder();
    book::shot::WriteEntries(scratch->Api(), scratch->Table(), book::shot::SampleEntries());
    scratch->OpenSession();

    QApplication app(argc, argv);
    rtl::TIniFile ini(folder + "belvo.ini");
    rtl::TIniFile gridIni(folder + "belvodbgrid.ini");
    int result = 0;
    {
        book::TFTelefoonklapper window(ini, gridIni, folder);
        window.FormCreate();
        window.SortMenu().actions()[2]->trigger();
        if (filter) {
            window.Core().t2().First();
            window.FilterMenu().actions()[4]->trigger();  // "Filter op plaats"
        }
        window.show();
        ui::ScriptedDialogs dialogs;
        if (!menu.isEmpty()) {
            dialogs.AnswerFont(ui::FontSpec{"DejaVu Serif", 10, ui::clRed});
            window.Lettertype1Click();
            QMenuBar* bar = window.findChild<QMenuBar*>();
            for (QAction* action : bar->actions()) {
                if (action->text() == menu) {
                    QTimer::singleShot(300, [bar, action] { bar->setActiveAction(action); });
                }
            }
        }
        QTimer::singleShot(800, [&] {
            result = book::shot::SaveScreen(out) ? 0 : 1;
            app.quit();
        });
        app.exec();
    }
    return result;
}
