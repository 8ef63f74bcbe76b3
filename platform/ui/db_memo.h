#pragma once

#include <QPlainTextEdit>
#include <string>

#include "platform/ui/db_field_edit.h"

namespace ui {

// A multi-line edit of a memo field with a vertical scroll bar. Typing asks the data source to
// edit first; leaving the control and the data set's Post hand the text over; Esc shows the
// field's value again.
class TDBMemo : public QPlainTextEdit, public TDBFieldEdit {
    Q_OBJECT

  public:
    explicit TDBMemo(QWidget* parent = nullptr);
    ~TDBMemo() override;

    std::string Text() const { return toPlainText().toStdString(); }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

  private:
    void ShowField() override;

    bool showing_ = false;
};

}  // namespace ui
