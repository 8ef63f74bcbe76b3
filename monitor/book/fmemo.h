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

// "Memo Klapper": the name and memo of the phone book's current record, following it. Made at
// start-up and kept; closing hides it.
class Tfmemo : public ui::Form {
    Q_OBJECT
  public:
    explicit Tfmemo(QWidget* parent = nullptr);

    // The phone book's data source.
    void SetDataSource(db::TDataSource* source);

    void BitBtn1Click();

    ui::TDBText* DBText1;
    ui::TDBMemo* DBMemo1;
    ui::TDBNavigator* DBNavigator1;
    QPushButton* BitBtn1;
};

}  // namespace book
