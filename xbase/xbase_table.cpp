#include "xbase/xbase_table.h"

#include "platform/db/data_set.h"

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

}  // namespace

#ifdef XBASE_HAVE_TTABLE
std::unique_ptr<XbaseTable> TableAccessOf(db::TDataSet* dataSet);
#endif

std::unique_ptr<XbaseTable> XbaseTableOf(db::TDataSet* dataSet) {
    if (auto* own = dynamic_cast<XbaseTable*>(dataSet)) {
        return std::make_unique<Borrowed>(*own);
    }
#ifdef XBASE_HAVE_TTABLE
    return TableAccessOf(dataSet);
#else
    return nullptr;
#endif
}

}  // namespace xbase
