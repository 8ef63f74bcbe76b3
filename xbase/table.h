#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/data_link.h"
#include "xbase/db_data_set.h"
#include "xbase/index_defs.h"
#include "xbase/index_files.h"
#include "xbase/table_type.h"

namespace xbase {

// The table data set: one xBase table of a database directory, opened through the
// engine-call layer with the driver its type names, with index orders, filters as xBase
// expressions, locate, key ranges and a master link.
class TTable : public TDBDataSet {
  public:
    explicit TTable(db::TComponent* owner = nullptr);
    ~TTable() override;

    // Need a closed table.
    bool Exclusive() const { return exclusive_; }
    void SetExclusive(bool value);
    // Open read-only.
    bool readonly() const { return readOnly_; }
    void SetReadonly(bool value);
    TTableType TableType() const { return tableType_; }
    void SetTableType(TTableType value);
    const std::string& TableName() const { return tableName_; }
    // A different name on a closed table empties IndexFiles.
    void SetTableName(const std::string& value);

    // One stored text: IndexName reads it unless it is a field list, IndexFieldNames only
    // when it is; setting either switches the order of an open table.
    std::string IndexName() const { return fieldsIndex_ ? std::string() : indexText_; }
    void SetIndexName(const std::string& value);
    std::string IndexFieldNames() const { return fieldsIndex_ ? indexText_ : std::string(); }
    void SetIndexFieldNames(const std::string& value);
    TIndexFiles& IndexFiles() { return indexFiles_; }
    TIndexDefs& IndexDefs() { return indexDefs_; }
    // Reads the index definitions from the layer (opening the table for it when closed).
    void UpdateIndexDefs();

    // The master link: the detail shows the records whose first index fields equal the
    // master's MasterFields.
    db::TDataSource* MasterSource() const { return masterLink_.DataSource(); }
    // "Circular datalinks are not allowed" when the source leads back to this table.
    void SetMasterSource(db::TDataSource* source);
    const std::string& MasterFields() const { return masterLink_.FieldNames(); }
    void SetMasterFields(const std::string& names) { masterLink_.SetFieldNames(names); }
    db::TDataSource* GetDataSource() const override { return masterLink_.DataSource(); }

    // Removes every record; an open table must be the only user of the file.
    void EmptyTable();

    // The driver text the table opens with, and whether it is an xBase table.
    std::string DriverName() const;
    bool IsXBase() const { return IsXBaseTable(tableType_, tableName_); }
    bool IsProductionIndex(std::string_view indexName) const {
        return xbase::IsProductionIndex(tableType_, tableName_, indexName);
    }
    // Filters and locate texts reach the layer as xBase expressions only for the engine's
    // drivers (a default-typed ".DBF" table opens with one of them).
    bool IsEngineDriver() const;

    void DataEvent(db::TDataEvent event, const db::TDataEventInfo& info = {}) override;

    // Key ranges on the current order.
    void SetRangeStart();
    void SetRangeEnd();
    void EditRangeStart();
    void EditRangeEnd();
    void SetRange(const std::vector<db::TFieldValue>& startValues,
                  const std::vector<db::TFieldValue>& endValues);
    void ApplyRange();
    void CancelRange();
    // Of the key buffer being edited.
    bool KeyExclusive() const;
    void SetKeyExclusive(bool value);
    int KeyFieldCount() const;
    void SetKeyFieldCount(int value);
    // The data field behind index field `index` of the current order.
    db::TField& IndexFields(int index) const;

    bool Locate(std::string_view keyFields, const std::vector<db::TFieldValue>& keyValues,
                db::TLocateOptions options) override;
    std::vector<db::TFieldValue> Lookup(std::string_view keyFields,
                                        const std::vector<db::TFieldValue>& keyValues,
                                        std::string_view resultFields) override;
    std::unique_ptr<db::TStream> CreateBlobStream(db::TField& field,
                                                  db::TBlobStreamMode mode) override;

  protected:
    CursorHandle CreateHandle() override;
    void DestroyHandle() override;
    void PrepareCursor() override;
    void OpenFilters() override;
    bool ResetCursorRange() override;
    bool GetCanModify() override;
    void DoOnNewRecord() override;
    void InternalInitFieldDefs() override;
    // The layer's table open; a test may answer in its place.
    virtual DbiResult OpenTableArea(const std::string& driver, const std::string& indexName,
                                    const std::string& tagName, int32_t openMode, int32_t shareMode,
                                    CursorHandle* handle);

    void SetFilterText(const std::string& text) override;
    void SetFilteredValue(bool value) override;
    void SetFilterOptionsValue(db::TFilterOptions options) override;
    void SetOnFilterRecordValue(TFilterRecordEvent event) override;
    bool FindRecord(bool restart, bool goForward) override;

  private:
    friend class TIndexFiles;
    friend class TBlobStream;
    class DBFlagScope;

    struct IndexParams {
        std::string indexName;
        std::string tagName;
    };
    CursorHandle OpenHandle(const IndexParams& index);
    IndexParams GetIndexParams(const std::string& text, bool fieldsIndex);
    void SetIndex(const std::string& text, bool fieldsIndex);

    // Filters.
    int32_t MakeExprFilter(const std::string& text);
    int32_t MakeFuncFilter();
    void ChangeExprFilter(int32_t filter);
    void ActivateFilters();
    void DeactivateFilters();
    // Raises unless the engine's compiler takes the text as a condition over the fields.
    void CheckFilterText(const std::string& text);
    static int32_t FilterCallbackEntry(intptr_t clientData, const char* record,
                                       int32_t recordNumber);

    // Locate and lookup: leaves the found record in `scratch`.
    bool LocateRecord(std::string_view keyFields, const std::vector<db::TFieldValue>& keyValues,
                      db::TLocateOptions options, std::vector<char>& scratch);
    bool OwnOrderCovers(const std::vector<db::TField*>& fields, bool caseInsensitive) const;
    bool KeyMatches(const std::vector<db::TField*>& fields, const char* key, const char* record,
                    bool caseInsensitive, bool partial) const;
    std::string LocateFilterText(const std::vector<db::TField*>& fields, const char* key,
                                 bool caseInsensitive, bool partial) const;

    // Ranges.
    void MasterChanged();
    void MasterDisabled();
    void LinkRanges(const std::vector<db::TField*>& masterFields);
    bool SetCursorRange();
    void ApplyKeyValues(TKeyIndex index, const std::vector<db::TFieldValue>& values);
    bool SameKeyBuffers(TKeyIndex a, TKeyIndex b) const;
    void CopyKeyBuffer(TKeyIndex from, TKeyIndex to);
    int KeyFieldsOf(const KeyBufferHeader& buffer) const;
    KeyBufferHeader& CheckSetKeyMode() const;

    TIndexDefs indexDefs_;
    db::TMasterDataLink masterLink_;
    bool exclusive_ = false;
    bool readOnly_ = false;
    TTableType tableType_ = ttDefault;
    bool fieldsIndex_ = false;
    std::string tableName_;
    std::string indexText_;
    TIndexFiles indexFiles_;
};

}  // namespace xbase
