#pragma once

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "monitor/book/telefoon_log.h"
#include "platform/rtl/ini_file.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/db_navigator.h"
#include "platform/ui/form.h"

namespace monitor {
class DirectoryRunner;
}

namespace book {

class KlapperCore;
class LogFoongrep;
class Tflogedit;
class Tfmemolog;

// The call-log window. Made hidden at start-up and kept until the program ends; closing hides
// it and stores its settings. Its decisions are in TelefoonLog.
class TfTelefoonLog : public ui::Form, private TelefoonLogPort {
    Q_OBJECT
  public:
    using SplashText = std::function<void(const std::string&)>;

    // `belvo` is the settings file, `grids` the grid-layout file; `splash` shows a start-up
    // step (may be empty).
    TfTelefoonLog(const std::string& programDir, rtl::TIniFile& belvo, rtl::TIniFile& grids,
                  SplashText splash, QWidget* parent = nullptr);
    ~TfTelefoonLog() override;

    // The window's start-up, run once by the program's start-up.
    void FormCreate();

    TelefoonLog& Core() { return *core_; }
    xbase::TTable& t1() { return core_->t1(); }
    db::TDataSource& DataSource1() { return core_->DataSource1(); }
    xbase::TXbase& a1() { return core_->a1(); }

    // What the window needs of the program around it, connected at start-up: the phone book
    // that lookups scan and rows are copied into, the memo viewer, the phone-book window and
    // the monitor's counter reset.
    void SetKlapper(KlapperCore* klapper) { klapper_ = klapper; }
    void SetMemo(Tfmemolog* memo);
    std::function<void()> OnShowKlapper;
    std::function<void()> OnResetTeller;
    // The directory runner of the lookups; the program's shared one when none is set before
    // the first lookup.
    void SetDirectoryRunner(monitor::DirectoryRunner* runner);

    // The commands of the menus, the buttons and the grid.
    void Lettertype1Click();
    void mnMemozichtbaar1Click();
    void msorterenClick(int n);
    void FilteropClick(int n);
    void Geenfilter1Click();
    void Print2Click();
    void Geselecteerderegels1Click();
    void Wisalles1Click();
    void Gescheidendoorkommas1Click();
    void Gescheidendoorspaties1Click();
    void Zoeken2Click();
    void bNaartelefoonklapperClick();
    void bbelClick();
    void g1DblClick();
    LogFoongrep& Foongrep() { return *foongrep_; }
    // The edit form while it is open.
    Tflogedit* EditForm() const;

    QMenuBar* MainMenu1;
    QMenu* Instellingen1;
    QAction* Lettertype1;
    QAction* mnMemozichtbaar1;
    QMenu* Sorteren1;
    std::array<QAction*, kLogIndexCount> msorteren{};
    QMenu* Foongrep1;
    QMenu* Filters1;
    std::array<QAction*, kLogFilterCount> mfilters{};
    QAction* Zelfeenfiltermaken1;
    QAction* Geenfilter1;
    QMenu* RapportPrinten1;
    QAction* Print2;
    QMenu* Wissen1;
    QAction* Geselecteerderegels1;
    QAction* Wisalles1;
    QMenu* Exporteren1;
    QAction* Gescheidendoorkommas1;
    QAction* Gescheidendoorspaties1;
    QMenu* Zoeken1;
    QAction* Zoeken2;
    ui::TDBGrid* g1;
    QWidget* Panel1;
    QLabel* lbfa;
    QLabel* lteller;
    QToolButton* bNaartelefoonklapper;
    QToolButton* bbel;
    ui::TDBNavigator* DBNavigator1;
    QPushButton* BitBtn1;
    QPushButton* banuleerzoeken;
    QPlainTextEdit* Memo1;

  protected:
    void FormClose(ui::CloseAction& action) override;

  private:
    void BuildMenu();
    void BuildCommandMenus();
    void BuildGrid();
    // The grid takes the window's font, and its columns the design widths, widened where that
    // font would cut a title or a sample value.
    void FitGridToFont();
    void BuildPanel();
    // Runs a command; what it raises is shown, never passed to the event loop.
    void Guarded(const std::function<void()>& command);
    // Frees the windows opened on this log that would outlive it.
    void CloseCommandWindows();

    // TelefoonLogPort
    void SplashStep(const std::string& text) override;
    void ErrorBox(const std::string& text) override;
    void MessageBox(const std::string& text) override;
    void ShowException(const std::string& message) override;
    void RestoreWindowLayout() override;
    void StoreWindowLayout() override;
    void LoadGridLayout(const std::string& name) override;
    void SaveGridLayout(const std::string& name) override;
    void ShowCounter(const std::string& text) override;
    void CheckSortItem(int index) override;
    int CheckedSortItem() const override;

    rtl::TIniFile& belvo_;
    rtl::TIniFile& grids_;
    SplashText splash_;
    QActionGroup* sortGroup_ = nullptr;
    std::unique_ptr<TelefoonLog> core_;
    KlapperCore* klapper_ = nullptr;
    QPointer<Tfmemolog> memo_;
    QPointer<Tflogedit> edit_;
    // The "Filters" items marked since the last "Filters uit".
    std::array<bool, kLogFilterCount> filterMarks_{};
    void ShowFilterMarks();
    std::unique_ptr<LogFoongrep> foongrep_;
};

}  // namespace book
