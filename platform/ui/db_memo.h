#pragma once

#include <QPlainTextEdit>
#include <string>

#include "platform/db/field_data_link.h"

namespace db {
class TDataSource;
class TField;
}  // namespace db

namespace ui {

// A multi-line edit of a memo field with a vertical scroll bar. Typing asks the data source to
// edit first; leaving the control and the data set's Post hand the text over; Esc shows the
// field's value again.
class TDBMemo : public QPlainTextEdit {
    Q_OBJECT

  public:
    explicit TDBMemo(QWidget* parent = nullptr);
    ~TDBMemo() override;

    db::TDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(db::TDataSource* source);
    const std::string& DataField() const { return link_.FieldName(); }
    void SetDataField(const std::string& name) { link_.SetFieldName(name); }
    db::TField* Field() const { return link_.Field(); }
    bool ReadOnly() const { return link_.ReadOnly(); }
    void SetReadOnly(bool value) { link_.SetReadOnly(value); }
    bool Modified() const { return link_.Modified(); }
    std::string Text() const { return toPlainText().toStdString(); }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

  private:
    void ShowField();
    void HandOver();
    bool AskEdit();

    db::TFieldDataLink link_;
    bool showing_ = false;
};

}  // namespace ui
