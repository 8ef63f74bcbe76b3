#include "monitor/belverin_program.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <exception>

#include "capi/capi_monitor.h"
#include "components/single_instance.h"
#include "components/tray_icon.h"
#include "monitor/book/fmemo.h"
#include "monitor/book/fmemolog.h"
#include "monitor/book/foutlook.h"
#include "monitor/book/ftelefoonklapper.h"
#include "monitor/book/ftelefoonlog.h"
#include "monitor/book/outlook_desktop.h"
#include "monitor/call_road.h"
#include "monitor/call_road_host.h"
#include "monitor/directory_runner_qt.h"
#include "monitor/fabout.h"
#include "monitor/finstellingen.h"
#include "monitor/flogo.h"
#include "monitor/fmain.h"
#include "monitor/monitor_window.h"
#include "monitor/program_help.h"
#include "monitor/settings.h"
#include "monitor/settings_ports.h"
#include "monitor/stop_signals.h"
#include "monitor/wait_times.h"
#include "platform/agent/player_speech_output.h"
#include "platform/os/qt_dbus_dde_service.h"
#include "platform/os/staged_swap.h"
#include "platform/rtl/program_folder.h"
#include "platform/ui/dialogs.h"

namespace monitor {

namespace {

// How long the end lets a running directory lookup go on before its program is killed, and
// how long the rest of the call may then take.
constexpr qint64 kLookupGraceMilliseconds = 2000;
constexpr qint64 kRoadEndMilliseconds = 5000;

}  // namespace

BelverinProgram::BelverinProgram(Options options) : options_(std::move(options)) {}

BelverinProgram::~BelverinProgram() {
    if (!ended_ && form2_) {
        End();
    }
}

void BelverinProgram::Splash(const std::string& text) {
    splashSteps_.push_back(text);
    // Also on the terminal: a start-up that hangs shows where.
    std::printf("Belverin: %s\n", text.c_str());
    std::fflush(stdout);
    if (splash_) {
        splash_->SetStep(text);
    }
}

bool BelverinProgram::Start() {
    // The title is fixed, so the guard can claim before the splash and its delay: a second
    // start answers at once.
    QApplication::setApplicationName(kTitle);
    QApplication::setApplicationDisplayName(kTitle);
    QApplication::setQuitOnLastWindowClosed(false);
    // The program folder's lock keeps a second copy from this folder out whatever its session,
    // and tells the setup that this folder is in use.
    guard_ = std::make_unique<TSingleInstance>(
        kTitle, nullptr, os::InstanceFolders::FromEnvironment(), rtl::ProgramDir());
    guard_->StopMsg = kStopMsg;
    if (guard_->Loaded()) {
        exitCode_ = guard_->Lock().Verdict() == os::InstanceVerdict::Failed ? 1 : 0;
        ended_ = true;
        return false;
    }
    baseLevel_ = QThread::currentThread()->loopLevel();
    programmadir_ = rtl::ProgramDir();
    // An update the setup stopped halfway is finished (or dropped) before any table opens.
    try {
        os::FinishStagedSwap(programmadir_);
    } catch (const std::exception& e) {
        ui::dialogs().MessageDlg(
            std::string("De vorige Setup kon niet worden afgemaakt: ") + e.what(),
            ui::MsgDlgType::Error, ui::mbOK);
        exitCode_ = 1;
        ended_ = true;
        return false;
    }

    // 1. The splash and the start delay.
    splash_ = new Tflogo;
    {
        const rtl::TIniFile ini(rtl::JoinPath(programmadir_, "belvo.ini"));
        const int delay = ReadStartDelaySeconds(ini);
        Splash(StartDelayText(delay));
        splash_->show();
        splash_->repaint();
        WaitWithEvents(delay);
    }

    // 2. The application: title and help.
    help_ = std::make_unique<ProgramHelp>(programmadir_);
    ui::SetHelpViewer(help_.get());

    // 3. The forms, in their order.
    CreateForms();

    // 4. The splash goes.
    delete splash_.data();
    return true;
}

void BelverinProgram::CreateForms() {
    form2_ = std::make_unique<TForm2>(
        programmadir_, [this](const std::string& text) { Splash(text); }, std::move(options_.tray));
    if (!options_.dde) {
        options_.dde = std::make_unique<os::QtDbusDdeService>();
    }
    agent::InstallProgramAgentControl();
    ConnectOutlookToDesktop();

    form1_ = new TForm1(
        TForm1::Parts{form2_->Belvo(), *options_.dde, options_.programPath, &form2_->TrayIcon1()});
    form1_->OnSplashStep = [this](const std::string& text) { Splash(text); };
    form1_->FormCreate();

    memo_ = new book::Tfmemo;
    memolog_ = new book::Tfmemolog;
    log_ = new book::TfTelefoonLog(programmadir_, form2_->Belvo(), form2_->Grids(),
                                   [this](const std::string& text) { Splash(text); });
    log_->FormCreate();
    klapper_ = new book::TFTelefoonklapper(form2_->Belvo(), form2_->Grids(), programmadir_);
    klapper_->OnSplashStep = [this](const std::string& text) { Splash(text); };
    klapper_->FormCreate();
    outlook_ = new Tfoutlook;

    Wire();
    ApplyTaskBar(form2_->Belvo().ReadBool("algemeen", "taakbalk", false));

    // The line opens once every table it writes to is open: a call delivered by an error box's
    // event loop during start-up would otherwise meet a table that is missing or held.
    form1_->OpenLine();
    if (!form2_->TrayIcon1().Shown()) {
        form1_->show();  // without a tray the monitor window is the way in
    }
}

void BelverinProgram::Wire() {
    memo_->SetDataSource(&klapper_->Core().DataSource2());
    memolog_->SetDataSource(&log_->DataSource1());
    log_->SetMemo(memolog_);
    log_->SetKlapper(&klapper_->Core());
    log_->OnShowKlapper = [this] { ShowWindow(klapper_); };
    log_->OnResetTeller = [this] {
        if (form1_ != nullptr) {
            form1_->ResetTeller1Click();
        }
    };
    form1_->ConnectRoad(klapper_->Core(), log_->Core(), [this] { ShowWindow(memo_); });

    form1_->OnToonKlapper = [this] { ShowWindow(klapper_); };
    form1_->OnToonKlapperMemo = [this] { ShowWindow(memo_); };
    form1_->OnToonLog = [this] { ShowWindow(log_); };
    form1_->OnToonLogMemo = [this] { ShowWindow(memolog_); };
    form1_->OnToonInstellingen = [] { Tfinstellingen::Openen(); };
    form1_->OnNieuw = [this](const book::KlapperBeller& beller, const std::string& source) {
        klapper_->Core().nieuw(beller, source);
        ShowWindow(klapper_);
    };
    // Without a tray nothing would be left to come back through.
    form1_->OnGesloten = [this] {
        if (!form2_->TrayIcon1().Shown()) {
            Sluiten();
        }
    };
    klapper_->OnShowMonitor = [this] { ShowWindow(form1_); };
    klapper_->SetMemo(memo_);
    SetOutlookToolsOpener([this] { ShowWindow(outlook_); });

    TForm2& f2 = *form2_;
    f2.OnToonMonitor = [this] { ShowWindow(form1_); };
    f2.OnToonKlapper = [this] { ShowWindow(klapper_); };
    f2.OnToonLog = [this] { ShowWindow(log_); };
    f2.OnInstellingen = [] { Tfinstellingen::Openen(); };
    f2.OnInfo = [] { TfAbout::Open(); };
    f2.OnSluiten = [this] { Sluiten(); };
}

void BelverinProgram::ApplyTaskBar(bool taakbalk) {
    // Tool windows are left out of task bars. Without a tray the monitor window keeps its entry.
    const bool trayShown = form2_->TrayIcon1().Shown();
    for (QWidget* w :
         std::initializer_list<QWidget*>{form1_, memo_, memolog_, log_, klapper_, outlook_}) {
        const bool tool = !taakbalk && !(w == form1_ && !trayShown);
        w->setWindowFlag(Qt::Tool, tool);
    }
}

void BelverinProgram::ShowWindow(QWidget* window) {
    if (window == nullptr || ending_) {
        return;
    }
    window->show();
    if (window->isMinimized()) {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    }
    window->raise();
    window->activateWindow();
}

int BelverinProgram::Exec() {
    if (!Start()) {
        return ExitCode();
    }
    EndOnStopSignals([this] { Sluiten(); });
    // One line for whoever started the program: whether the line listens.
    auto& line = form1_->Belverin1();
    if (line.Capi() != nullptr) {
        std::printf("Belverin: listening on controller %d\n", line.Controller());
    } else {
        std::printf("Belverin: no line: %s\n", line.ErrorString().c_str());
    }
    std::fflush(stdout);
    const int rc = Run();
    if (!ended_) {
        End();
    }
    EndOnStopSignals({});
    return rc;
}

int BelverinProgram::Run() {
    baseLevel_ = QThread::currentThread()->loopLevel() + 1;
    const int rc = QApplication::exec();
    baseLevel_ = QThread::currentThread()->loopLevel();
    return rc;
}

bool BelverinProgram::InNestedLoop() const {
    return QThread::currentThread()->loopLevel() > baseLevel_;
}

void BelverinProgram::Sluiten() {
    if (ending_ || endRequested_) {
        return;
    }
    endRequested_ = true;
    QTimer::singleShot(0, this, [this] { EndAfterNestedLoops(); });
}

void BelverinProgram::EndAfterNestedLoops() {
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
        if (QApplication::activeModalWidget() == modal) {
            break;  // it refused; try again on the next turn
        }
    }
    if (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
    }
    if (InNestedLoop()) {
        QTimer::singleShot(10, this, [this] { EndAfterNestedLoops(); });
        return;
    }
    End();
}

void BelverinProgram::WaitForTheRoad() {
    if (form1_ == nullptr || form1_->RoadHost() == nullptr) {
        return;
    }
    // A call being handled finishes and is logged. A directory lookup gets a short while to end
    // by itself; then its program is killed and the call logged as not looked up.
    CallRoad& road = form1_->RoadHost()->Road();
    const qint64 grace =
        std::min<qint64>(kLookupGraceMilliseconds, SearchWaitMilliseconds(instellingen.zoektijd));
    QElapsedTimer waited;
    waited.start();
    bool cut = false;
    while (!road.monitorvrij() && waited.elapsed() < grace + kRoadEndMilliseconds) {
        if (waited.elapsed() >= grace && SharedDirectoryRunner().Busy()) {
            SharedDirectoryRunner().CutShort();
            cut = true;
            continue;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    if (cut) {
        std::printf("Belverin: Foongrep afgebroken bij het afsluiten\n");
        std::fflush(stdout);
    }
}

void BelverinProgram::End() {
    if (ending_) {
        return;
    }
    ending_ = true;
    delete Tfinstellingen::Instance();
    delete TfAbout::Instance();
    WaitForTheRoad();
    // The line goes with its window, before any table closes.
    delete form1_;
    form1_ = nullptr;
    delete outlook_;
    outlook_ = nullptr;
    if (log_ != nullptr) {
        log_->SetKlapper(nullptr);
    }
    delete klapper_;
    klapper_ = nullptr;
    delete log_;
    log_ = nullptr;
    delete memolog_;
    memolog_ = nullptr;
    delete memo_;
    memo_ = nullptr;
    form2_.reset();
    ui::SetHelpViewer(nullptr);
    help_.reset();
    guard_.reset();
    ended_ = true;
    emit ended();
    QCoreApplication::quit();
}

}  // namespace monitor
