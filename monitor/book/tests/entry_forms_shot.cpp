// Shows the reject form over an entry that rejects on MSN 2 and 3, with MSN 10 clicked once,
// and saves a picture of the screen: entry_forms_shot <file.png>. Run under a virtual X server.

#include <stdlib.h>
#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <filesystem>
#include <iostream>
#include <string>

#include "monitor/book/fafwijzen.h"
#include "monitor/book/ftelefoonklapper.h"
#include "platform/rtl/ini_file.h"
#include "xbase/engine_api.h"
#include "xbase/engine_library.h"
#include "xbase/sessions.h"
#include "xbase/table.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: entry_forms_shot <file.png>\n";
        return 2;
    }
    const std::string out = argv[1];
    char pattern[] = "/tmp/entry-forms-shot-XXXXXX";
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
    e.sx_AppendEx();
    e.sx_Replace("NUMMER", SX_R_CHAR, "0201234567");
    e.sx_Replace("NAAM", SX_R_CHAR, "Jansen");
    e.sx_Replace("AFWIJZEN", SX_R_CHAR, "0110000000");
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
        window.Core().t2().First();
        book::Tfafwijzen* form = book::Tfafwijzen::Open(&window.Core().DataSource2());
        form->move(30, 30);
        form->l1Click(10);
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
