#include "monitor/monitor_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "capi/capi_monitor.h"
#include "components/ms_agent.h"
#include "components/tray_icon.h"
#include "monitor/book/klapper_core.h"
#include "monitor/book/outlook_link.h"
#include "monitor/caller_record.h"
#include "monitor/fabout.h"
#include "monitor/fcommandline.h"
#include "monitor/ftest.h"
#include "monitor/settings.h"
#include "platform/agent/fake_agent_control.h"
#include "platform/os/fake_tray_shell.h"
#include "platform/os/recording_dde_service.h"
#include "platform/rtl/ini_file.h"
#include "platform/rtl/program_folder.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/recording_help.h"
#include "platform/ui/scripted_dialogs.h"
#include "platform/ui/tests/text_fit.h"

namespace monitor {
namespace {

namespace fs = std::filesystem;

// A program folder with its settings file, a recording bus service and a fake tray.
class MonitorWindowTest : public ::testing::Test {
  protected:
    MonitorWindowTest() {
        dir_ = fs::temp_directory_path() /
               ("belverin-monitor-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        rtl::SetProgramDir(dir_.string());
        instellingen = Instellingen{};
        huidigebeller = telefoonrecordtype{};
        auto shell = std::make_unique<os::FakeTrayShell>();
        trayShell_ = shell.get();
        tray_ = std::make_unique<TTrayIcon>(nullptr, std::move(shell));
        tray_->SetActive(true);
    }
    ~MonitorWindowTest() override {
        form_.reset();
        FreeMsAgent();
        outlookafkoppelen();
        rtl::SetProgramDir("");
        fs::remove_all(dir_);
    }

    std::string IniPath() const { return (dir_ / "belvo.ini").string(); }
    void WriteIni(const std::string& text) { std::ofstream(IniPath()) << text; }
    std::string IniText() const {
        std::ifstream in(IniPath());
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    TForm1& Make() {
        ini_ = std::make_unique<rtl::TIniFile>(IniPath());
        form_ = std::make_unique<TForm1>(
            TForm1::Parts{*ini_, dde_, (dir_ / "belverin").string(), tray_.get()});
        return *form_;
    }
    TForm1& Created() {
        TForm1& f = Make();
        f.FormCreate();
        return f;
    }

    QStringList MemoLines() const {
        return form_->Memo1->toPlainText().split('\n', Qt::SkipEmptyParts);
    }

    fs::path dir_;
    ui::ScriptedDialogs dialogs_;
    os::RecordingDdeService dde_;
    os::FakeTrayShell* trayShell_ = nullptr;
    std::unique_ptr<TTrayIcon> tray_;
    std::unique_ptr<rtl::TIniFile> ini_;
    std::unique_ptr<TForm1> form_;
};

// "0) 12:34:56 - ..." with a time of the given form.
::testing::AssertionResult StartsWithTimeAndEndsWith(const QString& line, const QString& head,
                                                     int timeLength, const QString& tail) {
    if (!line.startsWith(head) || !line.endsWith(tail) ||
        line.size() != head.size() + timeLength + tail.size()) {
        return ::testing::AssertionFailure() << line.toStdString();
    }
    return ::testing::AssertionSuccess();
}

TEST_F(MonitorWindowTest, LayoutFromTheSettingsFile) {
    const QRect primary = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        const char* name;
        const char* file;
        QRect geometry;
        int panel4;
        int panel1;
    } cases[] = {
        {"no section", "", QRect(0, 0, 509, 345), 41, 46},
        {"stored",
         "[belverin]\ntop=20\nleft=30\nwidth=600\nheight=420\npanelnaamheight=60\n"
         "panel1height=70\n",
         QRect(30, 20, 600, 420), 60, 70},
        {"off every screen", "[belverin]\ntop=20\nleft=30000\n",
         QRect(primary.x(), primary.y(), 509, 345), 41, 46},
    };
    for (const auto& c : cases) {
        WriteIni(c.file);
        TForm1& f = Created();
        f.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
        // The position is the frame's, the size the window's own.
        EXPECT_EQ(QRect(f.pos(), f.size()), c.geometry) << c.name;
        EXPECT_EQ(f.Panel4->height(), c.panel4) << c.name;
        EXPECT_EQ(f.Panel1->height(), c.panel1) << c.name;
        EXPECT_GT(f.Panelmsn->height(), 0) << c.name;
        EXPECT_EQ(f.L_nummer->font().family().toStdString(), "Arial") << c.name;
        form_.reset();
    }
}

TEST_F(MonitorWindowTest, ClosingWritesEveryKeyAndTheNextStartRestoresThem) {
    WriteIni(
        "[belverin]\ntop=40\nleft=50\nwidth=620\nheight=430\npanelnaamheight=55\n"
        "panel1height=65\nnummerfontname=Courier New\nnummerfontsize=20\n"
        "naamfontsize=14\n");
    TForm1& f = Created();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    f.StartPopupTimer(60000);
    const MonitorLayout shown = f.Layout();
    f.close();
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.Timer1->isActive());
    for (const char* key :
         {"top=40", "left=50", "width=620", "height=430", "panelnaamheight=55", "panel1height=65",
          "panelmsnheight=", "nummerfontname=Courier New", "nummerfontsize=20", "naamfontsize=14",
          "msnfontname=", "msnfontcolor="}) {
        EXPECT_NE(IniText().find(key), std::string::npos) << key;
    }
    form_.reset();
    TForm1& again = Created();
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    EXPECT_EQ(again.Layout(), shown);
}

TEST_F(MonitorWindowTest, StandardLayoutAndStandardCallerTemplate) {
    WriteIni(
        "[belverin]\nwidth=700\nheight=500\npanelnaamheight=90\nmsnfontsize=30\n"
        "[capi]\nbellersstring=%t\n");
    instellingen.bellersstring = "%t";
    TForm1& f = Created();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    f.StandaardIndeling1Click();
    QTest::qWait(10);
    EXPECT_EQ(f.size(), QSize(509, 345));
    EXPECT_EQ(f.Panel4->height(), 41);
    EXPECT_EQ(f.Panel1->height(), 46);
    EXPECT_EQ(f.Panelmsn->font().pointSize(), f.font().pointSize());

    f.StandaardBellers1Click();
    EXPECT_EQ(instellingen.bellersstring, "%h - %t - %v, %n, %a - %s - %m -%z");
    EXPECT_EQ(rtl::TIniFile(IniPath()).ReadString("capi", "bellersstring", ""),
              "%h - %t - %v, %n, %a - %s - %m -%z");
    EXPECT_TRUE(dialogs_.shown().empty());
}

TEST_F(MonitorWindowTest, AtItsDesignSizeTheWindowShowsACallerWhole) {
    TForm1& f = Created();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    ASSERT_EQ(f.size(), QSize(509, 345));
    EXPECT_EQ(QFontInfo(f.L_nummer->font()).family().toStdString(), "Liberation Sans");
    f.SetTeller(128);
    f.SetNummerLabel("0301234567 (5551234)");
    f.SetGegevensLabel("Anouk, van den Berg, Markt 3, 5211JV 's-Hertogenbosch");
    f.SetImageVisible(RoadImage::Image1, true);
    f.SetImageVisible(RoadImage::Image6, true);
    QCoreApplication::processEvents();
    std::vector<std::string> cut = ui::testing::CutLabelsAndButtons(f);
    for (const std::string& c : ui::testing::CutMenuTitles(*f.MainMenu1)) {
        cut.push_back(c);
    }
    EXPECT_TRUE(cut.empty()) << ::testing::PrintToString(cut);
}

TEST_F(MonitorWindowTest, ResetTellerClearsTheShownCaller) {
    TForm1& f = Created();
    f.SetTeller(3);
    f.SetNummerLabel("0301234567 (5551234)");
    f.SetGegevensLabel("Jan Jansen");
    f.SetImageVisible(RoadImage::Image1, true);
    f.SetImageVisible(RoadImage::Image5, true);
    f.AddMemoLine("1) een");
    f.AddMemoLine("2) twee");
    f.show();
    f.ResetTeller1Click();
    EXPECT_EQ(f.lteller->text(), "0");
    EXPECT_EQ(f.L_nummer->text(), "?");
    EXPECT_EQ(f.L_gegevens->text(), "?");
    for (QLabel* image : f.Image) {
        EXPECT_FALSE(image->isVisible());
    }
    const QStringList lines = MemoLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(StartsWithTimeAndEndsWith(lines[0], "0) ", 5, " - Er heeft nog niemand gebeld"));
    EXPECT_EQ(tray_->ToolTip(), lines[0].toStdString());
    ASSERT_FALSE(trayShell_->calls.empty());
    EXPECT_EQ(trayShell_->calls.back().tip, lines[0].toStdString());
}

TEST_F(MonitorWindowTest, CreationWithAndWithoutTheBusItems) {
    const struct {
        const char* name;
        bool dde;
        std::string refusal;
        std::vector<std::pair<std::string, std::string>> items;
        int memoLines;
    } cases[] = {
        {"on", true, "", {{"000", "ddestart"}}, 1},
        {"off", false, "", {}, 1},
        {"no bus", true, "geen verbinding met de sessiebus", {{"000", "ddestart"}}, 2},
    };
    for (const auto& c : cases) {
        instellingen.DDE = c.dde;
        dde_ = os::RecordingDdeService{};
        dde_.refusal = c.refusal;
        QGuiApplication::clipboard()->clear();
        TForm1& f = Created();
        EXPECT_EQ(dde_.offers, std::vector<std::string>{"nl.belverin.belverin"}) << c.name;
        EXPECT_EQ(dde_.items, c.items) << c.name;
        const QStringList lines = MemoLines();
        ASSERT_EQ(lines.size(), c.memoLines) << c.name;
        EXPECT_TRUE(
            StartsWithTimeAndEndsWith(lines[0], "0) ", 8, " - Er heeft nog niemand gebeld"));
        if (c.memoLines == 2) {
            EXPECT_TRUE(StartsWithTimeAndEndsWith(
                lines[1], "?) ", 8,
                " - DDE (D-Bus) niet beschikbaar: geen verbinding met de sessiebus"));
        }
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (c.dde) {
            ASSERT_NE(data, nullptr);
            EXPECT_EQ(data->text(), "ddestart") << c.name;
            EXPECT_EQ(data->data("application/x-belverin-dde-link").toStdString(),
                      "nl.belverin.belverin\n/ddebelverinserver\nddenaam");
        } else {
            EXPECT_TRUE(data == nullptr || data->text().isEmpty()) << c.name;
        }
        EXPECT_TRUE(StartsWithTimeAndEndsWith(QString::fromStdString(tray_->ToolTip()), "0) ", 5,
                                              " - Er heeft nog niemand gebeld"));
        EXPECT_EQ(f.Caption(), "ISDN Belverin");
        form_.reset();
    }
}

TEST_F(MonitorWindowTest, TheCharacterGreetsHidesOrIsSwitchedOffAndGoesWithTheWindow) {
    const struct {
        const char* name;
        bool hide;
        bool fail;
    } cases[] = {
        {"greets", false, false}, {"greets and hides", true, false}, {"fails", false, true}};
    for (const auto& c : cases) {
        WriteIni("[msagent]\nsuport=1\n");
        auto script = std::make_shared<agent::testing::FakeAgentScript>();
        script->failCreate = c.fail;
        agent::testing::InstallFakeAgentControl(script);
        instellingen.suport = true;
        instellingen.hide = c.hide;
        std::vector<std::string> splash;
        TForm1& f = Make();
        f.OnSplashStep = [&](const std::string& s) { splash.push_back(s); };
        f.FormCreate();
        EXPECT_EQ(splash, std::vector<std::string>{"MS Agent laden "}) << c.name;
        if (c.fail) {
            EXPECT_FALSE(instellingen.suport);
            EXPECT_EQ(MsAgent, nullptr);
            EXPECT_NE(IniText().find("suport=1"), std::string::npos) << "the file keeps it";
        } else {
            std::string all;
            for (const auto& r : script->requests) {
                all += r + "\n";
            }
            EXPECT_NE(all.find("Hallo ik ben Robby"), std::string::npos) << all;
            EXPECT_EQ(all.find("Hide") != std::string::npos, c.hide) << all;
            ASSERT_NE(script->control, nullptr);
        }
        form_.reset();
        EXPECT_EQ(MsAgent, nullptr) << c.name << ": the window's end frees the character";
        EXPECT_EQ(script->control, nullptr) << c.name << ": and its control";
    }
}

TEST_F(MonitorWindowTest, OutlookIsLinkedBeforeItsWindowExists) {
    const fs::path store = dir_ / "data";
    fs::create_directories(store);
    setenv("XDG_DATA_HOME", store.string().c_str(), 1);
    instellingen.koppeling = true;
    std::vector<std::string> splash;
    TForm1& f = Make();
    f.OnSplashStep = [&](const std::string& s) { splash.push_back(s); };
    f.FormCreate();
    EXPECT_TRUE(outlookisgekoppeld());
    EXPECT_EQ(splash, std::vector<std::string>{"Outlook OLE koppelen "});
    unsetenv("XDG_DATA_HOME");
}

TEST_F(MonitorWindowTest, ToolBarButtonsAndTheirEffects) {
    ui::RecordingHelp help;
    TForm1& f = Created();
    std::vector<std::string> shown;
    f.OnToonKlapper = [&] { shown.push_back("klapper"); };
    f.OnToonKlapperMemo = [&] { shown.push_back("klappermemo"); };
    f.OnToonLog = [&] { shown.push_back("log"); };
    f.OnToonLogMemo = [&] { shown.push_back("logmemo"); };
    f.OnToonInstellingen = [&] { shown.push_back("instellingen"); };
    f.OnNieuw = [&](const book::KlapperBeller&, const std::string&) { shown.push_back("nieuw"); };
    f.SetMemoButtonEnabled(true);
    f.SetGegevensLabel("Jan Jansen, Dorpsstraat 1");

    const struct {
        QToolButton* button;
        std::vector<std::string> shown;
        bool hides;
    } cases[] = {
        {f.SpeedButton1, {"klapper"}, true},
        {f.bmemoklapper, {"klappermemo"}, false},
        {f.SpeedButton5, {"klapper", "nieuw"}, true},
        {f.SpeedButton2, {"log"}, true},
        {f.SpeedButton7, {"logmemo"}, false},
        {f.SpeedButton3, {"instellingen"}, true},
        {f.SpeedButton6, {}, true},
        {f.spklembord, {}, false},
        {f.SpeedButton8, {}, false},
        {f.SpeedButton4, {}, true},
    };
    for (const auto& c : cases) {
        shown.clear();
        f.show();
        QTest::mouseClick(c.button, Qt::LeftButton);
        EXPECT_EQ(shown, c.shown) << c.button->toolTip().toStdString();
        EXPECT_EQ(!f.isVisible(), c.hides) << c.button->toolTip().toStdString();
    }
    EXPECT_NE(Tftest::Instance(), nullptr);
    Tftest::Instance()->close();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Jan Jansen, Dorpsstraat 1");
    EXPECT_EQ(help.contexts, std::vector<int>{10});

    // Left to right, with separators after the third, fifth and seventh button.
    QStringList order;
    for (QAction* a : f.ToolBar1->actions()) {
        QWidget* w = f.ToolBar1->widgetForAction(a);
        order << (a->isSeparator() ? QString("|") : w->toolTip());
    }
    EXPECT_EQ(order.join(",").toStdString(),
              "Klapper openen,Klapper memo invoeren,Opslaan in klapper,|,Log openen,"
              "Log memo invoeren,|,Instellingen openen,Instellingen testen,|,Afwijzen,"
              "Kopieer gegevens naar klembord,Help,Sluiten");
}

TEST_F(MonitorWindowTest, OpslaanInKlapperHandsNieuwTheCallerInFieldOrder) {
    TForm1& f = Created();
    huidigebeller.nummer = "0301234567";
    huidigebeller.voornaam = "Jan";
    huidigebeller.naam = "Jansen";
    huidigebeller.aanhangsel = "van";
    huidigebeller.straat = "Dorpsstraat 1";
    huidigebeller.postcode = "1234 AB";
    huidigebeller.plaats = "Ede";
    std::vector<std::pair<book::KlapperBeller, std::string>> calls;
    f.OnNieuw = [&](const book::KlapperBeller& b, const std::string& source) {
        calls.emplace_back(b, source);
    };
    f.SpeedButton5Click();
    ASSERT_EQ(calls.size(), 1u);
    const book::KlapperBeller& b = calls[0].first;
    EXPECT_EQ(std::vector<std::string>({b.nummer, b.voornaam, b.naam, b.aanhangsel, b.straat,
                                        b.postcode, b.plaats, b.zoekstatus}),
              std::vector<std::string>({"0301234567", "Jan", "Jansen", "van", "Dorpsstraat 1",
                                        "1234 AB", "Ede", "Gekopieerd vanuit de Monitor"}));
    EXPECT_EQ(calls[0].second, "monitor");
}

TEST_F(MonitorWindowTest, MenusOpenHelpTheAboutBoxAndTheTemplateEditor) {
    ui::RecordingHelp help;
    TForm1& f = Created();
    QStringList titles;
    for (QAction* a : f.MainMenu1->actions()) {
        titles << a->text();
    }
    EXPECT_EQ(titles.join(",").toStdString(), "Beeld,Teller,Help");
    f.Helpopenen1Click();
    EXPECT_EQ(help.contexts, std::vector<int>{10});
    f.Info1Click();
    ASSERT_NE(TfAbout::Instance(), nullptr);
    TfAbout::Instance()->close();

    instellingen.bellersstring = "%t - %n";
    f.Bellersaanpassen1Click();
    ASSERT_NE(TFcommandline::Instance(), nullptr);
    EXPECT_EQ(TFcommandline::Instance()->Tag(), "bellersstringtest");
    EXPECT_EQ(TFcommandline::Instance()->Caption(), "Bellersstring aanpassen");
    TFcommandline::Instance()->close();
    QTest::qWait(1);

    // A font chosen for the numbers reaches only L_nummer.
    ui::FontSpec chosen{"DejaVu Serif", 22};
    dialogs_.AnswerFont(chosen);
    f.LettertypeNummer1Click();
    EXPECT_EQ(f.L_nummer->font().family(), "DejaVu Serif");
    EXPECT_EQ(f.L_nummer->font().pointSize(), 22);
    EXPECT_NE(f.L_gegevens->font().pointSize(), 22);
}

}  // namespace
}  // namespace monitor
