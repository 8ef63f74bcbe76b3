// Shows the phone-book window over a few Dutch entries sorted by name and saves a picture of
// the screen: klapper_screenshot <file.png> [<menu>]. With a menu's title the window first
// takes a font through "Lettertype" and shows that menu open. Meant to run under a virtual X
// server.

#include <stdlib.h>
#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "monitor/book/ftelefoonklapper.h"
#include "platform/rtl/ini_file.h"
#include "platform/rtl/text_encoding.h"
#include "platform/ui/scripted_dialogs.h"
#include "xbase/engine_api.h"
#include "xbase/engine_library.h"
#include "xbase/sessions.h"

namespace fs = std::filesystem;

namespace {

struct Entry {
    const char* nummer;
    const char* voornaam;
    const char* naam;
    const char* straat;
    const char* postcode;
    const char* plaats;
    const char* omschr;
};

constexpr Entry kEntries[] = {
    {"0201234567", "Jan", "Jansen", "Damrak 12", "1012LG", "Amsterdam", "Oom"},
    {"0307654321", "Els", "de Vries", "Oudegracht 8", "3511AR", "Utrecht", "Tandarts"},
    {"0104445566", "Piet", "Bakker", "Coolsingel 40", "3011AD", "Rotterdam", "Bakkerij"},
    {"0736123456", "Anouk", "van den Berg", "Markt 3", "5211JV", "'s-Hertogenbosch", "Collega"},
    {"0612345678", "Sanne", "Visser", "Breestraat 77", "2311CJ", "Leiden", "Mobiel"},
    {"0505252525", "Kees", "Smit", "Grote Markt 1", "9711LV", "Groningen", "Garage"},
    {"0402223344", "Fleur", "Müller", "Stratumseind 5", "5611ET", "Eindhoven", "Buurvrouw"},
    {"--", "", "Geen nummer", "", "", "", "Anoniem"},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::cerr << "usage: klapper_screenshot <file.png> [<menu>]\n";
        return 2;
    }
    const std::string out = argv[1];
    const QString menu = argc == 3 ? QString::fromUtf8(argv[2]) : QString();
    char pattern[] = "/tmp/klapper-shot-XXXXXX";
    const std::string folder = std::string(mkdtemp(pattern)) + "/";
    for (const char* file : {"belverintel.DBF", "belverintel.FPT"}) {
        fs::copy_file(std::string(BELVERIN_PROGRAM_DIR) + "/" + file, folder + file);
    }
    std::string error;
    auto engine = xbase::EngineLibrary::Open(REAL_ENGINE_PATH, &error);
    if (!engine) {
        std::cerr << error << "\n";
        return 1;
    }
    xbase::BindEngine(&engine->Api());
    const xbase::EngineApi& e = engine->Api();
    e.sx_Use((folder + "belverintel.DBF").c_str(), nullptr, SX_EXCLUSIVE, SX_FOX);
    for (const Entry& entry : kEntries) {
        e.sx_AppendEx();
        for (const auto& [field, value] :
             {std::pair{"NUMMER", entry.nummer}, std::pair{"VOORNAAM", entry.voornaam},
              std::pair{"NAAM", entry.naam}, std::pair{"STRAAT", entry.straat},
              std::pair{"POSTCODE", entry.postcode}, std::pair{"PLAATS", entry.plaats},
              std::pair{"OMSCHR", entry.omschr}, std::pair{"AFWIJZEN", "0000000000"},
              std::pair{"TIJD", "1111111111"}, std::pair{"GELUID", "Geen"},
              std::pair{"CMDLINE", "-"}, std::pair{"ZOEKSTATUS", "In de Klapper gevonden"}}) {
            e.sx_Replace(field, SX_R_CHAR, rtl::Utf8ToCp1252(value).c_str());
        }
    }
    e.sx_Commit();
    e.sx_Close();
    xbase::Session().Open();

    QApplication app(argc, argv);
    rtl::TIniFile ini(folder + "belvo.ini");
    rtl::TIniFile gridIni(folder + "belvodbgrid.ini");
    int result = 0;
    {
        book::TFTelefoonklapper window(ini, gridIni, folder);
        window.FormCreate();
        window.SortMenu().actions()[2]->trigger();
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
            const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
            result = shot.save(QString::fromStdString(out)) ? 0 : 1;
            app.quit();
        });
        app.exec();
    }
    xbase::Session().Close();
    xbase::BindEngine(nullptr);
    std::error_code ec;
    fs::remove_all(folder, ec);
    return result;
}
