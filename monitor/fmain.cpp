#include "monitor/fmain.h"

#include <QApplication>
#include <QMenu>
#include <exception>

#include "components/tray_icon.h"
#include "monitor/settings.h"
#include "platform/os/tray_shell.h"
#include "platform/rtl/date_time.h"
#include "platform/rtl/program_folder.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/help.h"

namespace monitor {

TForm2::TForm2(std::string programmadir, const std::function<void(const std::string&)>& splash,
               std::unique_ptr<os::TrayShell> shell)
    : programmadir_(std::move(programmadir)) {
    rtl::FormatSettings().ShortDateFormat = "yyyy-mm-dd";
    rtl::FormatSettings().ShortTimeFormat = "hh:nn";
    belvo_ = std::make_unique<rtl::TIniFile>(rtl::JoinPath(programmadir_, "belvo.ini"));
    grids_ = std::make_unique<rtl::TIniFile>(rtl::JoinPath(programmadir_, "belvodbgrid.ini"));
    if (splash) {
        splash("Instellingen laden");
    }
    laadinstellingen();

    popupMenu1_ = std::make_unique<QMenu>();
    BuildMenu();
    trayIcon1_ = std::make_unique<TTrayIcon>(nullptr, std::move(shell));
    trayIcon1_->SetIcon(QApplication::windowIcon());
    trayIcon1_->SetToolTip(kStartTip);
    trayIcon1_->SetPopupMenu(popupMenu1_.get());
    trayIcon1_->OnClick = [this](TTrayIcon*) { Guarded(OnToonMonitor); };
    trayIcon1_->SetActive(true);
}

TForm2::~TForm2() {
    trayIcon1_.reset();
}

void TForm2::laadinstellingen() {
    instellingen = LaadInstellingen(*belvo_, programmadir_);
}

void TForm2::BuildMenu() {
    auto item = [this](const char* caption, std::function<void()>* handler) {
        QAction* a = popupMenu1_->addAction(QString::fromUtf8(caption));
        connect(a, &QAction::triggered, this, [handler] { Guarded(*handler); });
        return a;
    };
    menuForm1Belverin = item("&Monitor", &OnToonMonitor);
    popupMenu1_->setDefaultAction(menuForm1Belverin);
    menuTelefoonklapper1 = item("&Klapper", &OnToonKlapper);
    menuTelefoonlog1 = item("&Log ", &OnToonLog);
    popupMenu1_->addSeparator();  // N1
    menuInstellingen1 = item("&Instellingen", &OnInstellingen);
    Help1 = popupMenu1_->addAction("&Help");
    connect(Help1, &QAction::triggered, this,
            [] { Guarded([] { ui::ShowHelpContext(kHelpContext); }); });
    popupMenu1_->addSeparator();  // niets
    About1 = item("In&fo", &OnInfo);
    popupMenu1_->addSeparator();  // N2
    menuExitApplication1 = item("&Sluiten", &OnSluiten);
}

void TForm2::Guarded(const std::function<void()>& handler) {
    if (!handler) {
        return;
    }
    try {
        handler();
    } catch (const std::exception& e) {
        ui::ShowException(e);
    }
}

}  // namespace monitor
