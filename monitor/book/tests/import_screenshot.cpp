// Shows the import window with a sample file mapped, or the search window over the phone-book
// window after a search, and saves a picture of the screen:
//   import_screenshot import|zoeken <file.png>
// Meant to run under a virtual X server.

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QTimer>

#include <iostream>
#include <string>

#include "monitor/book/f_zoeken.h"
#include "monitor/book/fimporterenkomma.h"
#include "monitor/book/ftelefoonklapper.h"
#include "monitor/book/tests/shot_support.h"
#include "platform/rtl/ini_file.h"
#include "platform/rtl/whole_file.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/scripted_dialogs.h"
#include "xbase/table.h"

namespace {

constexpr const char* kSample =
    "\xEF\xBB\xBFtelefoon,voornaam,achternaam,straat,postcode,plaats,notitie\r\n"
    "020-123-4567,Jan,Jansen,Damrak 12,1012LG,Amsterdam,\"Oom, belt vaak\"\r\n"
    "030-765-4321,Els,de Vries,Oudegracht 8,3511AR,Utrecht,\"Tandarts\r\nalleen overdag\"\r\n"
    "010-444-5566,Piet,Bakker,Coolsingel 40,3011AD,Rotterdam,\r\n"
    "073-612-3456,Anouk,van den Berg,Markt 3,5211JV,'s-Hertogenbosch,Collega\r\n"
    "040-222-3344,Fleur,M\xC3\xBCller,Stratumseind 5,5611ET,Eindhoven,"
    "\"Caf\xC3\xA9 \"\"De Hoek\"\"\"\r\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: import_screenshot import|zoeken <file.png>\n";
        return 2;
    }
    const std::string which = argv[1];
    const std::string out = argv[2];
    const auto scratch = book::shot::ShotFolder::Open("import-shot");
    if (!scratch) {
        return 1;
    }
    const std::string& folder = scratch->Folder();
    rtl::WriteWholeFileAtomically(folder + "adressen.csv", kSample);
    scratch->OpenSession();

    QApplication app(argc, argv);
    // The import's closing box would wait for a click.
    ui::ScriptedDialogs dialogs;
    rtl::TIniFile ini(folder + "belvo.ini");
    rtl::TIniFile gridIni(folder + "belvodbgrid.ini");
    int result = 0;
    {
        book::TFTelefoonklapper klapper(ini, gridIni, folder);
        klapper.FormCreate();
        book::TFimporterenkomma* import = book::TFimporterenkomma::Open(klapper.Core());
        import->LoadFile(folder + "adressen.csv");
        if (which == "import") {
            import->listbox1().setCurrentIndex(import->listbox1().model()->index(2, 0));
            import->Listbox1DblClick();
            for (const auto& [target, field] :
                 {std::pair{0, 1}, std::pair{1, 2}, std::pair{2, 3}, std::pair{4, 4},
                  std::pair{5, 5}, std::pair{6, 6}, std::pair{15, 7}}) {
                import->ListBox2().setCurrentRow(field);
                import->TargetClick(target);
            }
            import->ListBox2().setCurrentRow(3);
            import->move(40, 30);
        } else {
            // Fill the phone book through the window, then search it.
            import->listbox1().setCurrentIndex(import->listbox1().model()->index(1, 0));
            import->Listbox1DblClick();
            for (const auto& [target, field] :
                 {std::pair{0, 1}, std::pair{1, 2}, std::pair{2, 3}, std::pair{4, 4},
                  std::pair{5, 5}, std::pair{6, 6}, std::pair{14, 7}}) {
                import->ListBox2().setCurrentRow(field);
                import->TargetClick(target);
            }
            import->StartClick();
            import->close();
            klapper.SortMenu().actions()[2]->trigger();
            klapper.show();
            book::Tf_zoeken* zoek =
                book::Tf_zoeken::Open(book::GridDoel(klapper.Core().t2(), klapper.g2()));
            zoek->e_1().setText("UTRECHT");
            zoek->ZoekEersteClick();
            zoek->move(420, 360);
        }
        QTimer::singleShot(800, [&] {
            result = book::shot::SaveScreen(out) ? 0 : 1;
            app.quit();
        });
        app.exec();
        delete book::Tf_zoeken::Current();
        delete book::TFimporterenkomma::Current();
    }
    return result;
}
