// Shows the reject form over an entry that rejects on MSN 2 and 3, with MSN 10 clicked once,
// and saves a picture of the screen: entry_forms_shot <file.png>. Run under a virtual X server.

#include <QApplication>
#include <QTimer>

#include <iostream>
#include <string>

#include "monitor/book/fafwijzen.h"
#include "monitor/book/ftelefoonklapper.h"
#include "monitor/book/tests/shot_support.h"
#include "platform/rtl/ini_file.h"
#include "xbase/table.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: entry_forms_shot <file.png>\n";
        return 2;
    }
    const std::string out = argv[1];
    const auto scratch = book::shot::ShotFolder::Open("entry-forms-shot");
    if (!scratch) {
        return 1;
    }
    const std::string& folder = scratch->Folder();
    book::shot::WriteEntries(
        scratch->Api(), scratch->Table(),
        {{{"NUMMER", "0201234567"}, {"NAAM", "Jansen"}, {"AFWIJZEN", "0110000000"}}});
    scratch->OpenSession();

    QApplication app(argc, argv);
    rtl::TIniFile ini(folder + "belvo.ini");
    rtl::TIniFile gridIni(folder + "belvodbgrid.ini");
    int result = 0;
    {
        book::TFTelefoonklapper window(ini, gridIni, folder);
        window.FormCreate();
        window.Core().t2().First();
        book::Tfafwijzen* form = book::Tfafwijzen::Open(&window.Core().DataSource2());
        form->move(30, 30);
        form->l1Click(10);
        QTimer::singleShot(800, [&] {
            result = book::shot::SaveScreen(out) ? 0 : 1;
            form->close();
            app.quit();
        });
        app.exec();
    }
    return result;
}
