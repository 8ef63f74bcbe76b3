#pragma once

#include <QPushButton>

#include "platform/ui/db_memo.h"
#include "platform/ui/db_navigator.h"
#include "platform/ui/db_text.h"
#include "platform/ui/form.h"

namespace db {
class TDataSource;
}

namespace book {

// The call log's memo viewer: the name and memo of the log window's current row, kept on top.
// Made hidden at start-up and kept; closing hides it.
class Tfmemolog : public ui::Form {
    Q_OBJECT
  public:
    explicit Tfmemolog(QWidget* parent = nullptr);

    // The log window's data source; the viewer follows its current row.
    void SetDataSource(db::TDataSource* source);

    ui::TDBText* DBText1;
    ui::TDBMemo* DBMemo1;
    ui::TDBNavigator* DBNavigator1;
    QPushButton* BitBtn1;
};

}  // namespace book
