#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/db/data_set.h"

namespace db {

// A data set over rows held in memory, in insertion order: define FieldDefs, open, and
// append. Bookmarks are row numbers that never change for a row (4 bytes). Filtered with
// OnFilterRecord filters; Locate searches by field values. Rows stay across Close/Open.
class TMemoryDataSet : public TDataSet {
  public:
    explicit TMemoryDataSet(TComponent* owner = nullptr);
    ~TMemoryDataSet() override;

    bool ReadOnly() const { return read_only_; }
    void SetReadOnly(bool value);

    bool BookmarkValid(const TBookmark& bookmark) override;
    int CompareBookmarks(const TBookmark& first, const TBookmark& second) override;
    std::unique_ptr<TStream> CreateBlobStream(TField& field, TBlobStreamMode mode) override;
    bool GetFieldData(TField& field, void* buffer) override;
    void SetFieldData(TField& field, const void* buffer) override;
    bool Locate(std::string_view key_fields, const std::vector<TFieldValue>& key_values,
                TLocateOptions options) override;

  protected:
    char* AllocRecordBuffer() override;
    void FreeRecordBuffer(char*& buffer) override;
    void GetBookmarkData(char* buffer, void* data) override;
    TBookmarkFlag GetBookmarkFlag(char* buffer) override;
    void SetBookmarkData(char* buffer, const void* data) override;
    void SetBookmarkFlag(char* buffer, TBookmarkFlag flag) override;
    int BookmarkSize() const override { return 4; }
    TGetResult GetRecord(char* buffer, TGetMode mode, bool do_check) override;

    bool IsCursorOpen() const override { return open_; }
    void InternalOpen() override;
    void InternalClose() override;
    void InternalFirst() override { cursor_ = -1; }
    void InternalLast() override { cursor_ = static_cast<int>(rows_.size()); }
    void InternalGotoBookmark(const void* bookmark) override;
    void InternalSetToRecord(char* buffer) override;
    void InternalInitFieldDefs() override {}

    void InternalInitRecord(char* buffer) override;
    void InternalPost() override;
    void InternalDelete() override;
    void InternalAddRecord(const void* buffer, bool append) override;
    bool GetCanModify() override { return !read_only_; }
    void ClearCalcFields(char* buffer) override;

    int GetRecordCount() override;
    int GetRecNo() override;
    void SetRecNoValue(int value) override;

    void SetFilteredValue(bool value) override;
    void SetOnFilterRecordValue(TFilterRecordEvent event) override;

  private:
    using Values = std::vector<std::optional<std::string>>;
    struct Row {
        std::int32_t id = 0;
        Values values;
    };
    struct Record {
        std::int32_t id = 0;
        TBookmarkFlag flag = bfCurrent;
        Values values;
        std::map<int, std::optional<std::string>> calc;  // by the field's offset
    };
    class BlobStream;

    static Record* AsRecord(char* buffer) { return reinterpret_cast<Record*>(buffer); }
    Record* StateRecord();
    bool Accept(Record* record);
    int IndexOfId(std::int32_t id) const;
    std::optional<std::string>* Slot(Record* record, const TField& field);

    std::vector<Row> rows_;
    std::int32_t next_id_ = 1;
    int cursor_ = -1;  // -1 before the first row, rows_.size() after the last
    bool open_ = false;
    bool read_only_ = false;
    Record* filter_record_ = nullptr;
};

}  // namespace db
