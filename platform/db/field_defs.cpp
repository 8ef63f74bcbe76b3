#include "platform/db/field_defs.h"

#include "platform/db/data_set.h"
#include "platform/db/database_error.h"
#include "platform/db/field_kinds.h"
#include "platform/db/field_name.h"

namespace db {

TFieldDef::TFieldDef(TFieldDefs* owner, std::string name, TFieldType type, int size, bool required,
                     int field_no)
    : owner_(owner),
      name_(std::move(name)),
      data_type_(type),
      size_(size),
      required_(required),
      field_no_(field_no) {}

TField* TFieldDef::CreateField(TComponent* owner) const {
    TField* field = nullptr;
    switch (data_type_) {
        case ftString:
            field = new TStringField(owner, size_);
            break;
        case ftSmallint:
            field = new TSmallintField(owner);
            break;
        case ftFloat:
            field = new TFloatField(owner);
            break;
        case ftCurrency:
            field = new TCurrencyField(owner);
            break;
        case ftBoolean:
            field = new TBooleanField(owner);
            break;
        case ftDate:
            field = new TDateField(owner);
            break;
        case ftMemo:
            field = new TMemoField(owner);
            break;
        case ftBlob:
        case ftDBaseOle:
        case ftTypedBinary:
        case ftGraphic:
        case ftFmtMemo:
        case ftParadoxOle:
            field = new TBlobField(owner, data_type_);
            break;
        default: {
            TDataSet* data_set = owner_ != nullptr ? owner_->DataSet() : nullptr;
            DatabaseError("Field '" + name_ + "' is of an unknown type", data_set);
        }
    }
    if (data_type_ != ftString) {
        field->SetSize(size_);
    }
    field->SetFieldName(name_);
    field->SetRequired(required_);
    if (internal_calc_) {
        field->SetFieldKind(fkInternalCalc);
    }
    if (owner_ != nullptr) {
        field->SetDataSet(owner_->DataSet());
    }
    return field;
}

TFieldDef& TFieldDefs::Add(std::string name, TFieldType type, int size, bool required,
                           int field_no) {
    if (IndexOf(name) >= 0) {
        DatabaseError("Duplicate field name '" + name + "'", data_set_);
    }
    if (field_no == 0) {
        field_no = Count() + 1;
    }
    items_.push_back(
        std::make_unique<TFieldDef>(this, std::move(name), type, size, required, field_no));
    return *items_.back();
}

int TFieldDefs::IndexOf(std::string_view name) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (SameFieldName(items_[i]->Name(), name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

TFieldDef& TFieldDefs::Find(std::string_view name) const {
    const int index = IndexOf(name);
    if (index < 0) {
        DatabaseError("Field '" + std::string(name) + "' not found", data_set_);
    }
    return Items(index);
}

void TFieldDefs::Update() {
    if (!updated_ && data_set_ != nullptr) {
        data_set_->InitFieldDefs();
    }
}

}  // namespace db
