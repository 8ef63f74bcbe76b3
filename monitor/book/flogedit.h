#pragma once

#include <QPushButton>
#include <array>

#include "platform/ui/form.h"

namespace ui {
class TDBCtrlGrid;
class TDBEdit;
class TDBMemo;
class TDBNavigator;
}  // namespace ui

namespace book {

class TelefoonLog;

// "Invoerscherm Log": one call-log row on the log's data source, in a one-record panel of
// labelled edits and the memo, with a full navigator. Made when opened, freed when closed;
// closing stores a pending edit or insert and commits.
class Tflogedit : public ui::Form {
    Q_OBJECT
  public:
    static Tflogedit* Open(TelefoonLog& log);
    explicit Tflogedit(TelefoonLog& log, QWidget* parent = nullptr);

    static constexpr int kEditCount = 13;

    ui::TDBCtrlGrid* DBCtrlGrid1;
    std::array<ui::TDBEdit*, kEditCount> edits{};  // in the panel's order
    ui::TDBMemo* DBMemo1;
    ui::TDBNavigator* DBNavigator1;
    QPushButton* BitBtn1;

  protected:
    void FormClose(ui::CloseAction& action) override;

  private:
    TelefoonLog& log_;
};

}  // namespace book
