// The call-log window's commands offscreen over the engine library, the phone book beside it,
// the program's directory runner and the fake directory program: filters, "Wis alles",
// deleting, copying, dialling, exporting, the lookups and batches, and the edit form.

#include <gtest/gtest.h>
#include <unistd.h>
#include <QAction>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "monitor/book/flogedit.h"
#include "monitor/book/fmemolog.h"
#include "monitor/book/ftelefoonlog.h"
#include "monitor/book/log_foongrep.h"
#include "monitor/book/tests/commit_text.h"
#include "monitor/book/tests/klapper_fixture.h"
#include "monitor/book/tests/log_table.h"
#include "monitor/settings.h"
#include "monitor/tests/fake_foongrep_files.h"
#include "platform/db/field.h"
#include "platform/os/desktop_dialer.h"
#include "platform/os/process_start.h"
#include "platform/os/recording_dialer.h"
#include "platform/rtl/program_folder.h"
#include "platform/ui/beep.h"
#include "platform/ui/db_edit.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/db_memo.h"
#include "platform/ui/db_navigator.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/scripted_dialogs.h"
#include "xbase/table.h"
#include "xbase/xbase_component.h"

namespace book::testing {
namespace {

namespace fs = std::filesystem;

LogRow Row(const char* datum, const char* nummer, const char* naam, const char* plaats) {
    return {datum,  "10:00:00", nummer,       naam,  "Straat 1", "1234AB",
            plaats, "Thuis",    "Spraak (1)", false, ""};
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
        fakefoongrep::UseFiles(folder + "fixture", folder + "runs");
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
    void Fixture(const std::string& rows) { fakefoongrep::WriteAnswers(folder + "fixture", rows); }
    // The numbers the fake was run for, in order.
    std::vector<std::string> RunNumbers() {
        std::vector<std::string> numbers;
        for (const fakefoongrep::Run& run : fakefoongrep::ReadRuns(folder + "runs")) {
            numbers.push_back(run.argv.size() > 8 ? run.argv[8].substr(2) : "?");
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
    EXPECT_EQ(menus,
              (std::vector<std::string>{"Instellingen", "Sorteren", "Foongrep", "Filters",
                                        "Rapport/Printen", "Wissen", "Exporteren", "Zoeken"}));
    std::vector<std::string> filters;
    for (QAction* a : w.Filters1->actions()) {
        filters.push_back(
            a->isSeparator() ? "-" : a->text().toStdString() + (a->isEnabled() ? "" : " (uit)"));
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
    for (const auto& [on, item, filter] : std::vector<std::tuple<std::string, int, std::string>>{
             {"0203", 3, "NAAM = '' "}, {"0204", 6, "PLAATS = '' "}}) {
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
    // Each box notes whether the table was open when it came up.
    class Watching : public ui::ScriptedDialogs {
      public:
        explicit Watching(xbase::TTable& table) : table_(table) {}
        int MessageDlg(const std::string& text, ui::MsgDlgType type, unsigned buttons,
                       int help) override {
            opened.push_back(table_.Active());
            return ScriptedDialogs::MessageDlg(text, type, buttons, help);
        }
        std::vector<bool> opened;

      private:
        xbase::TTable& table_;
    } watching(t1());
    watching.AnswerMessage(ui::mrYes);
    watching.AnswerMessage(ui::mrOk);
    watching.AnswerMessage(ui::mrOk);
    watching.AnswerMessage(ui::mrNo);
    w.Wisalles1->trigger();
    std::vector<std::string> texts;
    std::vector<ui::MsgDlgType> types;
    for (const auto& shown : watching.shown()) {
        texts.push_back(shown.text);
        types.push_back(shown.type);
    }
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[1].rfind("Fout bij openen:", 0), 0u) << texts[1];
    EXPECT_EQ(texts[2].rfind("Fout bij alles wissen :", 0), 0u) << texts[2];
    EXPECT_EQ(texts[2].substr(texts[2].size() - 2), "  ");
    EXPECT_EQ(types[1], ui::MsgDlgType::Error);
    EXPECT_EQ(types[2], ui::MsgDlgType::Error);
    EXPECT_EQ(watching.opened, (std::vector<bool>{true, true, true, true}));
    EXPECT_EQ(Shown(), std::vector<std::string>{"0201"});
    other.Close();
}

TEST_F(LogCommandsTest, LookupCases) {
    const std::vector<const char*> fields = {"VOORNAAM", "NAAM", "STRAAT", "PLAATS", "ZOEKSTATUS"};
    const std::vector<std::string> kept = {"", "oud", "Straat 1", "Oudorp"};
    const std::vector<std::string> cd = {"Jan", "Jansen", "Dorpsstraat 12", "Zo\xC3\xAB"};
    auto with = [](std::vector<std::string> v, const std::string& status) {
        v.push_back(status);
        return v;
    };
    struct Case {
        const char* name;
        std::string nummer;
        std::string mode;   // of the fake; empty: the program is missing
        bool inBook;        // the phone book holds the number
        bool bookFiltered;  // ... behind a filter that hides it
        std::string lbfa;
        std::vector<std::string> stored;
        bool ran;
        std::string box;
    };
    const Case cases[] = {
        {"in the phone book", "0201", "found", true, false, "Gevonden in de Klapper",
         with({"Piet", "Buur", "Laan 2", "Gouda"}, "Gevonden in de Klapper"), false, ""},
        {"hidden by the phone book's filter", "0201", "found", true, true,
         "Gevonden in de KPN-cdfoongids.", with(cd, "Gevonden in de KPN-cdfoongids."), true, ""},
        {"not found", "0201", "notfound", false, false,
         "Niet gevonden in de klapper of KPN-cdfoongids",
         with({"", "Niet gevonden.", "", ""}, "Niet gevonden in de klapper of KPN-cdfoongids"),
         true, ""},
        {"no CD", "0201", "nocd", false, false, "Geen CD gevonden door Foongrep. (niet opgezocht)",
         with(cd, "Geen CD gevonden door Foongrep. (niet opgezocht)"), true, ""},
        {"time-out", "0201", "late:4000", false, false, "Zoektijd verstreken (niet opgezocht)",
         with(kept, "Zoektijd verstreken (niet opgezocht)"), true, ""},
        {"no belvo.log", "0201", "nothing", false, false,
         "Fout: Foongrep maakt 'belvo.log' niet (niet opgezocht)",
         with(kept, "Fout: Foongrep maakt 'belvo.log' niet (niet opgezo"), true, ""},
        {"belvo.log a folder", "0201", "folder", false, false,
         "Foongrep maakt \"belvo.log\" niet aan. (niet opgezocht)",
         with(kept, "Foongrep maakt \"belvo.log\" niet aan. (niet opgezoc"), true,
         "Kan bestand \"belvo.log\" niet vinden (niet opgezocht)"},
        {"missing program", "0201", "", false, false,
         "Fout bij aanroepen Foongrep (niet opgezocht) ",
         with(kept, "Fout bij aanroepen Foongrep (niet opgezocht)"), false, ""},
        {"refused number", "-5", "found", false, false,
         "Ongeldig nummer voor Foongrep (niet opgezocht)",
         with(kept, "Ongeldig nummer voor Foongrep (niet opgezocht)"), false, ""},
        {"no number, no such entry", "--", "found", false, false, "Geen nummer herkend",
         with({"", "Geen nummer herkend", "", ""}, "Geen nummer herkend"), false, ""},
        {"no number with an entry", "--", "found", true, false, "Gevonden in de Klapper",
         with({"Piet", "Buur", "Laan 2", "Gouda"}, "Gevonden in de Klapper"), false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        LogRow row = Row("2024-03-01", c.nummer.c_str(), "oud", "Oudorp");
        MakeLog({row, Row("2024-03-02", "0309", "buur", "Elders")});
        if (c.inBook) {
            AddEntries({{c.nummer, "Buur", "Gouda"}});
        }
        Fixture(c.nummer + "\t" + c.mode + "\t" + kFoundLine + "\n0309\tfound\t" + kFoundLine +
                "\n");
        monitor::instellingen.zoektijd = c.mode.rfind("late", 0) == 0 ? "1" : "5";
        if (c.mode.empty()) {
            fs::remove(fgFolder + "foongrep");
        }
        TfTelefoonLog& w = Open();
        const std::size_t boxesBefore = dialogs.shown().size();
        if (c.inBook) {
            xbase::TTable& t2 = core->t2();
            t2.First();
            t2.Edit();
            t2.FieldByName("VOORNAAM").SetAsString("Piet");
            t2.FieldByName("STRAAT").SetAsString("Laan 2");
            t2.Post();
            if (c.bookFiltered) {
                t2.SetFilter("NAAM = 'Iemand anders' ");
                t2.SetFiltered(true);
            }
        }
        GoTo(c.nummer);
        w.Foongrep().GeselecteerdeRegel().trigger();
        if (c.ran) {
            EXPECT_FALSE(w.Foongrep().Alles().isEnabled());
        }
        ASSERT_TRUE(WaitForLookups());
        EXPECT_TRUE(w.Foongrep().Alles().isEnabled());
        EXPECT_EQ(Lbfa(), c.lbfa);
        EXPECT_EQ(Stored(c.nummer, fields), c.stored);
        EXPECT_EQ(Stored("0309", {"NAAM"}), std::vector<std::string>{"buur"});
        EXPECT_EQ(t1().State(), db::dsBrowse) << "the answer is posted";
        EXPECT_EQ(RunNumbers(),
                  c.ran ? std::vector<std::string>{c.nummer} : std::vector<std::string>{});
        const std::vector<std::string> texts = Texts();
        EXPECT_EQ(
            std::vector<std::string>(texts.begin() + static_cast<long>(boxesBefore), texts.end()),
            c.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.box});
    }
}

TEST_F(LogCommandsTest, LookupOnAnEmptyLogAddsNoRecord) {
    MakeLog({});
    TfTelefoonLog& w = Open();
    w.Foongrep().GeselecteerdeRegel().trigger();
    w.Foongrep().Alles().trigger();
    ASSERT_TRUE(WaitForLookups());
    EXPECT_TRUE(t1().IsEmpty());
    EXPECT_TRUE(RunNumbers().empty());
    window.reset();
    EXPECT_EQ(RecordsInFile(library->Api(), folder + "belverinlog.DBF"), 0);
}

TEST_F(LogCommandsTest, ACallLoggedDuringTheWaitKeepsTheAnswerInTheStartedRow) {
    MakeLog({Row("2024-03-01", "0201", "oud", "Oudorp")});
    Fixture("0201\tlate:700\t" + kFoundLine + "\n");
    TfTelefoonLog& w = Open();
    GoTo("0201");
    w.Foongrep().GeselecteerdeRegel().trigger();
    // The monitor appends a call meanwhile, which moves the table to the new row.
    t1().Append();
    t1().FieldByName("NUMMER").SetAsString("0777");
    t1().FieldByName("NAAM").SetAsString("nieuw");
    t1().Post();
    w.Core().a1().Commit();
    ASSERT_TRUE(WaitForLookups());
    EXPECT_EQ(Stored("0201", {"NAAM", "ZOEKSTATUS"}),
              (std::vector<std::string>{"Jansen", "Gevonden in de KPN-cdfoongids."}));
    EXPECT_EQ(Stored("0777", {"NAAM", "ZOEKSTATUS"}), (std::vector<std::string>{"nieuw", ""}));
    window.reset();
    EXPECT_EQ(FieldInFile(library->Api(), folder + "belverinlog.DBF", "NAAM"),
              (std::vector<std::string>{"Jansen", "nieuw"}));
}

TEST_F(LogCommandsTest, BatchesLookUpTheirRowsInDateOrder) {
    // Dates out of record order, so that the "Datum" sort shows.
    MakeLog({Row("2024-03-05", "0205", "e", ""), Row("2024-03-01", "0201", "a", ""),
             Row("2024-03-03", "0203", "", ""), Row("2024-03-02", "0202", "b", ""),
             Row("2024-03-04", "0204", "d", ""), Row("2024-03-06", "0206", "f", "")});
    std::string fixture;
    for (const char* n : {"0201", "0202", "0203", "0204", "0205", "0206"}) {
        fixture += std::string(n) + "\tfound\t" + kFoundLine + "\n";
    }
    Fixture(fixture);
    ini->WriteInteger("telefoonlog", "sorterenop", 3);
    TfTelefoonLog& w = Open();
    const auto statuses = std::vector<std::pair<std::string, std::string>>{
        {"0201", "Gevonden in de KPN-cdfoongids."},
        {"0202", "Fout: Foongrep aanroepen niet gelukt.(niet opgezoc"},
        {"0203", "Geen CD gevonden door Foongrep. (niet opgezocht)"},
        {"0204", "Niet opgezocht in de KPN-cdfoongids (automatisch z"},
        {"0205", "Gevonden in de Klapper"},
        {"0206", "Fout: Kan Foongrep niet controleren (niet opgezoch"}};
    for (const auto& [number, status] : statuses) {
        SetStatus(number, status);
    }

    w.Foongrep().NogNietGezochte().trigger();
    EXPECT_TRUE(w.banuleerzoeken->isVisibleTo(&w));
    EXPECT_FALSE(w.BitBtn1->isVisibleTo(&w));
    ASSERT_TRUE(WaitForLookups());
    EXPECT_EQ(RunNumbers(), (std::vector<std::string>{"0202", "0203", "0204", "0206"}));
    EXPECT_EQ(Lbfa(), "Nog niet opgezochte zoeken afgesloten");
    EXPECT_FALSE(w.banuleerzoeken->isVisibleTo(&w));
    EXPECT_TRUE(w.BitBtn1->isVisibleTo(&w));
    EXPECT_TRUE(w.msorteren[0]->isChecked());
    EXPECT_EQ(monitor::instellingen.logsortering, 0);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"0201", "0202", "0203", "0204", "0205", "0206"}));
    EXPECT_EQ(Field("NUMMER"), "0206");

    // The first batch named 0203; without a name again it is skipped.
    GoTo("0203");
    t1().Edit();
    t1().FieldByName("NAAM").SetAsString("");
    t1().Post();
    fs::remove(folder + "runs");
    w.Foongrep().Alles().trigger();
    ASSERT_TRUE(WaitForLookups());
    EXPECT_EQ(RunNumbers(), (std::vector<std::string>{"0201", "0202", "0204", "0205", "0206"}))
        << "the row without a name is skipped";
    EXPECT_EQ(Lbfa(), "Alles zoeken afgesloten");

    // Cancelled while the second row is looked up: "Alles" stands on the row after it,
    // "Nog niet gezochte" on it.
    struct Cancel {
        std::function<void()> start;
        std::string text;
        std::string cursor;
    };
    const Cancel cancels[] = {
        {[&] { w.Foongrep().Alles().trigger(); }, "Alles zoeken afgebroken", "0203"},
        {[&] { w.Foongrep().NogNietGezochte().trigger(); }, "Nog niet opgezochte zoeken afgebroken",
         "0202"},
    };
    for (const Cancel& c : cancels) {
        SCOPED_TRACE(c.text);
        for (const char* n : {"0201", "0202"}) {
            SetStatus(n, "Zoektijd verstreken (niet opgezocht)");
        }
        fs::remove(folder + "runs");
        Fixture("0201\tfound\t" + kFoundLine + "\n0202\tlate:600\t" + kFoundLine + "\n");
        c.start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return RunNumbers().size() == 2; }, 10000));
        w.banuleerzoeken->click();
        ASSERT_TRUE(WaitForLookups());
        EXPECT_EQ(Lbfa(), c.text);
        EXPECT_EQ(RunNumbers(), (std::vector<std::string>{"0201", "0202"}));
        EXPECT_EQ(Field("NUMMER"), c.cursor);
    }
}

TEST_F(LogCommandsTest, TheEditFormStoresOnCloseAndTheMemoViewerFollows) {
    MakeLog({Row("2024-03-01", "0201", "Jansen", "Utrecht"),
             Row("2024-03-02", "0202", "Bakker", "Gouda")});
    TfTelefoonLog& w = Open();
    Tfmemolog memo;
    memo.SetDataSource(&w.DataSource1());
    w.SetMemo(&memo);
    w.mnMemozichtbaar1->trigger();
    EXPECT_TRUE(memo.isVisible());
    GoTo("0202");
    EXPECT_EQ(memo.DBText1->text().toStdString(), "Bakker");
    memo.BitBtn1->click();
    EXPECT_FALSE(memo.isVisible());

    w.g1DblClick();
    Tflogedit* edit = w.EditForm();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->windowTitle().toStdString(), "Invoerscherm Log");
    w.g1DblClick();
    EXPECT_EQ(w.EditForm(), edit) << "one at a time";
    ui::TDBEdit* naam = edit->edits[4];
    EXPECT_EQ(naam->DataField(), "NAAM");
    EXPECT_EQ(naam->text().toStdString(), "Bakker");
    naam->setFocus();
    QTest::keyClick(naam, Qt::Key_End);
    QTest::keyClick(naam, Qt::Key_Backspace);
    QTest::keyClick(naam, Qt::Key_Backspace);
    QTest::keyClicks(naam, "ers");
    edit->BitBtn1->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w.EditForm(), nullptr);
    EXPECT_EQ(FieldInFile(library->Api(), folder + "belverinlog.DBF", "NAAM"),
              (std::vector<std::string>{"Jansen", "Bakkers"}));
}

// The memo viewer and the edit form refuse a text the call log cannot hold, naming the
// character, and keep it until the user changes it; ë and € are stored as typed.
TEST_F(LogCommandsTest, TextsTheLogCannotHoldStayInItsFormsUntilChanged) {
    MakeLog({Row("2024-03-01", "0201", "Jansen", "Utrecht")});
    TfTelefoonLog& w = Open();
    const std::string lach = "\xF0\x9F\x98\x80";
    const auto message = [&](const char* field) {
        return std::string("Dit teken kan niet worden opgeslagen in ") + field + ": " + lach +
               " (U+1F600). Pas de tekst aan.";
    };

    Tfmemolog memo;
    memo.SetDataSource(&w.DataSource1());
    memo.show();
    CommitText(memo.DBMemo1, "Belt " + lach);
    memo.DBNavigator1->Button(ui::nbPost)->click();
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_EQ(dialogs.shown().back().text, message("MEMO"));
    EXPECT_EQ(t1().State(), db::dsEdit);
    EXPECT_EQ(memo.DBMemo1->Text(), "Belt " + lach);
    QTest::keyClick(memo.DBMemo1, Qt::Key_Backspace);
    CommitText(memo.DBMemo1, "\xC3\xAB \xE2\x82\xAC", false);
    memo.DBNavigator1->Button(ui::nbPost)->click();
    EXPECT_EQ(t1().State(), db::dsBrowse);
    EXPECT_EQ(Field("MEMO"), "Belt \xC3\xAB \xE2\x82\xAC");

    w.g1DblClick();
    Tflogedit* edit = w.EditForm();
    ASSERT_NE(edit, nullptr);
    ui::TDBEdit* naam = edit->edits[4];
    ASSERT_EQ(naam->DataField(), "NAAM");
    t1().Edit();  // as the first key would
    CommitText(naam, "Jans" + lach + "n");
    const std::size_t boxes = dialogs.shown().size();
    edit->BitBtn1->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(w.EditForm(), edit) << "the form stays open";
    ASSERT_GT(dialogs.shown().size(), boxes);
    EXPECT_EQ(dialogs.shown().back().text, message("NAAM"));
    EXPECT_EQ(naam->text().toStdString(), "Jans" + lach + "n");
    EXPECT_EQ(FieldInFile(library->Api(), folder + "belverinlog.DBF", "NAAM"),
              std::vector<std::string>{"Jansen"});

    naam->setFocus();
    QTest::keyClick(naam, Qt::Key_End);
    QTest::keyClick(naam, Qt::Key_Left);
    QTest::keyClick(naam, Qt::Key_Backspace);
    CommitText(naam, "\xC3\xAB", false);
    edit->BitBtn1->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w.EditForm(), nullptr);
    EXPECT_EQ(FieldInFile(library->Api(), folder + "belverinlog.DBF", "NAAM"),
              std::vector<std::string>{"Jans\xEBn"});  // as the table holds it
}

TEST_F(LogCommandsTest, ClosingTheEditFormOnAnEmptyLogAddsNoRecord) {
    MakeLog({});
    TfTelefoonLog& w = Open();
    w.g1DblClick();
    ASSERT_NE(w.EditForm(), nullptr);
    w.EditForm()->BitBtn1->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w.EditForm(), nullptr);
    window.reset();
    EXPECT_EQ(RecordsInFile(library->Api(), folder + "belverinlog.DBF"), 0);
}

TEST_F(LogCommandsTest, CopyDialExportAndDelete) {
    MakeLog({Row("2024-03-01", "0201", "Jansen", "Utrecht"), Row("2024-03-02", "--", "x", ""),
             Row("2024-03-03", "", "Leeg", ""), Row("2024-03-04", "0204", "d", ""),
             Row("2024-03-05", "0205", "e", "")});
    monitor::instellingen.voorvoegsel = "0,";
    TfTelefoonLog& w = Open();
    int shownKlapper = 0;
    w.OnShowKlapper = [&] { ++shownKlapper; };
    w.Core().a1().SetOrder(w.Core().Order(0));

    // Copy: seven fields and the status; a second copy asks before it overwrites.
    GoTo("0201");
    t1().Edit();
    t1().FieldByName("VOORNAAM").SetAsString("Jan");
    t1().FieldByName("AANHANGSEL").SetAsString("jr");
    t1().Post();
    w.bNaartelefoonklapper->click();
    EXPECT_EQ(shownKlapper, 1);
    ASSERT_TRUE(core->FindNumber("0201", kCurrentOrder));
    xbase::TTable& t2 = core->t2();
    std::vector<std::string> copied;
    for (const char* f : {"NUMMER", "VOORNAAM", "NAAM", "AANHANGSEL", "STRAAT", "POSTCODE",
                          "PLAATS", "ZOEKSTATUS"}) {
        copied.push_back(t2.FieldByName(f).AsString());
    }
    EXPECT_EQ(copied, (std::vector<std::string>{"0201", "Jan", "Jansen", "jr", "Straat 1", "1234AB",
                                                "Utrecht", "Gekopieerd vanuit het Log-bestand"}));
    w.bNaartelefoonklapper->click();
    EXPECT_EQ(port.Boxes().back(), "hide klapper");
    EXPECT_EQ(RecordsOnDisk(), 1);

    // Dial: prefix and number, "--" as it stands, an empty number not at all.
    for (const char* n : {"0201", "--", ""}) {
        GoTo(n);
        w.bbel->click();
    }
    const std::vector<os::RecordingDialer::Call> calls = {{"0,0201", "", "Jansen", ""},
                                                          {"0,--", "", "x", ""}};
    EXPECT_EQ(dialer.calls, calls);
    dialer.answer = 1;
    GoTo("0201");
    w.bbel->click();
    EXPECT_EQ(Texts().back(), "Fout bij aanroepen: tapi32.dll");

    // Both exports propose "export 1.txt"; a name without extension gets ".txt".
    const std::size_t before = dialogs.shown().size();
    dialogs.AnswerFile(folder + "lijst");
    w.Gescheidendoorkommas1->trigger();
    dialogs.AnswerFile(folder + "spaties.txt");
    w.Gescheidendoorspaties1->trigger();
    ASSERT_EQ(dialogs.shown().size(), before + 2);
    for (std::size_t i = before; i < before + 2; ++i) {
        EXPECT_EQ(dialogs.shown()[i].file.fileName, "export 1.txt");
        EXPECT_EQ(dialogs.shown()[i].file.defaultExt, "txt");
        EXPECT_TRUE(dialogs.shown()[i].file.overwritePrompt);
    }
    std::ifstream csv(folder + "lijst.txt");
    std::string first;
    std::getline(csv, first);
    EXPECT_EQ(first.rfind("\"2024-03-01\",\"10:00:00\",\"0201\"", 0), 0u) << first;
    EXPECT_TRUE(fs::exists(folder + "spaties.txt"));

    // Delete marked rows: Cancel keeps them, Yes deletes three of five.
    ui::TDBGrid& g = *w.g1;
    g.SelectedRows().Clear();
    for (const char* n : {"--", "0204", "0205"}) {
        GoTo(n);
        g.SelectedRows().SetCurrentRowSelected(true);
    }
    dialogs.AnswerMessage(ui::mrCancel);
    w.Geselecteerderegels1->trigger();
    EXPECT_EQ(Shown().size(), 5u);
    dialogs.AnswerMessage(ui::mrYes);
    w.Geselecteerderegels1->trigger();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"0201", ""}));
    EXPECT_EQ(w.lteller->text().toStdString(), "Aantal records: 2");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace book::testing
