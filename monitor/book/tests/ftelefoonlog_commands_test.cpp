// The call-log window's commands offscreen over the engine library, the phone book beside it,
// the program's directory runner and the fake directory program: filters, "Wis alles",
// deleting, copying, dialling, exporting, the lookups and batches, and the edit form.

#include <gtest/gtest.h>
#include <unistd.h>
#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <tuple>
#include <string>
#include <vector>

#include "monitor/book/flogedit.h"
#include "monitor/book/fmemolog.h"
#include "monitor/book/ftelefoonlog.h"
#include "monitor/book/log_foongrep.h"
#include "monitor/book/tests/klapper_fixture.h"
#include "monitor/book/tests/log_table.h"
#include "monitor/settings.h"
#include "platform/db/field.h"
#include "platform/os/desktop_dialer.h"
#include "platform/os/process_start.h"
#include "platform/os/recording_dialer.h"
#include "platform/rtl/program_folder.h"
#include "platform/ui/beep.h"
#include "platform/ui/db_edit.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/scripted_dialogs.h"
#include "xbase/table.h"
#include "xbase/xbase_component.h"

namespace book::testing {
namespace {

namespace fs = std::filesystem;

LogRow Row(const char* datum, const char* nummer, const char* naam, const char* plaats) {
    return {datum, "10:00:00", nummer, naam, "Straat 1", "1234AB", plaats, "Thuis", "Spraak (1)",
            false, ""};
}

const std::string kFoundLine =
    "\"1\",\"2\",\"3\",\"Jan\",\"Jansen\",\"jr\",\"Dorpsstraat\",\"12\",\"1234 AB\",\"Zo\xEB\"";

class LogCommandsTest : public KlapperTest {
  protected:
    void SetUp() override {
        KlapperTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        gridIni = std::make_unique<rtl::TIniFile>(folder + "belvodbgrid.ini");
        rtl::SetProgramDir(folder);
        fgFolder = folder + "fg/";
        fs::create_directories(fgFolder);
        fs::create_symlink(BELVERIN_FAKE_FOONGREP, fgFolder + "foongrep");
        ::setenv("FAKE_FOONGREP_FIXTURE", (folder + "fixture").c_str(), 1);
        ::setenv("FAKE_FOONGREP_LOG", (folder + "runs").c_str(), 1);
        monitor::instellingen.foongrepdir = fgFolder;
        monitor::instellingen.zoektijd = "5";
        beep.beeps = 0;
        ui::SetBeeper(&beep);
        os::SetDialer(&dialer);
    }
    void TearDown() override {
        window.reset();
        os::SetDialer(nullptr);
        ui::SetBeeper(nullptr);
        if (!IsSkipped()) {
            EXPECT_TRUE(QTest::qWaitFor([] { return os::UncollectedChildren() == 0; }, 10000));
            rtl::SetProgramDir("");
        }
        KlapperTest::TearDown();
    }

    void MakeLog(const std::vector<LogRow>& rows) {
        MakeLogTable(library->Api(), folder + "belverinlog.DBF", rows);
    }
    TfTelefoonLog& Open() {
        KlapperCore& klapper = Start();
        window = std::make_unique<TfTelefoonLog>(folder, *ini, *gridIni, nullptr);
        window->FormCreate();
        window->SetKlapper(&klapper);
        return *window;
    }
    xbase::TTable& t1() { return window->t1(); }
    void Fixture(const std::string& rows) {
        std::ofstream(folder + "fixture", std::ios::binary) << rows;
    }
    // The numbers the fake was run for, in order.
    std::vector<std::string> RunNumbers() {
        std::ifstream in(folder + "runs", std::ios::binary);
        std::vector<std::string> numbers;
        for (std::string record; std::getline(in, record, '\n');) {
            std::stringstream fields(record);
            std::vector<std::string> argv;
            for (std::string field; std::getline(fields, field, '\0');) {
                argv.push_back(field);
            }
            numbers.push_back(argv.size() > 9 ? argv[9].substr(2) : "?");
        }
        return numbers;
    }
    void GoTo(const std::string& number) {
        for (t1().First(); !t1().Eof(); t1().Next()) {
            if (t1().FieldByName("NUMMER").AsString() == number) {
                return;
            }
        }
        FAIL() << number << " not shown";
    }
    std::string Field(const char* name) { return t1().FieldByName(name).AsString(); }
    // The values of `fields` of the row with the number, read without moving the table.
    std::vector<std::string> Stored(const std::string& number,
                                    const std::vector<const char*>& fields) {
        std::vector<std::string> values;
        t1().ScanRecords([&] {
            if (t1().FieldByName("NUMMER").AsString() != number) {
                return true;
            }
            for (const char* field : fields) {
                values.push_back(t1().FieldByName(field).AsString());
            }
            return false;
        });
        return values;
    }
    void SetStatus(const std::string& number, const std::string& status) {
        GoTo(number);
        t1().Edit();
        t1().FieldByName("ZOEKSTATUS").SetAsString(status);
        t1().Post();
    }
    std::vector<std::string> Shown() {
        std::vector<std::string> numbers;
        t1().ScanRecords([&] {
            numbers.push_back(t1().FieldByName("NUMMER").AsString());
            return true;
        });
        return numbers;
    }
    bool WaitForLookups() {
        return QTest::qWaitFor([this] { return !window->Foongrep().Running(); }, 20000);
    }
    std::string Lbfa() { return window->lbfa->text().toStdString(); }
    std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (const auto& shown : dialogs.shown()) {
            texts.push_back(shown.text);
        }
        return texts;
    }

    ui::ScriptedDialogs dialogs;
    ui::RecordingBeep beep;
    os::RecordingDialer dialer;
    std::unique_ptr<rtl::TIniFile> gridIni;
    std::unique_ptr<TfTelefoonLog> window;
    std::string fgFolder;
};

TEST_F(LogCommandsTest, TheMenusStandInTheirOrder) {
    MakeLog({});
    TfTelefoonLog& w = Open();
    std::vector<std::string> menus;
    for (QAction* a : w.MainMenu1->actions()) {
        menus.push_back(a->text().toStdString());
    }
    EXPECT_EQ(menus, (std::vector<std::string>{"Instellingen", "Sorteren", "Foongrep", "Filters",
                                               "Rapport/Printen", "Wissen", "Exporteren",
                                               "Zoeken"}));
    std::vector<std::string> filters;
    for (QAction* a : w.Filters1->actions()) {
        filters.push_back(a->isSeparator() ? "-"
                                           : a->text().toStdString() +
                                                 (a->isEnabled() ? "" : " (uit)"));
    }
    EXPECT_EQ(filters.size(), 12u);
    EXPECT_EQ(filters[0], "Filter op Datum");
    EXPECT_EQ(filters[8], "Filter op Zoekstatus");
    EXPECT_EQ(std::vector<std::string>(filters.begin() + 9, filters.end()),
              (std::vector<std::string>{"Zelf een Filter maken (uit)", "-", "Filters uit"}));
    std::vector<std::string> foongrep;
    for (QAction* a : w.Foongrep1->actions()) {
        foongrep.push_back(a->text().toStdString());
    }
    EXPECT_EQ(foongrep,
              (std::vector<std::string>{"Geselecteerde regel", "Nog niet gezochte", "Alles"}));
}

TEST_F(LogCommandsTest, FiltersOnTheCurrentRowsValue) {
    MakeLog({Row("2024-03-01", "0201", "Jansen", "Utrecht"),
             Row("2024-03-02", "0202", "Bakker", "'s-Hertogenbosch"),
             Row("2024-03-02", "0203", "", "Utrecht"), Row("2024-03-03", "0204", "Visser", "")});
    TfTelefoonLog& w = Open();
    w.Core().a1().SetOrder(w.Core().Order(2));  // by number
    struct Case {
        const char* on;
        int item;
        std::string filter;
        std::vector<std::string> shown;
        std::vector<int> marked;
    };
    // One after the other: marks add up while only the last filter is in force.
    const Case cases[] = {
        {"0202", 0, "DATUM = '2024-03-02' ", {"0202", "0203"}, {0}},
        {"0202", 6, "PLAATS = \"'s-Hertogenbosch\" ", {"0202"}, {0, 6}},
        {"0202", 1, "NUMMER = '0202' ", {"0202"}, {0, 1, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        GoTo(c.on);
        w.mfilters[static_cast<std::size_t>(c.item)]->trigger();
        EXPECT_EQ(t1().Filter(), c.filter);
        EXPECT_TRUE(t1().Filtered());
        EXPECT_EQ(Shown(), c.shown);
        EXPECT_EQ(w.lteller->text().toStdString(),
                  "Aantal records: " + std::to_string(c.shown.size()));
        std::vector<int> marked;
        for (int n = 0; n < kLogFilterCount; ++n) {
            if (w.mfilters[static_cast<std::size_t>(n)]->isChecked()) {
                marked.push_back(n);
            }
        }
        EXPECT_EQ(marked, c.marked);
        EXPECT_EQ(w.Filters1->title().toStdString(), "Filters (aan)");
    }
    // Triggering a marked item again keeps its mark.
    w.mfilters[1]->trigger();
    EXPECT_TRUE(w.mfilters[1]->isChecked());

    w.Geenfilter1->trigger();
    EXPECT_FALSE(t1().Filtered());
    EXPECT_EQ(t1().Filter(), "NUMMER = '0202' ") << "the text stays";
    EXPECT_EQ(Shown().size(), 4u);
    EXPECT_EQ(w.lteller->text().toStdString(), "Aantal records: 4");
    EXPECT_EQ(w.Filters1->title().toStdString(), "Filters (uit)");
    for (QAction* item : w.mfilters) {
        EXPECT_FALSE(item->isChecked());
    }

    // Empty and blank values filter on the empty text.
    for (const auto& [on, item, filter] :
         std::vector<std::tuple<std::string, int, std::string>>{{"0203", 3, "NAAM = '' "},
                                                                 {"0204", 6, "PLAATS = '' "}}) {
        w.Geenfilter1->trigger();
        GoTo(on);
        w.mfilters[static_cast<std::size_t>(item)]->trigger();
        EXPECT_EQ(t1().Filter(), filter);
        EXPECT_EQ(Shown(), std::vector<std::string>{on});
    }
}

TEST_F(LogCommandsTest, WisAllesEmptiesTheLogInTheStoredSortOrder) {
    MakeLog({Row("2024-03-01", "0201", "Jansen", "Utrecht"),
             Row("2024-03-02", "0202", "Bakker", "Gouda")});
    ini->WriteInteger("telefoonlog", "sorterenop", 3);
    TfTelefoonLog& w = Open();
    int resets = 0;
    w.OnResetTeller = [&] { ++resets; };
    w.msorteren[2]->trigger();
    EXPECT_EQ(monitor::instellingen.logsortering, 2);

    dialogs.AnswerMessage(ui::mrCancel);
    w.Wisalles1->trigger();
    EXPECT_EQ(Shown().size(), 2u);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Alles wissen ?"});
    EXPECT_EQ(dialogs.shown()[0].buttons, unsigned{ui::mbYes | ui::mbCancel});
    EXPECT_EQ(resets, 0);

    for (int answer : {ui::mrNo, ui::mrYes}) {
        SCOPED_TRACE(answer);
        if (answer == ui::mrYes) {
            t1().Append();
            t1().FieldByName("NUMMER").SetAsString("0203");
            t1().Post();
        }
        const QString counter = w.lteller->text();
        dialogs.AnswerMessage(ui::mrYes);
        dialogs.AnswerMessage(answer);
        w.Wisalles1->trigger();
        EXPECT_TRUE(t1().Active());
        EXPECT_TRUE(t1().IsEmpty());
        EXPECT_EQ(Texts().back(), "Ook de Teller van de Monitor resetten?");
        EXPECT_EQ(dialogs.shown().back().type, ui::MsgDlgType::Confirmation);
        EXPECT_EQ(resets, answer == ui::mrYes ? 1 : 0);
        // The stored choice (3, "Naam") again, not the one chosen since.
        EXPECT_TRUE(w.msorteren[3]->isChecked());
        EXPECT_EQ(monitor::instellingen.logsortering, 3);
        EXPECT_EQ(w.lteller->text(), counter);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(RecordsInFile(library->Api(), folder + "belverinlog.DBF"), 0);
}

TEST_F(LogCommandsTest, WisAllesShowsItsFailuresOnceTheLogIsOpenAgain) {
    MakeLog({Row("2024-03-01", "0201", "Jansen", "Utrecht")});
    TfTelefoonLog& w = Open();
    // A second user holds the table: the exclusive open fails, and with it the emptying.
    xbase::TTable other;
    other.SetTableType(xbase::ttSXFOX);
    other.SetDatabaseName(folder);
    other.SetTableName(folder + "belverinlog.DBF");
    other.Open();
    bool openWhenShown = true;
    int errorBoxes = 0;
    dialogs.AnswerMessage(ui::mrYes);
    dialogs.AnswerMessage(ui::mrOk);
    dialogs.AnswerMessage(ui::mrOk);
    dialogs.AnswerMessage(ui::mrNo);
    w.Wisalles1->trigger();
    for (const auto& shown : dialogs.shown()) {
        if (shown.type == ui::MsgDlgType::Error) {
            ++errorBoxes;
        }
    }
    openWhenShown = t1().Active();
    const std::vector<std::string> texts = Texts();
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(texts[1].rfind("Fout bij openen:", 0), 0u) << texts[1];
    EXPECT_EQ(texts[2].rfind("Fout bij alles wissen :", 0), 0u) << texts[2];
    EXPECT_EQ(texts[2].substr(texts[2].size() - 2), "  ");
    EXPECT_EQ(errorBoxes, 2);
    EXPECT_TRUE(openWhenShown);
    EXPECT_EQ(Shown(), std::vector<std::string>{"0201"});
    other.Close();
}

}  // namespace
}  // namespace book::testing
