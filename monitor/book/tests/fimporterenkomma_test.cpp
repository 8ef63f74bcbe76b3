// The import window and the search window offscreen, over the phone book in a scratch
// program folder, with scripted dialogs.

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "monitor/book/csv_lines_model.h"
#include "monitor/book/f_zoeken.h"
#include "monitor/book/fimporterenkomma.h"
#include "monitor/book/ftelefoonklapper.h"
#include "monitor/book/tests/klapper_fixture.h"
#include "platform/db/field.h"
#include "platform/rtl/whole_file.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/scripted_dialogs.h"
#include "xbase/table.h"

namespace book::testing {
namespace {

using Kind = ui::ScriptedDialogs::Kind;

constexpr int kExtra = 7;
constexpr int kNaam = 2;

class ImportWindowTest : public KlapperTest {
  protected:
    void SetUp() override {
        KlapperTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        gridIni = std::make_unique<rtl::TIniFile>(folder + "belvodbgrid.ini");
        klapper = std::make_unique<TFTelefoonklapper>(*ini, *gridIni, folder);
        klapper->FormCreate();
    }
    void TearDown() override {
        delete TFimporterenkomma::Current();
        delete Tf_zoeken::Current();
        zoeken().SetDoel({});
        klapper.reset();
        KlapperTest::TearDown();
    }

    std::string WriteCsv(const std::string& bytes) {
        const std::string path = folder + "adressen.csv";
        rtl::WriteWholeFileAtomically(path, bytes);
        return path;
    }
    // The texts of the message boxes shown so far.
    std::vector<std::string> Boxes() {
        std::vector<std::string> texts;
        for (const auto& s : dialogs.shown()) {
            if (s.kind == Kind::Message || s.kind == Kind::ShowMessage) {
                texts.push_back(s.text);
            }
        }
        return texts;
    }
    // NAAM of every record in the phone book's order.
    std::vector<std::string> Names() {
        xbase::TTable& t = klapper->Core().t2();
        std::vector<std::string> names;
        for (t.First(); !t.Eof(); t.Next()) {
            names.push_back(t.FieldByName("NAAM").AsString());
        }
        return names;
    }
    void SelectRow(QListView& list, int row) { list.setCurrentIndex(list.model()->index(row, 0)); }

    ui::ScriptedDialogs dialogs;
    std::unique_ptr<rtl::TIniFile> gridIni;
    std::unique_ptr<TFTelefoonklapper> klapper;
};

TEST_F(ImportWindowTest, GuidesTheUserFromFileToImport) {
    TFimporterenkomma& w = *TFimporterenkomma::Open(klapper->Core());
    EXPECT_EQ(w.Caption(), "Importeren Comma Separated Values (CSV) bestand");
    EXPECT_EQ(w.HelpContext(), 590);
    EXPECT_EQ(TFimporterenkomma::Open(klapper->Core()), &w);
    EXPECT_FALSE(w.StartButton().isEnabled());

    dialogs.AnswerFile(WriteCsv("naam,plaats\r\nJansen,\"Den\r\nHaag\"\r\n\r\nBakker,Gouda\r\n"));
    w.SelecteerBestandClick();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].file.defaultExt, "csv");
    EXPECT_EQ(dialogs.shown()[0].file.filter,
              "Comma Separated Values (CSV)|*.csv|Alles  (*.*)|*.*|Tekst (txt)|*.txt");
    ASSERT_EQ(w.Lines().rowCount(), 3);
    EXPECT_EQ(w.ltellertotaal().text(), "2");
    EXPECT_EQ(w.Lines().data(w.Lines().index(1)).toString(), "\"Jansen\",\"Den Haag\"");

    // No line chosen yet, then no field chosen yet.
    w.Listbox1DblClick();
    w.TargetClick(kExtra);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"U moet eerst een regel selecteren",
                                                 "U moet eerst een veld selecteren"}));
    EXPECT_FALSE(w.StartButton().isEnabled());

    SelectRow(w.listbox1(), 1);
    w.Listbox1DblClick();
    ASSERT_EQ(w.ListBox2().count(), 3);
    EXPECT_EQ(w.ListBox2().item(0)->text(), "Leeg");
    EXPECT_EQ(w.ListBox2().item(2)->text(), "Den Haag");
    w.ListBox2().setCurrentRow(1);
    w.TargetClick(kNaam);
    w.ListBox2().setCurrentRow(2);
    w.TargetClick(kExtra);
    EXPECT_EQ(w.TargetButton(kExtra).text(), "Den Haag");
    EXPECT_EQ(w.Mapping().Column(kExtra), 2);
    EXPECT_TRUE(w.StartButton().isEnabled());

    QTest::mouseClick(&w.StartButton(), Qt::LeftButton);
    EXPECT_EQ(Boxes().back(), "Importeren is goed verlopen");
    EXPECT_EQ(Names(), (std::vector<std::string>{"naam", "Jansen", "Bakker"}));
    EXPECT_EQ(klapper->lteller().text(), "Aantal records: 3");
    EXPECT_EQ(w.lteller().text(), "2");

    // A new sample line starts the mapping over.
    SelectRow(w.listbox1(), 0);
    w.Listbox1DblClick();
    EXPECT_EQ(w.TargetButton(kExtra).text(), "Leeg");
    EXPECT_TRUE(w.Mapping().Empty());
    EXPECT_FALSE(w.StartButton().isEnabled());
}

TEST_F(ImportWindowTest, TheSeparatorIsOneCharacter) {
    TFimporterenkomma& w = *TFimporterenkomma::Open(klapper->Core());
    EXPECT_EQ(w.SeparatorButton().text(), ",");
    for (const char* refused : {"ab", "", "\""}) {
        dialogs.AnswerInput(std::string(refused));
        w.ScheidingstekenClick();
        EXPECT_EQ(Boxes().back(), "Het scheidingsteken moet één teken zijn, geen aanhalingsteken.");
        EXPECT_EQ(w.Separator(), ',');
    }
    dialogs.AnswerInput(std::string(";"));
    w.ScheidingstekenClick();
    EXPECT_EQ(w.Separator(), ';');
    EXPECT_EQ(w.SeparatorButton().text(), ";");
    const auto& input = dialogs.shown().back();
    EXPECT_EQ(input.caption, "Scheidingsteken");
    EXPECT_EQ(input.text, "Geef ander (normaal = , )");

    w.LoadFile(WriteCsv("a;b,c;d\n"));
    SelectRow(w.listbox1(), 0);
    w.Listbox1DblClick();
    ASSERT_EQ(w.ListBox2().count(), 4);
    EXPECT_EQ(w.ListBox2().item(2)->text(), "b,c");
}

TEST_F(ImportWindowTest, AFileThatIsNoTextIsRefused) {
    TFimporterenkomma& w = *TFimporterenkomma::Open(klapper->Core());
    w.LoadFile(WriteCsv(std::string("\xFF\xFEn\0a\0", 6)));
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].rfind("Fout bij inlezen bestand: ", 0), 0u);
    EXPECT_EQ(w.Lines().rowCount(), 0);
}

TEST_F(ImportWindowTest, TheSearchWindowSearchesItsTargetAndKeepsTheText) {
    AddEntries({{"0201234567", "JANSEN"}, {"0301111111", "de Vries"}});
    klapper->Core().Geenfilter1Click();  // rereads the table with the new entries
    xbase::TTable& t = klapper->Core().t2();
    t.First();
    Tf_zoeken* w = Tf_zoeken::Open(GridDoel(t, klapper->g2()));
    EXPECT_EQ(w->Caption(), "Zoeken");
    EXPECT_TRUE(w->StayOnTop());
    EXPECT_TRUE(w->Gedeelte().isChecked());
    EXPECT_EQ(w->e_1().text(), "");

    w->e_1().setText("VRIES");
    QTest::keyClick(&w->e_1(), Qt::Key_Return);
    EXPECT_EQ(t.FieldByName("NAAM").AsString(), "de Vries");
    w->VolgendeClick();
    EXPECT_EQ(Boxes().back(), "Niet gevonden: vries");
    EXPECT_EQ(t.FieldByName("NAAM").AsString(), "de Vries");

    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Tf_zoeken::Current(), nullptr);
    w = Tf_zoeken::Open(GridDoel(t, klapper->g2()));
    EXPECT_EQ(w->e_1().text(), "vries");
}

}  // namespace
}  // namespace book::testing
