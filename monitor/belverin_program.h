#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/os/dde_service.h"
#include "platform/os/tray_shell.h"

class TSingleInstance;

namespace book {
class Tfmemo;
class Tfmemolog;
class TfTelefoonLog;
class TFTelefoonklapper;
}  // namespace book

namespace monitor {

class Tflogo;
class TForm1;
class TForm2;
class ProgramHelp;
class Tfoutlook;

// The monitor program from its start to its end: the guard, the splash with its delay, the
// forms in their order, the line, and the end through "&Sluiten" or a stop signal.
class BelverinProgram : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kTitle = "Belverin";
    static constexpr const char* kStopMsg = "Er kan maar 1 versie van Belverin draaien.";

    struct Options {
        std::string programPath;              // the program file
        std::unique_ptr<os::TrayShell> tray;  // the desktop's tray when empty
        std::unique_ptr<os::DdeService> dde;  // the session bus when empty
    };

    explicit BelverinProgram(Options options);
    ~BelverinProgram() override;

    // Runs the start-up. False when this copy must end at once, with ExitCode.
    bool Start();
    int ExitCode() const { return exitCode_; }
    // Runs the event loop until the end; its status.
    int Run();
    // The program from its start to its end, stop signals included: its exit status.
    int Exec();

    // Ends the program as the tray menu's "&Sluiten": the line first, a call being handled
    // finishes, then the windows and tables in the reverse order of their making. The end runs
    // from the event loop once the caller has returned, since the caller is a handler of a
    // window the end frees (a menu's action, a button); modal boxes are closed first and the
    // end waits until their loops have returned.
    void Sluiten();
    bool Ended() const { return ended_; }

    // Each text the splash showed, in order (for the log and for tests).
    const std::vector<std::string>& SplashSteps() const { return splashSteps_; }

    TForm2* Form2() { return form2_.get(); }
    TForm1* Form1() { return form1_; }
    book::TfTelefoonLog* Log() { return log_; }
    book::TFTelefoonklapper* Klapper() { return klapper_; }
    book::Tfmemo* Memo() { return memo_; }
    book::Tfmemolog* MemoLog() { return memolog_; }

  signals:
    void ended();

  private:
    void Splash(const std::string& text);
    void CreateForms();
    void Wire();
    void ApplyTaskBar(bool taakbalk);
    void ShowWindow(QWidget* window);
    bool InNestedLoop() const;
    // Closes modal boxes until no nested loop runs, then ends.
    void EndAfterNestedLoops();
    void WaitForTheRoad();
    void End();

    Options options_;
    std::string programmadir_;
    int exitCode_ = 0;
    bool ended_ = false;
    bool ending_ = false;
    bool endRequested_ = false;
    int baseLevel_ = 0;  // the event loop's depth outside any handler
    std::vector<std::string> splashSteps_;
    std::unique_ptr<TSingleInstance> guard_;
    std::unique_ptr<ProgramHelp> help_;
    QPointer<Tflogo> splash_;
    std::unique_ptr<TForm2> form2_;
    // Made and freed by the program in a fixed order; Qt's ownership is not used for them.
    TForm1* form1_ = nullptr;
    book::Tfmemo* memo_ = nullptr;
    book::Tfmemolog* memolog_ = nullptr;
    book::TfTelefoonLog* log_ = nullptr;
    book::TFTelefoonklapper* klapper_ = nullptr;
    Tfoutlook* outlook_ = nullptr;
};

}  // namespace monitor
