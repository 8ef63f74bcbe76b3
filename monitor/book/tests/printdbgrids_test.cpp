// The column chooser and the report over the phone book, offscreen; the report reaches a PDF
// through the same path the preview prints by.

#include <gtest/gtest.h>
#include <QApplication>
#include <QListWidget>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "monitor/book/ftelefoonklapper.h"
#include "monitor/book/printdbgrids.h"
#include "monitor/book/tests/klapper_fixture.h"
#include "platform/db/field.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/db_grid_columns.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/report/report_preview.h"
#include "platform/ui/report/report_render.h"
#include "platform/ui/report/tests/pdf_tools.h"
#include "platform/ui/scripted_dialogs.h"
#include "xbase/table.h"

namespace book::testing {
namespace {

namespace fs = std::filesystem;

class PrintTest : public KlapperTest {
  protected:
    void SetUp() override {
        KlapperTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        gridIni = std::make_unique<rtl::TIniFile>(folder + "belvodbgrid.ini");
        pdf = folder + "rapport.pdf";
    }
    void TearDown() override {
        report::SetPreview(nullptr);
        delete Tprintdbgridsform::Current();
        window.reset();
        KlapperTest::TearDown();
    }
    TFTelefoonklapper& Open() {
        window = std::make_unique<TFTelefoonklapper>(*ini, *gridIni, folder);
        window->FormCreate();
        return *window;
    }
    Tprintdbgridsform& Chooser() {
        return *Tprintdbgridsform::PrintDBGrid(window->Core().t2(), window->g2(), "Telefoonklapper",
                                               "ISDN Belverin");
    }
    static std::vector<std::string> Items(QListWidget& list) {
        std::vector<std::string> out;
        for (int i = 0; i < list.count(); ++i) {
            out.push_back(list.item(i)->text().toStdString());
        }
        return out;
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const auto& s : dialogs.shown()) {
            out.push_back(s.text);
        }
        return out;
    }

    ui::ScriptedDialogs dialogs;
    std::unique_ptr<rtl::TIniFile> gridIni;
    std::unique_ptr<TFTelefoonklapper> window;
    std::string pdf;
};

TEST_F(PrintTest, ChooserButtons) {
    AddEntries({{"0201234567", "Jansen", "Utrecht"}});
    Open();
    Tprintdbgridsform& c = Chooser();
    EXPECT_TRUE(c.isVisible());
    EXPECT_EQ(c.windowTitle().toStdString(), "Print DBgrid: Telefoonklapper");
    EXPECT_EQ(c.HelpContext(), 421);
    const auto titles = Items(c.ListBox());
    ASSERT_EQ(titles.size(), 17u);

    c.Toevoegen();
    c.Wissen();
    c.Omhoog();
    EXPECT_EQ(Messages(), std::vector<std::string>(3, "Er is niets geselecteerd"));

    // ">" adds the title and moves on to the next; the same title may come twice.
    c.ListBox().setCurrentRow(2);
    c.Toevoegen();
    c.Toevoegen();
    c.ListBox().setCurrentRow(2);
    c.Toevoegen();
    EXPECT_EQ(Items(c.ListBox1()), (std::vector<std::string>{titles[2], titles[3], titles[2]}));
    EXPECT_EQ(c.ListBox().currentRow(), 3);

    // "Omhoog" on the first does nothing; "Omlaag" swaps and keeps the item selected.
    c.ListBox1().setCurrentRow(0);
    c.Omhoog();
    c.Omlaag();
    EXPECT_EQ(Items(c.ListBox1()), (std::vector<std::string>{titles[3], titles[2], titles[2]}));
    EXPECT_EQ(c.ListBox1().currentRow(), 1);

    // "<" removes it and selects the one moving into its place.
    c.Wissen();
    EXPECT_EQ(Items(c.ListBox1()), (std::vector<std::string>{titles[3], titles[2]}));
    EXPECT_EQ(c.ListBox1().currentRow(), 1);

    // Opening again keeps the chosen list and the one window.
    EXPECT_EQ(&Chooser(), &c);
    EXPECT_EQ(Items(c.ListBox1()).size(), 2u);
    EXPECT_EQ(Items(c.ListBox()).size(), 17u);

    c.Annuleren();
    EXPECT_FALSE(c.isVisible());
    EXPECT_TRUE(Items(c.ListBox1()).empty());
    c.AllesToevoegen();
    EXPECT_EQ(Items(c.ListBox1()), titles);
    c.AllesWissen();
    EXPECT_TRUE(Items(c.ListBox1()).empty());

    // Closing frees it; the next opening makes a new, empty one.
    c.ListBox1().addItem("x");
    c.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Tprintdbgridsform::Current(), nullptr);
    EXPECT_TRUE(Items(Chooser().ListBox1()).empty());
}

TEST_F(PrintTest, ReportOfAFilteredSortedBookReachesThePdf) {
    std::vector<Entry> entries;
    for (int i = 0; i < 150; ++i) {
        char nummer[16];
        std::snprintf(nummer, sizeof nummer, "0%09d", 1000 + i);
        // Names run against the numbers, so the name order shows in the PDF.
        char naam[32];
        std::snprintf(naam, sizeof naam, "Zo\xC3\xAB %03d", 999 - i);
        entries.push_back({nummer, naam, i % 3 != 0 ? "Gouda" : "Utrecht"});
    }
    AddEntries(entries);
    TFTelefoonklapper& w = Open();
    w.SortMenu().actions()[2]->trigger();  // by name
    w.Core().t2().First();
    while (w.Core().t2().FieldByName("PLAATS").AsString() != "Gouda") {
        w.Core().t2().Next();
    }
    w.FilterMenu().actions()[4]->trigger();  // town = Gouda: 100 entries
    w.Core().t2().Next();
    w.Core().t2().Next();
    const std::string current = w.Core().t2().FieldByName("NUMMER").AsString();

    Tprintdbgridsform& c = Chooser();
    const auto titles = Items(c.ListBox());
    c.ListBox().setCurrentRow(2);  // name
    c.Toevoegen();
    c.ListBox().setCurrentRow(0);  // number
    c.Toevoegen();
    report::PdfReportPreview preview(pdf);
    report::SetPreview(&preview);
    c.Voorbeeld();
    ASSERT_EQ(preview.Shown(), 1);
    EXPECT_EQ(w.Core().t2().FieldByName("NUMMER").AsString(), current);
    EXPECT_FALSE(w.Core().t2().ControlsDisabled());

    const std::string text = report::testing::PdfText(pdf);
    std::size_t at = text.find("Telefoonklapper");
    ASSERT_NE(at, std::string::npos) << text;
    EXPECT_NE(text.find("Datum: "), std::string::npos);
    EXPECT_NE(text.find("Tijd: "), std::string::npos);
    EXPECT_NE(text.find("ISDN Belverin"), std::string::npos);
    const std::size_t pages = preview.Last().pages.size();
    ASSERT_GE(pages, 2u);
    for (std::size_t p = 1; p <= pages; ++p) {
        EXPECT_NE(text.find("Pagina: " + std::to_string(p)), std::string::npos) << p;
    }
    EXPECT_EQ(text.find("Pagina: " + std::to_string(pages + 1)), std::string::npos);
    // The chosen columns in their order, then the rows in the table's order and filter.
    const std::size_t nameTitle = text.find(titles[2]);
    EXPECT_LT(nameTitle, text.find(titles[0], nameTitle));
    std::size_t last = 0;
    int rows = 0;
    for (int i = 149; i >= 0; --i) {
        char naam[32];
        std::snprintf(naam, sizeof naam, "Zo\xC3\xAB %03d", 999 - i);
        const std::size_t pos = text.find(naam);
        if (i % 3 == 0) {
            EXPECT_EQ(pos, std::string::npos) << naam;
            continue;
        }
        ASSERT_NE(pos, std::string::npos) << naam;
        EXPECT_GT(pos, last) << naam;
        last = pos;
        char nummer[16];
        std::snprintf(nummer, sizeof nummer, "0%09d", 1000 + i);
        EXPECT_NE(text.substr(pos, 200).find(nummer), std::string::npos) << naam;
        ++rows;
    }
    EXPECT_EQ(rows, 100);
}

// The last column ends at the right margin with its title filling it, where the page number is
// printed: both reach the PDF whole.
TEST_F(PrintTest, ThePageNumberAndEveryTitleReachThePdfWhole) {
    AddEntries({{"0201234567", "Jansen", "Utrecht"}});
    TFTelefoonklapper& w = Open();
    Tprintdbgridsform& c = Chooser();
    const auto titles = Items(c.ListBox());
    ui::TDBGrid& grid = w.g2();
    const PrintColumn name = PrintColumns(grid)[2];
    report::QtTextMeasurer measure;
    const int nameWidth = std::max(measure.Width(name.titleFont, name.title),
                                   measure.Width(name.cellFont, "Jansen")) +
                          4;
    grid.Columns()[2].SetWidth(nameWidth);
    grid.Columns()[0].SetWidth(report::PageGeometry{}.ContentWidth() - 5 - nameWidth);
    c.ListBox().setCurrentRow(0);
    c.Toevoegen();
    c.ListBox().setCurrentRow(2);
    c.Toevoegen();
    report::PdfReportPreview preview(pdf);
    report::SetPreview(&preview);
    c.Voorbeeld();
    ASSERT_EQ(preview.Shown(), 1);

    const std::string text = report::testing::PdfText(pdf);
    EXPECT_NE(text.find("Pagina: 1"), std::string::npos) << text;
    EXPECT_NE(text.find(titles[0]), std::string::npos) << text;
    EXPECT_NE(text.find(titles[2]), std::string::npos) << text;
    EXPECT_NE(text.find("Jansen"), std::string::npos) << text;
}

TEST_F(PrintTest, ClosedTableOnlyTellsAndEmptyTablePrintsTitles) {
    Open();
    report::PdfReportPreview preview(pdf);
    report::SetPreview(&preview);
    Tprintdbgridsform& c = Chooser();
    c.ListBox().setCurrentRow(2);
    c.Toevoegen();
    // Another font on an empty book still prints the chosen titles.
    dialogs.AnswerFont(ui::FontSpec{"Liberation Sans", 9});
    c.VoorbeeldAnderFont();
    ASSERT_EQ(preview.Shown(), 1);
    EXPECT_NE(report::testing::PdfText(pdf).find(Items(c.ListBox())[2]), std::string::npos);

    window->Core().t2().Close();
    c.Voorbeeld();
    EXPECT_EQ(preview.Shown(), 1);
    EXPECT_EQ(Messages().back(), "Error: Tabel.actief = false");
    EXPECT_FALSE(window->Core().t2().ControlsDisabled());
}

TEST_F(PrintTest, RealPreviewClosesAndTheGridRepaints) {
    AddEntries({{"0201234567", "Jansen", "Utrecht"}});
    Open();
    Tprintdbgridsform& c = Chooser();
    c.ListBox().setCurrentRow(2);
    c.Toevoegen();
    bool shown = false;
    QTimer::singleShot(300, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        shown = modal != nullptr;
        if (modal != nullptr) {
            modal->close();
        }
    });
    c.Voorbeeld();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(window->Core().t2().ControlsDisabled());
    EXPECT_EQ(window->g2().model()->data(window->g2().model()->index(0, 2)).toString(), "Jansen");
}

}  // namespace
}  // namespace book::testing
