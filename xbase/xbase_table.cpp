#include "xbase/xbase_table.h"

#include "platform/db/data_set.h"
#include "xbase/table.h"

namespace xbase {

namespace {

// A data set that is its own table; not owned.
class Borrowed : public XbaseTable {
  public:
    explicit Borrowed(XbaseTable& table) : table_(table) {}
    int32_t WorkArea() const override { return table_.WorkArea(); }
    XbaseDriver Driver() const override { return table_.Driver(); }
    void SetIndexName(const std::string& tag) override { table_.SetIndexName(tag); }
    void ReadIndexDefs() override { table_.ReadIndexDefs(); }

  private:
    XbaseTable& table_;
};

// The table data set.
class TableAccess : public XbaseTable {
  public:
    explicit TableAccess(TTable& table) : table_(table) {}

    // The table's layer handle is its engine work area.
    int32_t WorkArea() const override {
        return table_.Active() ? static_cast<int32_t>(table_.Handle()) : 0;
    }
    XbaseDriver Driver() const override {
        switch (table_.TableType()) {
            case ttSXNTX:
                return XbaseDriver::Ntx;
            case ttSXFOX:
                return XbaseDriver::Fox;
            case ttSXNSX:
                return XbaseDriver::Nsx;
            default:
                return XbaseDriver::Other;
        }
    }
    void SetIndexName(const std::string& tag) override { table_.SetIndexName(tag); }
    void ReadIndexDefs() override {
        table_.IndexDefs().SetUpdated(false);
        table_.UpdateIndexDefs();
    }

  private:
    TTable& table_;
};

}  // namespace

std::unique_ptr<XbaseTable> XbaseTableOf(db::TDataSet* dataSet) {
    if (auto* own = dynamic_cast<XbaseTable*>(dataSet)) {
        return std::make_unique<Borrowed>(*own);
    }
    if (auto* table = dynamic_cast<TTable*>(dataSet)) {
        return std::make_unique<TableAccess>(*table);
    }
    return nullptr;
}

}  // namespace xbase
