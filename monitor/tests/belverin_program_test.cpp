// The program's start-up and end in this process, offscreen, with a fake tray and a recording
// bus, over a copy of the program folder the build lays out.
#include "monitor/belverin_program.h"

#include <signal.h>
#include <stdlib.h>
#include <unistd.h>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "components/tray_icon.h"
#include "monitor/book/fmemo.h"
#include "monitor/book/fmemolog.h"
#include "monitor/book/ftelefoonklapper.h"
#include "monitor/book/ftelefoonlog.h"
#include "monitor/fabout.h"
#include "monitor/finstellingen.h"
#include "monitor/fmain.h"
#include "monitor/monitor_window.h"
#include "monitor/program_help.h"
#include "platform/os/fake_tray_shell.h"
#include "platform/os/process_start.h"
#include "platform/os/recording_dde_service.h"
#include "platform/os/staged_swap.h"
#include "platform/rtl/program_folder.h"
#include "platform/ui/help.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/scripted_dialogs.h"
#include "xbase/table.h"

namespace fs = std::filesystem;

namespace {

class BelverinProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "belverin-program-XXXXXX").string();
        root_ = ::mkdtemp(tmpl.data());
        folder_ = root_ + "/program";
        fs::copy(BELVERIN_PROGRAM_DIR, folder_, fs::copy_options::recursive);
        fs::create_directory(root_ + "/runtime");
        fs::permissions(root_ + "/runtime", fs::perms::owner_all, fs::perm_options::replace);
        ::setenv("XDG_RUNTIME_DIR", (root_ + "/runtime").c_str(), 1);
        ::setenv("CAPISIM_SOCKET", (root_ + "/runtime/capisim.sock").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
        rtl::SetProgramDir(folder_);
    }
    void TearDown() override {
        program_.reset();
        rtl::SetProgramDir("");
        fs::remove_all(root_);
    }

    monitor::BelverinProgram& Make(const std::string& ini, bool trayExists = true) {
        std::ofstream(folder_ + "/belvo.ini") << ini;
        auto shell = std::make_unique<os::FakeTrayShell>();
        shell->tray_exists = trayExists;
        shell->accept = trayExists;
        shell->open_menus = true;
        shell_ = shell.get();
        program_ = std::make_unique<monitor::BelverinProgram>(monitor::BelverinProgram::Options{
            folder_ + "/belverin", std::move(shell), std::make_unique<os::RecordingDdeService>()});
        return *program_;
    }
    monitor::BelverinProgram& Start(const std::string& ini, bool trayExists = true) {
        auto& p = Make(ini, trayExists);
        EXPECT_TRUE(p.Start());
        return p;
    }
    std::string ReadFile(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    // Runs the program from its start to its end; `act` runs once from its event loop.
    int ExecWith(monitor::BelverinProgram& p, const std::function<void()>& act) {
        bool acted = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!acted && p.Form1() != nullptr && QThread::currentThread()->loopLevel() > 0) {
                acted = true;
                act();
            }
        });
        poll.start(20);
        QTimer hang;  // a hang fails
        hang.setSingleShot(true);
        QObject::connect(&hang, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        hang.start(30000);
        return p.Exec();
    }
    // Opens the tray menu as a right click on the icon does and clicks the item. Qt's own code
    // goes on with the menu after the item's handlers, unseen by the sanitizers: the menu must
    // outlive every handler of the item.
    void ClickInTrayMenu(monitor::BelverinProgram& p, QAction* item) {
        QPointer<QMenu> menu = &p.Form2()->PopupMenu1();
        shell_->RightClick(40, 40);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        bool handled = false;
        QObject::connect(item, &QAction::triggered, [&] { handled = menu != nullptr; });
        Click(menu, menu->actionGeometry(item).center());
        EXPECT_TRUE(handled) << "the menu was freed inside its own action's handler";
    }
    // A click as the window system delivers it: onto the widget's window, through the
    // application's handling of that window, as a user's hand makes it.
    static void Click(QWidget* widget, QPoint at = {}) {
        if (at.isNull()) {
            at = widget->rect().center();
        }
        QWindow* window = widget->window()->windowHandle();
        const QPoint inWindow = widget->mapTo(widget->window(), at);
        QTest::mouseMove(window, inWindow);
        QTest::mouseClick(window, Qt::LeftButton, {}, inWindow);
    }

    std::string root_;
    std::string folder_;
    os::FakeTrayShell* shell_ = nullptr;
    ui::ScriptedDialogs boxes_;
    std::unique_ptr<monitor::BelverinProgram> program_;
};

TEST_F(BelverinProgramTest, TaskBarSettingDecidesToolWindowsButWithoutTrayTheMonitorKeepsItsEntry) {
    struct Case {
        std::string taakbalk;
        bool trayExists;
        bool monitorTool;
        bool othersTool;
    };
    for (const Case& c : {Case{"0", true, true, true}, Case{"1", true, false, false},
                          Case{"0", false, false, true}}) {
        auto& p = Start("[algemeen]\ntaakbalk=" + c.taakbalk + "\n", c.trayExists);
        const auto tool = [](QWidget* w) { return w->windowFlags().testFlag(Qt::Tool); };
        EXPECT_EQ(tool(p.Form1()), c.monitorTool) << c.taakbalk << c.trayExists;
        EXPECT_EQ(tool(p.Klapper()), c.othersTool) << c.taakbalk << c.trayExists;
        EXPECT_EQ(tool(p.Log()), c.othersTool) << c.taakbalk << c.trayExists;
        EXPECT_EQ(p.Form1()->isVisible(), !c.trayExists) << "without a tray the monitor shows";
        p.Sluiten();
        program_.reset();
    }
}

TEST_F(BelverinProgramTest, TrayMenuAsDesignedAndOnlySluitenEndsIt) {
    auto& p = Start("");
    monitor::TForm2& f2 = *p.Form2();
    QStringList captions;
    for (QAction* a : f2.PopupMenu1().actions()) {
        captions << (a->isSeparator() ? "-" : a->text());
    }
    EXPECT_EQ(captions, (QStringList{"&Monitor", "&Klapper", "&Log ", "-", "&Instellingen", "&Help",
                                     "-", "In&fo", "-", "&Sluiten"}));
    EXPECT_EQ(f2.PopupMenu1().defaultAction(), f2.menuForm1Belverin);
    EXPECT_EQ(f2.TrayIcon1().PopupMenu(), &f2.PopupMenu1());

    f2.menuForm1Belverin->trigger();
    EXPECT_TRUE(p.Form1()->isVisible());
    f2.menuTelefoonklapper1->trigger();
    EXPECT_TRUE(p.Klapper()->isVisible());
    for (QWidget* w : std::initializer_list<QWidget*>{p.Form1(), p.Klapper()}) {
        w->close();
        EXPECT_FALSE(w->isVisible());
    }
    QApplication::processEvents();
    EXPECT_FALSE(p.Ended()) << "closing windows never ends the program";

    f2.menuExitApplication1->trigger();
    EXPECT_FALSE(p.Ended()) << "the end ran inside the action's handler";
    EXPECT_TRUE(QTest::qWaitFor([&] { return p.Ended(); }, 10000));
    EXPECT_EQ(p.Form1(), nullptr);
    EXPECT_EQ(p.Klapper(), nullptr);
}

TEST_F(BelverinProgramTest, HelpWithoutAHelpFileIsANoticeThatHoldsNothingUp) {
    auto& p = Start("");
    p.Form2()->Help1->trigger();
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0].kind, ui::ScriptedDialogs::Kind::Notice);
    EXPECT_EQ(boxes_.shown()[0].text, "Geen help gevonden (onderwerp 10).");
}

// Every way one window leads to another, as the program wires it.
TEST_F(BelverinProgramTest, EveryWindowHookLeadsToItsWindow) {
    auto& p = Start("");
    monitor::TForm1& f1 = *p.Form1();
    monitor::TForm2& f2 = *p.Form2();
    book::TFTelefoonklapper& klapper = *p.Klapper();
    QAction* memoItem = nullptr;
    for (QAction* a : klapper.findChildren<QAction*>()) {
        if (a->text() == "Memo zichtbaar") {
            memoItem = a;
        }
    }
    ASSERT_NE(memoItem, nullptr);
    struct Case {
        const char* name;
        std::function<void()> hook;
        std::function<QWidget*()> window;
    };
    const std::function<QWidget*()> monitorWindow = [&] { return p.Form1(); };
    const std::function<QWidget*()> klapperWindow = [&] { return p.Klapper(); };
    const std::function<QWidget*()> logWindow = [&] { return p.Log(); };
    const std::function<QWidget*()> memoWindow = [&] { return p.Memo(); };
    const Case cases[] = {
        {"Form1.OnToonKlapper", f1.OnToonKlapper, klapperWindow},
        {"Form1.OnToonKlapperMemo", f1.OnToonKlapperMemo, memoWindow},
        {"Form1.OnToonLog", f1.OnToonLog, logWindow},
        {"Form1.OnToonLogMemo", f1.OnToonLogMemo, [&] { return p.MemoLog(); }},
        {"Form1.OnToonInstellingen", f1.OnToonInstellingen,
         [] { return monitor::Tfinstellingen::Instance(); }},
        {"Form1.OnNieuw", [&] { f1.OnNieuw(book::KlapperBeller{}, "log"); }, klapperWindow},
        {"Form2.OnToonMonitor", f2.OnToonMonitor, monitorWindow},
        {"Form2.OnToonKlapper", f2.OnToonKlapper, klapperWindow},
        {"Form2.OnToonLog", f2.OnToonLog, logWindow},
        {"Form2.OnInstellingen", f2.OnInstellingen,
         [] { return monitor::Tfinstellingen::Instance(); }},
        {"Form2.OnInfo", f2.OnInfo, [] { return monitor::TfAbout::Instance(); }},
        {"Klapper.OnShowMonitor", klapper.OnShowMonitor, monitorWindow},
        {"Klapper: Memo zichtbaar", [&] { memoItem->trigger(); }, memoWindow},
    };
    for (const Case& c : cases) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            w->hide();
        }
        ASSERT_TRUE(c.hook) << c.name << " is not wired";
        c.hook();
        QWidget* shown = c.window();
        ASSERT_NE(shown, nullptr) << c.name;
        EXPECT_TRUE(shown->isVisible()) << c.name;
        if (klapper.Core().t2().State() != db::TDataSetState::dsBrowse) {
            klapper.Core().t2().Cancel();  // OnNieuw leaves a new entry in the making
        }
    }
}

// An update that a stop left with its journal on disk is finished before the tables open.
TEST_F(BelverinProgramTest, AStoppedSetupIsFinishedBeforeTheTablesOpen) {
    os::StagedSwap swap(folder_);
    swap.Prepare();
    std::ofstream(swap.StagedPath("belvo.ini")) << "[msn0]\nnummer=5551234\n; nieuw\n";
    os::SetSwapStepHook([](std::string_view step) {
        if (step == "journal") {
            throw std::runtime_error("stopped");
        }
    });
    EXPECT_THROW(swap.Commit({"belvo.ini"}), std::runtime_error);
    os::SetSwapStepHook(nullptr);
    ASSERT_TRUE(fs::exists(folder_ + "/" + std::string(os::StagedSwap::kJournalName)));

    rtl::SetProgramDir(folder_);
    program_ = std::make_unique<monitor::BelverinProgram>(monitor::BelverinProgram::Options{
        folder_ + "/belverin", std::make_unique<os::FakeTrayShell>(),
        std::make_unique<os::RecordingDdeService>()});
    ASSERT_TRUE(program_->Start());
    EXPECT_EQ(ReadFile(folder_ + "/belvo.ini"), "[msn0]\nnummer=5551234\n; nieuw\n");
    EXPECT_FALSE(fs::exists(folder_ + "/" + std::string(os::StagedSwap::kJournalName)));
    EXPECT_FALSE(fs::exists(swap.StagingFolder()));
    EXPECT_TRUE(boxes_.shown().empty());
}

// A journal whose renames fail stops the start at its box: no table opens, status 1.
TEST_F(BelverinProgramTest, ASetupThatCannotBeFinishedStopsTheStart) {
    os::StagedSwap swap(folder_);
    swap.Prepare();
    std::ofstream(swap.StagedPath("geluid")) << "a file where a full folder stands";
    std::ofstream(folder_ + "/" + std::string(os::StagedSwap::kJournalName))
        << "belverin-swap 1\ngeluid\n.\n";
    const std::string logBefore = ReadFile(folder_ + "/belverinlog.DBF");

    auto& p = Make("");
    boxes_.AnswerMessage(ui::mrOk);
    EXPECT_FALSE(p.Start());
    EXPECT_EQ(p.ExitCode(), 1);
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0].type, ui::MsgDlgType::Error);
    EXPECT_EQ(boxes_.shown()[0].text.rfind("De vorige Setup kon niet worden afgemaakt: ", 0), 0u)
        << boxes_.shown()[0].text;
    EXPECT_NE(boxes_.shown()[0].text.find("geluid"), std::string::npos);
    EXPECT_EQ(p.Form1(), nullptr);
    EXPECT_EQ(p.Klapper(), nullptr);
    EXPECT_TRUE(fs::is_directory(folder_ + "/geluid"));
    EXPECT_EQ(ReadFile(folder_ + "/belverinlog.DBF"), logBefore) << "no table was opened";
}

// Each way a user or the system ends the program, through the real widgets, the program run from
// its start to its end: the windows and tables go, and the status is 0.
TEST_F(BelverinProgramTest, EveryWayToEndRunsTheProgramToItsEndWithStatusZero) {
    struct Case {
        const char* name;
        bool trayExists;
        std::function<void(monitor::BelverinProgram&)> act;
    };
    const Case cases[] = {
        {"the tray menu's Sluiten", true,
         [&](monitor::BelverinProgram& p) { ClickInTrayMenu(p, p.Form2()->menuExitApplication1); }},
        {"the tray menu's Sluiten with the settings open", true,
         [&](monitor::BelverinProgram& p) {
             ClickInTrayMenu(p, p.Form2()->menuInstellingen1);
             ASSERT_TRUE(QTest::qWaitForWindowExposed(monitor::Tfinstellingen::Instance()));
             ClickInTrayMenu(p, p.Form2()->menuExitApplication1);
         }},
        {"the monitor window's Sluiten without a tray", false,
         [](monitor::BelverinProgram& p) {
             ASSERT_TRUE(QTest::qWaitForWindowExposed(p.Form1()));
             QToolButton* sluiten = p.Form1()->findChild<QToolButton*>("SpeedButton4");
             ASSERT_NE(sluiten, nullptr);
             Click(sluiten);
         }},
        {"closing the monitor window without a tray", false,
         [](monitor::BelverinProgram& p) {
             ASSERT_TRUE(QTest::qWaitForWindowExposed(p.Form1()));
             p.Form1()->close();
         }},
        {"SIGTERM", true, [](monitor::BelverinProgram&) { ::kill(::getpid(), SIGTERM); }},
        {"SIGINT", false, [](monitor::BelverinProgram&) { ::kill(::getpid(), SIGINT); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto& p = Make("", c.trayExists);
        EXPECT_EQ(ExecWith(p, [&] { c.act(p); }), 0);
        EXPECT_TRUE(p.Ended());
        EXPECT_EQ(p.Form1(), nullptr);
        EXPECT_EQ(p.Klapper(), nullptr);
        EXPECT_EQ(monitor::Tfinstellingen::Instance(), nullptr);
        const QWidgetList left = QApplication::topLevelWidgets();
        EXPECT_TRUE(
            std::none_of(left.begin(), left.end(), [](QWidget* w) { return w->isVisible(); }));
        program_.reset();
    }
}

// With a tray, closing the monitor window only hides it; the program runs on.
TEST_F(BelverinProgramTest, WithATrayClosingTheMonitorWindowLeavesTheProgramRunning) {
    auto& p = Start("");
    p.Form2()->OnToonMonitor();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(p.Form1()));
    Click(p.Form1()->findChild<QToolButton*>("SpeedButton4"));
    EXPECT_FALSE(p.Form1()->isVisible());
    QTest::qWait(50);
    EXPECT_FALSE(p.Ended());
}

// A second start while the program runs: its box, answered by a click, and status 0; the first
// runs on.
TEST_F(BelverinProgramTest, ASecondStartShowsItsBoxAndEndsWithStatusZero) {
    auto& first = Start("");
    auto shell = std::make_unique<os::FakeTrayShell>();
    monitor::BelverinProgram second(monitor::BelverinProgram::Options{
        folder_ + "/belverin", std::move(shell), std::make_unique<os::RecordingDdeService>()});
    ui::Dialogs* scripted = ui::SetDialogs(nullptr);  // the real box
    QString text;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr && text.isEmpty()) {
            text = box->text();
            Click(box->buttons().front());
        }
    });
    poll.start(20);
    EXPECT_EQ(second.Exec(), 0);
    poll.stop();
    ui::SetDialogs(scripted);
    EXPECT_EQ(text.toStdString(), monitor::BelverinProgram::kStopMsg);
    EXPECT_EQ(second.Form1(), nullptr) << "no window of the second copy was made";
    EXPECT_FALSE(first.Ended());
    EXPECT_NE(first.Form1(), nullptr);
}

// "&Sluiten" from the tray while a window's own handler waits in a modal box: the box closes,
// the handler returns, and only then do the windows go.
TEST_F(BelverinProgramTest, SluitenDuringAModalBoxEndsOnceTheHandlerHasReturned) {
    auto& p = Start("");
    ui::Dialogs* scripted = ui::SetDialogs(nullptr);  // real boxes with real loops
    book::TFTelefoonklapper* klapper = p.Klapper();
    p.Form2()->OnToonKlapper();
    ASSERT_TRUE(QTest::qWaitForWindowActive(klapper));
    QAction* wissen = nullptr;
    for (QAction* a : klapper->findChildren<QAction*>()) {
        if (a->text() == "Geselecteerde regels") {
            wissen = a;
        }
    }
    ASSERT_NE(wissen, nullptr);

    bool boxSeen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr && !boxSeen) {
            boxSeen = true;
            p.Form2()->menuExitApplication1->trigger();
        }
    });
    poll.start(20);
    wissen->trigger();  // returns once its box has gone
    poll.stop();
    ui::SetDialogs(scripted);
    EXPECT_TRUE(boxSeen);
    EXPECT_FALSE(p.Ended()) << "the end ran inside the box's loop";
    EXPECT_EQ(p.Klapper(), klapper);
    EXPECT_TRUE(QTest::qWaitFor([&] { return p.Ended(); }, 5000));
    EXPECT_EQ(p.Klapper(), nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// The end while the directory program still looks a caller up: a bounded wait, the program
// killed and collected, the call logged as not looked up.
TEST_F(BelverinProgramTest, TheEndCutsARunningLookupShortAndLogsTheCall) {
    fs::create_directories(folder_ + "/Foon grep");
    fs::create_symlink(BELVERIN_FAKE_FOONGREP, folder_ + "/Foon grep/foongrep");
    std::ofstream(folder_ + "/fixture") << "0301234567\tlate:60000\t\"Jansen\"\n";
    ::setenv("FAKE_FOONGREP_FIXTURE", (folder_ + "/fixture").c_str(), 1);
    ::setenv("FAKE_FOONGREP_LOG", (folder_ + "/runs").c_str(), 1);
    auto& p = Start(
        "[msn0]\nnummer=5551234\n[capi]\nAutomatischZoeken=1\nmonitorpopuptijd=0\n"
        "[foongrep]\nfoongrepdirectory=Foon grep\nzoektijd=120\n");
    p.Form1()->IncomingCall("0301234567", "5551234", 16, "telephony (16)", true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ReadFile(folder_ + "/runs").empty(); }, 10000));
    const pid_t lookup = std::stoi(ReadFile(folder_ + "/runs"));

    QElapsedTimer ending;
    ending.start();
    p.Sluiten();
    EXPECT_TRUE(QTest::qWaitFor([&] { return p.Ended(); }, 20000));
    EXPECT_LT(ending.elapsed(), 10000) << "waited for the search time of 120 s";
    EXPECT_EQ(::kill(lookup, 0), -1) << "the lookup's program runs on or was not collected";
    EXPECT_EQ(errno, ESRCH);
    EXPECT_EQ(os::UncollectedChildren(), 0u);
    ::unsetenv("FAKE_FOONGREP_FIXTURE");
    ::unsetenv("FAKE_FOONGREP_LOG");

    const std::string log = ReadFile(folder_ + "/belverinlog.DBF");
    ASSERT_GE(log.size(), 8u);
    EXPECT_EQ(static_cast<unsigned char>(log[4]), 1u) << "one record in the call log";
    EXPECT_NE(log.find("0301234567"), std::string::npos);
    EXPECT_NE(log.find("Zoektijd verstreken (nog niet opgezocht)"), std::string::npos);
}

}  // namespace
