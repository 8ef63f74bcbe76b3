#pragma once

#include <functional>
#include <string>

#include "platform/db/data_link.h"

namespace db {

class TField;

// The link of a control that shows one field: it finds the field by name when the data
// set opens or its fields change, says when the control must show the field again, and
// asks the control for its text when the data set posts.
class TFieldDataLink : public TDataLink {
  public:
    const std::string& FieldName() const { return field_name_; }
    void SetFieldName(const std::string& name);
    // Null while closed or when the data set lacks the field.
    TField* Field() const { return field_; }
    // The control may change the field now or after asking to edit.
    bool CanModify() const;
    // The control's text differs from the field; UpdateData hands it over.
    bool Modified() const { return modified_; }
    void SetModified() { modified_ = true; }
    // Shows the field again and forgets the control's changes.
    void Reset();

    // The control shows the field's value again.
    std::function<void()> OnDataChange;
    std::function<void()> OnEditingChange;
    // The control writes its text into the field.
    std::function<void()> OnUpdateData;
    std::function<void()> OnActiveChange;
    std::function<void()> OnFocusControl;

  protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;
    void FocusControl(TField* field) override;

  private:
    void UpdateField();
    static void Fire(const std::function<void()>& event) {
        if (event) {
            event();
        }
    }

    std::string field_name_;
    TField* field_ = nullptr;
    bool modified_ = false;
};

}  // namespace db
