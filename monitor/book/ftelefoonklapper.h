#pragma once

#include <QMenu>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "monitor/book/klapper_core.h"
#include "monitor/book/klapper_foongrep.h"
#include "platform/ui/form.h"

class QAction;
class QLabel;
class QMenuBar;
class QPushButton;

namespace rtl {
class TIniFile;
}

namespace ui {
class TDBGrid;
class TDBNavigator;
}  // namespace ui

namespace book {

class TFtelklapperedit;
class Tfmemo;

// The phone-book window "Telefoonklapper": the grid over the phone book, the navigator, the
// count label and the menus. It lives from start-up to the end of the program and hides when
// closed. What it does is decided by its KlapperCore; the window shows the core's state.
class TFTelefoonklapper : public ui::Form {
    Q_OBJECT
  public:
    // `ini` is belvo.ini, `gridIni` belvodbgrid.ini, `folder` the program folder.
    TFTelefoonklapper(rtl::TIniFile& ini, rtl::TIniFile& gridIni, std::string folder,
                      QWidget* parent = nullptr);
    ~TFTelefoonklapper() override;

    KlapperCore& Core() { return *core_; }
    ui::TDBGrid& g2() { return *g2_; }
    ui::TDBNavigator& Navigator() { return *navigator_; }
    QMenu& SortMenu() { return *sortMenu_; }
    QMenu& FilterMenu() { return *filterMenu_; }
    QAction& AllesWissen() { return *allesWissen_; }
    QAction& GeenFilter() { return *geenFilter_; }
    QLabel& lteller() { return *lteller_; }
    QLabel& lbfa() { return *lbfa_; }
    KlapperFoongrep& Foongrep() { return *foongrep_; }
    QPushButton& AnnuleerZoeken() { return *annuleerZoeken_; }

    // The splash form's status line and the monitor window, as the program connects them.
    std::function<void(const std::string&)> OnSplashStep;
    std::function<void()> OnShowMonitor;

    // Start-up: the window's layout, the table with its indexes, the grid layout.
    void FormCreate();

    // The memo viewer made at start-up, which "Memo zichtbaar" shows.
    void SetMemo(Tfmemo* memo);
    // The commands of the menus, the grid and the dial button.
    void Lettertype1Click();
    void Memozichtbaar1Click();
    void Rapportmaken1Click();
    void Geselecteerderegels1Click();
    void ExporterenCsvClick();
    void ExporterenSpatiesClick();
    void Importeren1Click();
    void Zoek1Click();
    // Double click or Enter in the grid: the entry edit window on the current record.
    void g2DblClick();
    void bbelClick();
    // The entry edit window while it is open.
    TFtelklapperedit* EditWindow() const;
    QPushButton& bbel() { return *bbel_; }

  protected:
    void FormClose(ui::CloseAction& action) override;

  private:
    class Port;

    void BuildMenus(QMenuBar& bar);
    void BuildGrid();
    // The grid takes the window's font, and its columns the design widths, widened where that
    // font would cut a title or a sample value.
    void FitGridToFont();
    QWidget* BuildBottomPanel();
    void ShowState();
    // Runs a command; what it raises is shown, never passed to the event loop.
    void Guarded(const std::function<void()>& command);
    // The items of "Instellingen", "Rapport/Printen", "Wissen", "Import/Export", "Zoeken".
    void FillCommandMenus(QMenuBar& bar);
    QWidget* BuildDialButton(QWidget& panel);
    // Frees the windows opened on this phone book that would outlive it.
    void CloseCommandWindows();

    rtl::TIniFile& ini_;
    rtl::TIniFile& gridIni_;
    QPointer<TFtelklapperedit> edit_;
    QPointer<Tfmemo> memo_;
    QPushButton* bbel_ = nullptr;
    std::unique_ptr<Port> port_;
    std::unique_ptr<KlapperCore> core_;
    ui::TDBGrid* g2_ = nullptr;
    ui::TDBNavigator* navigator_ = nullptr;
    QMenu* sortMenu_ = nullptr;
    QMenu* filterMenu_ = nullptr;
    QMenu* foongrepMenu_ = nullptr;
    std::array<QAction*, kKlapperIndexes> sortItems_{};
    std::array<QAction*, kKlapperFilters> filterItems_{};
    QAction* geenFilter_ = nullptr;
    QAction* allesWissen_ = nullptr;
    QLabel* lbfa_ = nullptr;
    QLabel* lteller_ = nullptr;
    QPushButton* annuleerZoeken_ = nullptr;
    std::unique_ptr<KlapperFoongrep> foongrep_;
};

}  // namespace book
