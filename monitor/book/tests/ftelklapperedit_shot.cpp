// Shows the entry edit window over an entry with colours, a sound, per-MSN choices, a command
// line and a memo, and saves a picture of the screen: ftelklapperedit_shot <file.png>. Run
// under a virtual X server.

#include <QApplication>
#include <QTimer>

#include <iostream>
#include <string>

#include "monitor/book/ftelefoonklapper.h"
#include "monitor/book/ftelklapperedit.h"
#include "monitor/book/tests/shot_support.h"
#include "platform/db/field.h"
#include "platform/rtl/ini_file.h"
#include "platform/rtl/program_folder.h"
#include "xbase/table.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: ftelklapperedit_shot <file.png>\n";
        return 2;
    }
    const std::string out = argv[1];
    const auto scratch = book::shot::ShotFolder::Open("ftelklapperedit-shot");
    if (!scratch) {
        return 1;
    }
    const std::string& folder = scratch->Folder();
    rtl::SetProgramDir(folder);
    book::shot::WriteEntries(scratch->Api(), scratch->Table(),
                             {{
                                 {"NUMMER", "0201234567"},
                                 {"VOORNAAM", "Anna"},
                                 {"NAAM", "Jansen"},
                                 {"AANHANGSEL", "van"},
                                 {"STRAAT", "Kerkstraat 12"},
                                 {"POSTCODE", "1234 AB"},
                                 {"PLAATS", "Utrecht"},
                                 {"OMSCHR", "Tandarts"},
                                 {"EXTRA", "Praktijk"},
                                 {"ZOEKSTATUS", "In de Klapper gevonden"},
                                 {"KLEUR", "geel"},
                                 {"FONTKLEUR", "marine blauw"},
                                 {"GELUID", "0201234567.wav"},
                                 {"TIJD", "2111111111"},
                                 {"AFWIJZEN", "1000000000"},
                                 {"CMDLINE", "notify-send \"%n belt\""},
                             }});
    scratch->OpenSession();

    QApplication app(argc, argv);
    rtl::TIniFile ini(folder + "belvo.ini");
    rtl::TIniFile gridIni(folder + "belvodbgrid.ini");
    int result = 0;
    {
        book::TFTelefoonklapper window(ini, gridIni, folder);
        window.FormCreate();
        xbase::TTable& t = window.Core().t2();
        t.First();
        t.Edit();
        t.FieldByName("MEMO").SetAsString("Belt meestal op dinsdag.\nVraag naar de afspraak.");
        t.Post();
        window.move(400, 300);
        window.show();
        book::TFtelklapperedit* form = book::TFtelklapperedit::Open(window.Core());
        form->move(30, 30);
        QTimer::singleShot(800, [&] {
            result = book::shot::SaveScreen(out) ? 0 : 1;
            form->close();
            app.quit();
        });
        app.exec();
    }
    return result;
}
