// The monitor's lookup and the status test through the program's runner and the fake
// directory program.
#include "monitor/directory_lookup.h"

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "monitor/caller_record.h"
#include "monitor/directory_command.h"
#include "monitor/directory_runner_qt.h"
#include "monitor/settings.h"
#include "monitor/tests/fake_foongrep_files.h"
#include "platform/os/process_start.h"
#include "platform/rtl/program_folder.h"

namespace monitor {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "monitor_lookup_qt_tests";
    static char* argv[] = {name, nullptr};
    static auto* app = new QCoreApplication(argc, argv);
    return *app;
}

class RecordingView : public LookupView {
  public:
    void ShowImage(LookupImage image) override { images.push_back(image); }
    void SetStatusMemo(const std::vector<std::string>& lines) override { memo = lines; }
    void Waarschuwing(const std::string& text) override { warnings.push_back(text); }
    std::vector<LookupImage> images;
    std::optional<std::vector<std::string>> memo;
    std::vector<std::string> warnings;
};

// One pid and argument vector per run of the fake.
using FakeRun = fakefoongrep::Run;

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

const std::string kFoundLine =
    "\"1\",\"2\",\"3\",\"Jan\",\"Jansen\",\"\",\"Dorpsstraat\",\"12\",\"1234 AB\",\"Zo\xEB\"";
const std::vector<std::string> kStatusLines = {"Foongrep 2.1",
                                               "KPN-cdfoongids gevonden op /media/cdrom"};

// A program folder with the fake installed in a Foongrep folder with a blank in its name.
class FakeFoongrepTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        program_ = fs::temp_directory_path() /
                   ("belverin-lookup-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(program_);
        fs::create_directories(program_ / "Foon grep");
        rtl::SetProgramDir(program_.string());
        folder_ = (program_ / "Foon grep").string() + "/";
        fs::create_symlink(BELVERIN_FAKE_FOONGREP, folder_ + "foongrep");
        fakefoongrep::UseFiles(program_ / "fixture", program_ / "runs");
        instellingen = Instellingen{};
        instellingen.foongrepdir = "Foon grep";  // counts from the program folder
        huidigebeller = telefoonrecordtype{};
    }

    void TearDown() override {
        EXPECT_TRUE(WaitFor([] { return os::UncollectedChildren() == 0; }, 10s))
            << os::UncollectedChildren() << " programs not collected";
        rtl::SetProgramDir("");
        fs::remove_all(program_);
    }

    void Fixture(const std::string& rows) const {
        fakefoongrep::WriteAnswers(program_ / "fixture", rows);
    }

    std::vector<FakeRun> Runs() const { return fakefoongrep::ReadRuns(program_ / "runs"); }

    // Spins the event loop until `start` has called its completion.
    void RunUntilDone(const std::function<void(std::function<void()>)>& start) {
        bool done = false;
        QEventLoop loop;
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        start([&] {
            done = true;
            loop.quit();
        });
        if (!done) {
            loop.exec();
        }
        ASSERT_TRUE(done) << "the lookup never completed";
    }

    void Lookup(DirectoryLookup& lookup) {
        RunUntilDone([&](std::function<void()> done) { lookup.maakstartbat(std::move(done)); });
    }

    std::vector<std::string> StatusTest(DirectoryLookup& lookup) {
        std::vector<std::string> memo;
        RunUntilDone([&](std::function<void()> done) {
            lookup.Testfoongrepstatus([&memo, done](std::vector<std::string> lines) {
                memo = std::move(lines);
                done();
            });
        });
        return memo;
    }

    fs::path program_;
    std::string folder_;
    RecordingView view_;
};

TEST_F(FakeFoongrepTest, FixtureCases) {
    const telefoonrecordtype before = [] {
        telefoonrecordtype r;
        r.voornaam = "oud";
        r.naam = "Oud";
        r.aanhangsel = "oud";
        r.straat = "oud";
        r.postcode = "oud";
        r.plaats = "oud";
        return r;
    }();
    struct Case {
        const char* name;
        std::string nummer;
        std::string fixture;  // mode TAB belvo.log line
        std::function<void(const std::string& folder)> arrange;
        bool koppeling;
        std::vector<std::string> fields;  // voornaam naam aanhangsel straat postcode plaats
        std::string status;
        std::vector<LookupImage> images;
        std::optional<std::vector<std::string>> memo;
        bool ran;
    };
    const auto untouched = std::vector<std::string>{"oud", "Oud", "oud", "oud", "oud", "oud"};
    const auto nothing = [](const std::string&) {};
    const std::string notFound = "Niet gevonden";
    const Case cases[] = {
        {"found",
         "0201234567",
         "found\t" + kFoundLine,
         nothing,
         false,
         {"Jan", "Jansen", "", "Dorpsstraat 12", "1234 AB", "Zo\xC3\xAB"},
         "Gevonden in de KPN-cdfoongids",
         {LookupImage::Gevonden},
         kStatusLines,
         true},
        {"six fields",
         "0201",
         "found\t\"1\",\"2\",\"3\",\"Piet\",\"Smit\",\"sr\"",
         nothing,
         false,
         {"Piet", "Smit", "sr", "", "", ""},
         "Gevonden in de KPN-cdfoongids",
         {LookupImage::Gevonden},
         kStatusLines,
         true},
        {"not found",
         "0301",
         "notfound\t",
         nothing,
         false,
         {"", notFound, "", "", "", ""},
         "Niet gevonden in Klapper of KPN-cdfoongids",
         {LookupImage::NietGevonden},
         kStatusLines,
         true},
        {"not found, Outlook linked",
         "0301",
         "notfound\t",
         nothing,
         true,
         {"", notFound, "", "", "", ""},
         "Niet gevonden in Klapper, Outlook of KPN-cdfoongids",
         {LookupImage::NietGevonden},
         kStatusLines,
         true},
        {"no CD over a found line",
         "0401",
         "nocd\t" + kFoundLine,
         nothing,
         false,
         {"Jan", "", "", "Dorpsstraat 12", "1234 AB", "Zo\xC3\xAB"},
         "Geen CD gevonden door Foongrep (niet opgezocht)",
         {LookupImage::Gevonden},
         std::vector<std::string>{"KPN-cdfoongids niet gevonden"},
         true},
        {"empty belvo2.log",
         "0501",
         "emptystatus\t" + kFoundLine,
         nothing,
         false,
         {"Jan", "Jansen", "", "Dorpsstraat 12", "1234 AB", "Zo\xC3\xAB"},
         "Gevonden in de KPN-cdfoongids",
         {LookupImage::Gevonden},
         std::vector<std::string>{},
         true},
        {"death by a signal",
         "0601",
         "signal\t" + kFoundLine,
         nothing,
         false,
         {"Jan", "Jansen", "", "Dorpsstraat 12", "1234 AB", "Zo\xC3\xAB"},
         "Gevonden in de KPN-cdfoongids",
         {LookupImage::Gevonden},
         kStatusLines,
         true},
        {"no belvo.log",
         "0701",
         "nothing\t",
         nothing,
         false,
         untouched,
         "Fout: Foongrep maakt 'belvo.log' niet (niet opgezocht)",
         {LookupImage::Zoekfout},
         std::nullopt,
         true},
        {"stale belvo.log, nothing written",
         "0701",
         "nothing\t",
         [](const std::string& f) {
             std::ofstream(f + "belvo.log") << kFoundLine << "\r\n";
             std::ofstream(f + "belvo2.log") << "oud\r\n";
         },
         false,
         untouched,
         "Fout: Foongrep maakt 'belvo.log' niet (niet opgezocht)",
         {LookupImage::Zoekfout},
         std::nullopt,
         true},
        {"unreadable belvo.log",
         "0801",
         "folder\t",
         nothing,
         false,
         untouched,
         "Fout: \"belvo.log\" niet gevonden. (niet opgezocht)",
         {LookupImage::Zoekfout},
         std::nullopt,
         true},
        {"stale belvo.log that cannot go",
         "0201234567",
         "found\t" + kFoundLine,
         [](const std::string& f) { fs::create_directories(f + "belvo.log/x"); },
         false,
         untouched,
         "Fout bij aanroepen Foongrep (niet opgezocht) ",
         {LookupImage::Zoekfout},
         std::nullopt,
         false},
        {"no program",
         "0201234567",
         "found\t" + kFoundLine,
         [](const std::string& f) { fs::remove(f + "foongrep"); },
         false,
         untouched,
         "Fout bij aanroepen Foongrep (niet opgezocht) ",
         {LookupImage::Zoekfout},
         std::nullopt,
         false},
        {"number -S",
         "-S",
         "found\t" + kFoundLine,
         nothing,
         false,
         untouched,
         "Ongeldig nummer voor Foongrep (niet opgezocht)",
         {LookupImage::Zoekfout},
         std::nullopt,
         false},
    };
    DirectoryLookup lookup(SharedDirectoryRunner(), view_);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A clean folder per case, with the fake back in place.
        for (const auto& entry : fs::directory_iterator(folder_)) {
            fs::remove_all(entry.path());
        }
        fs::remove(program_ / "runs");
        fs::create_symlink(BELVERIN_FAKE_FOONGREP, folder_ + "foongrep");
        Fixture((c.nummer == "-S" ? "-S" : c.nummer) + "\t" + c.fixture + "\n");
        c.arrange(folder_);
        instellingen.koppeling = c.koppeling;
        huidigebeller = before;
        huidigebeller.nummer = c.nummer;
        view_ = RecordingView{};

        Lookup(lookup);

        const telefoonrecordtype& r = huidigebeller;
        EXPECT_EQ((std::vector<std::string>{r.voornaam, r.naam, r.aanhangsel, r.straat, r.postcode,
                                            r.plaats}),
                  c.fields);
        EXPECT_EQ(r.zoekstatus, c.status);
        EXPECT_EQ(view_.images, c.images);
        EXPECT_EQ(view_.memo, c.memo);
        const auto runs = Runs();
        if (c.ran) {
            ASSERT_EQ(runs.size(), 1u);
            EXPECT_EQ(runs[0].argv, *MonitorLookupArguments(folder_, "60", c.nummer));
        } else {
            EXPECT_TRUE(runs.empty());
        }
    }
}

// The wait runs out: the program's whole group goes, and its late write never lands in the
// files of the next run.
TEST_F(FakeFoongrepTest, TimeOutEndsTheGroupBeforeTheNextRun) {
    Fixture("0201\tlate:3000\t" + kFoundLine + "\n0301\tnothing\t\n");
    instellingen.zoektijd = "2";
    DirectoryLookup lookup(SharedDirectoryRunner(), view_);
    huidigebeller.nummer = "0201";
    huidigebeller.voornaam = "oud";
    QElapsedTimer clock;
    clock.start();
    Lookup(lookup);
    const qint64 waited = clock.elapsed();
    EXPECT_GE(waited, 1990);
    EXPECT_LT(waited, 2900);
    EXPECT_EQ(huidigebeller.zoekstatus, "Zoektijd verstreken (nog niet opgezocht)");
    EXPECT_EQ(huidigebeller.naam, "Niet gevonden");
    EXPECT_EQ(huidigebeller.voornaam, "oud");
    EXPECT_EQ(view_.images, std::vector<LookupImage>{LookupImage::Zoekfout});
    const auto runs = Runs();
    ASSERT_EQ(runs.size(), 1u);
    const pid_t group = runs[0].pid;
    EXPECT_TRUE(WaitFor([group] { return ::kill(-group, 0) != 0 && errno == ESRCH; }, 2s))
        << "the program's group outlived the time-out";

    huidigebeller.nummer = "0301";
    Lookup(lookup);
    EXPECT_EQ(huidigebeller.zoekstatus, "Fout: Foongrep maakt 'belvo.log' niet (niet opgezocht)");
    std::this_thread::sleep_for(std::chrono::milliseconds(3600 - clock.elapsed()));
    EXPECT_FALSE(fs::exists(folder_ + "belvo.log")) << "the killed program still wrote";
    EXPECT_FALSE(fs::exists(folder_ + "belvo2.log"));
}

// The event loop goes on while the program runs.
TEST_F(FakeFoongrepTest, EventLoopStaysLiveDuringTheSearch) {
    Fixture("0201\tlate:2000\t" + kFoundLine + "\n");
    instellingen.zoektijd = "5";
    DirectoryLookup lookup(SharedDirectoryRunner(), view_);
    huidigebeller.nummer = "0201";
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QElapsedTimer sinceTick;
    qint64 worst = 0;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { worst = std::max(worst, sinceTick.restart() - 20); });
    sinceTick.start();
    ticker.start(20);
    QElapsedTimer clock;
    clock.start();
    Lookup(lookup);
    ticker.stop();
    EXPECT_GE(clock.elapsed(), 1900);
    EXPECT_LT(worst, 100) << "a 20 ms timer was held up";
    EXPECT_EQ(huidigebeller.naam, "Jansen");
}

// The status command writes no belvo.log: what an earlier lookup left there is read into
// huidigebeller again, and one that cannot be read is said in a box.
TEST_F(FakeFoongrepTest, StatusTestReadsTheLeftResultAgain) {
    struct Case {
        const char* name;
        std::string fixture;
        std::string zoektijd;
        std::function<void()> arrange;
        std::vector<std::string> fields;  // voornaam naam aanhangsel straat postcode plaats
        std::string status;
        std::vector<LookupImage> images;
        std::optional<std::vector<std::string>> statusMemo;  // the monitor's hidden memo
        std::vector<std::string> warnings;
        std::vector<std::string> memo;  // the settings dialog's
        bool ran;
    };
    const std::string staleFound = kFoundLine + "\r\n";
    const auto untouched = std::vector<std::string>{"oud", "Oud", "oud", "oud", "oud", "oud"};
    const auto found =
        std::vector<std::string>{"Jan", "Jansen", "", "Dorpsstraat 12", "1234 AB", "Zo\xC3\xAB"};
    const std::string gevonden = "Gevonden in de KPN-cdfoongids";
    const Case cases[] = {
        {"found line left",
         "-S\tfound\t\n",
         "60",
         [] {},
         found,
         gevonden,
         {LookupImage::Gevonden},
         kStatusLines,
         {},
         kStatusLines,
         true},
        {"empty line left",
         "-S\tfound\t\n",
         "60",
         [this] { std::ofstream(folder_ + "belvo.log") << "\r\n"; },
         {"", "Niet gevonden", "", "", "", ""},
         "Niet gevonden in Klapper of KPN-cdfoongids",
         {LookupImage::NietGevonden},
         kStatusLines,
         {},
         kStatusLines,
         true},
        {"no CD",
         "-S\tnocd\t\n",
         "60",
         [] {},
         std::vector<std::string>{"Jan", "", "", "Dorpsstraat 12", "1234 AB", "Zo\xC3\xAB"},
         "Geen CD gevonden door Foongrep (niet opgezocht)",
         {LookupImage::Gevonden},
         std::vector<std::string>{"KPN-cdfoongids niet gevonden"},
         {},
         {"KPN-cdfoongids niet gevonden"},
         true},
        {"no belvo.log left",
         "-S\tfound\t\n",
         "60",
         [this] { fs::remove(folder_ + "belvo.log"); },
         untouched,
         "Fout: Foongrep maakt 'belvo.log' niet (niet opgezocht)",
         {LookupImage::Zoekfout},
         std::nullopt,
         {},
         kStatusLines,
         true},
        {"unreadable belvo.log",
         "-S\tfound\t\n",
         "60",
         [this] {
             fs::remove(folder_ + "belvo.log");
             fs::create_directories(folder_ + "belvo.log");
         },
         untouched,
         "oud",
         {},
         std::nullopt,
         {"Fout: \"belvo.log\" niet gevonden (niet opgezocht)"},
         kStatusLines,
         true},
        {"no belvo2.log",
         "-S\tnothing\t\n",
         "60",
         [this] { std::ofstream(folder_ + "belvo2.log") << "oud\r\n"; },
         found,
         gevonden,
         {LookupImage::Gevonden},
         std::nullopt,
         {},
         {"Fout: Foongrep maakt 'belvo2.log' niet (niet opgezocht)"},
         true},
        {"no program",
         "",
         "60",
         [this] { fs::remove(folder_ + "foongrep"); },
         untouched,
         "Fout bij aanroepen Foongrep (niet opgezocht) ",
         {LookupImage::Zoekfout},
         std::nullopt,
         {},
         {"Fout bij aanroepen Foongrep (niet opgezocht) "},
         false},
        {"time-out",
         "-S\tlate:3000\t\n",
         "2",
         [] {},
         {"oud", "Niet gevonden", "oud", "oud", "oud", "oud"},
         "Zoektijd verstreken (nog niet opgezocht)",
         {LookupImage::Zoekfout},
         std::nullopt,
         {},
         {"Zoektijd verstreken (nog niet opgezocht)"},
         true},
    };
    DirectoryLookup lookup(SharedDirectoryRunner(), view_);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(program_ / "runs");
        fs::remove_all(folder_ + "belvo.log");
        fs::remove(folder_ + "foongrep");
        fs::create_symlink(BELVERIN_FAKE_FOONGREP, folder_ + "foongrep");
        // The result of an earlier lookup.
        std::ofstream(folder_ + "belvo.log") << staleFound;
        Fixture(c.fixture);
        c.arrange();
        instellingen.zoektijd = c.zoektijd;
        huidigebeller = telefoonrecordtype{};
        huidigebeller.nummer = "0201";
        huidigebeller.voornaam = "oud";
        huidigebeller.naam = "Oud";
        huidigebeller.aanhangsel = "oud";
        huidigebeller.straat = "oud";
        huidigebeller.postcode = "oud";
        huidigebeller.plaats = "oud";
        huidigebeller.zoekstatus = "oud";
        view_ = RecordingView{};

        EXPECT_EQ(StatusTest(lookup), c.memo);

        const telefoonrecordtype& r = huidigebeller;
        EXPECT_EQ((std::vector<std::string>{r.voornaam, r.naam, r.aanhangsel, r.straat, r.postcode,
                                            r.plaats}),
                  c.fields);
        EXPECT_EQ(r.zoekstatus, c.status);
        EXPECT_EQ(r.nummer, "0201");
        EXPECT_EQ(view_.images, c.images);
        EXPECT_EQ(view_.memo, c.statusMemo);
        EXPECT_EQ(view_.warnings, c.warnings);
        const auto runs = Runs();
        if (c.ran) {
            ASSERT_EQ(runs.size(), 1u);
            EXPECT_EQ(runs[0].argv, StatusTestArguments(folder_));
        } else {
            EXPECT_TRUE(runs.empty());
        }
    }
}

}  // namespace
}  // namespace monitor
