// The phone-book window offscreen over the engine library: its make-up, the menus driving the
// core, the navigator's insert, and what closing keeps for the next start.

#include <gtest/gtest.h>
#include <QAbstractItemModel>
#include <QAction>
#include <QFontInfo>
#include <QLabel>
#include <QMenuBar>
#include <QTest>
#include <QToolButton>

#include <memory>
#include <string>
#include <vector>

#include "monitor/book/ftelefoonklapper.h"
#include "monitor/book/tests/klapper_fixture.h"
#include "platform/db/field.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/db_navigator.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/scripted_dialogs.h"
#include "platform/ui/tests/text_fit.h"
#include "xbase/table.h"

namespace book::testing {
namespace {

const std::vector<Entry> kBook = {
    {"0201234567", "Jansen", "Utrecht"},
    {"0301111111", "de Vries", "Gouda"},
    {"0101010101", "Bakker", "Utrecht"},
    {"0404040404", "Visser", "Delft"},
};

class KlapperWindowTest : public KlapperTest {
  protected:
    void SetUp() override {
        KlapperTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        gridIni = std::make_unique<rtl::TIniFile>(folder + "belvodbgrid.ini");
    }
    void TearDown() override {
        window.reset();
        KlapperTest::TearDown();
    }

    TFTelefoonklapper& Open() {
        window = std::make_unique<TFTelefoonklapper>(*ini, *gridIni, folder);
        window->FormCreate();
        return *window;
    }
    void End() {
        window->close();
        window.reset();
    }

    // The texts of one grid column, top to bottom.
    std::vector<std::string> GridColumn(int column) {
        QAbstractItemModel* model = window->g2().model();
        std::vector<std::string> texts;
        for (int row = 0; row < model->rowCount(); ++row) {
            texts.push_back(model->data(model->index(row, column)).toString().toStdString());
        }
        return texts;
    }

    ui::ScriptedDialogs dialogs;
    std::unique_ptr<rtl::TIniFile> gridIni;
    std::unique_ptr<TFTelefoonklapper> window;
};

constexpr int kNaamColumn = 2;

TEST_F(KlapperWindowTest, TheWindowIsMadeUpAsTheUserKnowsIt) {
    AddEntries(kBook);
    TFTelefoonklapper& w = Open();
    EXPECT_EQ(w.Caption(), "Telefoonklapper");
    EXPECT_EQ(w.HelpContext(), 330);
    EXPECT_EQ(w.FormFont().name, "Arial");
    EXPECT_EQ(w.pos(), QPoint(109, 125));
    EXPECT_EQ(w.size(), QSize(627, 447));

    std::vector<std::string> menus;
    for (QAction* a : w.findChild<QMenuBar*>()->actions()) {
        menus.push_back(a->text().toStdString());
    }
    EXPECT_EQ(menus,
              (std::vector<std::string>{"Instellingen", "Foongrep", "Sorteren", "Filters",
                                        "Rapport/Printen", "Wissen", "Import/Export", "Zoeken"}));
    EXPECT_EQ(w.SortMenu().actions().size(), kKlapperIndexes);
    EXPECT_TRUE(w.SortMenu().actions()[0]->isChecked());
    EXPECT_EQ(w.lteller().text().toStdString(), "Aantal records: 4");
    EXPECT_EQ(w.lbfa().text().toStdString(), "Dubbelklik of Enter om een veld te wijzigen.");

    ui::TDBGrid& g = w.g2();
    ASSERT_EQ(g.Columns().Count(), 17);
    EXPECT_EQ(g.Columns()[0].FieldName(), "NUMMER");
    EXPECT_GE(g.Columns()[0].Width(), 74) << "the design's width, or what the font needs";
    EXPECT_EQ(g.Columns()[16].FieldName(), "MEMO");
    EXPECT_NE(g.Options() & ui::dgMultiSelect, 0u);
    EXPECT_EQ(g.Hint(), "Dubbelklik of Enter om te bewerken");
    ui::TDBNavigator& nav = w.Navigator();
    EXPECT_EQ(nav.VisibleButtons() & ui::NavigateButton(ui::nbEdit), 0u);
    EXPECT_EQ(nav.Hint(ui::nbFirst), "Eerste (Ctrl+Home)");
    EXPECT_EQ(nav.Hint(ui::nbRefresh), "Opfrissen");
    EXPECT_EQ(GridColumn(kNaamColumn).size(), 4u);
}

TEST_F(KlapperWindowTest, MenusSortAndFilterTheGrid) {
    AddEntries(kBook);
    TFTelefoonklapper& w = Open();
    w.SortMenu().actions()[2]->trigger();
    EXPECT_EQ(GridColumn(kNaamColumn),
              (std::vector<std::string>{"Bakker", "Jansen", "Visser", "de Vries"}));
    EXPECT_TRUE(w.SortMenu().actions()[2]->isChecked());
    EXPECT_FALSE(w.SortMenu().actions()[0]->isChecked());

    // Standing on Bakker (Utrecht), filter on the town.
    w.Core().t2().First();
    w.FilterMenu().actions()[4]->trigger();
    EXPECT_EQ(GridColumn(kNaamColumn), (std::vector<std::string>{"Bakker", "Jansen"}));
    EXPECT_EQ(w.lteller().text().toStdString(), "Aantal records: 2");
    EXPECT_EQ(w.FilterMenu().title().toStdString(), "Filters (aan)");
    EXPECT_TRUE(w.FilterMenu().actions()[4]->isChecked());

    w.GeenFilter().trigger();
    EXPECT_EQ(GridColumn(kNaamColumn).size(), 4u);
    EXPECT_EQ(w.FilterMenu().title().toStdString(), "Filters (uit)");
    EXPECT_FALSE(w.FilterMenu().actions()[4]->isChecked());
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(KlapperWindowTest, AtItsDesignSizeTheWindowShowsItsTextsWhole) {
    AddEntries(kBook);
    TFTelefoonklapper& w = Open();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_EQ(w.size(), QSize(627, 447));
    // The design's widths are Arial's: the window must get it, or its metric twin.
    EXPECT_EQ(QFontInfo(w.g2().font()).family().toStdString(), "Liberation Sans");
    EXPECT_EQ(w.g2().Font().name, "Arial") << "the grid follows the window's font";
    EXPECT_EQ(w.g2().TitleFont().name, "Arial");

    // "Filters (aan)" is the menu's widest state.
    w.Core().t2().First();
    w.FilterMenu().actions()[4]->trigger();
    ASSERT_EQ(w.FilterMenu().title().toStdString(), "Filters (aan)");
    QCoreApplication::processEvents();
    std::vector<std::string> cut = ui::testing::CutLabelsAndButtons(w);
    for (const std::string& c : ui::testing::CutMenuTitles(*w.findChild<QMenuBar*>())) {
        cut.push_back(c);
    }
    for (const std::string& c : ui::testing::CutGridTexts(w.g2(), {0})) {  // NUMMER
        cut.push_back(c);
    }
    EXPECT_TRUE(cut.empty()) << ::testing::PrintToString(cut);
}

TEST_F(KlapperWindowTest, AFilterThatLeavesOneEntryLeavesTheNavigatorNowhereToGo) {
    AddEntries(kBook);
    TFTelefoonklapper& w = Open();
    ui::TDBNavigator& nav = w.Navigator();
    w.Core().t2().First();
    ASSERT_EQ(w.Core().t2().FieldByName("naam").AsString(), "Bakker");
    w.FilterMenu().actions()[1]->trigger();  // "Filter op Naam"
    ASSERT_EQ(w.lteller().text().toStdString(), "Aantal records: 1");
    for (const ui::TNavigateBtn b : {ui::nbFirst, ui::nbPrior, ui::nbNext, ui::nbLast}) {
        EXPECT_FALSE(nav.ButtonEnabled(b)) << b;
    }
    EXPECT_TRUE(nav.ButtonEnabled(ui::nbInsert));

    // Two entries: from the first, only onwards; from the last, only back.
    w.GeenFilter().trigger();
    w.Core().t2().First();
    w.FilterMenu().actions()[4]->trigger();  // "Filter op plaats": Utrecht
    ASSERT_EQ(w.lteller().text().toStdString(), "Aantal records: 2");
    EXPECT_FALSE(nav.ButtonEnabled(ui::nbPrior));
    EXPECT_TRUE(nav.ButtonEnabled(ui::nbNext));
    nav.BtnClick(ui::nbNext);
    EXPECT_TRUE(nav.ButtonEnabled(ui::nbPrior));
    EXPECT_FALSE(nav.ButtonEnabled(ui::nbNext));
    EXPECT_FALSE(nav.ButtonEnabled(ui::nbLast));
}

TEST_F(KlapperWindowTest, TheNavigatorsInsertShowsTheDefaults) {
    AddEntries(kBook);
    TFTelefoonklapper& w = Open();
    w.Navigator().BtnClick(ui::nbInsert);
    EXPECT_EQ(w.Core().t2().FieldByName("NUMMER").AsString(), "?");
    const std::vector<std::string> names = GridColumn(kNaamColumn);
    EXPECT_NE(std::find(names.begin(), names.end(), "?"), names.end());
    w.Navigator().BtnClick(ui::nbPost);
    EXPECT_EQ(w.lteller().text().toStdString(), "Aantal records: 5");
}

TEST_F(KlapperWindowTest, AllesWissenAsksFirst) {
    AddEntries(kBook);
    TFTelefoonklapper& w = Open();
    dialogs.AnswerMessage(ui::mrCancel);
    w.AllesWissen().trigger();
    EXPECT_EQ(w.lteller().text().toStdString(), "Aantal records: 4");
    dialogs.AnswerMessage(ui::mrYes);
    w.AllesWissen().trigger();
    EXPECT_EQ(w.lteller().text().toStdString(), "Aantal records: 0");
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].text, "Alles wissen ?");
    EXPECT_EQ(dialogs.shown()[0].type, ui::MsgDlgType::Warning);
}

TEST_F(KlapperWindowTest, ClosingKeepsTheLayoutForTheNextStart) {
    AddEntries(kBook);
    {
        TFTelefoonklapper& w = Open();
        w.SortMenu().actions()[6]->trigger();
        w.move(200, 150);
        w.resize(700, 500);
        w.SetFormFont({"DejaVu Sans", 12, ui::clWindowText, false, false, false, false});
        w.g2().Columns()[2].SetWidth(201);
        End();
    }
    EXPECT_EQ(ini->ReadInteger("klapper", "sorterenop", -1), 6);
    EXPECT_EQ(ini->ReadInteger("ftelefoonklapper", "width", 0), 700);
    EXPECT_EQ(ini->ReadString("ftelefoonklapper", "fontname", ""), "DejaVu Sans");

    TFTelefoonklapper& again = Open();
    EXPECT_EQ(again.size(), QSize(700, 500));
    EXPECT_EQ(again.FormFont().name, "DejaVu Sans");
    EXPECT_EQ(again.g2().Columns()[2].Width(), 201);
    EXPECT_TRUE(again.SortMenu().actions()[6]->isChecked());
    EXPECT_EQ(again.Core().t2().IndexName(), "TEL6");
}

TEST_F(KlapperWindowTest, AnEmptyBookClosedStaysEmpty) {
    Open();
    EXPECT_EQ(window->lteller().text().toStdString(), "Aantal records: 0");
    End();
    EXPECT_EQ(RecordsOnDisk(), 0);
}

}  // namespace
}  // namespace book::testing
