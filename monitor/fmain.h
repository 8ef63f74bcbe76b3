#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "platform/rtl/ini_file.h"

class QAction;
class QMenu;
class TTrayIcon;

namespace os {
class TrayShell;
}

namespace monitor {

// The main form: never shown. It sets the process-wide formats, opens belvo.ini and
// belvodbgrid.ini, reads the settings and carries the tray icon with its menu.
class TForm2 : public QObject {
    Q_OBJECT
  public:
    static constexpr int kHelpContext = 10;
    static constexpr const char* kStartTip = "Een moment geduld AUB (Initialisatie)";

    // `splash` shows the step being run; `shell` replaces the desktop's tray (tests).
    TForm2(std::string programmadir, const std::function<void(const std::string&)>& splash,
           std::unique_ptr<os::TrayShell> shell = {});
    ~TForm2() override;

    const std::string& programmadir() const { return programmadir_; }
    rtl::TIniFile& Belvo() { return *belvo_; }
    rtl::TIniFile& Grids() { return *grids_; }
    TTrayIcon& TrayIcon1() { return *trayIcon1_; }
    QMenu& PopupMenu1() { return *popupMenu1_; }

    // Reads every setting of belvo.ini into the process-wide state.
    void laadinstellingen();

    // What the menu and the icon ask of the program.
    std::function<void()> OnToonMonitor;
    std::function<void()> OnToonKlapper;
    std::function<void()> OnToonLog;
    std::function<void()> OnInstellingen;
    std::function<void()> OnInfo;
    std::function<void()> OnSluiten;

    QAction* menuForm1Belverin;
    QAction* menuTelefoonklapper1;
    QAction* menuTelefoonlog1;
    QAction* menuInstellingen1;
    QAction* Help1;
    QAction* About1;
    QAction* menuExitApplication1;

  private:
    void BuildMenu();
    // Runs a handler; what it raises is shown, never passed to the event loop.
    static void Guarded(const std::function<void()>& handler);

    std::string programmadir_;
    std::unique_ptr<rtl::TIniFile> belvo_;
    std::unique_ptr<rtl::TIniFile> grids_;
    std::unique_ptr<QMenu> popupMenu1_;
    std::unique_ptr<TTrayIcon> trayIcon1_;
};

}  // namespace monitor
