#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/db/data_set_types.h"

namespace db {

class TDataSet;
class TDataSource;

// A control's view of a data set: a window of BufferCount rows in the data set's ring,
// and the notifications a grid or an edit control needs.
class TDataLink {
  public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return data_source_; }
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const;
    bool Active() const { return active_; }
    bool Editing() const { return editing_; }
    bool ReadOnly() const { return read_only_; }
    void SetReadOnly(bool value);

    // The active row within this link's window. Setting it lets a grid read the fields of
    // another buffered row; the reader sets it back when done.
    int ActiveRecord() const;
    void SetActiveRecord(int value);
    int BufferCount() const { return buffer_count_; }
    void SetBufferCount(int value);
    // Rows of the window that hold records.
    int RecordCount() const;

    // Asks the data source to edit; answers whether the link is editing now.
    bool Edit();
    // Runs UpdateData without the record-change echo.
    void UpdateRecord();

  protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    // Distance: rows the window moved forward (negative: backward).
    virtual void DataSetScrolled(int distance) {
        (void)distance;
        DataSetChanged();
    }
    virtual void EditingChanged() {}
    virtual void FocusControl(TField* field) { (void)field; }
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* field) { (void)field; }
    virtual void UpdateData() {}

  private:
    friend class TDataSource;

    void DataEvent(TDataEvent event, const TDataEventInfo& info);
    void UpdateState();
    void SetActive(bool value);
    void SetEditing(bool value);
    int UpdateRange(int ring_shift);

    TDataSource* data_source_ = nullptr;
    bool active_ = false;
    bool editing_ = false;
    bool read_only_ = false;
    bool updating_ = false;
    int buffer_count_ = 1;
    int first_record_ = 0;
};

// The detail side of a master/detail pair: tells its data set when the master's key
// fields change (OnMasterChange) or the master goes away (OnMasterDisable).
class TMasterDataLink : public TDataLink {
  public:
    explicit TMasterDataLink(TDataSet* detail) : detail_(detail) {}

    const std::string& FieldNames() const { return field_names_; }
    void SetFieldNames(const std::string& names);
    const std::vector<TField*>& Fields() const { return fields_; }

    std::function<void()> OnMasterChange;
    std::function<void()> OnMasterDisable;

  protected:
    void ActiveChanged() override;
    void CheckBrowseMode() override;
    void LayoutChanged() override { ActiveChanged(); }
    void RecordChanged(TField* field) override;

  private:
    TDataSet* detail_;
    std::string field_names_;
    std::vector<TField*> fields_;
};

}  // namespace db
