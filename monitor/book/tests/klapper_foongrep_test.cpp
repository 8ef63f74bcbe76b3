// The phone-book window's "Foongrep" menu offscreen over the engine library, the program's
// directory runner and the fake directory program: what a lookup does to an entry, a call
// handled during the wait, and "Alles opfrissen" under a filter with cancel and "Alles wissen".

#include <gtest/gtest.h>
#include <unistd.h>
#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "monitor/book/ftelefoonklapper.h"
#include "monitor/book/tests/klapper_fixture.h"
#include "monitor/settings.h"
#include "monitor/tests/fake_foongrep_files.h"
#include "platform/db/field.h"
#include "platform/os/process_start.h"
#include "platform/rtl/program_folder.h"
#include "platform/ui/beep.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/scripted_dialogs.h"
#include "xbase/table.h"

namespace book::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kAddressFields[] = {"VOORNAAM", "NAAM",     "AANHANGSEL",
                                          "STRAAT",   "POSTCODE", "PLAATS"};
const std::vector<std::string> kOld = {"oud", "Oud", "oud", "oude straat", "0000 XX", "Oudorp"};
const std::string kFoundLine =
    "\"1\",\"2\",\"3\",\"Jan\",\"Jansen\",\"jr\",\"Dorpsstraat\",\"12\",\"1234 AB\",\"Zo\xEB\"";
const std::vector<std::string> kFound = {"Jan",     "Jansen",    "jr", "Dorpsstraat 12",
                                         "1234 AB", "Zo\xC3\xAB"};

class KlapperFoongrepTest : public KlapperTest {
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
    }
    void TearDown() override {
        window.reset();
        ui::SetBeeper(nullptr);
        if (!IsSkipped()) {
            EXPECT_TRUE(QTest::qWaitFor([] { return os::UncollectedChildren() == 0; }, 10000));
            rtl::SetProgramDir("");
        }
        KlapperTest::TearDown();
    }

    TFTelefoonklapper& Open() {
        window = std::make_unique<TFTelefoonklapper>(*ini, *gridIni, folder);
        window->FormCreate();
        return *window;
    }
    void Fixture(const std::string& rows) { fakefoongrep::WriteAnswers(folder + "fixture", rows); }
    // The arguments of each run of the fake, in order ("-t" and the number as one argument).
    std::vector<std::vector<std::string>> Runs() {
        std::vector<std::vector<std::string>> runs;
        for (const fakefoongrep::Run& run : fakefoongrep::ReadRuns(folder + "runs")) {
            runs.push_back(run.argv);
        }
        return runs;
    }
    std::vector<std::string> RunNumbers() {
        std::vector<std::string> numbers;
        for (const auto& argv : Runs()) {
            numbers.push_back(argv.size() > 8 ? argv[8].substr(2) : "?");
        }
        return numbers;
    }
    // Goes to the entry with the number, in the table's order.
    void GoTo(const std::string& number) {
        xbase::TTable& t = window->Core().t2();
        for (t.First(); !t.Eof(); t.Next()) {
            if (t.FieldByName("NUMMER").AsString() == number) {
                return;
            }
        }
        FAIL() << number << " not shown";
    }
    void SetFields(const std::string& number, const std::vector<std::string>& values,
                   const std::string& status) {
        GoTo(number);
        xbase::TTable& t = window->Core().t2();
        t.Edit();
        for (std::size_t i = 0; i < values.size(); ++i) {
            t.FieldByName(kAddressFields[i]).SetAsString(values[i]);
        }
        t.FieldByName("ZOEKSTATUS").SetAsString(status);
        t.Post();
    }
    // The six address fields and the status of the entry, read without moving the table.
    std::vector<std::string> Stored(const std::string& number) {
        std::vector<std::string> values;
        xbase::TTable& t = window->Core().t2();
        t.ScanRecords([&] {
            if (t.FieldByName("NUMMER").AsString() != number) {
                return true;
            }
            for (const char* field : kAddressFields) {
                values.push_back(t.FieldByName(field).AsString());
            }
            values.push_back(t.FieldByName("ZOEKSTATUS").AsString());
            return false;
        });
        return values;
    }
    bool WaitForLookups() {
        return QTest::qWaitFor([this] { return !window->Foongrep().Running(); }, 20000);
    }
    std::string Lbfa() { return window->lbfa().text().toStdString(); }

    ui::ScriptedDialogs dialogs;
    ui::RecordingBeep beep;
    std::unique_ptr<rtl::TIniFile> gridIni;
    std::unique_ptr<TFTelefoonklapper> window;
    std::string fgFolder;
};

std::vector<std::string> With(std::vector<std::string> values, const std::string& status) {
    values.push_back(status);
    return values;
}

TEST_F(KlapperFoongrepTest, TheMenuIsMadeUpAsTheUserKnowsIt) {
    TFTelefoonklapper& w = Open();
    QMenu* menu = w.findChild<QMenuBar*>()->actions()[1]->menu();
    ASSERT_NE(menu, nullptr);
    std::vector<std::string> items;
    for (QAction* a : menu->actions()) {
        items.push_back(a->isSeparator()
                            ? "-"
                            : a->text().toStdString() +
                                  (a->isCheckable() ? (a->isChecked() ? " [x]" : " [ ]") : "") +
                                  (a->isEnabled() ? "" : " (uit)"));
    }
    EXPECT_EQ(items, (std::vector<std::string>{"Alles opfrissen", "Geselecteerde regel", "-",
                                               "--- Evt. aan te passen velden --- (uit)",
                                               "Aanhangsel [x]", "Naam [x]", "Voornaam [x]",
                                               "Straat [x]", "Postcode [x]", "Plaats [x]", "-",
                                               "Veld wissen indien niet gevonden. [ ]"}));
    EXPECT_TRUE(w.AnnuleerZoeken().isHidden());
    w.Foongrep().CheckItem(3).trigger();
    EXPECT_FALSE(w.Foongrep().Checks().straat);
    EXPECT_TRUE(w.Foongrep().Checks().plaats);
}

TEST_F(KlapperFoongrepTest, LookupCases) {
    const std::string number = "0201234567";
    const std::string bezig = " Bezig met zoeken naar telefoonnummer: 0201234567";
    struct Case {
        const char* name;
        std::string nummer;        // of the entry; none: an empty phone book
        std::string fixture;       // mode TAB belvo.log line
        std::vector<int> uncheck;  // check items to toggle (6: "Veld wissen")
        std::function<void(const std::string& fg)> arrange;
        std::string lbfa;
        std::vector<std::string> stored;  // address fields and ZOEKSTATUS
        int beeps;
        bool ran;
        std::string notice;
    };
    const auto nothing = [](const std::string&) {};
    const std::string start = "Dubbelklik of Enter om een veld te wijzigen.";
    const Case cases[] = {
        {"found",
         number,
         "found\t" + kFoundLine,
         {},
         nothing,
         "Gevonden in de KPN-cdfoongids.",
         With(kFound, "Gevonden in de KPN-cdfoongids."),
         1,
         true,
         ""},
        {"found, Straat unchecked",
         number,
         "found\t" + kFoundLine,
         {3},
         nothing,
         "Gevonden in de KPN-cdfoongids.",
         With({"Jan", "Jansen", "jr", "oude straat", "1234 AB", "Zo\xC3\xAB"},
              "Gevonden in de KPN-cdfoongids."),
         1,
         true,
         ""},
        {"found, nothing checked",
         number,
         "found\t" + kFoundLine,
         {0, 1, 2, 3, 4, 5},
         nothing,
         "Gevonden in de KPN-cdfoongids.",
         With(kOld, "Gevonden in de KPN-cdfoongids."),
         1,
         true,
         ""},
        {"not found",
         number,
         "notfound\t",
         {},
         nothing,
         "Niet gevonden in de KPN-cdfoongids.",
         With(kOld, "Niet gevonden in de KPN-cdfoongids."),
         1,
         true,
         ""},
        {"not found, clearing only Naam",
         number,
         "notfound\t",
         {0, 2, 3, 4, 5, 6},
         nothing,
         "Niet gevonden in de KPN-cdfoongids.",
         With({"oud", "Niet gevonden", "oud", "oude straat", "0000 XX", "Oudorp"},
              "Niet gevonden in de KPN-cdfoongids."),
         1,
         true,
         ""},
        {"not found, clearing all",
         number,
         "notfound\t",
         {6},
         nothing,
         "Niet gevonden in de KPN-cdfoongids.",
         With({"", "Niet gevonden", "", "", "", ""}, "Niet gevonden in de KPN-cdfoongids."),
         1,
         true,
         ""},
        {"no CD over a found line",
         number,
         "nocd\t" + kFoundLine,
         {},
         nothing,
         "Geen CD gevonden. (niet opgezocht)",
         With(kFound, "Geen CD gevonden. (niet opgezocht)"),
         1,
         true,
         ""},
        {"search time passes",
         number,
         "late:4000\t" + kFoundLine,
         {},
         nothing,
         "Zoektijd verstreken (niet opgezocht)",
         With(kOld, "Zoektijd verstreken (niet opgezocht)"),
         1,
         true,
         ""},
        {"no belvo.log",
         number,
         "nothing\t",
         {},
         nothing,
         "Fout: Foongrep maakt 'belvo.log' niet (niet opgezocht)",
         With(kOld, "Fout: Foongrep maakt 'belvo.log' niet (niet opgezo"),
         1,
         true,
         ""},
        {"belvo.log a folder",
         number,
         "folder\t",
         {},
         nothing,
         bezig,
         With(kOld, "oude status"),
         1,
         true,
         "Kan \"belvo.log\" niet openen.(niet opgezocht)"},
        {"missing program",
         number,
         "found\t" + kFoundLine,
         {},
         [](const std::string& fg) { fs::remove(fg + "foongrep"); },
         "Fout bij aanroepen Foongrep (niet opgezocht) ",
         With(kOld, "Fout bij aanroepen Foongrep (niet opgezocht)"),
         0,
         false,
         ""},
        {"empty number",
         "",
         "found\t" + kFoundLine,
         {},
         nothing,
         "Ongeldig nummer voor Foongrep (niet opgezocht)",
         With(kOld, "Ongeldig nummer voor Foongrep (niet opgezocht)"),
         0,
         false,
         ""},
        {"no number",
         "--",
         "found\t" + kFoundLine,
         {},
         nothing,
         start,
         With(kOld, "oude status"),
         0,
         false,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        AddEntries({{c.nummer, "x"}, {"0309999999", "buur"}});
        Fixture(c.nummer + "\t" + c.fixture + "\n0309999999\tfound\t" + kFoundLine + "\n");
        monitor::instellingen.zoektijd = c.lbfa.rfind("Zoektijd", 0) == 0 ? "1" : "5";
        c.arrange(fgFolder);
        TFTelefoonklapper& w = Open();
        const std::size_t boxesBefore = dialogs.shown().size();
        SetFields(c.nummer, kOld, "oude status");
        SetFields("0309999999", kOld, "oude status");
        for (int n : c.uncheck) {
            w.Foongrep().CheckItem(n).trigger();
        }
        GoTo(c.nummer);
        w.Foongrep().GeselecteerdeRegel().trigger();
        if (c.ran) {
            EXPECT_FALSE(w.Foongrep().GeselecteerdeRegel().isEnabled());
            EXPECT_FALSE(w.Foongrep().AllesOpfrissen().isEnabled());
        }
        ASSERT_TRUE(WaitForLookups());
        EXPECT_TRUE(w.Foongrep().GeselecteerdeRegel().isEnabled());
        EXPECT_EQ(Lbfa(), c.lbfa);
        EXPECT_EQ(Stored(c.nummer), c.stored);
        EXPECT_EQ(Stored("0309999999"), With(kOld, "oude status"));
        EXPECT_EQ(beep.beeps, c.beeps);
        EXPECT_EQ(w.Core().t2().FieldByName("NUMMER").AsString(), c.nummer);
        EXPECT_EQ(w.Core().t2().State(), db::dsBrowse) << "the answer is posted";
        const auto runs = Runs();
        ASSERT_EQ(runs.size(), c.ran ? 1u : 0u);
        if (c.ran) {
            const std::string e = monitor::instellingen.zoektijd == "1" ? "-e1" : "-e5";
            EXPECT_EQ(runs[0], (std::vector<std::string>{
                                   fgFolder + "foongrep.exe", "-1", "-,,", "-q", "-a", "iso", e,
                                   "-rsfpmgt", "-t" + c.nummer, "-o", fgFolder + "belvo.log", "-O",
                                   fgFolder + "belvo2.log"}));
        }
        std::vector<std::string> notices;
        for (std::size_t i = boxesBefore; i < dialogs.shown().size(); ++i) {
            notices.push_back(dialogs.shown()[i].text);
        }
        EXPECT_EQ(notices, c.notice.empty() ? std::vector<std::string>{}
                                            : std::vector<std::string>{c.notice});
    }
}

TEST_F(KlapperFoongrepTest, AnEmptyPhoneBookGetsNoRecord) {
    Fixture("");
    TFTelefoonklapper& w = Open();
    w.Foongrep().GeselecteerdeRegel().trigger();
    w.Foongrep().AllesOpfrissen().trigger();
    ASSERT_TRUE(WaitForLookups());
    EXPECT_EQ(Lbfa(), "Dubbelklik of Enter om een veld te wijzigen.");
    EXPECT_TRUE(Runs().empty());
    EXPECT_EQ(w.Core().t2().State(), db::dsBrowse);
    window.reset();
    EXPECT_EQ(RecordsOnDisk(), 0);
}

TEST_F(KlapperFoongrepTest, ACallDuringTheWaitLeavesTheAnswerInTheStartedEntry) {
    AddEntries({{"0201234567", "x", "Utrecht"},
                {"0301111111", "y", "Utrecht"},
                {"0401111111", "z", "Gouda"}});
    Fixture("0201234567\tlate:700\t" + kFoundLine + "\n");
    TFTelefoonklapper& w = Open();
    KlapperCore& core = w.Core();
    GoTo("0201234567");
    core.FilterOp(4);  // Utrecht
    int ticks = 0;
    qint64 longestGap = 0;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
        ++ticks;
    });
    GoTo("0201234567");
    w.Foongrep().GeselecteerdeRegel().trigger();
    sinceTick.start();
    ticker.start();
    ASSERT_TRUE(w.Foongrep().Running());

    // The monitor's call: the filter goes, the table moves, the caller is appended.
    QTest::qWait(100);
    core.Geenfilter1Click();
    GoTo("0401111111");
    KlapperBeller beller;
    beller.nummer = "0612345678";
    beller.naam = "Beller";
    ASSERT_TRUE(core.nieuwautosave(beller));
    EXPECT_TRUE(w.Foongrep().Running());
    ASSERT_TRUE(WaitForLookups());
    ticker.stop();

    EXPECT_GT(ticks, 30) << "the event loop kept turning during the wait";
    EXPECT_LT(longestGap, 500);
    EXPECT_EQ(Stored("0201234567"), With(kFound, "Gevonden in de KPN-cdfoongids."));
    EXPECT_EQ(Stored("0301111111"), (std::vector<std::string>{"", "y", "", "", "", "Utrecht", ""}));
    EXPECT_EQ(Stored("0401111111"), (std::vector<std::string>{"", "z", "", "", "", "Gouda", ""}));
    EXPECT_EQ(Stored("0612345678"), (std::vector<std::string>{"", "Beller", "", "", "", "", ""}));
    EXPECT_EQ(core.t2().FieldByName("NUMMER").AsString(), "0612345678")
        << "the table stays where the call left it";

    // On disk, as the next start reads it.
    window->close();
    window.reset();
    Start();
    EXPECT_EQ(Column("NAAM"), (std::vector<std::string>{"Jansen", "y", "z", "Beller"}));
    EXPECT_EQ(Column("ZOEKSTATUS")[0], "Gevonden in de KPN-cdfoongids.");
}

// Six entries, four in Utrecht; AFWIJZEN orders them apart from their numbers.
class KlapperBatchTest : public KlapperFoongrepTest {
  protected:
    TFTelefoonklapper& OpenFiltered() {
        AddEntries({{"0105", "a", "Utrecht"},
                    {"0103", "b", "Utrecht"},
                    {"0106", "c", "Gouda"},
                    {"0101", "d", "Utrecht"},
                    {"0104", "e", "Utrecht"},
                    {"0102", "f", "Delft"}});
        std::string fixture;
        for (const char* n : {"0101", "0102", "0103", "0104", "0105", "0106"}) {
            // The town stays Utrecht, so the entries stay under the filter.
            fixture += std::string(n) + "\tlate:150\t\"1\",\"2\",\"3\",\"V\",\"N" + n +
                       "\",\"\",\"\",\"\",\"\",\"Utrecht\"\n";
        }
        Fixture(fixture);
        TFTelefoonklapper& w = Open();
        xbase::TTable& t = w.Core().t2();
        const std::vector<std::pair<std::string, std::string>> afwijzen = {
            {"0105", "1"}, {"0103", "4"}, {"0106", "2"},
            {"0101", "3"}, {"0104", "0"}, {"0102", "5"}};
        for (const auto& [n, a] : afwijzen) {
            GoTo(n);
            t.Edit();
            t.FieldByName("AFWIJZEN").SetAsString(a + "000000000");
            t.Post();
        }
        w.Core().Sorteren(12);
        GoTo("0101");
        w.Core().FilterOp(4);
        return w;
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        xbase::TTable& t = window->Core().t2();
        t.ScanRecords([&] {
            names.push_back(t.FieldByName("NUMMER").AsString() + "=" +
                            t.FieldByName("NAAM").AsString());
            return true;
        });
        return names;
    }
};

TEST_F(KlapperBatchTest, AllesOpfrissenWalksTheFilterInNumberOrderAndSortsBack) {
    TFTelefoonklapper& w = OpenFiltered();
    w.Foongrep().AllesOpfrissen().trigger();
    EXPECT_FALSE(w.AnnuleerZoeken().isHidden());
    EXPECT_FALSE(w.Foongrep().GeselecteerdeRegel().isEnabled());
    ASSERT_TRUE(WaitForLookups());
    EXPECT_EQ(RunNumbers(), (std::vector<std::string>{"0101", "0103", "0104", "0105"}));
    EXPECT_EQ(Lbfa(), "Alles zoeken afgesloten");
    EXPECT_TRUE(w.AnnuleerZoeken().isHidden());
    EXPECT_EQ(beep.beeps, 4);
    // Back in AFWIJZEN order, still filtered.
    EXPECT_EQ(Names(),
              (std::vector<std::string>{"0104=N0104", "0105=N0105", "0101=N0101", "0103=N0103"}));
    w.Core().Geenfilter1Click();
    EXPECT_EQ(Stored("0106")[1], "c");
    EXPECT_EQ(Stored("0102")[1], "f");
}

TEST_F(KlapperBatchTest, CancelOrAllesWissenEndsTheBatch) {
    struct Case {
        const char* name;
        std::function<void(TFTelefoonklapper&)> act;  // while the second row waits
        std::vector<std::string> names;               // afterwards, in AFWIJZEN order
    };
    const Case cases[] = {
        {"annuleer zoeken",
         [](TFTelefoonklapper& w) { w.AnnuleerZoeken().click(); },
         {"0104=e", "0105=a", "0101=N0101", "0103=N0103"}},
        {"alles wissen",
         [this](TFTelefoonklapper& w) {
             dialogs.AnswerMessage(ui::mrYes);
             w.AllesWissen().trigger();
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        TFTelefoonklapper& w = OpenFiltered();
        w.Foongrep().AllesOpfrissen().trigger();
        ASSERT_TRUE(QTest::qWaitFor([this] { return Runs().size() == 2; }, 10000));
        c.act(w);
        ASSERT_TRUE(WaitForLookups());
        EXPECT_EQ(RunNumbers(), (std::vector<std::string>{"0101", "0103"}));
        EXPECT_EQ(Lbfa(), "Alles zoeken afgebroken");
        EXPECT_TRUE(w.AnnuleerZoeken().isHidden());
        EXPECT_EQ(Names(), c.names);
        if (c.names.empty()) {
            window.reset();
            EXPECT_EQ(RecordsOnDisk(), 0) << "nothing was written into the emptied table";
        }
    }
}

}  // namespace
}  // namespace book::testing
