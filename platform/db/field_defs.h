#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/data_set_types.h"

namespace db {

class TComponent;
class TDataSet;
class TField;

class TFieldDefs;

// What the data set knows of one field of its records.
class TFieldDef {
  public:
    TFieldDef(TFieldDefs* owner, std::string name, TFieldType type, int size, bool required,
              int field_no);

    const std::string& Name() const { return name_; }
    TFieldType DataType() const { return data_type_; }
    int Size() const { return size_; }
    bool Required() const { return required_; }
    int FieldNo() const { return field_no_; }
    bool InternalCalcField() const { return internal_calc_; }
    void SetInternalCalcField(bool value) { internal_calc_ = value; }
    int Precision() const { return precision_; }
    void SetPrecision(int value) { precision_ = value; }

    // A field object of the kind for the type, owned by owner and bound to the data set.
    TField* CreateField(TComponent* owner) const;

  private:
    TFieldDefs* owner_;
    std::string name_;
    TFieldType data_type_;
    int size_;
    bool required_;
    int field_no_;
    bool internal_calc_ = false;
    int precision_ = 0;
};

class TFieldDefs {
  public:
    explicit TFieldDefs(TDataSet* data_set) : data_set_(data_set) {}

    // "Duplicate field name '%s'"; the field number is the 1-based position unless given.
    TFieldDef& Add(std::string name, TFieldType type, int size = 0, bool required = false,
                   int field_no = 0);
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    TFieldDef& Items(int index) const { return *items_.at(static_cast<std::size_t>(index)); }
    TFieldDef& operator[](int index) const { return Items(index); }
    int IndexOf(std::string_view name) const;
    // "Field '%s' not found".
    TFieldDef& Find(std::string_view name) const;

    TDataSet* DataSet() const { return data_set_; }
    bool Updated() const { return updated_; }
    void SetUpdated(bool value) { updated_ = value; }
    // Reads the definitions from the data set when they are not up to date.
    void Update();

  private:
    TDataSet* data_set_;
    std::vector<std::unique_ptr<TFieldDef>> items_;
    bool updated_ = false;
};

}  // namespace db
