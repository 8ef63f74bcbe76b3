#pragma once

#include <string_view>
#include <vector>

namespace db {

class TDataSet;
class TField;

// The data set's fields in field order; it does not own them (their owner does).
class TFields {
  public:
    explicit TFields(TDataSet* data_set) : data_set_(data_set) {}

    int Count() const { return static_cast<int>(list_.size()); }
    TField& operator[](int index) const { return *list_.at(static_cast<std::size_t>(index)); }
    TField* FindField(std::string_view name) const;
    // "Field '%s' not found", led by the data set's name.
    TField& FieldByName(std::string_view name) const;
    TField* FieldByNumber(int field_no) const;
    int IndexOf(const TField* field) const;
    void Move(int from, int to);

  private:
    friend class TField;
    friend class TDataSet;
    void Add(TField* field);
    void Remove(TField* field);

    TDataSet* data_set_;
    std::vector<TField*> list_;
};

}  // namespace db
