#pragma once

#include <string>

#include "monitor/book/lookup_walk_ports.h"

namespace db {
class TDataSet;
}

namespace book {

// The lookup's table port over a data set whose rows hold a number and a status field.
class DataSetLookupTable : public LookupTable {
  public:
    DataSetLookupTable(db::TDataSet& data, std::string numberField, std::string statusField);

    std::uint64_t Opening() override;
    std::optional<RowMark> Current() override;
    std::vector<RowMark> Rows() override;
    std::optional<std::string> NumberAt(const RowMark& row) override;
    bool MoveTo(const RowMark& row) override;
    bool Write(const RowMark& row, std::string_view number, const EntryAnswer& answer) override;

  private:
    db::TDataSet& data_;
    std::string numberField_;
    std::string statusField_;
};

}  // namespace book
