#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/data_set.h"
#include "xbase/bde_callback.h"
#include "xbase/record_layout.h"
#include "xbase/result_codes.h"

namespace xbase {

class TBDEDataSet;
class TSession;

// Raised when the cursor cannot be made.
class ENoResultSet : public db::EDatabaseError {
  public:
    using db::EDatabaseError::EDatabaseError;
};

enum TUpdateKind { ukModify, ukInsert, ukDelete };
enum TUpdateAction { uaFail, uaAbort, uaSkip, uaRetry, uaApplied };

// Applies one cached update for a data set; kept for cached updates, which nothing uses.
class TDataSetUpdateObject {
  public:
    virtual ~TDataSetUpdateObject();
    virtual void Apply(TUpdateKind kind) = 0;
    TBDEDataSet* DataSet() const { return dataSet_; }

  private:
    friend class TBDEDataSet;
    class TSession;

    // Raised when the cursor cannot be made.
    class ENoResultSet : public db::EDatabaseError {
      public:
        using db::EDatabaseError::EDatabaseError;
    };
    TBDEDataSet* dataSet_ = nullptr;
};

// The record data set over the engine-call layer: record buffers in the layer's raw layout,
// navigation, field values, editing and bookmarks by layer calls. A descendant makes the
// cursor (CreateHandle) and may prepare it once the buffers exist (PrepareCursor).
// Every non-zero layer result that a step checks raises EDBEngineError.
class TBDEDataSet : public db::TDataSet {
  public:
    using TUpdateErrorEvent =
        std::function<void(db::TDataSet&, db::EDatabaseError&, TUpdateKind, TUpdateAction&)>;
    using TUpdateRecordEvent = std::function<void(db::TDataSet&, TUpdateKind, TUpdateAction&)>;
    using TOnServerYieldEvent = std::function<void(db::TDataSet&, bool& abortQuery)>;

    // The six key buffers.
    enum TKeyIndex { kiLookup, kiRangeStart, kiRangeEnd, kiCurRangeStart, kiCurRangeEnd, kiSave };
    static constexpr int kKeyBufferCount = 6;

    explicit TBDEDataSet(db::TComponent* owner = nullptr);
    ~TBDEDataSet() override;

    // The layer's table handle; 0 while closed.
    CursorHandle Handle() const { return handle_; }
    LocaleHandle Locale() const { return locale_; }
    // The layout of the record buffers of the open cursor.
    const RecordLayout& Layout() const { return layout_; }
    // 0 physical record numbers, 1 sequence numbers, any other value none.
    int RecordNumberKind() const { return recNoKind_; }

    bool CachedUpdates() const { return cachedUpdates_; }
    void SetCachedUpdates(bool value);
    bool CacheBlobs() const { return cacheBlobs_; }
    void SetCacheBlobs(bool value) { cacheBlobs_ = value; }
    TDataSetUpdateObject* UpdateObject() const { return updateObject_; }
    void SetUpdateObject(TDataSetUpdateObject* object);

    // The index the cursor follows, as the layer described it at open or the last switch.
    bool ExpressionIndex() const { return expressionIndex_; }
    bool CaseInsensitiveIndex() const { return caseInsensitiveIndex_; }
    int IndexFieldCount() const { return indexFieldCount_; }
    int IndexFieldNo(int index) const { return indexFieldMap_.at(static_cast<std::size_t>(index)); }
    int KeySize() const { return keySize_; }
    bool IsIndexField(const db::TField& field) const;

    bool BookmarkValid(const db::TBookmark& bookmark) override;
    int CompareBookmarks(const db::TBookmark& first, const db::TBookmark& second) override;
    bool GetFieldData(db::TField& field, void* buffer) override;
    void SetFieldData(db::TField& field, const void* buffer) override;
    // The record the active row shows, read again into `buffer`.
    bool GetCurrentRecord(char* buffer);
    // The value of a field as the update state holds it ("Not in cached update mode").
    db::TFieldValue GetStateFieldValue(db::TDataSetState state, db::TField& field);

    void Post() override;
    void Cancel() override;

    // Rows from the engine's positions while the layer can give them (no record-filter
    // event); else the walking answers.
    int RowCount() override;
    db::TBookmark BookmarkAt(int row) override;
    int RowOf(const db::TBookmark& bookmark) override;
    int ReadRows(int first, int count, const std::function<void(int row)>& visit) override;

    // The session whose callbacks the data set uses.
    virtual TSession& DBSession() const;

    TOnServerYieldEvent OnServerYield;
    TUpdateErrorEvent OnUpdateError;
    TUpdateRecordEvent OnUpdateRecord;

  protected:
    // The cursor. CreateHandle answers 0 when it cannot make one.
    virtual CursorHandle CreateHandle() = 0;
    virtual void DestroyHandle();
    // Runs once the buffers exist, before the filters apply.
    virtual void PrepareCursor() {}
    // Filters of the open cursor (made after PrepareCursor, forgotten at close).
    virtual void OpenFilters() {}
    virtual void CloseFilters() {}
    // Drops the cursor's key range; true when there was one.
    virtual bool ResetCursorRange() { return false; }
    // Makes an order current and reads its index information.
    void SwitchToIndex(const std::string& indexName, const std::string& tagName);
    void GetIndexInfo();
    bool HasHandle() const { return handle_ != 0; }
    void SetLocale(LocaleHandle locale) { locale_ = locale; }

    // Key buffers (exist while the cursor is open): a header, then a raw record.
    KeyBufferHeader* KeyBuffer(TKeyIndex index) const;
    char* KeyRecord(TKeyIndex index) const;
    void InitKeyBuffer(TKeyIndex index);
    // The key buffer that set-key state edits; null outside it.
    KeyBufferHeader* EditedKeyBuffer() const { return editedKey_; }
    // Enters set-key state on a key buffer, keeping a copy to fall back on.
    void SetKeyBuffer(TKeyIndex index, bool clear);
    // Leaves set-key state, keeping the edit or going back to the copy.
    void PostKeyBuffer(bool commit);

    // The record the current state reads and writes; null when there is none.
    char* StateRecordBuffer() const;
    // The record a filter callback looks at, for the time it runs.
    void SetFilterRecordBuffer(char* record) { filterBuffer_ = record; }
    // The cached content of a blob field in a record buffer (null when none); the buffer
    // owns what it caches until the record is read again or the buffer goes.
    std::string* BlobCache(const char* buffer, const db::TField& field) const;
    void SetBlobCache(char* buffer, const db::TField& field,
                      std::unique_ptr<std::string> content) const;
    void ClearBlobCache(char* buffer) const;
    RecordInfo ReadInfo(const char* buffer) const;
    void WriteInfo(char* buffer, const RecordInfo& info) const;

    // Filter handles of the layer (0 when none).
    int32_t exprFilter_ = 0;
    int32_t funcFilter_ = 0;

    // Protocol.
    char* AllocRecordBuffer() override;
    void FreeRecordBuffer(char*& buffer) override;
    void GetBookmarkData(char* buffer, void* data) override;
    db::TBookmarkFlag GetBookmarkFlag(char* buffer) override;
    void SetBookmarkData(char* buffer, const void* data) override;
    void SetBookmarkFlag(char* buffer, db::TBookmarkFlag flag) override;
    int BookmarkSize() const override { return layout_.bookmarkSize; }
    db::TGetResult GetRecord(char* buffer, db::TGetMode mode, bool doCheck) override;
    int GetRecordSize() override { return layout_.recordSize; }

    bool IsCursorOpen() const override { return handle_ != 0; }
    void OpenCursor(bool infoQuery) override;
    void CloseCursor() override;
    void InternalOpen() override;
    void InternalClose() override;
    void InternalFirst() override;
    void InternalLast() override;
    void InternalGotoBookmark(const void* bookmark) override;
    void InternalSetToRecord(char* buffer) override;
    void InternalInitFieldDefs() override;
    void InternalRefresh() override;

    void InternalInitRecord(char* buffer) override;
    void InternalEdit() override;
    void InternalPost() override;
    void InternalCancel() override;
    void InternalDelete() override;
    void InternalAddRecord(const void* buffer, bool append) override;
    bool GetCanModify() override;
    void ClearCalcFields(char* buffer) override;

    int GetRecordCount() override;
    int GetRecNo() override;
    void SetRecNoValue(int value) override;
    bool IsSequenced() override;

  private:
    friend class TDataSetUpdateObject;

    void ReadLayout(RecordLayout& layout);
    bool PositionalRows() const;
    void AllocKeyBuffers();
    void FreeKeyBuffers();
    int BlobIndexOf(const db::TField& field) const;

    CursorHandle handle_ = 0;
    LocaleHandle locale_ = 0;
    RecordLayout layout_;
    int recNoKind_ = 2;
    bool canModify_ = false;
    bool cachedUpdates_ = false;
    bool cacheBlobs_ = true;
    bool inUpdateCallback_ = false;
    bool constraintsRegistered_ = false;
    bool expressionIndex_ = false;
    bool caseInsensitiveIndex_ = false;
    int indexFieldCount_ = 0;
    std::array<uint16_t, 16> indexFieldMap_{};
    int keySize_ = 0;
    std::vector<int> blobIndexByFieldNo_;  // -1 for a field without a cache slot
    std::array<std::vector<char>, kKeyBufferCount> keyBuffers_;
    KeyBufferHeader* editedKey_ = nullptr;
    char* filterBuffer_ = nullptr;
    char* newValueBuffer_ = nullptr;
    char* oldValueBuffer_ = nullptr;
    std::unique_ptr<TBDECallback> yieldCallback_;
    TDataSetUpdateObject* updateObject_ = nullptr;
};

}  // namespace xbase
