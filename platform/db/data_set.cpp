#include "platform/db/data_set.h"

#include <algorithm>

#include "platform/db/data_link.h"
#include "platform/db/data_source.h"
#include "platform/db/exception_handler.h"
#include "platform/db/field.h"

namespace db {

namespace {

bool InEditModes(TDataSetState state) {
    return state == dsEdit || state == dsInsert;
}

bool InWriteModes(TDataSetState state) {
    return state == dsEdit || state == dsInsert || state == dsSetKey || state == dsCalcFields ||
           state == dsFilter || state == dsNewValue;
}

}  // namespace

TDataSet::TDataSet(TComponent* owner) : TComponent(owner), fields_(this), field_defs_(this) {}

TDataSet::~TDataSet() {
    // The descendant closed already (see the class comment); only what the base holds goes.
    while (!data_sources_.empty()) {
        TDataSource* source = data_sources_.back();
        data_sources_.pop_back();
        source->DataSetGone();
    }
    while (fields_.Count() > 0) {
        delete &fields_[fields_.Count() - 1];
    }
}

// Opening and closing

void TDataSet::SetActive(bool value) {
    if (Loading()) {
        streamed_active_ = value;
        return;
    }
    if (value == Active()) {
        return;
    }
    if (value) {
        Fire(BeforeOpen);
        try {
            OpenCursor(false);
        } catch (...) {
            if (internal_open_complete_) {
                CloseCursor();
            }
            throw;
        }
        ++openings_;
        SetState(dsBrowse);
        Fire(AfterOpen);
        if (!IsEmpty()) {
            Fire(AfterScroll);
        }
    } else {
        if (!Destroying()) {
            Fire(BeforeClose);
        }
        SetState(dsInactive);
        CloseCursor();
        if (!Destroying()) {
            Fire(AfterClose);
        }
    }
}

void TDataSet::OpenCursor(bool info_query) {
    if (info_query) {
        InternalInitFieldDefs();
    } else {
        DoInternalOpen();
    }
}

void TDataSet::CloseCursor() {
    if (internal_open_complete_) {
        DoInternalClose();
    }
}

void TDataSet::DoInternalOpen() {
    default_fields_ = fields_.Count() == 0;
    InternalOpen();
    internal_open_complete_ = true;
    ClearBuffers();
    UpdateBufferCount();
    bof_ = true;
    eof_ = record_count_ == 0;
}

void TDataSet::DoInternalClose() {
    FreeFieldBuffers();
    ClearBuffers();
    SetBufListSize(0);
    if (peek_buffer_ != nullptr) {
        FreeRecordBuffer(peek_buffer_);
        peek_buffer_ = nullptr;
    }
    InternalClose();
    internal_open_complete_ = false;
}

void TDataSet::Loaded() {
    if (streamed_active_) {
        streamed_active_ = false;
        SetActive(true);
    }
}

void TDataSet::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
}

void TDataSet::InitFieldDefs() {
    if (IsCursorOpen()) {
        InternalInitFieldDefs();
    } else {
        OpenCursor(true);
        CloseCursor();
    }
    field_defs_.SetUpdated(true);
}

// State

void TDataSet::SetState(TDataSetState state) {
    if (state_ != state) {
        state_ = state;
        modified_ = false;
        DataEvent(deUpdateState);
    }
}

TDataSetState TDataSet::SetTempState(TDataSetState state) {
    const TDataSetState old = state_;
    state_ = state;
    ++disable_count_;
    return old;
}

void TDataSet::RestoreState(TDataSetState state) {
    --disable_count_;
    state_ = state;
}

void TDataSet::CheckActive() const {
    if (state_ == dsInactive) {
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    }
}

void TDataSet::CheckInactive() const {
    if (state_ != dsInactive) {
        DatabaseError("Cannot perform this operation on an open dataset", this);
    }
}

void TDataSet::CheckCanModify() {
    if (!CanModify()) {
        DatabaseError("Cannot modify a read-only dataset", this);
    }
}

void TDataSet::CheckRequiredFields() {
    for (int i = 0; i < fields_.Count(); ++i) {
        TField& field = fields_[i];
        if (field.Required() && !field.ReadOnly() && field.FieldKind() == fkData &&
            field.IsNull()) {
            DatabaseError("Field '" + field.DisplayLabel() + "' must have a value", this);
        }
    }
}

// The ring of record buffers

char* TDataSet::ActiveBuffer() const {
    if (peeking_ != nullptr) {
        return peeking_;
    }
    if (buffers_.empty()) {
        return nullptr;
    }
    return buffers_[static_cast<std::size_t>(active_record_)];
}

void TDataSet::ClearBuffers() {
    record_count_ = 0;
    active_record_ = 0;
    current_record_ = -1;
    bof_ = false;
    eof_ = false;
}

void TDataSet::ActivateBuffers() {
    record_count_ = 1;
    active_record_ = 0;
    current_record_ = 0;
    bof_ = false;
    eof_ = false;
}

void TDataSet::UpdateBufferCount() {
    if (!IsCursorOpen()) {
        return;
    }
    int wanted = 1;
    for (TDataSource* source : data_sources_) {
        for (TDataLink* link : source->data_links_) {
            wanted = std::max(wanted, link->BufferCount());
        }
    }
    SetBufListSize(wanted);
}

void TDataSet::SetBufListSize(int count) {
    if (count == buffer_count_ && !buffers_.empty()) {
        return;
    }
    if (count == 0) {
        for (char*& buffer : buffers_) {
            FreeRecordBuffer(buffer);
        }
        buffers_.clear();
        buffer_count_ = 0;
        ClearBuffers();
        return;
    }
    const bool was_filled = record_count_ > 0;
    if (count > buffer_count_) {
        while (static_cast<int>(buffers_.size()) < count + 1) {
            buffers_.push_back(AllocRecordBuffer());
        }
        buffer_count_ = count;
        if (!was_filled) {
            GetNextRecords();
        } else {
            GetNextRecords();
            GetPriorRecords();
        }
    } else {
        if (active_record_ >= count) {
            const int drop = active_record_ - count + 1;
            std::rotate(buffers_.begin(), buffers_.begin() + drop, buffers_.end());
            record_count_ -= drop;
            active_record_ -= drop;
        }
        record_count_ = std::min(record_count_, count);
        while (static_cast<int>(buffers_.size()) > count + 1) {
            FreeRecordBuffer(buffers_.back());
            buffers_.pop_back();
        }
        buffer_count_ = count;
        CursorPosChanged();
    }
    if (was_filled) {
        DataEvent(deDataSetChange);
    }
}

void TDataSet::SetCurrentRecord(int index) {
    if (current_record_ == index) {
        return;
    }
    char* buffer = buffers_[static_cast<std::size_t>(index)];
    switch (GetBookmarkFlag(buffer)) {
        case bfCurrent:
        case bfInserted:
            InternalSetToRecord(buffer);
            break;
        case bfBOF:
            InternalFirst();
            break;
        case bfEOF:
            InternalLast();
            break;
    }
    current_record_ = index;
}

void TDataSet::UpdateCursorPos() {
    if (record_count_ > 0) {
        // Forced: a reader or the descendant may have moved the cursor meanwhile.
        current_record_ = -1;
        SetCurrentRecord(active_record_);
    }
}

bool TDataSet::GetNextRecord() {
    if (record_count_ > 0) {
        SetCurrentRecord(record_count_ - 1);
    }
    char* target = buffers_[static_cast<std::size_t>(record_count_)];
    if (GetRecord(target, gmNext, true) != grOK) {
        CursorPosChanged();
        return false;
    }
    if (record_count_ == 0) {
        ActivateBuffers();
        return true;
    }
    if (record_count_ < buffer_count_) {
        ++record_count_;
    } else {
        std::rotate(buffers_.begin(), buffers_.begin() + 1, buffers_.end());
        if (active_record_ > 0) {
            --active_record_;
        }
    }
    current_record_ = record_count_ - 1;
    return true;
}

bool TDataSet::GetPriorRecord() {
    if (record_count_ > 0) {
        SetCurrentRecord(0);
    }
    char* spare = buffers_.back();
    if (GetRecord(spare, gmPrior, true) != grOK) {
        CursorPosChanged();
        return false;
    }
    std::rotate(buffers_.begin(), buffers_.end() - 1, buffers_.end());
    if (record_count_ == 0) {
        ActivateBuffers();
        return true;
    }
    if (record_count_ < buffer_count_) {
        ++record_count_;
        ++active_record_;
    } else if (active_record_ < record_count_ - 1) {
        ++active_record_;
    }
    current_record_ = 0;
    return true;
}

int TDataSet::GetNextRecords() {
    int count = 0;
    while (record_count_ < buffer_count_ && GetNextRecord()) {
        ++count;
    }
    return count;
}

int TDataSet::GetPriorRecords() {
    int count = 0;
    while (record_count_ < buffer_count_ && GetPriorRecord()) {
        ++count;
    }
    return count;
}

void TDataSet::SetActiveRecordIndex(int index) {
    if (index >= 0 && index < record_count_) {
        active_record_ = index;
    }
}

// Navigation

void TDataSet::First() {
    CheckBrowseMode();
    Fire(BeforeScroll);
    ClearBuffers();
    try {
        InternalFirst();
        GetNextRecord();
        GetNextRecords();
    } catch (...) {
        bof_ = true;
        eof_ = record_count_ == 0;
        DataEvent(deDataSetChange);
        throw;
    }
    bof_ = true;
    eof_ = record_count_ == 0;
    DataEvent(deDataSetChange);
    Fire(AfterScroll);
}

void TDataSet::Last() {
    CheckBrowseMode();
    Fire(BeforeScroll);
    ClearBuffers();
    try {
        InternalLast();
        GetPriorRecord();
        GetPriorRecords();
    } catch (...) {
        eof_ = true;
        bof_ = record_count_ == 0;
        DataEvent(deDataSetChange);
        throw;
    }
    eof_ = true;
    bof_ = record_count_ == 0;
    DataEvent(deDataSetChange);
    Fire(AfterScroll);
}

int TDataSet::MoveBy(int distance) {
    CheckBrowseMode();
    int result = 0;
    Fire(BeforeScroll);
    if ((distance > 0 && !eof_) || (distance < 0 && !bof_)) {
        bof_ = false;
        eof_ = false;
        int scroll = 0;
        try {
            while (distance > 0) {
                if (active_record_ < record_count_ - 1) {
                    ++active_record_;
                } else {
                    const int before = record_count_;
                    if (!GetNextRecord()) {
                        eof_ = true;
                        break;
                    }
                    if (record_count_ == before) {
                        ++scroll;
                    }
                    active_record_ = record_count_ - 1;
                }
                --distance;
                ++result;
            }
            while (distance < 0) {
                if (active_record_ > 0) {
                    --active_record_;
                } else {
                    if (!GetPriorRecord()) {
                        bof_ = true;
                        break;
                    }
                    --scroll;
                    active_record_ = 0;
                }
                ++distance;
                --result;
            }
        } catch (...) {
            DataEvent(deDataSetScroll, {nullptr, scroll});
            throw;
        }
        DataEvent(deDataSetScroll, {nullptr, scroll});
        Fire(AfterScroll);
    }
    return result;
}

bool TDataSet::HasRecordBeyond(bool forward) {
    if (!Active() || IsEmpty() || (forward ? eof_ : bof_)) {
        return false;
    }
    if (forward ? active_record_ < record_count_ - 1 : active_record_ > 0) {
        return true;
    }
    char* active = buffers_[static_cast<std::size_t>(active_record_)];
    if (state_ != dsBrowse || Peeking() || GetBookmarkFlag(active) != bfCurrent) {
        return true;
    }
    char* buffer = PeekBuffer();
    CursorPosChanged();
    InternalSetToRecord(active);
    const bool found = GetRecord(buffer, forward ? gmNext : gmPrior, true) == grOK;
    CursorPosChanged();
    InternalSetToRecord(active);
    current_record_ = active_record_;
    return found;
}

void TDataSet::Resync(TResyncMode mode) {
    if (buffers_.empty()) {
        return;
    }
    char* spare = buffers_.back();
    if ((mode & rmExact) != 0) {
        CursorPosChanged();
        if (GetRecord(spare, gmCurrent, true) != grOK) {
            DatabaseError("Record not found", this);
        }
    } else if (GetRecord(spare, gmCurrent, false) != grOK &&
               GetRecord(spare, gmNext, false) != grOK &&
               GetRecord(spare, gmPrior, false) != grOK) {
        ClearBuffers();
        bof_ = true;
        eof_ = true;
        DataEvent(deDataSetChange);
        return;
    }
    const int count = (mode & rmCenter) != 0 ? (buffer_count_ - 1) / 2 : active_record_;
    std::swap(buffers_.front(), buffers_.back());
    ActivateBuffers();
    try {
        int i = 0;
        while (i < count && GetPriorRecord()) {
            ++i;
        }
        active_record_ = i;
        GetNextRecords();
    } catch (...) {
        DataEvent(deDataSetChange);
        throw;
    }
    DataEvent(deDataSetChange);
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    UpdateCursorPos();
    InternalRefresh();
    Resync(0);
}

// Editing

void TDataSet::InitRecord(char* buffer) {
    InternalInitRecord(buffer);
    ClearCalcFields(buffer);
    SetBookmarkFlag(buffer, bfInserted);
}

void TDataSet::BeginInsertAppend() {
    CheckBrowseMode();
    CheckCanModify();
    Fire(BeforeInsert);
    Fire(BeforeScroll);
}

void TDataSet::EndInsertAppend() {
    SetState(dsInsert);
    try {
        DoOnNewRecord();
    } catch (...) {
        UpdateCursorPos();
        FreeFieldBuffers();
        SetState(dsBrowse);
        Resync(0);
        throw;
    }
    modified_ = false;
    DataEvent(deDataSetChange);
    Fire(AfterInsert);
    Fire(AfterScroll);
}

void TDataSet::DoOnNewRecord() {
    Fire(OnNewRecord);
}

void TDataSet::Insert() {
    BeginInsertAppend();
    const TBookmark old_current = GetBookmark();
    // Open a slot at the active row; on a full ring the last row falls out.
    std::rotate(buffers_.begin() + active_record_, buffers_.begin() + record_count_,
                buffers_.begin() + record_count_ + 1);
    char* buffer = ActiveBuffer();
    InitRecord(buffer);
    if (record_count_ == 0) {
        SetBookmarkFlag(buffer, bfBOF);
    } else if (!old_current.empty()) {
        SetBookmarkData(buffer, old_current.data());
    }
    if (record_count_ < buffer_count_) {
        ++record_count_;
    }
    CursorPosChanged();
    InternalInsert();
    EndInsertAppend();
}

void TDataSet::Append() {
    BeginInsertAppend();
    ClearBuffers();
    char* buffer = buffers_.front();
    InitRecord(buffer);
    SetBookmarkFlag(buffer, bfEOF);
    record_count_ = 1;
    bof_ = false;
    GetPriorRecords();
    InternalLast();
    current_record_ = active_record_;
    EndInsertAppend();
}

void TDataSet::Edit() {
    if (InEditModes(state_)) {
        return;
    }
    if (record_count_ == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    Fire(BeforeEdit);
    CheckOperation([this] { InternalEdit(); }, OnEditError);
    GetCalcFields(ActiveBuffer());
    SetState(dsEdit);
    DataEvent(deRecordChange);
    Fire(AfterEdit);
}

void TDataSet::Post() {
    UpdateRecord();
    if (!InEditModes(state_)) {
        return;
    }
    DataEvent(deCheckBrowseMode);
    Fire(BeforePost);
    CheckRequiredFields();
    CheckOperation([this] { InternalPost(); }, OnPostError);
    FreeFieldBuffers();
    SetState(dsBrowse);
    Resync(0);
    Fire(AfterPost);
}

void TDataSet::Cancel() {
    if (!InEditModes(state_)) {
        return;
    }
    DataEvent(deCheckBrowseMode);
    Fire(BeforeCancel);
    const bool was_insert = state_ == dsInsert;
    UpdateCursorPos();
    if (state_ == dsEdit) {
        InternalCancel();
    }
    FreeFieldBuffers();
    SetState(dsBrowse);
    Resync(0);
    Fire(AfterCancel);
    if (was_insert) {
        Fire(AfterScroll);
    }
}

void TDataSet::Delete() {
    CheckActive();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    if (record_count_ == 0) {
        DatabaseError("Cannot perform this operation on an empty dataset", this);
    }
    DataEvent(deCheckBrowseMode);
    Fire(BeforeDelete);
    Fire(BeforeScroll);
    CheckOperation([this] { InternalDelete(); }, OnDeleteError);
    FreeFieldBuffers();
    SetState(dsBrowse);
    Resync(0);
    Fire(AfterDelete);
    Fire(AfterScroll);
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode);
    if (InEditModes(state_)) {
        UpdateRecord();
        if (modified_) {
            Post();
        } else {
            Cancel();
        }
    } else if (state_ == dsSetKey) {
        Post();
    }
}

void TDataSet::UpdateRecord() {
    if (!InWriteModes(state_)) {
        DatabaseError("Dataset not in edit or insert mode", this);
    }
    DataEvent(deUpdateRecord);
}

void TDataSet::ClearFields() {
    if (!InEditModes(state_)) {
        DatabaseError("Dataset not in edit or insert mode", this);
    }
    DataEvent(deCheckBrowseMode);
    FreeFieldBuffers();
    InternalInitRecord(ActiveBuffer());
    GetCalcFields(ActiveBuffer());
    DataEvent(deRecordChange);
}

void TDataSet::CheckOperation(const std::function<void()>& operation,
                              const TDataSetErrorEvent& error_event) {
    for (;;) {
        try {
            UpdateCursorPos();
            operation();
            return;
        } catch (EDatabaseError& e) {
            TDataAction action = daFail;
            if (error_event) {
                error_event(*this, e, action);
            }
            if (action == daFail) {
                throw;
            }
            if (action == daAbort) {
                Abort();
            }
        }
    }
}

void TDataSet::InternalHandleException() {
    HandleException();
}

// Controls

void TDataSet::DisableControls() {
    if (disable_count_ == 0) {
        disable_state_ = state_;
        enable_event_ = deDataSetChange;
    }
    ++disable_count_;
}

void TDataSet::EnableControls() {
    if (disable_count_ == 0) {
        return;
    }
    if (--disable_count_ == 0) {
        if (disable_state_ != state_) {
            DataEvent(deUpdateState);
        }
        if (disable_state_ != dsInactive && state_ != dsInactive) {
            DataEvent(enable_event_);
        }
    }
}

void TDataSet::DataEvent(TDataEvent event, const TDataEventInfo& info) {
    if (event == deFieldChange && info.field != nullptr) {
        TField& field = *info.field;
        if (field.FieldKind() == fkData || field.FieldKind() == fkInternalCalc) {
            modified_ = true;
        }
        if (state_ != dsSetKey) {
            if (calc_fields_size_ > 0 && AutoCalcFields && field.FieldKind() == fkData) {
                CalculateFields(ActiveBuffer());
            }
            field.Change();
        }
    }
    if (disable_count_ == 0) {
        const std::vector<TDataSource*> sources = data_sources_;
        for (TDataSource* source : sources) {
            source->DataEvent(event, info);
        }
    } else if ((event == deUpdateState && state_ == dsInactive) || event == deLayoutChange) {
        enable_event_ = deLayoutChange;
    }
}

void TDataSet::AddDataSource(TDataSource* source) {
    data_sources_.push_back(source);
    UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* source) {
    data_sources_.erase(std::remove(data_sources_.begin(), data_sources_.end(), source),
                        data_sources_.end());
    UpdateBufferCount();
}

// Bookmarks

bool TDataSet::BookmarkAvailable() {
    return state_ != dsInactive && !IsEmpty() && ActiveBuffer() != nullptr &&
           GetBookmarkFlag(ActiveBuffer()) == bfCurrent;
}

TBookmark TDataSet::GetBookmark() {
    if (peeking_ == nullptr && !BookmarkAvailable()) {
        return {};
    }
    if (peeking_ != nullptr && GetBookmarkFlag(peeking_) != bfCurrent) {
        return {};
    }
    TBookmark bookmark(static_cast<std::size_t>(BookmarkSize()), '\0');
    GetBookmarkData(ActiveBuffer(), bookmark.data());
    return bookmark;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
    if (bookmark.empty()) {
        return;
    }
    CheckBrowseMode();
    Fire(BeforeScroll);
    InternalGotoBookmark(bookmark.data());
    Resync(rmExact | rmCenter);
    Fire(AfterScroll);
}

bool TDataSet::BookmarkValid(const TBookmark&) {
    return false;
}

int TDataSet::CompareBookmarks(const TBookmark&, const TBookmark&) {
    return 0;
}

// Reading without moving

char* TDataSet::PeekBuffer() {
    if (peek_buffer_ == nullptr) {
        peek_buffer_ = AllocRecordBuffer();
    }
    return peek_buffer_;
}

namespace {

// Fields read the given buffer as in browse state until the scope ends.
class PeekScope {
  public:
    PeekScope(char*& peeking, char* buffer) : peeking_(peeking), old_(peeking) {
        peeking_ = buffer;
    }
    ~PeekScope() { peeking_ = old_; }
    PeekScope(const PeekScope&) = delete;
    PeekScope& operator=(const PeekScope&) = delete;

  private:
    char*& peeking_;
    char* old_;
};

}  // namespace

void TDataSet::ReadPeeked(char* buffer, const std::function<void()>& read) {
    {
        PeekScope scope(peeking_, buffer);
        const TDataSetState old = SetTempState(dsBrowse);
        try {
            read();
        } catch (...) {
            RestoreState(old);
            RestoreCursorAfterPeek();
            throw;
        }
        RestoreState(old);
    }
    RestoreCursorAfterPeek();
}

bool TDataSet::ReadRecordAt(const TBookmark& bookmark, const std::function<void()>& read) {
    CheckActive();
    if (bookmark.empty() || !BookmarkValid(bookmark)) {
        return false;
    }
    char* buffer = PeekBuffer();
    CursorPosChanged();
    InternalGotoBookmark(bookmark.data());
    if (GetRecord(buffer, gmCurrent, false) != grOK) {
        return false;
    }
    ReadPeeked(buffer, read);
    return true;
}

int TDataSet::ScanRecords(const std::function<bool()>& visit) {
    CheckActive();
    char* buffer = PeekBuffer();
    CursorPosChanged();
    InternalFirst();
    int count = 0;
    ReadPeeked(buffer, [&] {
        while (GetRecord(buffer, gmNext, true) == grOK) {
            ++count;
            if (!visit()) {
                break;
            }
        }
    });
    return count;
}

int TDataSet::ReadRowsFrom(const TBookmark& start, int first, int count,
                           const std::function<void(int row)>& visit) {
    CheckActive();
    if (start.empty() || count <= 0) {
        return 0;
    }
    char* buffer = PeekBuffer();
    CursorPosChanged();
    InternalGotoBookmark(start.data());
    int visited = 0;
    ReadPeeked(buffer, [&] {
        TGetMode mode = gmCurrent;
        while (visited < count && GetRecord(buffer, mode, true) == grOK) {
            visit(first + visited);
            ++visited;
            mode = gmNext;
        }
    });
    return visited;
}

int TDataSet::ReadRowsAt(const std::vector<TBookmark>& rows, int first,
                         const std::function<void(int row)>& visit) {
    CheckActive();
    if (rows.empty()) {
        return 0;
    }
    char* buffer = PeekBuffer();
    CursorPosChanged();
    int visited = 0;
    ReadPeeked(buffer, [&] {
        for (const TBookmark& row : rows) {
            if (row.empty()) {
                break;
            }
            InternalGotoBookmark(row.data());
            if (GetRecord(buffer, gmCurrent, false) != grOK) {
                break;
            }
            visit(first + visited);
            ++visited;
        }
    });
    return visited;
}

void TDataSet::RestoreCursorAfterPeek() {
    if (!InEditModes(state_) || buffers_.empty()) {
        return;
    }
    char* active = buffers_[static_cast<std::size_t>(active_record_)];
    switch (GetBookmarkFlag(active)) {
        case bfEOF:
            InternalLast();
            break;
        case bfBOF:
            InternalFirst();
            break;
        default:
            InternalSetToRecord(active);
            break;
    }
    current_record_ = active_record_;
}

// Fields

std::vector<TField*> TDataSet::GetFieldList(std::string_view names) const {
    std::vector<TField*> list;
    std::size_t start = 0;
    while (start <= names.size()) {
        std::size_t end = names.find(';', start);
        if (end == std::string_view::npos) {
            end = names.size();
        }
        std::string_view name = names.substr(start, end - start);
        while (!name.empty() && name.front() == ' ') {
            name.remove_prefix(1);
        }
        while (!name.empty() && name.back() == ' ') {
            name.remove_suffix(1);
        }
        if (!name.empty()) {
            list.push_back(&FieldByName(name));
        }
        start = end + 1;
    }
    return list;
}

void TDataSet::CreateFields() {
    for (int i = 0; i < field_defs_.Count(); ++i) {
        const TFieldDef& def = field_defs_[i];
        if (def.DataType() != ftUnknown) {
            def.CreateField(this);
        }
    }
}

void TDataSet::DestroyFields() {
    while (fields_.Count() > 0) {
        delete &fields_[fields_.Count() - 1];
    }
}

void TDataSet::BindFields(bool binding) {
    calc_fields_size_ = 0;
    for (int i = 0; i < fields_.Count(); ++i) {
        TField& field = fields_[i];
        if (!binding) {
            if (field.FieldKind() == fkData) {
                field.field_no_ = 0;
            }
            continue;
        }
        if (field.FieldKind() == fkCalculated || field.FieldKind() == fkLookup) {
            field.field_no_ = -1;
            field.offset_ = calc_fields_size_;
            calc_fields_size_ += field.DataSize() + 1;
        } else {
            const TFieldDef& def = field_defs_.Find(field.FieldName());
            if (def.DataType() != field.DataType()) {
                DatabaseError("Type mismatch for field '" + field.FieldName() + "'", this);
            }
            field.field_no_ = def.FieldNo();
        }
    }
}

void TDataSet::FreeFieldBuffers() {
    for (int i = 0; i < fields_.Count(); ++i) {
        fields_[i].FreeBuffers();
    }
}

void TDataSet::GetCalcFields(char* buffer) {
    if (calc_fields_size_ > 0) {
        CalculateFields(buffer);
    }
}

void TDataSet::CalculateFields(char* buffer) {
    calc_buffer_ = buffer;
    const TDataSetState old = SetTempState(dsCalcFields);
    try {
        ClearCalcFields(buffer);
        Fire(OnCalcFields);
    } catch (...) {
        RestoreState(old);
        throw;
    }
    RestoreState(old);
}

std::unique_ptr<TStream> TDataSet::CreateBlobStream(TField&, TBlobStreamMode) {
    return nullptr;
}

bool TDataSet::GetFieldData(TField&, void*) {
    return false;
}

void TDataSet::SetFieldData(TField&, const void*) {}

// Filters and searching

void TDataSet::SetFilterText(const std::string& text) {
    if (Active()) {
        CheckBrowseMode();
    }
    filter_text_ = text;
}

void TDataSet::SetFilteredValue(bool value) {
    if (Active()) {
        CheckBrowseMode();
    }
    filtered_ = value;
}

void TDataSet::SetFilterOptionsValue(TFilterOptions options) {
    if (Active()) {
        CheckBrowseMode();
    }
    filter_options_ = options;
}

void TDataSet::SetOnFilterRecordValue(TFilterRecordEvent event) {
    if (Active()) {
        CheckBrowseMode();
    }
    on_filter_record_ = std::move(event);
}

bool TDataSet::FindRecord(bool, bool) {
    return false;
}

bool TDataSet::Locate(std::string_view, const std::vector<TFieldValue>&, TLocateOptions) {
    return false;
}

std::vector<TFieldValue> TDataSet::Lookup(std::string_view, const std::vector<TFieldValue>&,
                                          std::string_view) {
    return {};
}

}  // namespace db
