#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/component.h"
#include "platform/db/data_set_types.h"
#include "platform/db/database_error.h"
#include "platform/db/field_defs.h"
#include "platform/db/fields.h"
#include "platform/db/stream.h"

namespace db {

class TDataLink;
class TDataSource;

// The data-set machinery: states, a ring of record buffers as large as the largest data
// link asks, navigation, editing with its events, bookmarks and fields. A descendant gives
// the records through the protected protocol (AllocRecordBuffer, GetRecord, Internal...).
// A descendant's destructor must call Close(): the base cannot reach the descendant's
// buffers and cursor once it is gone.
class TDataSet : public TComponent {
  public:
    using TDataSetNotifyEvent = std::function<void(TDataSet&)>;
    using TDataSetErrorEvent = std::function<void(TDataSet&, EDatabaseError&, TDataAction&)>;
    using TFilterRecordEvent = std::function<void(TDataSet&, bool& accept)>;

    explicit TDataSet(TComponent* owner = nullptr);
    ~TDataSet() override;

    // Opening and state.
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    bool Active() const { return state_ != dsInactive; }
    // How often the data set was opened: a bookmark taken under another count may name
    // another record, since a table emptied while closed reuses record numbers.
    std::uint64_t Openings() const { return openings_; }
    void SetActive(bool value);
    TDataSetState State() const { return state_; }
    bool Modified() const { return modified_; }
    bool CanModify() { return GetCanModify(); }
    // "Cannot perform this operation on a closed dataset" / "... on an open dataset".
    void CheckActive() const;
    void CheckInactive() const;

    // Navigation.
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    int MoveBy(int distance);
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    bool IsEmpty() const { return active_record_ >= record_count_; }
    // Whether Next (Prior) would reach another record: Eof (Bof) alone says so only once a
    // move has failed, so at the last (first) record of the order and filter this looks one
    // record further than the ring holds. Browse state only; in the others it is !Eof (!Bof).
    // The cursor stands on the active record again afterwards.
    bool HasNextRecord() { return HasRecordBeyond(true); }
    bool HasPriorRecord() { return HasRecordBeyond(false); }
    int RecordCount() { return GetRecordCount(); }
    int RecNo() { return GetRecNo(); }
    void SetRecNo(int value) { SetRecNoValue(value); }
    void Resync(TResyncMode mode);
    void Refresh();

    // Editing.
    void Append();
    void Insert();
    // On an empty data set Edit inserts.
    void Edit();
    virtual void Post();
    virtual void Cancel();
    void Delete();
    void CheckBrowseMode();
    // Asks the controls to hand over what they hold ("Dataset not in edit or insert mode").
    void UpdateRecord();
    void ClearFields();

    // Link notifications stop until the last EnableControls, which then sends one.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disable_count_ != 0; }

    // Bookmarks.
    bool BookmarkAvailable();
    TBookmark GetBookmark();
    void GotoBookmark(const TBookmark& bookmark);
    void FreeBookmark(TBookmark& bookmark) { bookmark.clear(); }
    TBookmark Bookmark() { return GetBookmark(); }
    void SetBookmark(const TBookmark& bookmark) { GotoBookmark(bookmark); }
    virtual bool BookmarkValid(const TBookmark& bookmark);
    // Below 0, 0 or above 0 as the first lies before, at or after the second.
    virtual int CompareBookmarks(const TBookmark& first, const TBookmark& second);

    // Fields.
    TFields& Fields() { return fields_; }
    TFieldDefs& FieldDefs() { return field_defs_; }
    int FieldCount() const { return fields_.Count(); }
    TField* FindField(std::string_view name) const { return fields_.FindField(name); }
    TField& FieldByName(std::string_view name) const { return fields_.FieldByName(name); }
    // Names separated by ";".
    std::vector<TField*> GetFieldList(std::string_view names) const;
    bool DefaultFields() const { return default_fields_; }
    void InitFieldDefs();
    virtual std::unique_ptr<TStream> CreateBlobStream(TField& field, TBlobStreamMode mode);
    virtual bool GetFieldData(TField& field, void* buffer);
    virtual void SetFieldData(TField& field, const void* buffer);

    // Filters and searching; the base keeps the settings, descendants apply them.
    const std::string& Filter() const { return filter_text_; }
    void SetFilter(const std::string& text) { SetFilterText(text); }
    bool Filtered() const { return filtered_; }
    void SetFiltered(bool value) { SetFilteredValue(value); }
    TFilterOptions FilterOptions() const { return filter_options_; }
    void SetFilterOptions(TFilterOptions options) { SetFilterOptionsValue(options); }
    const TFilterRecordEvent& OnFilterRecord() const { return on_filter_record_; }
    void SetOnFilterRecord(TFilterRecordEvent event) { SetOnFilterRecordValue(std::move(event)); }
    bool FindFirst() { return SetFound(FindRecord(true, true)); }
    bool FindLast() { return SetFound(FindRecord(true, false)); }
    bool FindNext() { return SetFound(FindRecord(false, true)); }
    bool FindPrior() { return SetFound(FindRecord(false, false)); }
    bool Found() const { return found_; }
    virtual bool Locate(std::string_view key_fields, const std::vector<TFieldValue>& key_values,
                        TLocateOptions options);
    virtual std::vector<TFieldValue> Lookup(std::string_view key_fields,
                                            const std::vector<TFieldValue>& key_values,
                                            std::string_view result_fields);

    // Reading records without moving the cursor (for grids): fields read the record of
    // the bookmark while read runs; false when there is no such record.
    bool ReadRecordAt(const TBookmark& bookmark, const std::function<void()>& read);
    // Visits every record in the current order from the first; fields and GetBookmark
    // read the visited record; visit answers false to stop. Returns the records visited.
    int ScanRecords(const std::function<bool()>& visit);

    // The rows a grid shows: the records navigation visits in the current order (filter,
    // range, hidden deleted records), numbered from 0. None of these moves the active
    // record, changes the state, Bof, Eof or the ring, or fires scroll events; a pending
    // edit stays as it is. The defaults walk the records; descendants may answer faster.
    virtual int RowCount();
    // Empty when there is no such row.
    virtual TBookmark BookmarkAt(int row);
    // -1 when the record is not among the rows.
    virtual int RowOf(const TBookmark& bookmark);
    // Visits the rows first..first+count-1 in order; fields and GetBookmark read the
    // visited row. Returns the rows visited.
    virtual int ReadRows(int first, int count, const std::function<void(int row)>& visit);
    // While inserting, the row at which the new record shows; -1 otherwise.
    int InsertRow();

    // Tells the data sources; a field change also marks the record modified and runs the
    // field's OnChange. Public for the blob streams, which report their writes.
    virtual void DataEvent(TDataEvent event, const TDataEventInfo& info = {});

    // The master source of a detail data set; none here.
    virtual TDataSource* GetDataSource() const { return nullptr; }

    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnCalcFields, OnNewRecord;
    TDataSetErrorEvent OnDeleteError, OnEditError, OnPostError;
    bool AutoCalcFields = true;

  protected:
    // Record buffers.
    virtual char* AllocRecordBuffer() = 0;
    virtual void FreeRecordBuffer(char*& buffer) = 0;
    virtual void GetBookmarkData(char* buffer, void* data) = 0;
    virtual TBookmarkFlag GetBookmarkFlag(char* buffer) = 0;
    virtual void SetBookmarkData(char* buffer, const void* data) = 0;
    virtual void SetBookmarkFlag(char* buffer, TBookmarkFlag flag) = 0;
    virtual int BookmarkSize() const = 0;
    virtual TGetResult GetRecord(char* buffer, TGetMode mode, bool do_check) = 0;
    virtual int GetRecordSize() { return 0; }

    // Cursor.
    virtual bool IsCursorOpen() const = 0;
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    virtual void InternalFirst() = 0;
    virtual void InternalLast() = 0;
    virtual void InternalGotoBookmark(const void* bookmark) = 0;
    virtual void InternalSetToRecord(char* buffer) = 0;
    virtual void InternalInitFieldDefs() = 0;
    virtual void InternalHandleException();
    virtual void InternalRefresh() {}

    // Editing.
    virtual void InternalInitRecord(char* buffer) = 0;
    virtual void InternalEdit() {}
    virtual void InternalInsert() {}
    virtual void InternalPost() = 0;
    virtual void InternalCancel() {}
    virtual void InternalDelete() = 0;
    virtual void InternalAddRecord(const void* buffer, bool append) = 0;
    virtual bool GetCanModify() { return true; }
    virtual void InitRecord(char* buffer);
    virtual void ClearCalcFields(char* buffer) { (void)buffer; }

    // Counting.
    virtual int GetRecordCount() { return -1; }
    virtual int GetRecNo() { return -1; }
    virtual void SetRecNoValue(int value) { (void)value; }
    virtual bool IsSequenced() { return true; }

    // Opening and closing around Internal{Open,Close}; descendants wrap them.
    virtual void OpenCursor(bool info_query);
    virtual void CloseCursor();

    // Filters and searching.
    virtual void SetFilterText(const std::string& text);
    virtual void SetFilteredValue(bool value);
    virtual void SetFilterOptionsValue(TFilterOptions options);
    virtual void SetOnFilterRecordValue(TFilterRecordEvent event);
    virtual bool FindRecord(bool restart, bool go_forward);

    // Events; descendants may add to them.
    virtual void DoOnNewRecord();
    virtual void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

    // Machinery for descendants.
    void Fire(const TDataSetNotifyEvent& event) {
        if (event) {
            event(*this);
        }
    }
    void DoBeforeScroll() { Fire(BeforeScroll); }
    void DoAfterScroll() { Fire(AfterScroll); }
    // Positions on the bookmark's record and visits it and up to count-1 rows after it,
    // numbering them from first: one positioning, then one read per row.
    int ReadRowsFrom(const TBookmark& start, int first, int count,
                     const std::function<void(int row)>& visit);
    // Visits the records of the bookmarks as rows first, first+1, ...: one positioning and one
    // read per row, for when the records between them need not be read.
    int ReadRowsAt(const std::vector<TBookmark>& rows, int first,
                   const std::function<void(int row)>& visit);
    // True while ReadRecordAt or ScanRecords lends ActiveBuffer() a record off the ring.
    bool Peeking() const { return peeking_ != nullptr; }
    char* ActiveBuffer() const;
    char* CalcBuffer() const { return calc_buffer_; }
    int ActiveRecord() const { return active_record_; }
    int BufferCount() const { return buffer_count_; }
    int RecordBufferCount() const { return record_count_; }
    char* RecordBuffer(int index) const { return buffers_.at(static_cast<std::size_t>(index)); }
    int CalcFieldsSize() const { return calc_fields_size_; }
    TDataSetState SetTempState(TDataSetState state);
    void RestoreState(TDataSetState state);
    void SetState(TDataSetState state);
    void CheckCanModify();
    void CheckRequiredFields();
    void CursorPosChanged() { current_record_ = -1; }
    void UpdateCursorPos();
    void ClearBuffers();
    void UpdateBufferCount();
    void GetCalcFields(char* buffer);
    void CalculateFields(char* buffer);
    void CreateFields();
    void DestroyFields();
    void BindFields(bool binding);
    void FreeFieldBuffers();
    void CheckOperation(const std::function<void()>& operation,
                        const TDataSetErrorEvent& error_event);

  private:
    friend class TDataLink;
    friend class TDataSource;

    void SetCurrentRecord(int index);
    bool HasRecordBeyond(bool forward);
    bool GetNextRecord();
    bool GetPriorRecord();
    int GetNextRecords();
    int GetPriorRecords();
    void ActivateBuffers();
    void SetBufListSize(int count);
    void SetActiveRecordIndex(int index);
    void DoInternalOpen();
    void DoInternalClose();
    void BeginInsertAppend();
    void EndInsertAppend();
    void AddDataSource(TDataSource* source);
    void RemoveDataSource(TDataSource* source);
    bool SetFound(bool value) { return found_ = value; }
    char* PeekBuffer();
    // After a reader moved the cursor: a pending edit or insert needs it back where the
    // active record stands, since posting writes at the cursor.
    void RestoreCursorAfterPeek();
    // Runs read with fields reading buffer as in browse state; state and cursor are put back
    // after, also when it throws.
    void ReadPeeked(char* buffer, const std::function<void()>& read);

    TDataSetState state_ = dsInactive;
    bool modified_ = false;
    bool bof_ = true;
    bool eof_ = true;
    bool streamed_active_ = false;
    bool internal_open_complete_ = false;
    bool default_fields_ = false;
    bool found_ = false;

    std::vector<char*> buffers_;  // buffer_count_ rows and one spare at the end
    int buffer_count_ = 0;
    int record_count_ = 0;
    int active_record_ = 0;
    int current_record_ = -1;  // the row the cursor stands on; -1 when not known
    char* calc_buffer_ = nullptr;
    char* peek_buffer_ = nullptr;
    char* peeking_ = nullptr;
    int calc_fields_size_ = 0;

    int disable_count_ = 0;
    std::uint64_t openings_ = 0;
    TDataSetState disable_state_ = dsInactive;
    TDataEvent enable_event_ = deDataSetChange;

    std::vector<TDataSource*> data_sources_;
    TFields fields_;
    TFieldDefs field_defs_;

    std::string filter_text_;
    bool filtered_ = false;
    TFilterOptions filter_options_ = 0;
    TFilterRecordEvent on_filter_record_;
};

}  // namespace db
