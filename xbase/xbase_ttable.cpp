// The table data set as the engine component's table.

#include "xbase/table.h"
#include "xbase/xbase_table.h"

namespace xbase {

namespace {

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

std::unique_ptr<XbaseTable> TableAccessOf(db::TDataSet* dataSet) {
    if (auto* table = dynamic_cast<TTable*>(dataSet)) {
        return std::make_unique<TableAccess>(*table);
    }
    return nullptr;
}

}  // namespace xbase
