#include "platform/db/field_data_link.h"

#include "platform/db/data_set.h"
#include "platform/db/field.h"

namespace db {

void TFieldDataLink::SetFieldName(const std::string& name) {
    if (field_name_ != name) {
        field_name_ = name;
        UpdateField();
    }
}

bool TFieldDataLink::CanModify() const {
    return !ReadOnly() && field_ != nullptr && field_->CanModify();
}

void TFieldDataLink::Reset() {
    RecordChanged(nullptr);
}

void TFieldDataLink::UpdateField() {
    TField* field = nullptr;
    if (Active() && !field_name_.empty()) {
        field = DataSet()->FindField(field_name_);
    }
    field_ = field;
    modified_ = false;
    Fire(OnDataChange);
}

void TFieldDataLink::ActiveChanged() {
    UpdateField();
    Fire(OnActiveChange);
}

void TFieldDataLink::EditingChanged() {
    Fire(OnEditingChange);
}

void TFieldDataLink::LayoutChanged() {
    UpdateField();
}

void TFieldDataLink::RecordChanged(TField* field) {
    if (field == nullptr || field == field_) {
        modified_ = false;
        Fire(OnDataChange);
    }
}

void TFieldDataLink::UpdateData() {
    if (modified_) {
        Fire(OnUpdateData);
        modified_ = false;
    }
}

void TFieldDataLink::FocusControl(TField* field) {
    if (field != nullptr && field == field_) {
        Fire(OnFocusControl);
    }
}

}  // namespace db
