// Shows the column chooser over the phone-book window and then the report's preview, saving a
// picture of the screen for each and the report as a PDF: print_screenshot <prefix> writes
// <prefix>-chooser.png, <prefix>-preview.png and <prefix>.pdf. Meant for a virtual X server.

#include <QAction>
#include <QApplication>
#include <QTimer>

#include <iostream>
#include <string>

#include <QListWidget>
#include "monitor/book/ftelefoonklapper.h"
#include "monitor/book/printdbgrids.h"
#include "monitor/book/tests/shot_support.h"
#include "platform/rtl/ini_file.h"
#include "platform/ui/report/report_preview.h"
#include "xbase/table.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: print_screenshot <prefix>\n";
        return 2;
    }
    const std::string out = argv[1];
    int result = 0;
    const auto scratch = book::shot::ShotFolder::Open("print-shot");
    if (!scratch) {
        return 1;
    }
    const std::string& folder = scratch->Folder();
    book::shot::WriteEntries(scratch->Api(), scratch->Table(), book::shot::SampleEntries());
    scratch->OpenSession();

    QApplication app(argc, argv);
    rtl::TIniFile ini(folder + "belvo.ini");
    rtl::TIniFile gridIni(folder + "belvodbgrid.ini");
    {
        book::TFTelefoonklapper window(ini, gridIni, folder);
        window.FormCreate();
        window.SortMenu().actions()[2]->trigger();
        window.show();
        auto grab = [&](const std::string& file) {
            if (!book::shot::SaveScreen(file)) {
                result = 1;
            }
        };
        book::Tprintdbgridsform* chooser = book::Tprintdbgridsform::PrintDBGrid(
            window.Core().t2(), window.g2(), "Telefoonklapper", "ISDN Belverin");
        for (int row : {2, 1, 0, 4, 6}) {
            chooser->ListBox().setCurrentRow(row);
            chooser->Toevoegen();
        }
        QTimer::singleShot(800, [&] {
            grab(out + "-chooser.png");
            report::PdfReportPreview pdf(out + ".pdf");
            report::SetPreview(&pdf);
            chooser->Voorbeeld();
            report::SetPreview(nullptr);
            QTimer::singleShot(1500, [&] {
                grab(out + "-preview.png");
                if (QWidget* modal = QApplication::activeModalWidget()) {
                    modal->close();
                }
            });
            chooser->Voorbeeld();
            app.quit();
        });
        app.exec();
        delete book::Tprintdbgridsform::Current();
    }
    return result;
}
