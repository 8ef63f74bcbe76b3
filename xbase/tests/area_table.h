#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/db/database_error.h"
#include "platform/db/memory_data_set.h"
#include "xbase/engine_api.h"
#include "xbase/xbase_table.h"

namespace xbase::testing {

// A data set that opens one engine table in an area of its own; its rows live in memory
// and stand for the table's records only where the data set's state matters.
class AreaTable : public db::TMemoryDataSet, public XbaseTable {
  public:
    AreaTable(std::string path, XbaseDriver driver = XbaseDriver::Fox)
        : path_(std::move(path)), driver_(driver) {
        FieldDefs().Add("NAAM", db::ftString, 20);
    }
    ~AreaTable() override { Close(); }

    bool exclusive = true;
    std::vector<std::string> indexNames;  // every SetIndexName, in order
    int indexDefReads = 0;

    int32_t WorkArea() const override { return area_; }
    XbaseDriver Driver() const override { return driver_; }
    void SetIndexName(const std::string& tag) override { indexNames.push_back(tag); }
    void ReadIndexDefs() override { ++indexDefReads; }

  protected:
    void InternalOpen() override {
        area_ =
            Engine().sx_Use(path_.c_str(), nullptr, exclusive ? SX_EXCLUSIVE : SX_SHARED, SX_FOX);
        if (area_ == 0) {
            db::DatabaseError("cannot open " + path_);
        }
        db::TMemoryDataSet::InternalOpen();
    }
    void InternalClose() override {
        db::TMemoryDataSet::InternalClose();
        if (area_ != 0) {
            const int32_t previous = Engine().sx_Select(area_);
            Engine().sx_Close();
            if (previous != area_) {
                Engine().sx_Select(previous);
            }
            area_ = 0;
        }
    }

  private:
    std::string path_;
    XbaseDriver driver_;
    int32_t area_ = 0;
};

}  // namespace xbase::testing
