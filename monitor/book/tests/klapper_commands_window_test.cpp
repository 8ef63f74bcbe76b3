// The phone-book window's commands driven offscreen through its menus, grid and dial button
// over the engine library.

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "monitor/book/f_zoeken.h"
#include "monitor/book/fimporterenkomma.h"
#include "monitor/book/fmemo.h"
#include "monitor/book/ftelefoonklapper.h"
#include "monitor/book/ftelklapperedit.h"
#include "monitor/book/printdbgrids.h"
#include "monitor/book/tests/klapper_fixture.h"
#include "monitor/book/zoeken.h"
#include "monitor/settings.h"
#include "platform/db/field.h"
#include "platform/os/desktop_dialer.h"
#include "platform/os/recording_dialer.h"
#include "platform/rtl/whole_file.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/font_spec.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/scripted_dialogs.h"
#include "xbase/table.h"
#include "xbase/xbase_component.h"

namespace book::testing {
namespace {

constexpr int kNaamColumn = 2;

// Entries "0001" .. with names "Naam 001" ..; every tenth lives in Gouda, the rest in Utrecht.
std::vector<Entry> Book(int count) {
    std::vector<Entry> entries;
    for (int i = 1; i <= count; ++i) {
        char nummer[16];
        char naam[24];
        std::snprintf(nummer, sizeof nummer, "%04d", i);
        std::snprintf(naam, sizeof naam, "Naam %03d", i);
        entries.push_back({nummer, naam, i % 10 == 0 ? "Gouda" : "Utrecht"});
    }
    return entries;
}

class KlapperCommandsTest : public KlapperTest {
  protected:
    void SetUp() override {
        KlapperTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        gridIni = std::make_unique<rtl::TIniFile>(folder + "belvodbgrid.ini");
        os::SetDialer(&dialer);
    }
    void TearDown() override {
        os::SetDialer(nullptr);
        window.reset();
        memo.reset();
        KlapperTest::TearDown();
    }

    TFTelefoonklapper& Open() {
        window = std::make_unique<TFTelefoonklapper>(*ini, *gridIni, folder);
        window->FormCreate();
        window->show();
        return *window;
    }

    // The item of a menu of the bar, by their captions.
    QAction& Item(const char* menu, const char* item) {
        for (QAction* m : window->findChild<QMenuBar*>()->actions()) {
            if (m->text() == menu && m->menu() != nullptr) {
                for (QAction* a : m->menu()->actions()) {
                    if (a->text() == item) {
                        return *a;
                    }
                }
            }
        }
        ADD_FAILURE() << menu << " / " << item;
        static QAction none;
        return none;
    }

    std::vector<std::string> Items(const char* menu) {
        std::vector<std::string> items;
        for (QAction* m : window->findChild<QMenuBar*>()->actions()) {
            if (m->text() == menu && m->menu() != nullptr) {
                for (QAction* a : m->menu()->actions()) {
                    items.push_back(a->isSeparator() ? "-" : a->text().toStdString());
                }
            }
        }
        return items;
    }

    // The centre of a grid row, in the viewport.
    QPoint RowPoint(int row) {
        ui::TDBGrid& g = window->g2();
        return g.visualRect(g.model()->index(row, kNaamColumn)).center();
    }

    std::vector<std::string> GridNames() {
        QAbstractItemModel* model = window->g2().model();
        std::vector<std::string> names;
        for (int row = 0; row < model->rowCount(); ++row) {
            names.push_back(model->data(model->index(row, kNaamColumn)).toString().toStdString());
        }
        return names;
    }

    int EditWindows() {
        int count = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            count += qobject_cast<TFtelklapperedit*>(w) != nullptr ? 1 : 0;
        }
        return count;
    }

    ui::ScriptedDialogs dialogs;
    os::RecordingDialer dialer;
    std::unique_ptr<rtl::TIniFile> gridIni;
    std::unique_ptr<Tfmemo> memo;
    std::unique_ptr<TFTelefoonklapper> window;
};

TEST_F(KlapperCommandsTest, TheMenusHoldTheCommandsInTheirOrder) {
    AddEntries(Book(3));
    TFTelefoonklapper& w = Open();
    EXPECT_EQ(Items("Instellingen"), (std::vector<std::string>{"Lettertype", "Memo zichtbaar"}));
    EXPECT_EQ(Items("Rapport/Printen"), std::vector<std::string>{"Rapport maken"});
    EXPECT_EQ(Items("Wissen"), (std::vector<std::string>{"Geselecteerde regels", "Alles wissen"}));
    EXPECT_EQ(Items("Import/Export"),
              (std::vector<std::string>{"Exporteren: Comma Separated Values (CSV)",
                                        "Exporteren: Gescheiden door spaties", "-",
                                        "Importeren: Comma Separated Values (CSV)"}));
    EXPECT_EQ(Items("Zoeken"), std::vector<std::string>{"Zoek"});
    EXPECT_EQ(w.bbel().toolTip().toStdString(), "Nummer bellen (Phone Dailer)");
}

TEST_F(KlapperCommandsTest, DoubleClickAndEnterOpenOneEditWindowOnTheRecord) {
    AddEntries(Book(5));
    TFTelefoonklapper& w = Open();
    ui::TDBGrid& g = w.g2();
    // As a hand does it: the first click of the two lands on the row.
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, RowPoint(2));
    QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, RowPoint(2));
    TFtelklapperedit* edit = w.EditWindow();
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->isVisible());
    EXPECT_EQ(w.Core().t2().FieldByName("naam").AsString(), "Naam 003");

    // Again: the same window comes forward.
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, RowPoint(3));
    QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, RowPoint(3));
    EXPECT_EQ(w.EditWindow(), edit);
    EXPECT_EQ(w.Core().t2().FieldByName("naam").AsString(), "Naam 004");
    EXPECT_EQ(EditWindows(), 1);

    // Closed, it is freed; Enter opens a new one on the current record.
    edit->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w.EditWindow(), nullptr);
    EXPECT_EQ(EditWindows(), 0);
    g.setFocus();
    QTest::keyClick(&g, Qt::Key_Down);
    QTest::keyClick(&g, Qt::Key_Return);
    ASSERT_NE(w.EditWindow(), nullptr);
    EXPECT_EQ(EditWindows(), 1);
    EXPECT_EQ(w.Core().t2().FieldByName("naam").AsString(), "Naam 005");
}

TEST_F(KlapperCommandsTest, TheOtherWindowsOpenOnThePhoneBook) {
    AddEntries(Book(5));
    TFTelefoonklapper& w = Open();
    memo = std::make_unique<Tfmemo>();
    memo->SetDataSource(&w.Core().DataSource2());
    w.SetMemo(memo.get());

    Item("Instellingen", "Memo zichtbaar").trigger();
    EXPECT_TRUE(memo->isVisible());

    Item("Rapport/Printen", "Rapport maken").trigger();
    Tprintdbgridsform* chooser = Tprintdbgridsform::Current();
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->windowTitle().toStdString(), "Print DBgrid: Telefoonklapper");
    EXPECT_EQ(chooser->ListBox().count(), 17);
    chooser->close();

    Item("Import/Export", "Importeren: Comma Separated Values (CSV)").trigger();
    ASSERT_NE(TFimporterenkomma::Current(), nullptr);
    EXPECT_TRUE(TFimporterenkomma::Current()->isVisible());

    Item("Zoeken", "Zoek").trigger();
    ASSERT_NE(Tf_zoeken::Current(), nullptr);
    EXPECT_EQ(zoeken().Doel().data, &w.Core().t2());

    // The windows on this phone book go with it.
    window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(TFimporterenkomma::Current(), nullptr);
    EXPECT_EQ(Tf_zoeken::Current(), nullptr);
    EXPECT_EQ(zoeken().Doel().data, nullptr);
}

TEST_F(KlapperCommandsTest, DeletingMarkedRowsAsksAndLeavesTheNormalCursor) {
    monitor::instellingen.meteenopslaan = true;
    AddEntries(Book(200));
    TFTelefoonklapper& w = Open();
    ui::TDBGrid& g = w.g2();
    for (int row : {1, 3, 6}) {
        QTest::mouseClick(g.viewport(), Qt::LeftButton, Qt::ControlModifier, RowPoint(row));
    }
    ASSERT_EQ(g.SelectedRows().Count(), 3);

    dialogs.AnswerMessage(ui::mrCancel);
    Item("Wissen", "Geselecteerde regels").trigger();
    EXPECT_EQ(GridNames().size(), 200u);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Geselecteerde regels wissen ?");
    EXPECT_EQ(dialogs.shown()[0].type, ui::MsgDlgType::Warning);
    EXPECT_EQ(dialogs.shown()[0].buttons, unsigned{ui::mbYes | ui::mbCancel});

    dialogs.AnswerMessage(ui::mrYes);
    Item("Wissen", "Geselecteerde regels").trigger();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    const std::vector<std::string> names = GridNames();
    ASSERT_EQ(names.size(), 197u);
    EXPECT_EQ(
        std::vector<std::string>(names.begin(), names.begin() + 5),
        (std::vector<std::string>{"Naam 001", "Naam 003", "Naam 005", "Naam 006", "Naam 008"}));
    EXPECT_EQ(w.lteller().text().toStdString(), "Aantal records: 197");
}

TEST_F(KlapperCommandsTest, TheExportsAskForAFileAndWriteTheVisibleRecords) {
    AddEntries(Book(200));
    TFTelefoonklapper& w = Open();
    // Standing on a Gouda entry, filter on the town.
    w.Core().t2().First();
    w.Core().t2().MoveBy(9);
    w.FilterMenu().actions()[4]->trigger();
    ASSERT_EQ(GridNames().size(), 20u);

    struct Case {
        const char* item;
        const char* filter;
        const char* ext;
        const char* file;
        std::string firstLine;
    };
    const Case cases[] = {
        {"Exporteren: Comma Separated Values (CSV)",
         "Comma Separated Values (CSV)|*.csv|Alles  (*.*)|*.*|Tekst (txt)|*.txt", "csv",
         "gouda.csv", "\"0010\",\"\",\"Naam 010\","},
        {"Exporteren: Gescheiden door spaties",
         "Alles  (*.*)|*.*|LOG (log)|*.log|Tekst (txt)|*.txt", "txt", "gouda.txt",
         "0010" + std::string(38, ' ') + "Naam 010 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        const std::string target = folder + c.file;
        dialogs.AnswerFile(std::nullopt);
        Item("Import/Export", c.item).trigger();
        EXPECT_FALSE(rtl::ReadWholeFile(target).has_value());

        dialogs.AnswerFile(target);
        Item("Import/Export", c.item).trigger();
        const ui::ScriptedDialogs::Shown& shown = dialogs.shown().back();
        EXPECT_EQ(shown.kind, ui::ScriptedDialogs::Kind::Save);
        EXPECT_EQ(shown.file.filter, c.filter);
        EXPECT_EQ(shown.file.defaultExt, c.ext);
        EXPECT_TRUE(shown.file.overwritePrompt);
        const std::string text = rtl::ReadWholeFile(target).value_or("");
        EXPECT_EQ(text.rfind(c.firstLine, 0), 0u) << text.substr(0, 80);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 20);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
}

TEST_F(KlapperCommandsTest, AChosenFontReachesEveryColumnAndItsTitleAndIsKept) {
    AddEntries(Book(3));
    {
        TFTelefoonklapper& w = Open();
        ui::TColumn& naam = w.g2().Columns()[kNaamColumn];
        ui::FontSpec bold = naam.Font();
        bold.bold = true;
        naam.SetFont(bold);
        const ui::FontSpec chosen{"DejaVu Serif", 14, ui::clRed, false, true, false, false};
        dialogs.AnswerFont(chosen);
        Item("Instellingen", "Lettertype").trigger();
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_EQ(dialogs.shown()[0].kind, ui::ScriptedDialogs::Kind::Font);
        EXPECT_EQ(w.FormFont(), chosen);
        EXPECT_EQ(w.g2().Font(), chosen);
        for (int i = 0; i < w.g2().Columns().Count(); ++i) {
            ui::TColumn& column = w.g2().Columns()[i];
            for (const ui::FontSpec& f : {column.Font(), column.Title().Font()}) {
                EXPECT_EQ(f.name, "DejaVu Serif") << i;
                EXPECT_EQ(f.size, 14) << i;
                EXPECT_EQ(f.color, ui::clRed) << i;
            }
        }
        // The menu bar keeps the menu font, so every menu stays in reach.
        const QFont barFont = w.findChild<QMenuBar*>()->font();
        EXPECT_EQ(barFont.family().toStdString(), ui::MenuBarFont().family().toStdString());
        EXPECT_EQ(barFont.pointSizeF(), ui::MenuBarFont().pointSizeF());
        // Each column keeps its own style.
        EXPECT_TRUE(naam.Font().bold);
        EXPECT_FALSE(w.g2().Columns()[0].Font().bold);

        // A cancelled dialog changes nothing.
        dialogs.AnswerFont(std::nullopt);
        Item("Instellingen", "Lettertype").trigger();
        EXPECT_EQ(w.FormFont(), chosen);
        window->close();
        window.reset();
    }
    TFTelefoonklapper& again = Open();
    EXPECT_EQ(again.FormFont().name, "DejaVu Serif");
    for (int i = 0; i < again.g2().Columns().Count(); ++i) {
        ui::TColumn& column = again.g2().Columns()[i];
        EXPECT_EQ(column.Font().name, "DejaVu Serif") << i;
        EXPECT_EQ(column.Title().Font().color, ui::clRed) << i;
        EXPECT_EQ(column.Title().Font().size, 14) << i;
    }
}

TEST_F(KlapperCommandsTest, TheDialButtonDialsTheCurrentEntry) {
    AddEntries({{"0201234567", "Jansen"}, {"", "Zonder nummer"}});
    monitor::instellingen.voorvoegsel = "0,";
    TFTelefoonklapper& w = Open();
    w.Core().a2().SetOrder(0);
    w.Core().t2().First();
    w.bbel().click();
    const std::vector<os::RecordingDialer::Call> expected = {{"0,0201234567", "", "Jansen", ""}};
    EXPECT_EQ(dialer.calls, expected);
    EXPECT_TRUE(dialogs.shown().empty());

    dialer.answer = 1;
    w.bbel().click();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].kind, ui::ScriptedDialogs::Kind::ShowMessage);
    EXPECT_EQ(dialogs.shown()[0].text, "Fout bij aanroepen: tapi32.dll");

    w.Core().t2().Next();
    w.bbel().click();
    EXPECT_EQ(dialer.calls.size(), 2u);
    EXPECT_EQ(dialogs.shown().size(), 1u);
}

}  // namespace
}  // namespace book::testing
