#pragma once

#include <QLineEdit>

#include "platform/ui/db_field_edit.h"

namespace ui {

// A one-line edit of a field. Typing asks the data source to edit first (a read-only field or
// data set swallows the key); Enter, leaving the control and the data set's Post hand the
// text to the field; Esc shows the field's value again. Text fields allow at most their size.
class TDBEdit : public QLineEdit, public TDBFieldEdit {
    Q_OBJECT

  public:
    explicit TDBEdit(QWidget* parent = nullptr);
    ~TDBEdit() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

  private:
    void ShowField() override;

    bool showing_ = false;
};

}  // namespace ui
