#include "xbase/bde_data_set.h"

#include <algorithm>
#include <cstring>

#include "platform/db/exception_handler.h"
#include "platform/db/field.h"
#include "platform/db/field_defs.h"
#include "xbase/db_errors.h"
#include "xbase/field_mapping.h"
#include "xbase/sessions.h"
#include "xbase/xbcalls.h"

namespace xbase {

namespace {

// The layer never calls it; the kind only has to differ from the session's own.
constexpr int32_t kCallbackYieldClient = 3;

// Record locks: any non-zero lock asks for one.
constexpr int32_t kNoLock = 0;
constexpr int32_t kWriteLock = 2;

bool IsBlobType(db::TFieldType type) {
    return type == db::ftBlob || type == db::ftMemo || type == db::ftGraphic ||
           type == db::ftFmtMemo || type == db::ftParadoxOle || type == db::ftDBaseOle ||
           type == db::ftTypedBinary;
}

bool IsCalculated(const db::TField& field) {
    return field.FieldKind() == db::fkCalculated || field.FieldKind() == db::fkLookup;
}

}  // namespace

TDataSetUpdateObject::~TDataSetUpdateObject() {
    if (dataSet_ != nullptr) {
        dataSet_->updateObject_ = nullptr;
    }
}

TBDEDataSet::TBDEDataSet(db::TComponent* owner) : db::TDataSet(owner) {}

TBDEDataSet::~TBDEDataSet() {
    try {
        Close();
    } catch (...) {
        db::HandleException();
    }
    SetUpdateObject(nullptr);
}

void TBDEDataSet::SetUpdateObject(TDataSetUpdateObject* object) {
    if (object == updateObject_) {
        return;
    }
    if (updateObject_ != nullptr) {
        updateObject_->dataSet_ = nullptr;
    }
    if (object != nullptr) {
        if (object->dataSet_ != nullptr) {
            object->dataSet_->updateObject_ = nullptr;
        }
        object->dataSet_ = this;
    }
    updateObject_ = object;
}

TSession& TBDEDataSet::DBSession() const {
    return Sessions().Default();
}

// Opening and closing

void TBDEDataSet::OpenCursor(bool infoQuery) {
    if (!yieldCallback_) {
        yieldCallback_ = std::make_unique<TBDECallback>(
            this, DBSession().Handle(), kCallbackYieldClient, nullptr, 0, [this](void*) -> int32_t {
                bool abortQuery = false;
                if (OnServerYield) {
                    OnServerYield(*this, abortQuery);
                }
                return abortQuery ? 1 : 0;
            });
    }
    handle_ = CreateHandle();
    if (handle_ == 0) {
        throw ENoResultSet("Error creating cursor handle");
    }
    try {
        LocaleHandle locale = 0;
        if (DbiGetLdObj(handle_, &locale) == kOk) {
            locale_ = locale;
        }
        db::TDataSet::OpenCursor(infoQuery);
    } catch (...) {
        CloseCursor();
        throw;
    }
}

void TBDEDataSet::CloseCursor() {
    db::TDataSet::CloseCursor();
    locale_ = 0;  // the default session's: none with this layer
    yieldCallback_.reset();
    if (handle_ != 0) {
        DestroyHandle();
        handle_ = 0;
    }
}

void TBDEDataSet::DestroyHandle() {
    DbiCloseTable(&handle_);
}

void TBDEDataSet::ReadLayout(RecordLayout& layout) {
    CursorProperties props;
    Check(DbiGetTableProps(handle_, &props));
    layout.recordSize = props.recordBufferSize;
    layout.bookmarkSize = props.bookmarkSize;
    canModify_ = props.openMode == 0 && !props.temporary;
    recNoKind_ = props.sequenceNumbers;
}

void TBDEDataSet::InternalOpen() {
    try {
        if (cachedUpdates_) {
            Check(DbiBeginDelayedUpdates(&handle_));
        }
        ReadLayout(layout_);
        FieldDefs().SetUpdated(false);
        FieldDefs().Update();
        GetIndexInfo();
        if (DefaultFields()) {
            CreateFields();
        }
        BindFields(true);

        layout_.calcFieldsSize = CalcFieldsSize();
        blobIndexByFieldNo_.clear();
        layout_.blobFieldCount = 0;
        for (int i = 0; i < Fields().Count(); ++i) {
            const db::TField& field = Fields()[i];
            if (field.FieldNo() > 0 && IsBlobType(field.DataType())) {
                const auto slot = static_cast<std::size_t>(field.FieldNo());
                if (blobIndexByFieldNo_.size() <= slot) {
                    blobIndexByFieldNo_.resize(slot + 1, -1);
                }
                blobIndexByFieldNo_[slot] = layout_.blobFieldCount++;
            }
        }
        AllocKeyBuffers();
        Check(DbiSetToBegin(handle_));
        PrepareCursor();
        OpenFilters();
    } catch (...) {
        InternalClose();
        throw;
    }
}

void TBDEDataSet::InternalClose() {
    CloseFilters();
    exprFilter_ = 0;
    funcFilter_ = 0;
    FreeKeyBuffers();
    if (cachedUpdates_) {
        newValueBuffer_ = nullptr;
        oldValueBuffer_ = nullptr;
        if (constraintsRegistered_) {
            DbiClearCursorCallback(&handle_);
            constraintsRegistered_ = false;
        }
        DbiEndDelayedUpdates(&handle_);
    }
    BindFields(false);
    if (DefaultFields()) {
        DestroyFields();
    }
    expressionIndex_ = false;
    caseInsensitiveIndex_ = false;
    indexFieldCount_ = 0;
    keySize_ = 0;
    canModify_ = false;
}

void TBDEDataSet::InternalInitFieldDefs() {
    std::vector<FieldDescriptor> descriptors;
    Check(DbiGetFieldDescs(handle_, &descriptors));
    FieldDefs().Clear();
    AddFieldDefs(FieldDefs(), descriptors);
}

// Index information

void TBDEDataSet::GetIndexInfo() {
    IndexDescriptor d;
    if (DbiGetIndexDesc(handle_, 0, &d) != kOk) {
        return;
    }
    expressionIndex_ = d.expressionIndex;
    caseInsensitiveIndex_ = d.caseInsensitive;
    if (!expressionIndex_) {
        indexFieldCount_ = static_cast<int>(std::min(d.keyFields.size(), indexFieldMap_.size()));
        indexFieldMap_.fill(0);
        std::copy_n(d.keyFields.begin(), indexFieldCount_, indexFieldMap_.begin());
    }
    keySize_ = d.keyLength;
}

bool TBDEDataSet::IsIndexField(const db::TField& field) const {
    if (field.FieldNo() <= 0) {
        return false;
    }
    return std::find(indexFieldMap_.begin(), indexFieldMap_.begin() + indexFieldCount_,
                     field.FieldNo()) != indexFieldMap_.begin() + indexFieldCount_;
}

void TBDEDataSet::SwitchToIndex(const std::string& indexName, const std::string& tagName) {
    ResetCursorRange();
    UpdateCursorPos();
    DbiResult result = DbiSwitchToIndex(&handle_, indexName.c_str(), tagName.c_str(), 0, true);
    if (result == kRecordNotInFilter) {
        result = DbiSwitchToIndex(&handle_, indexName.c_str(), tagName.c_str(), 0, false);
    }
    Check(result);
    expressionIndex_ = false;
    caseInsensitiveIndex_ = false;
    indexFieldCount_ = 0;
    keySize_ = 0;
    try {
        RecordLayout fresh = layout_;
        ReadLayout(fresh);
        // The buffers in the ring were made for the old layout.
        if (fresh != layout_) {
            throw db::EDatabaseError("Record layout changed on an index switch");
        }
    } catch (...) {
        SetState(db::dsInactive);
        CloseCursor();
        throw;
    }
    ClearBuffers();
    GetIndexInfo();
}

// Key buffers

void TBDEDataSet::AllocKeyBuffers() {
    for (int i = 0; i < kKeyBufferCount; ++i) {
        keyBuffers_[static_cast<std::size_t>(i)].assign(
            sizeof(KeyBufferHeader) + static_cast<std::size_t>(layout_.recordSize), '\0');
        InitKeyBuffer(static_cast<TKeyIndex>(i));
    }
}

void TBDEDataSet::FreeKeyBuffers() {
    for (std::vector<char>& buffer : keyBuffers_) {
        buffer.clear();
        buffer.shrink_to_fit();
    }
    editedKey_ = nullptr;
}

KeyBufferHeader* TBDEDataSet::KeyBuffer(TKeyIndex index) const {
    const std::vector<char>& buffer = keyBuffers_.at(static_cast<std::size_t>(index));
    if (buffer.empty()) {
        return nullptr;
    }
    return reinterpret_cast<KeyBufferHeader*>(const_cast<char*>(buffer.data()));
}

char* TBDEDataSet::KeyRecord(TKeyIndex index) const {
    KeyBufferHeader* header = KeyBuffer(index);
    return header == nullptr ? nullptr : reinterpret_cast<char*>(header + 1);
}

void TBDEDataSet::InitKeyBuffer(TKeyIndex index) {
    KeyBufferHeader* header = KeyBuffer(index);
    if (header == nullptr) {
        return;
    }
    *header = KeyBufferHeader{};
    Check(DbiInitRecord(handle_, KeyRecord(index)));
}

void TBDEDataSet::SetKeyBuffer(TKeyIndex index, bool clear) {
    CheckBrowseMode();
    editedKey_ = KeyBuffer(index);
    std::memcpy(KeyBuffer(kiSave), editedKey_, keyBuffers_[kiSave].size());
    if (clear) {
        InitKeyBuffer(index);
    }
    SetState(db::dsSetKey);
    DataEvent(db::deDataSetChange);
}

void TBDEDataSet::PostKeyBuffer(bool commit) {
    DataEvent(db::deCheckBrowseMode);
    if (editedKey_ != nullptr) {
        if (commit) {
            // Entering set-key state forgets the flag; a key edited before stays edited.
            editedKey_->modified = (editedKey_->modified != 0 || Modified()) ? 1 : 0;
        } else {
            std::memcpy(editedKey_, KeyBuffer(kiSave), keyBuffers_[kiSave].size());
        }
    }
    SetState(db::dsBrowse);
    DataEvent(db::deDataSetChange);
}

void TBDEDataSet::Post() {
    db::TDataSet::Post();
    if (State() == db::dsSetKey) {
        PostKeyBuffer(true);
    }
}

void TBDEDataSet::Cancel() {
    db::TDataSet::Cancel();
    if (State() == db::dsSetKey) {
        PostKeyBuffer(false);
    }
}

// Record buffers

RecordInfo TBDEDataSet::ReadInfo(const char* buffer) const {
    RecordInfo info;
    std::memcpy(&info, buffer + layout_.RecordInfoOffset(), sizeof info);
    return info;
}

void TBDEDataSet::WriteInfo(char* buffer, const RecordInfo& info) const {
    std::memcpy(buffer + layout_.RecordInfoOffset(), &info, sizeof info);
}

char* TBDEDataSet::AllocRecordBuffer() {
    return new char[static_cast<std::size_t>(layout_.BufferSize())]();
}

void TBDEDataSet::FreeRecordBuffer(char*& buffer) {
    if (buffer != nullptr) {
        ClearBlobCache(buffer);
        delete[] buffer;
    }
    buffer = nullptr;
}

void TBDEDataSet::GetBookmarkData(char* buffer, void* data) {
    std::memcpy(data, buffer + layout_.BookmarkOffset(),
                static_cast<std::size_t>(layout_.bookmarkSize));
}

void TBDEDataSet::SetBookmarkData(char* buffer, const void* data) {
    std::memcpy(buffer + layout_.BookmarkOffset(), data,
                static_cast<std::size_t>(layout_.bookmarkSize));
}

db::TBookmarkFlag TBDEDataSet::GetBookmarkFlag(char* buffer) {
    return static_cast<db::TBookmarkFlag>(ReadInfo(buffer).bookmarkFlag);
}

void TBDEDataSet::SetBookmarkFlag(char* buffer, db::TBookmarkFlag flag) {
    RecordInfo info = ReadInfo(buffer);
    info.bookmarkFlag = static_cast<uint8_t>(flag);
    WriteInfo(buffer, info);
}

int TBDEDataSet::BlobIndexOf(const db::TField& field) const {
    const auto slot = static_cast<std::size_t>(field.FieldNo());
    if (field.FieldNo() <= 0 || slot >= blobIndexByFieldNo_.size()) {
        return -1;
    }
    return blobIndexByFieldNo_[slot];
}

std::string* TBDEDataSet::BlobCache(const char* buffer, const db::TField& field) const {
    const int index = BlobIndexOf(field);
    if (buffer == nullptr || index < 0) {
        return nullptr;
    }
    std::string* content = nullptr;
    std::memcpy(&content, buffer + layout_.BlobCacheOffset() + index * RecordLayout::kBlobSlotSize,
                sizeof content);
    return content;
}

void TBDEDataSet::SetBlobCache(char* buffer, const db::TField& field,
                               std::unique_ptr<std::string> content) const {
    const int index = BlobIndexOf(field);
    if (buffer == nullptr || index < 0) {
        return;
    }
    char* slot = buffer + layout_.BlobCacheOffset() + index * RecordLayout::kBlobSlotSize;
    std::string* old = nullptr;
    std::memcpy(&old, slot, sizeof old);
    delete old;
    std::string* fresh = content.release();
    std::memcpy(slot, &fresh, sizeof fresh);
}

void TBDEDataSet::ClearBlobCache(char* buffer) const {
    for (int i = 0; i < layout_.blobFieldCount; ++i) {
        char* slot = buffer + layout_.BlobCacheOffset() + i * RecordLayout::kBlobSlotSize;
        std::string* content = nullptr;
        std::memcpy(&content, slot, sizeof content);
        delete content;
        content = nullptr;
        std::memcpy(slot, &content, sizeof content);
    }
}

void TBDEDataSet::ClearCalcFields(char* buffer) {
    std::memset(buffer + layout_.recordSize, 0, static_cast<std::size_t>(layout_.calcFieldsSize));
}

// Records and navigation

db::TGetResult TBDEDataSet::GetRecord(char* buffer, db::TGetMode mode, bool doCheck) {
    RecordProperties props;
    DbiResult result = kOk;
    switch (mode) {
        case db::gmCurrent:
            result = DbiGetRecord(handle_, kNoLock, buffer, &props);
            break;
        case db::gmNext:
            result = DbiGetNextRecord(handle_, kNoLock, buffer, &props);
            break;
        case db::gmPrior:
            result = DbiGetPriorRecord(handle_, kNoLock, buffer, &props);
            break;
    }
    switch (result) {
        case kOk:
            break;
        case kBof:
            // The layer leaves the cursor on the first record; the next read must give it.
            DbiSetToBegin(handle_);
            return db::grBOF;
        case kEof:
            // The layer leaves the cursor on the last record; the prior read must give it.
            DbiSetToEnd(handle_);
            return db::grEOF;
        default:
            if (doCheck) {
                Check(result);
            }
            return db::grError;
    }
    RecordInfo info;
    // The layer reports physical record numbers only; sequence numbers never come.
    info.recordNumber = recNoKind_ == 0 ? props.recordNumber : -1;
    info.updateStatus = usUnmodified;
    info.bookmarkFlag = db::bfCurrent;
    WriteInfo(buffer, info);
    ClearBlobCache(buffer);
    GetCalcFields(buffer);
    DbiGetSeqNo(handle_, buffer + layout_.BookmarkOffset());
    return db::grOK;
}

bool TBDEDataSet::GetCurrentRecord(char* buffer) {
    if (IsEmpty() || GetBookmarkFlag(ActiveBuffer()) != db::bfCurrent) {
        return false;
    }
    UpdateCursorPos();
    RecordProperties props;
    return DbiGetRecord(handle_, kNoLock, buffer, &props) == kOk;
}

void TBDEDataSet::InternalFirst() {
    Check(DbiSetToBegin(handle_));
}

void TBDEDataSet::InternalLast() {
    Check(DbiSetToEnd(handle_));
}

void TBDEDataSet::InternalGotoBookmark(const void* bookmark) {
    Check(DbiSetToSeqNo(handle_, static_cast<const char*>(bookmark)));
}

void TBDEDataSet::InternalSetToRecord(char* buffer) {
    InternalGotoBookmark(buffer + layout_.BookmarkOffset());
}

void TBDEDataSet::InternalRefresh() {
    Check(DbiForceReread(handle_));
}

bool TBDEDataSet::BookmarkValid(const db::TBookmark& bookmark) {
    if (handle_ == 0 || static_cast<int>(bookmark.size()) != layout_.bookmarkSize) {
        return false;
    }
    UpdateCursorPos();
    // The layer answers 8709 for a record that left the set (a deleted one that is hidden).
    const bool valid = DbiSetToSeqNo(handle_, bookmark.data()) == kOk &&
                       DbiGetRecord(handle_, kNoLock, nullptr, nullptr) == kOk;
    CursorPosChanged();
    return valid;
}

int TBDEDataSet::CompareBookmarks(const db::TBookmark& first, const db::TBookmark& second) {
    if (first.empty() && second.empty()) {
        return 0;
    }
    if (first.empty()) {
        return 1;
    }
    if (second.empty()) {
        return -1;
    }
    int16_t result = 0;
    Check(DbiCompareBookMarks(handle_, first.data(), second.data(), &result));
    // 2 means equal keys.
    return result == 2 ? 0 : result;
}

bool TBDEDataSet::PositionalRows() const {
    return handle_ != 0 && layout_.bookmarkSize == kBookmarkSize &&
           DbiGetRecNoAtPosition(handle_, 0, nullptr) == kOk;
}

int TBDEDataSet::RowCount() {
    CheckActive();
    if (!PositionalRows()) {
        return db::TDataSet::RowCount();
    }
    int32_t count = 0;
    Check(DbiGetRecordCount(handle_, &count));
    return count;
}

db::TBookmark TBDEDataSet::BookmarkAt(int row) {
    CheckActive();
    if (!PositionalRows()) {
        return db::TDataSet::BookmarkAt(row);
    }
    int32_t recno = 0;
    if (row < 0 || DbiGetRecNoAtPosition(handle_, row + 1, &recno) != kOk || recno == 0) {
        return {};
    }
    db::TBookmark bookmark(kBookmarkSize, '\0');
    std::memcpy(bookmark.data(), &recno, kBookmarkSize);
    return bookmark;
}

int TBDEDataSet::RowOf(const db::TBookmark& bookmark) {
    CheckActive();
    if (!PositionalRows()) {
        return db::TDataSet::RowOf(bookmark);
    }
    if (bookmark.size() != static_cast<std::size_t>(kBookmarkSize)) {
        return -1;
    }
    int32_t recno = 0;
    std::memcpy(&recno, bookmark.data(), kBookmarkSize);
    int32_t position = 0;
    if (DbiGetPositionOfRecNo(handle_, recno, &position) != kOk || position == 0) {
        return -1;
    }
    return position - 1;
}

int TBDEDataSet::ReadRows(int first, int count, const std::function<void(int row)>& visit) {
    CheckActive();
    if (!PositionalRows()) {
        return db::TDataSet::ReadRows(first, count, visit);
    }
    if (first < 0 || count <= 0) {
        return 0;
    }
    // While records can be hidden, stepping would read the hidden ones between the rows.
    std::vector<db::TBookmark> rows;
    for (int row = first; row < first + count; ++row) {
        db::TBookmark bookmark = BookmarkAt(row);
        if (bookmark.empty()) {
            break;
        }
        rows.push_back(std::move(bookmark));
    }
    return ReadRowsAt(rows, first, visit);
}

int TBDEDataSet::GetRecordCount() {
    CheckActive();
    int32_t count = 0;
    if (DbiGetRecordCount(handle_, &count) != kOk) {
        return -1;
    }
    return count;
}

int TBDEDataSet::GetRecNo() {
    CheckActive();
    char* buffer = State() == db::dsCalcFields ? CalcBuffer() : ActiveBuffer();
    if (buffer == nullptr || (State() != db::dsCalcFields && IsEmpty())) {
        return -1;
    }
    return ReadInfo(buffer).recordNumber;
}

void TBDEDataSet::SetRecNoValue(int value) {
    CheckBrowseMode();
    // Only sequence numbers can be gone to; physical record numbers are not positions.
    if (recNoKind_ != 1 || value == GetRecNo()) {
        return;
    }
    DoBeforeScroll();
    Check(DbiMoveToPosition(handle_, value));
    Resync(db::rmCenter);
    DoAfterScroll();
}

bool TBDEDataSet::IsSequenced() {
    return recNoKind_ == 1 && !Filtered();
}

// Editing

void TBDEDataSet::InternalInitRecord(char* buffer) {
    Check(DbiInitRecord(handle_, buffer));
    ClearBlobCache(buffer);
    RecordInfo info;
    info.recordNumber = -1;
    info.updateStatus = usInserted;
    info.bookmarkFlag = db::bfInserted;
    WriteInfo(buffer, info);
}

void TBDEDataSet::InternalEdit() {
    RecordProperties props;
    Check(DbiGetRecord(handle_, kWriteLock, ActiveBuffer(), &props));
    ClearBlobCache(ActiveBuffer());
}

void TBDEDataSet::InternalPost() {
    if (State() == db::dsEdit) {
        Check(DbiModifyRecord(handle_, ActiveBuffer(), true));
    } else {
        Check(DbiInsertRecord(handle_, kNoLock, ActiveBuffer()));
    }
}

void TBDEDataSet::InternalCancel() {
    Check(DbiRelRecordLock(handle_, false));
}

void TBDEDataSet::InternalDelete() {
    const DbiResult result = DbiDeleteRecord(handle_, nullptr);
    // A record that is gone already is deleted.
    if (result != kOk && ErrorCategory(result) != 0x22) {
        Check(result);
    }
}

void TBDEDataSet::InternalAddRecord(const void* buffer, bool append) {
    char* record = static_cast<char*>(const_cast<void*>(buffer));
    if (append) {
        Check(DbiAppendRecord(handle_, record));
    } else {
        Check(DbiInsertRecord(handle_, kNoLock, record));
    }
}

bool TBDEDataSet::GetCanModify() {
    return canModify_ || (cachedUpdates_ && (OnUpdateRecord || updateObject_ != nullptr));
}

void TBDEDataSet::SetCachedUpdates(bool value) {
    if (value == cachedUpdates_) {
        return;
    }
    if (!Active()) {
        cachedUpdates_ = value;
        return;
    }
    CheckBrowseMode();
    UpdateCursorPos();
    if (constraintsRegistered_) {
        DbiClearCursorCallback(&handle_);
    }
    Check(value ? DbiBeginDelayedUpdates(&handle_) : DbiEndDelayedUpdates(&handle_));
    cachedUpdates_ = value;
    FreeKeyBuffers();
    AllocKeyBuffers();
    newValueBuffer_ = nullptr;
    oldValueBuffer_ = nullptr;
    Resync(0);
}

// Field values

char* TBDEDataSet::StateRecordBuffer() const {
    switch (State()) {
        case db::dsBrowse:
            if (IsEmpty() && !Peeking()) {
                return nullptr;
            }
            return ActiveBuffer();
        case db::dsEdit:
        case db::dsInsert:
            return ActiveBuffer();
        case db::dsSetKey:
            return editedKey_ != nullptr ? reinterpret_cast<char*>(editedKey_ + 1) : nullptr;
        case db::dsCalcFields:
            return CalcBuffer();
        case db::dsFilter:
            return filterBuffer_;
        case db::dsNewValue:
            return inUpdateCallback_ ? newValueBuffer_ : nullptr;
        case db::dsOldValue:
        case db::dsCurValue:
            return inUpdateCallback_ ? oldValueBuffer_ : nullptr;
        default:
            return nullptr;
    }
}

bool TBDEDataSet::GetFieldData(db::TField& field, void* buffer) {
    char* record = StateRecordBuffer();
    if (record == nullptr) {
        return false;
    }
    if (field.FieldNo() > 0) {
        bool blank = false;
        Check(DbiGetField(handle_, static_cast<uint16_t>(field.FieldNo()), record, buffer, &blank));
        // A memo written but not posted is known only to the buffer's cache.
        if (IsBlobType(field.DataType())) {
            if (const std::string* cached = BlobCache(record, field)) {
                return !cached->empty();
            }
        }
        return !blank;
    }
    if (IsCalculated(field)) {
        const char* slot = record + layout_.recordSize + field.Offset();
        if (slot[0] == 0) {
            return false;
        }
        if (buffer != nullptr) {
            std::memcpy(buffer, slot + 1, static_cast<std::size_t>(field.DataSize()));
        }
        return true;
    }
    return false;
}

void TBDEDataSet::SetFieldData(db::TField& field, const void* buffer) {
    const db::TDataSetState state = State();
    if (state != db::dsEdit && state != db::dsInsert && state != db::dsSetKey &&
        state != db::dsCalcFields && state != db::dsFilter && state != db::dsNewValue) {
        db::DatabaseError("Dataset not in edit or insert mode", this);
    }
    if (state == db::dsSetKey &&
        (field.FieldNo() < 0 || (indexFieldCount_ > 0 && !IsIndexField(field)))) {
        db::DatabaseError(
            "Field '" + field.DisplayLabel() + "' is not indexed and cannot be modified", this);
    }
    char* record = StateRecordBuffer();
    if (record == nullptr) {
        db::DatabaseError("Dataset not in edit or insert mode", this);
    }
    if (IsCalculated(field)) {
        field.Validate(buffer);
        char* slot = record + layout_.recordSize + field.Offset();
        slot[0] = buffer != nullptr ? 1 : 0;
        if (buffer != nullptr) {
            std::memcpy(slot + 1, buffer, static_cast<std::size_t>(field.DataSize()));
        }
    } else {
        if (state == db::dsCalcFields) {
            db::DatabaseError("Dataset not in edit or insert mode", this);
        }
        if (field.ReadOnly() && state != db::dsSetKey && state != db::dsFilter) {
            db::DatabaseError("Field '" + field.DisplayLabel() + "' cannot be modified", this);
        }
        field.Validate(buffer);
        // Fields carry no constraints here, so nothing is verified before the put.
        Check(DbiPutField(handle_, static_cast<uint16_t>(field.FieldNo()), record, buffer));
    }
    if (state != db::dsCalcFields && state != db::dsFilter && state != db::dsNewValue) {
        DataEvent(db::deFieldChange, {&field, 0});
    }
}

db::TFieldValue TBDEDataSet::GetStateFieldValue(db::TDataSetState state, db::TField& field) {
    if (!cachedUpdates_) {
        db::DatabaseError("Not in cached update mode", this);
    }
    const db::TDataSetState old = SetTempState(state);
    db::TFieldValue value;
    try {
        value = field.Value();
    } catch (...) {
        RestoreState(old);
        throw;
    }
    RestoreState(old);
    return value;
}

}  // namespace xbase
