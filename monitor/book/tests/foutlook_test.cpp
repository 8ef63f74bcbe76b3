#include "monitor/book/foutlook.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "monitor/book/outlook_desktop.h"
#include "monitor/book/outlook_link.h"
#include "monitor/caller_record.h"
#include "monitor/settings.h"
#include "platform/rtl/tests/temp_dir.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/scripted_dialogs.h"

namespace monitor {
namespace {

using rtl::testing::TempDir;
using Kind = ui::ScriptedDialogs::Kind;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Lines(const QListWidget& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.count(); ++i) {
        out.push_back(list.item(i)->text().toStdString());
    }
    return out;
}

// A folder on a memory file system where there is one, removed afterwards.
class MemoryDir {
  public:
    MemoryDir() {
        const bool shm = std::filesystem::is_directory("/dev/shm");
        std::string pattern =
            (shm ? std::string("/dev/shm") : std::filesystem::temp_directory_path().string()) +
            "/belverin-XXXXXX";
        path_ = mkdtemp(pattern.data());
        path_ += '/';
    }
    ~MemoryDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

class OutlookWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("XDG_DATA_HOME", dir_.Path().c_str(), 1);
        instellingen = Instellingen{};
        huidigebeller = telefoonrecordtype{};
        std::filesystem::create_directories(Contacts());
        SetOutlookFoutmelding([](const std::string&) {});
    }
    void TearDown() override {
        outlookafkoppelen();
        outlookkoppeling.bezig = false;
        SetOutlookFoutmelding(nullptr);
        unsetenv("XDG_DATA_HOME");
    }
    std::string Contacts() const {
        return std::string(std::getenv("XDG_DATA_HOME")) + "belverin/contacten/";
    }
    void Card(const std::string& name, const std::string& lines) const {
        std::ofstream(Contacts() + name, std::ios::binary) << "BEGIN:VCARD\r\nVERSION:3.0\r\n"
                                                           << lines << "END:VCARD\r\n";
    }
    std::vector<std::string> Shown() const {
        std::vector<std::string> out;
        for (const auto& s : dialogs_.shown()) {
            out.push_back(s.text);
        }
        return out;
    }
    // Runs the event loop until the window's tool has ended; its result.
    static bool WaitForTool(QSignalSpy& klaar) {
        if (klaar.isEmpty()) {
            EXPECT_TRUE(klaar.wait(240000));
        }
        return !klaar.isEmpty() && klaar.takeFirst().at(0).toBool();
    }

    TempDir dir_;
    ui::ScriptedDialogs dialogs_;
};

TEST_F(OutlookWindow, DashRemovalRunsFromTheEventLoopWithTheBusyFlagSet) {
    Card("1.vcf", "FN:Een\r\nTEL;TYPE=HOME:020-12-3\r\nTEL;TYPE=CELL:06-1\r\n");
    Card("2.vcf", "FN:Twee\r\nTEL;TYPE=WORK:0301\r\n");
    const std::string zonder = ReadFile(Contacts() + "2.vcf");
    outlookaankoppelen();
    Tfoutlook w;
    QSignalSpy klaar(&w, &Tfoutlook::ToolKlaar);
    dialogs_.AnswerMessage(ui::mrOk);
    w.BStreepjeuittelefoonnrClick();

    // Nothing is done yet: the work waits for the event loop.
    EXPECT_TRUE(w.Bezig());
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(vindnummer("0301", false));
    EXPECT_TRUE(WaitForTool(klaar));

    EXPECT_FALSE(w.Bezig());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(w.Label1->text().toStdString(), "2 (2)");
    EXPECT_EQ(Lines(*w.ListBox1),
              (std::vector<std::string>{"Twee", "  06-1 > 061", "  020-12-3 > 02012-3", "Een"}));
    ASSERT_EQ(dialogs_.shown().size(), 1u);
    EXPECT_EQ(dialogs_.shown()[0].type, ui::MsgDlgType::Warning);
    EXPECT_EQ(dialogs_.shown()[0].buttons, ui::mbOKCancel);
    EXPECT_EQ(ReadFile(Contacts() + "2.vcf"), zonder);
    EXPECT_TRUE(vindnummer("0301", false));
    EXPECT_TRUE(vindnummer("061", false));
    EXPECT_FALSE(vindnummer("020123", false));  // the second dash needs a second run
}

TEST_F(OutlookWindow, LogRemovalListsWhatItChangedNewestOnTop) {
    Card("1.vcf", "FN:Een\r\nCATEGORIES:Werk,Belverin log\r\n");
    Card("2.vcf", "FN:Twee\r\nCATEGORIES:Vrienden\r\n");
    Card("3.vcf", "FN:Drie\r\nCATEGORIES:Belverin log\r\n");
    outlookaankoppelen();
    Tfoutlook w;
    w.ListBox1->addItem("van de vorige keer");
    QSignalSpy klaar(&w, &Tfoutlook::ToolKlaar);
    w.bwislogClick();
    EXPECT_TRUE(WaitForTool(klaar));
    EXPECT_EQ(Lines(*w.ListBox1),
              (std::vector<std::string>{"Drie  Belverin log", "Een  Werk;Belverin log"}));
    EXPECT_EQ(w.Label1->text().toStdString(), "3 (3)");
    EXPECT_TRUE(dialogs_.shown().empty());
}

TEST_F(OutlookWindow, ACancelledQuestionRunsNothing) {
    Card("1.vcf", "FN:Een\r\nTEL;TYPE=HOME:020-123\r\n");
    const std::string before = ReadFile(Contacts() + "1.vcf");
    outlookaankoppelen();
    Tfoutlook w;
    dialogs_.AnswerMessage(ui::mrCancel);
    w.BStreepjeuittelefoonnrClick();
    EXPECT_FALSE(w.Bezig());
    QCoreApplication::processEvents();
    EXPECT_EQ(ReadFile(Contacts() + "1.vcf"), before);
    EXPECT_EQ(w.ListBox1->count(), 0);
}

TEST_F(OutlookWindow, ASecondToolWhileOneRunsIsRefused) {
    for (int i = 0; i < 50; ++i) {
        Card(std::to_string(100 + i) + ".vcf",
             "FN:C" + std::to_string(i) + "\r\nTEL;TYPE=HOME:0-" + std::to_string(i) + "\r\n");
    }
    outlookaankoppelen();
    Tfoutlook w;
    QSignalSpy klaar(&w, &Tfoutlook::ToolKlaar);
    dialogs_.AnswerMessage(ui::mrOk);
    w.BStreepjeuittelefoonnrClick();
    w.bwislogClick();
    dialogs_.AnswerMessage(ui::mrOk);
    w.BStreepjeuittelefoonnrClick();
    EXPECT_TRUE(WaitForTool(klaar));
    EXPECT_EQ(Shown(), (std::vector<std::string>{
                           dialogs_.shown()[0].text, "Outlook Error: Outlook is bezig",
                           dialogs_.shown()[0].text, "Outlook Error: Outlook is bezig"}));
    EXPECT_TRUE(klaar.isEmpty());
    EXPECT_EQ(w.ListBox1->count(), 100);
}

TEST_F(OutlookWindow, AFailedRunShowsItsBoxesAndFreesTheLink) {
    struct Case {
        const char* what;
        bool link;
        bool logWissen;
        bool changeOnDisk;
        std::vector<std::string> boxes;
    };
    const std::string vraag =
        "Dit kan behoorlijk lang duren. (2 sec. per item)\nNeem er de tijd "
        "voor want het kan niet geannuleerd worden.";
    const Case cases[] = {
        {"dashes, not linked",
         false,
         false,
         false,
         {vraag, "Fout", "Foutje: Streepje verwijderen"}},
        {"log, not linked", false, true, false, {"Foutje: Log wissen"}},
        {"dashes, changed on disk",
         true,
         false,
         true,
         {vraag, "Fout", "Foutje: Streepje verwijderen"}},
        {"log, changed on disk", true, true, true, {"Foutje: Log wissen"}},
    };
    for (const Case& c : cases) {
        ui::ScriptedDialogs dialogs;
        Card("1.vcf", "FN:Een\r\nTEL;TYPE=HOME:020-123\r\nCATEGORIES:Belverin log\r\n");
        if (c.link) {
            outlookaankoppelen();
        }
        Tfoutlook w;
        QSignalSpy klaar(&w, &Tfoutlook::ToolKlaar);
        dialogs.AnswerMessage(ui::mrOk);
        c.logWissen ? w.bwislogClick() : w.BStreepjeuittelefoonnrClick();
        if (c.changeOnDisk) {
            // Another program writes the card after the tool read it.
            Card("1.vcf",
                 "FN:Een\r\nTEL;TYPE=HOME:020-123\r\nCATEGORIES:Belverin log\r\n"
                 "NOTE:elders bewerkt\r\n");
        }
        EXPECT_FALSE(WaitForTool(klaar)) << c.what;
        std::vector<std::string> boxes;
        for (const auto& s : dialogs.shown()) {
            boxes.push_back(s.text);
        }
        EXPECT_EQ(boxes, c.boxes) << c.what;
        EXPECT_FALSE(w.Bezig()) << c.what;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << c.what;
        if (c.changeOnDisk) {
            EXPECT_NE(ReadFile(Contacts() + "1.vcf").find("elders bewerkt"), std::string::npos);
        }
    }
}

TEST_F(OutlookWindow, TheWindowsEndDropsTheLink) {
    outlookaankoppelen();
    ASSERT_TRUE(outlookisgekoppeld());
    { Tfoutlook w; }
    EXPECT_FALSE(outlookisgekoppeld());
}

TEST_F(OutlookWindow, ALinkDroppedDuringARunEndsItAsAFailure) {
    for (int i = 0; i < 20; ++i) {
        Card(std::to_string(100 + i) + ".vcf", "FN:C\r\nCATEGORIES:Belverin log\r\n");
    }
    outlookaankoppelen();
    Tfoutlook w;
    QSignalSpy klaar(&w, &Tfoutlook::ToolKlaar);
    w.bwislogClick();
    outlookafkoppelen();
    EXPECT_FALSE(WaitForTool(klaar));
    EXPECT_EQ(Shown(), std::vector<std::string>{"Foutje: Log wissen"});
}

// Start-up connects the link's error boxes to the dialog service before any window exists.
TEST_F(OutlookWindow, StartUpShowsALinkFailureThroughTheDialogService) {
    ConnectOutlookToDesktop();
    TempDir other;
    other.Write("file", "x");
    setenv("XDG_DATA_HOME", other.File("file").c_str(), 1);
    instellingen.koppeling = true;
    outlookaankoppelen();
    EXPECT_FALSE(outlookisgekoppeld());
    EXPECT_FALSE(instellingen.koppeling);
    ASSERT_EQ(dialogs_.shown().size(), 1u);
    EXPECT_EQ(dialogs_.shown()[0].kind, Kind::Message);
    EXPECT_EQ(dialogs_.shown()[0].text, "Kan Outlook niet openen.\nOutlook koppeling is uitgezet.");
    EXPECT_EQ(dialogs_.shown()[0].type, ui::MsgDlgType::Error);
    EXPECT_EQ(dialogs_.shown()[0].buttons, ui::mbOK);
    outlook::SetDocumentOpener(nullptr);
}

// The line's timers keep running while a tool works through a large folder, and the monitor's
// calls meanwhile neither search nor add a duplicate.
TEST_F(OutlookWindow, AToolOverTwoThousandContactsKeepsTheEventLoopTurning) {
    // In memory: a loaded disk's sync alone can stall past the limit; this measures the slicing.
    MemoryDir geheugen;
    setenv("XDG_DATA_HOME", geheugen.Path().c_str(), 1);
    std::filesystem::create_directories(Contacts());
    constexpr int kContacts = 2000;
    for (int i = 0; i < kContacts; ++i) {
        const std::string n = std::to_string(i);
        Card("c" + std::string(4 - n.size(), '0') + n + ".vcf",
             "N:Naam" + n + ";Voor;;;\r\nFN:Voor Naam" + n + "\r\nTEL;TYPE=HOME:020-" + n +
                 "\r\nTEL;TYPE=CELL:06" + n + "\r\n");
    }
    outlookaankoppelen();
    ASSERT_TRUE(vindnummer("061999", false));

    Tfoutlook w;
    QSignalSpy klaar(&w, &Tfoutlook::ToolKlaar);
    QElapsedTimer klok;
    qint64 vorige = 0;
    qint64 teLaat = 0;
    int ticks = 0;
    int zoekingen = 0;
    QTimer lijn;
    lijn.setTimerType(Qt::PreciseTimer);
    lijn.setInterval(20);
    QObject::connect(&lijn, &QTimer::timeout, [&] {
        const qint64 nu = klok.elapsed();
        teLaat = std::max(teLaat, nu - vorige - 20);
        vorige = nu;
        ++ticks;
        if ((zoekingen == 0 || ticks % 10 == 0) && w.Bezig()) {
            // A call: the search answers false, so the monitor adds the caller.
            EXPECT_FALSE(vindnummer("061234", false));
            addcontact("061234", "Nieuw", "Beller", "", "", "", "", false);
            ++zoekingen;
        }
    });
    dialogs_.AnswerMessage(ui::mrOk);
    klok.start();
    lijn.start();
    w.BStreepjeuittelefoonnrClick();
    EXPECT_TRUE(WaitForTool(klaar));
    lijn.stop();

    EXPECT_LE(teLaat, 100) << ticks << " ticks";
    EXPECT_GT(zoekingen, 0);
    EXPECT_EQ(static_cast<int>(std::distance(std::filesystem::directory_iterator(Contacts()),
                                             std::filesystem::directory_iterator())),
              kContacts);
    EXPECT_EQ(w.ListBox1->count(), 2 * kContacts);
    EXPECT_EQ(w.Label1->text().toStdString(), "2000 (2000)");
    EXPECT_TRUE(vindnummer("0201234", false));
    EXPECT_EQ(huidigebeller.naam, "Naam1234");
}

}  // namespace
}  // namespace monitor
