#pragma once

#include <QLineEdit>
#include <string>

#include "platform/db/field_data_link.h"

namespace db {
class TDataSource;
class TField;
}  // namespace db

namespace ui {

// A one-line edit of a field. Typing asks the data source to edit first (a read-only field or
// data set swallows the key); Enter, leaving the control and the data set's Post hand the
// text to the field; Esc shows the field's value again. Text fields allow at most their size.
class TDBEdit : public QLineEdit {
    Q_OBJECT

  public:
    explicit TDBEdit(QWidget* parent = nullptr);
    ~TDBEdit() override;

    db::TDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(db::TDataSource* source);
    const std::string& DataField() const { return link_.FieldName(); }
    void SetDataField(const std::string& name) { link_.SetFieldName(name); }
    db::TField* Field() const { return link_.Field(); }
    bool ReadOnly() const { return link_.ReadOnly(); }
    void SetReadOnly(bool value) { link_.SetReadOnly(value); }
    bool Modified() const { return link_.Modified(); }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

  private:
    void ShowField();
    void HandOver();
    bool AskEdit();

    db::TFieldDataLink link_;
    bool showing_ = false;
};

}  // namespace ui
