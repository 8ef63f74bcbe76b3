#include "platform/db/field.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/db/data_set.h"
#include "platform/db/database_error.h"
#include "platform/db/field_name.h"
#include "platform/db/fields.h"

namespace db {

TField::TField(TComponent* owner, TFieldType type) : TComponent(owner), data_type_(type) {}

TField::~TField() {
    // No checks here: a field may go while its data set is open.
    if (data_set_ != nullptr) {
        data_set_->Fields().Remove(this);
        data_set_ = nullptr;
    }
}

void TField::SetDataSet(TDataSet* data_set) {
    if (data_set == data_set_) {
        return;
    }
    if (data_set != nullptr) {
        data_set->CheckInactive();
        if (!field_name_.empty() && data_set->FindField(field_name_) != nullptr) {
            DatabaseError("Duplicate field name '" + field_name_ + "'", data_set);
        }
    }
    if (data_set_ != nullptr) {
        data_set_->CheckInactive();
        data_set_->Fields().Remove(this);
    }
    data_set_ = data_set;
    if (data_set_ != nullptr) {
        data_set_->Fields().Add(this);
    }
}

void TField::SetFieldName(std::string name) {
    if (data_set_ != nullptr) {
        data_set_->CheckInactive();
        TField* other = data_set_->FindField(name);
        if (other != nullptr && other != this) {
            DatabaseError("Duplicate field name '" + name + "'", data_set_);
        }
    }
    field_name_ = std::move(name);
}

void TField::SetFieldKind(TFieldKind kind) {
    if (data_set_ != nullptr) {
        data_set_->CheckInactive();
    }
    field_kind_ = kind;
}

void TField::SetSize(int size) {
    if (data_set_ != nullptr) {
        data_set_->CheckInactive();
    }
    size_ = size;
}

int TField::Index() const {
    return data_set_ != nullptr ? data_set_->Fields().IndexOf(this) : -1;
}

bool TField::CanModify() const {
    return !read_only_ && data_set_ != nullptr && field_kind_ != fkLookup && data_set_->CanModify();
}

bool TField::GetData(void* buffer) const {
    if (data_set_ == nullptr) {
        DatabaseError("Field '" + DisplayLabel() + "' has no dataset");
    }
    if (in_validate_) {
        if (validating_ == nullptr) {
            return false;
        }
        if (buffer != nullptr) {
            std::memcpy(buffer, validating_, static_cast<std::size_t>(DataSize()));
        }
        return true;
    }
    return data_set_->GetFieldData(const_cast<TField&>(*this), buffer);
}

void TField::SetData(const void* buffer) {
    if (data_set_ == nullptr) {
        DatabaseError("Field '" + DisplayLabel() + "' has no dataset");
    }
    data_set_->SetFieldData(*this, buffer);
}

void TField::Validate(const void* buffer) {
    if (!OnValidate) {
        return;
    }
    const void* old = validating_;
    const bool old_in = in_validate_;
    validating_ = buffer;
    in_validate_ = true;
    try {
        OnValidate(*this);
    } catch (...) {
        validating_ = old;
        in_validate_ = old_in;
        throw;
    }
    validating_ = old;
    in_validate_ = old_in;
}

void TField::Change() {
    if (OnChange) {
        OnChange(*this);
    }
}

void TField::AccessError(const char* type_name) const {
    DatabaseError("Cannot access field '" + DisplayLabel() + "' as type " + type_name);
}

void TField::RangeError(double value, double min, double max) const {
    char text[160];
    std::snprintf(text, sizeof text, "%g is not a valid value for field '", value);
    std::string message = text;
    message += DisplayLabel();
    std::snprintf(text, sizeof text, "'. The allowed range is %g to %g", min, max);
    message += text;
    DatabaseError(message);
}

std::string TField::GetAsString() const {
    AccessError("String");
}
void TField::SetAsStringValue(std::string_view) {
    AccessError("String");
}
int TField::GetAsInteger() const {
    AccessError("Integer");
}
void TField::SetAsIntegerValue(int) {
    AccessError("Integer");
}
double TField::GetAsFloat() const {
    AccessError("Float");
}
void TField::SetAsFloatValue(double) {
    AccessError("Float");
}
bool TField::GetAsBoolean() const {
    AccessError("Boolean");
}
void TField::SetAsBooleanValue(bool) {
    AccessError("Boolean");
}
double TField::GetAsDateTime() const {
    AccessError("DateTime");
}
void TField::SetAsDateTimeValue(double) {
    AccessError("DateTime");
}
TFieldValue TField::GetAsVariant() const {
    AccessError("Variant");
}

void TField::SetValue(const TFieldValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        SetAsString(*text);
    } else if (const auto* whole = std::get_if<std::int64_t>(&value)) {
        SetAsInteger(static_cast<int>(*whole));
    } else if (const auto* number = std::get_if<double>(&value)) {
        SetAsFloat(*number);
    } else if (const auto* truth = std::get_if<bool>(&value)) {
        SetAsBoolean(*truth);
    } else {
        Clear();
    }
}

std::u32string TField::Unholdable(std::string_view) const {
    return {};
}

std::string TField::DisplayText() const {
    std::string text = GetText(true);
    if (OnGetText) {
        OnGetText(const_cast<TField&>(*this), text, true);
    }
    return text;
}

std::string TField::Text() const {
    std::string text = GetText(false);
    if (OnGetText) {
        OnGetText(const_cast<TField&>(*this), text, false);
    }
    return text;
}

void TField::SetText(std::string_view text) {
    if (OnSetText) {
        OnSetText(*this, text);
    } else {
        SetAsString(text);
    }
}

// The field list

void TFields::Add(TField* field) {
    list_.push_back(field);
}

void TFields::Remove(TField* field) {
    list_.erase(std::remove(list_.begin(), list_.end(), field), list_.end());
}

TField* TFields::FindField(std::string_view name) const {
    for (TField* field : list_) {
        if (SameFieldName(field->FieldName(), name)) {
            return field;
        }
    }
    return nullptr;
}

TField& TFields::FieldByName(std::string_view name) const {
    TField* field = FindField(name);
    if (field == nullptr) {
        DatabaseError("Field '" + std::string(name) + "' not found", data_set_);
    }
    return *field;
}

TField* TFields::FieldByNumber(int field_no) const {
    for (TField* field : list_) {
        if (field->FieldNo() == field_no) {
            return field;
        }
    }
    return nullptr;
}

int TFields::IndexOf(const TField* field) const {
    const auto it = std::find(list_.begin(), list_.end(), field);
    return it == list_.end() ? -1 : static_cast<int>(it - list_.begin());
}

void TFields::Move(int from, int to) {
    if (from < 0 || from >= Count() || to < 0 || to >= Count()) {
        DatabaseError("List index out of bounds", data_set_);
    }
    TField* field = list_[static_cast<std::size_t>(from)];
    list_.erase(list_.begin() + from);
    list_.insert(list_.begin() + to, field);
}

}  // namespace db
