// Shows the entry edit window over an entry with colours, a sound, per-MSN choices, a command
// line and a memo, and saves a picture of the screen: ftelklapperedit_shot <file.png>. Run
// under a virtual X server.

#include <stdlib.h>
#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <filesystem>
#include <iostream>
#include <string>

#include "monitor/book/ftelefoonklapper.h"
#include "monitor/book/ftelklapperedit.h"
#include "platform/db/field.h"
#include "platform/rtl/ini_file.h"
#include "platform/rtl/program_folder.h"
#include "xbase/engine_api.h"
#include "xbase/engine_library.h"
#include "xbase/sessions.h"
#include "xbase/table.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: ftelklapperedit_shot <file.png>\n";
        return 2;
    }
    const std::string out = argv[1];
    char pattern[] = "/tmp/ftelklapperedit-shot-XXXXXX";
    const std::string folder = std::string(mkdtemp(pattern)) + "/";
    for (const char* file : {"belverintel.DBF", "belverintel.FPT"}) {
        fs::copy_file(std::string(BELVERIN_PROGRAM_DIR) + "/" + file, folder + file);
    }
    rtl::SetProgramDir(folder);
    std::string error;
    auto engine = xbase::EngineLibrary::Open(REAL_ENGINE_PATH, &error);
    if (!engine) {
        std::cerr << error << "\n";
        return 1;
    }
    xbase::BindEngine(&engine->Api());
    const xbase::EngineApi& e = engine->Api();
    e.sx_Use((folder + "belverintel.DBF").c_str(), nullptr, SX_EXCLUSIVE, SX_FOX);
    e.sx_AppendEx();
    const std::pair<const char*, const char*> fields[] = {
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
    };
    for (const auto& [field, value] : fields) {
        e.sx_Replace(field, SX_R_CHAR, value);
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
            const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
            result = shot.save(QString::fromStdString(out)) ? 0 : 1;
            form->close();
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
