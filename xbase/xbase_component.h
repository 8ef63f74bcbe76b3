#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/db/component.h"
#include "platform/db/data_link.h"
#include "platform/rtl/string_list.h"
#include "xbase/xbase_table.h"

namespace db {
class TDataSet;
class TDataSource;
}  // namespace db

namespace xbase {

class TXbase;

// Tells its component when the data source's data set opens or closes.
class TXbaseDataLink : public db::TDataLink {
  public:
    explicit TXbaseDataLink(TXbase& owner) : xbase_(owner) {}

  protected:
    void ActiveChanged() override;

  private:
    TXbase& xbase_;
};

// Engine operations on the table of one data source. Each runs on that table's work area
// and makes the area that was current before current again. While the table is closed the
// operations that would reach its records or indexes make no engine call.
// Texts for the engine (expressions, conditions, captions) go in Windows-1252; file names
// go as the file system has them.
class TXbase : public db::TComponent {
  public:
    explicit TXbase(db::TComponent* owner = nullptr);
    ~TXbase() override;

    db::TDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(db::TDataSource* source);
    // Index files opened whenever the table opens; names without an extension take the
    // driver's (".NTX", ".IDX", ".NSX").
    const rtl::TStringList& ExtraIndexes() const { return extra_indexes_; }
    void SetExtraIndexes(const rtl::TStringList& names);
    // The last expression given to Query or SetFilterExpr.
    const std::string& Filter() const { return filter_; }
    bool TurboRead() const { return turbo_read_; }
    void SetTurboRead(bool on);

    // 0 while the table is closed.
    int Count();
    int RecSize();
    int IndexOrd();
    std::string TagName(int order);
    intptr_t SysProp(int32_t code, intptr_t value);
    void CloseIndexes();
    // Posts a pending edit or insert first.
    void Commit();
    // Raise db::EDatabaseError when the table is closed or the engine refuses.
    void Pack();
    void Zap();
    void Reindex();
    // Stored; applied now when the table is open, else when it opens. Answers the
    // engine's result, 0 while the table is closed.
    int Query(const std::string& expression);
    void SetFilterExpr(const std::string& expression);
    // Answers the previous order.
    int SetOrder(int order);
    // Answers the order of the opened file, 0 when it did not open.
    int IndexOpen(const std::string& fileName);
    // Answers the order of the new index, 0 when it was not made; the table then keeps
    // its order.
    int Index(const std::string& fileName, const std::string& key, int16_t option, bool descending,
              const std::string& condition);
    std::string FilterDlg(intptr_t window, const std::string& expression,
                          const std::string& caption, bool flag);
    // Kind 21 comma-separated, 22 blank-separated; false when nothing was written.
    bool CopyFileText(const std::string& fileName, int32_t kind);
    // A table is bound and open.
    bool DataSetActive();

  protected:
    void Notification(db::TComponent* component, db::TOperation operation) override;

  private:
    friend class TXbaseDataLink;
    class Step;

    void LinkActiveChanged();
    void TakeDataSet(db::TDataSet* dataSet);
    void FollowSource();
    // The bound table when it is open, else null.
    XbaseTable* OpenTable();
    void BeginChange();
    void EndChange();
    void OpenExtraIndexes();
    int SetOrderInScope(int order);
    [[noreturn]] void Refused(const char* operation);

    TXbaseDataLink link_;
    rtl::TStringList extra_indexes_;
    std::string filter_;
    bool turbo_read_ = false;
    db::TDataSet* data_set_ = nullptr;
    std::unique_ptr<XbaseTable> table_;
};

}  // namespace xbase
