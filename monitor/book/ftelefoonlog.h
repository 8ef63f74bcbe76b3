#pragma once

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
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

namespace book {

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

    QMenuBar* MainMenu1;
    QMenu* Sorteren1;
    std::array<QAction*, kLogIndexCount> msorteren{};
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
    void BuildGrid();
    void BuildPanel();

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
};

}  // namespace book
