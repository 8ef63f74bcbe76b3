// The call-log window and its memo viewer offscreen, over a program folder with a call log.

#include "monitor/book/ftelefoonlog.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QFontInfo>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "monitor/book/fmemolog.h"
#include "monitor/book/tests/log_fixture.h"
#include "platform/db/field.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/scripted_dialogs.h"
#include "platform/ui/tests/text_fit.h"

namespace book::testing {
namespace {

class TelefoonLogFormTest : public LogFolderTest {
  protected:
    void SetUp() override {
        LogFolderTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        grids = std::make_unique<rtl::TIniFile>(folder + "belvodbgrid.ini");
    }
    void EndWindow() override {
        memo.reset();
        form.reset();
    }

    TfTelefoonLog& Open() {
        form.reset();
        splash.clear();
        form = std::make_unique<TfTelefoonLog>(
            folder, *ini, *grids, [this](const std::string& text) { splash.push_back(text); });
        form->FormCreate();
        return *form;
    }

    std::string Cell(int row, int column) {
        QAbstractItemModel* model = form->g1->model();
        return model->data(model->index(row, column)).toString().toStdString();
    }

    int ColumnOf(const std::string& field) {
        for (int n = 0; n < form->g1->Columns().Count(); ++n) {
            if (form->g1->Columns()[n].FieldName() == field) {
                return n;
            }
        }
        return -1;
    }

    std::vector<std::string> KeysOf(const std::string& file, const std::string& section) {
        std::ifstream in(file);
        std::vector<std::string> keys;
        std::string line;
        bool inside = false;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (!line.empty() && line.front() == '[') {
                inside = line == "[" + section + "]";
            } else if (inside && line.find('=') != std::string::npos) {
                keys.push_back(line.substr(0, line.find('=')));
            }
        }
        return keys;
    }

    ui::ScriptedDialogs dialogs;
    std::unique_ptr<rtl::TIniFile> grids;
    std::vector<std::string> splash;
    std::unique_ptr<TfTelefoonLog> form;
    std::unique_ptr<Tfmemolog> memo;
};

TEST_F(TelefoonLogFormTest, ShowsTheLogInDesignColumnsAndTheStoredOrder) {
    MakeLog(Calls());
    ini->WriteInteger("telefoonlog", "sorterenop", 3);
    TfTelefoonLog& f = Open();

    EXPECT_EQ(splash, (std::vector<std::string>{"Log database laden en indexen maken "}));
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(f.Caption(), "Telefoon Log ");
    EXPECT_EQ(f.HelpContext(), 350);
    EXPECT_EQ(f.geometry(), QRect(132, 125, 622, 447));
    EXPECT_EQ(f.FormFont().name, "Arial");
    EXPECT_FALSE(f.isVisible());

    const std::vector<std::pair<std::string, int>> design = {
        {"DATUM", 67},       {"TIJD", 57},       {"NUMMER", 72},  {"VOORNAAM", 87},
        {"NAAM", 122},       {"AANHANGSEL", 99}, {"STRAAT", 114}, {"POSTCODE", 0},
        {"PLAATS", 162},     {"MSN", 84},        {"SOORT", 100},  {"ZOEKSTATUS", 136},
        {"CAPISTATUS", 119}, {"MEMO", 0}};
    ASSERT_EQ(f.g1->Columns().Count(), static_cast<int>(design.size()));
    for (int n = 0; n < f.g1->Columns().Count(); ++n) {
        SCOPED_TRACE(n);
        const ui::TColumn& column = f.g1->Columns()[n];
        EXPECT_EQ(column.FieldName(), design[static_cast<std::size_t>(n)].first);
        const int width = design[static_cast<std::size_t>(n)].second;
        EXPECT_EQ(column.HasWidth(), width != 0);
        if (width != 0) {
            EXPECT_EQ(column.Width(), width);
        }
    }

    EXPECT_TRUE(f.msorteren[3]->isChecked());
    EXPECT_EQ(f.lteller->text().toStdString(), "Aantal records: 4");
    const std::vector<std::string> names = Sorted(Calls(), "naam", false);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(Cell(row, ColumnOf("NAAM")), names[static_cast<std::size_t>(row)]);
    }
    // The memo column shows the marker, not the text.
    EXPECT_EQ(Cell(0, ColumnOf("MEMO")), "(MEMO)");
}

TEST_F(TelefoonLogFormTest, AtItsDesignSizeTheWindowShowsItsTextsWhole) {
    MakeLog(Calls());
    TfTelefoonLog& f = Open();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    ASSERT_EQ(f.size(), QSize(622, 447));
    // The design's widths are Arial's: the window must get it, or its metric twin.
    EXPECT_EQ(QFontInfo(f.g1->font()).family().toStdString(), "Liberation Sans");
    EXPECT_EQ(f.g1->Font().name, "Arial") << "the grid follows the window's font";

    f.g1->setFocus();
    f.mfilters[6]->trigger();  // "Filters (aan)" is the menu's widest state
    ASSERT_EQ(f.Filters1->title().toStdString(), "Filters (aan)");
    QCoreApplication::processEvents();
    std::vector<std::string> cut = ui::testing::CutLabelsAndButtons(f);
    for (const std::string& c : ui::testing::CutMenuTitles(*f.MainMenu1)) {
        cut.push_back(c);
    }
    for (const std::string& c : ui::testing::CutGridTexts(
             *f.g1, {ColumnOf("DATUM"), ColumnOf("TIJD"), ColumnOf("NUMMER")})) {
        cut.push_back(c);
    }
    EXPECT_TRUE(cut.empty()) << ::testing::PrintToString(cut);
}

TEST_F(TelefoonLogFormTest, WindowBoundsAndFontFromTheSettings) {
    struct Case {
        const char* name;
        std::string belvo;
        std::string grid;
        QRect bounds;
        int fontSize;
    };
    const std::vector<Case> cases = {
        {"no section keeps the design", "", "", QRect(132, 125, 622, 447), 8},
        {"zeros keep the design font",
         "[ftelefoonlog]\r\ntop=10\r\nleft=20\r\nfontsize=0\r\nfontcolor=0\r\nfontname=\r\n", "",
         QRect(20, 10, 622, 447), 8},
        {"size and font applied", "[ftelefoonlog]\r\nwidth=700\r\nheight=500\r\nfontsize=11\r\n",
         "", QRect(132, 125, 700, 500), 11},
        {"the grid layout's position wins",
         "[ftelefoonlog]\r\ntop=10\r\nleft=20\r\nwidth=700\r\nheight=500\r\n",
         "[log]\r\nleft=300\r\ntop=200\r\n", QRect(300, 200, 700, 500), 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeLog(Calls());
        std::ofstream(folder + "belvo.ini", std::ios::trunc) << c.belvo;
        std::ofstream(folder + "belvodbgrid.ini", std::ios::trunc) << c.grid;
        TfTelefoonLog& f = Open();
        EXPECT_EQ(f.geometry(), c.bounds);
        EXPECT_EQ(f.FormFont().size, c.fontSize);
        EXPECT_EQ(f.FormFont().name, "Arial");
        EXPECT_EQ(f.FormFont().color, ui::clWindowText);
        form.reset();
    }
}

TEST_F(TelefoonLogFormTest, RestartRestoresTheChangedLayoutAndChoice) {
    MakeLog(Calls());
    TfTelefoonLog& f = Open();
    f.show();
    f.g1->Columns()[0].SetWidth(150);
    f.g1->Columns().Move(1, 0);
    f.msorteren[5]->trigger();
    f.move(40, 30);
    ASSERT_TRUE(f.close());

    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(f.t1().Active()) << "the window is only hidden";
    EXPECT_EQ(KeysOf(folder + "belvo.ini", "ftelefoonlog"),
              (std::vector<std::string>{"top", "width", "left", "height", "fontsize", "fontcolor",
                                        "fontname"}));
    EXPECT_EQ(ini->ReadInteger("telefoonlog", "sorterenop", -1), 5);
    EXPECT_EQ(monitor::instellingen.logsortering, 5);
    EXPECT_EQ(grids->ReadString("log0", "fieldname", ""), "TIJD");
    EXPECT_EQ(RecordsInFile(Real(), LogPath()), 4);

    form.reset();
    TfTelefoonLog& again = Open();
    EXPECT_EQ(again.g1->Columns()[0].FieldName(), "TIJD");
    EXPECT_EQ(again.g1->Columns()[1].FieldName(), "DATUM");
    EXPECT_EQ(again.g1->Columns()[1].Width(), 150);
    EXPECT_EQ(again.pos(), QPoint(40, 30));
    EXPECT_TRUE(again.msorteren[5]->isChecked());
    EXPECT_EQ(Cell(0, ColumnOf("POSTCODE")), Sorted(Calls(), "postcode", false).front());
}

TEST_F(TelefoonLogFormTest, StartUpFailuresReachTheDialogService) {
    Open();  // no table in the folder
    std::vector<std::string> texts;
    for (const ui::ScriptedDialogs::Shown& s : dialogs.shown()) {
        EXPECT_EQ(s.type, ui::MsgDlgType::Error);
        EXPECT_EQ(s.buttons, static_cast<unsigned>(ui::mbOK));
        texts.push_back(s.text);
    }
    ASSERT_EQ(texts.size(), 3u) << "open, pack and the one report of the reopen";
    EXPECT_EQ(texts[0].rfind("Wissen: Fout bij openen:", 0), 0u);
    EXPECT_EQ(texts[1].rfind("Fout bij Pack Table :", 0), 0u);
    EXPECT_FALSE(form->t1().Active());
    for (QAction* item : form->msorteren) {
        EXPECT_FALSE(item->isChecked());
    }
}

TEST_F(TelefoonLogFormTest, MemoViewerFollowsTheCurrentRow) {
    MakeLog(Calls());
    ini->WriteInteger("telefoonlog", "sorterenop", 3);
    memo = std::make_unique<Tfmemolog>();
    TfTelefoonLog& f = Open();
    memo->SetDataSource(&f.DataSource1());

    EXPECT_EQ(memo->Caption(), "Memo log bestand");
    EXPECT_TRUE(memo->StayOnTop());
    EXPECT_TRUE(memo->windowFlags().testFlag(Qt::Tool));
    EXPECT_FALSE(memo->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(memo->isVisible());

    f.t1().First();
    EXPECT_EQ(memo->DBText1->text().toStdString(), "Aalders");
    EXPECT_EQ(memo->DBMemo1->toPlainText().toStdString(), "teruggebeld");
    f.t1().Next();
    EXPECT_EQ(memo->DBText1->text().toStdString(), "Bakker");
    EXPECT_EQ(memo->DBMemo1->toPlainText().toStdString(), "");

    memo->show();
    QTest::mouseClick(memo->BitBtn1, Qt::LeftButton);
    EXPECT_FALSE(memo->isVisible());
}

}  // namespace
}  // namespace book::testing
