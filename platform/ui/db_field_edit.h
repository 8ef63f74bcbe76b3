#pragma once

#include <string>

#include "platform/db/field_data_link.h"

class QWidget;

namespace db {
class TDataSource;
class TField;
}  // namespace db

namespace ui {

// What the edit controls of a field share: the link to the field, asking the data set to edit
// before a key changes the text, handing the text over and undoing a change with Esc.
class TDBFieldEdit {
  public:
    db::TDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(db::TDataSource* source);
    const std::string& DataField() const { return link_.FieldName(); }
    void SetDataField(const std::string& name) { link_.SetFieldName(name); }
    db::TField* Field() const { return link_.Field(); }
    bool ReadOnly() const { return link_.ReadOnly(); }
    void SetReadOnly(bool value) { link_.SetReadOnly(value); }
    bool Modified() const { return link_.Modified(); }

  protected:
    // `control` is the widget that derives from this; it takes the focus back when the field
    // refuses the text. A change of data or of the link's activity shows the field again.
    explicit TDBFieldEdit(QWidget& control);
    virtual ~TDBFieldEdit() = default;
    TDBFieldEdit(const TDBFieldEdit&) = delete;
    TDBFieldEdit& operator=(const TDBFieldEdit&) = delete;

    virtual void ShowField() = 0;
    // False when the field or data set cannot be modified or the edit failed (shown): the key
    // that would change the text is dropped.
    bool AskEdit();
    // A changed text goes to the field; when it refuses, the error is shown and the focus
    // stays here. A text with characters the field cannot store is refused, naming them
    // (db::CheckHoldable), and stays in the control; so it is when the data set posts.
    void HandOver();
    // Esc: true when a changed text was put back to the field's value.
    bool UndoChange();

    db::TFieldDataLink link_;

  private:
    QWidget& control_;
};

}  // namespace ui
