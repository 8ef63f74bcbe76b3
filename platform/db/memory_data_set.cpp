#include "platform/db/memory_data_set.h"

#include <algorithm>
#include <cstring>

#include "platform/db/field_kinds.h"
#include "platform/db/field_name.h"

namespace db {

namespace {

std::string FoldAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

bool ValuesMatch(const TFieldValue& have, const TFieldValue& want, TLocateOptions options) {
    if (IsNullValue(want) || IsNullValue(have)) {
        return IsNullValue(want) && IsNullValue(have);
    }
    if (const auto* text = std::get_if<std::string>(&want)) {
        const auto* stored = std::get_if<std::string>(&have);
        if (stored == nullptr) {
            return false;
        }
        std::string a = *stored;
        std::string b = *text;
        if ((options & loCaseInsensitive) != 0) {
            a = FoldAscii(a);
            b = FoldAscii(b);
        }
        if ((options & loPartialKey) != 0) {
            return a.compare(0, b.size(), b) == 0;
        }
        return a == b;
    }
    auto number = [](const TFieldValue& v, double& out) {
        if (const auto* i = std::get_if<std::int64_t>(&v)) {
            out = static_cast<double>(*i);
            return true;
        }
        if (const auto* d = std::get_if<double>(&v)) {
            out = *d;
            return true;
        }
        return false;
    };
    double x = 0;
    double y = 0;
    if (number(have, x) && number(want, y)) {
        return x == y;
    }
    return have == want;
}

}  // namespace

// Reads and writes one blob slot of a record buffer; the content is written back at once.
class TMemoryDataSet::BlobStream : public TMemoryStream {
  public:
    BlobStream(TMemoryDataSet& data_set, TField& field, std::optional<std::string>* slot,
               TBlobStreamMode mode)
        : data_set_(data_set), field_(field), slot_(slot), mode_(mode) {
        if (slot_ == nullptr) {
            return;
        }
        if (mode == bmWrite) {
            Commit();
        } else if (slot_->has_value()) {
            TMemoryStream::Write(slot_->value().data(),
                                 static_cast<std::int64_t>(slot_->value().size()));
            Seek(0, soFromBeginning);
        }
    }

    ~BlobStream() override {
        if (!modified_) {
            return;
        }
        try {
            data_set_.DataEvent(deFieldChange, {&field_, 0});
        } catch (...) {
            data_set_.InternalHandleException();
        }
    }
    BlobStream(const BlobStream&) = delete;
    BlobStream& operator=(const BlobStream&) = delete;

    std::int64_t Write(const void* buffer, std::int64_t count) override {
        if (slot_ == nullptr || mode_ == bmRead) {
            return 0;
        }
        const std::int64_t n = TMemoryStream::Write(buffer, count);
        Commit();
        return n;
    }

    void SetSize(std::int64_t size) override {
        if (slot_ == nullptr || mode_ == bmRead) {
            return;
        }
        TMemoryStream::SetSize(size);
        Commit();
    }

  private:
    void Commit() {
        if (Bytes().empty()) {
            slot_->reset();
        } else {
            *slot_ = Bytes();
        }
        modified_ = true;
        if (auto* blob = dynamic_cast<TBlobField*>(&field_)) {
            blob->SetModified(true);
        }
    }

    TMemoryDataSet& data_set_;
    TField& field_;
    std::optional<std::string>* slot_;
    TBlobStreamMode mode_;
    bool modified_ = false;
};

TMemoryDataSet::TMemoryDataSet(TComponent* owner) : TDataSet(owner) {}

TMemoryDataSet::~TMemoryDataSet() {
    Close();
}

void TMemoryDataSet::SetReadOnly(bool value) {
    CheckInactive();
    read_only_ = value;
}

// Buffers

char* TMemoryDataSet::AllocRecordBuffer() {
    return reinterpret_cast<char*>(new Record);
}

void TMemoryDataSet::FreeRecordBuffer(char*& buffer) {
    delete AsRecord(buffer);
    buffer = nullptr;
}

void TMemoryDataSet::GetBookmarkData(char* buffer, void* data) {
    std::memcpy(data, &AsRecord(buffer)->id, sizeof(std::int32_t));
}

TBookmarkFlag TMemoryDataSet::GetBookmarkFlag(char* buffer) {
    return AsRecord(buffer)->flag;
}

void TMemoryDataSet::SetBookmarkData(char* buffer, const void* data) {
    std::memcpy(&AsRecord(buffer)->id, data, sizeof(std::int32_t));
}

void TMemoryDataSet::SetBookmarkFlag(char* buffer, TBookmarkFlag flag) {
    AsRecord(buffer)->flag = flag;
}

TGetResult TMemoryDataSet::GetRecord(char* buffer, TGetMode mode, bool) {
    Record* record = AsRecord(buffer);
    const int size = static_cast<int>(rows_.size());
    int pos = cursor_;
    for (;;) {
        switch (mode) {
            case gmCurrent:
                if (pos < 0) {
                    return grBOF;
                }
                if (pos >= size) {
                    return grEOF;
                }
                break;
            case gmNext:
                if (pos < size) {
                    ++pos;
                }
                if (pos >= size) {
                    cursor_ = size;
                    return grEOF;
                }
                break;
            case gmPrior:
                if (pos >= 0) {
                    --pos;
                }
                if (pos < 0) {
                    cursor_ = -1;
                    return grBOF;
                }
                break;
        }
        const Row& row = rows_[static_cast<std::size_t>(pos)];
        record->id = row.id;
        record->flag = bfCurrent;
        record->values = row.values;
        record->calc.clear();
        if (Accept(record)) {
            cursor_ = pos;
            GetCalcFields(buffer);
            return grOK;
        }
        if (mode == gmCurrent) {
            return grError;
        }
    }
}

bool TMemoryDataSet::Accept(Record* record) {
    if (!Filtered() || !OnFilterRecord()) {
        return true;
    }
    bool accept = true;
    Record* old_record = filter_record_;
    filter_record_ = record;
    const TDataSetState old = SetTempState(dsFilter);
    try {
        OnFilterRecord()(*this, accept);
    } catch (...) {
        InternalHandleException();
    }
    RestoreState(old);
    filter_record_ = old_record;
    return accept;
}

// Cursor

void TMemoryDataSet::InternalOpen() {
    if (FieldDefs().Count() == 0) {
        DatabaseError("No fields defined", this);
    }
    if (DefaultFields()) {
        CreateFields();
    }
    BindFields(true);
    for (Row& row : rows_) {
        row.values.resize(static_cast<std::size_t>(FieldDefs().Count()));
    }
    cursor_ = -1;
    open_ = true;
}

void TMemoryDataSet::InternalClose() {
    BindFields(false);
    if (DefaultFields()) {
        DestroyFields();
    }
    open_ = false;
}

int TMemoryDataSet::IndexOfId(std::int32_t id) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].id == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void TMemoryDataSet::InternalGotoBookmark(const void* bookmark) {
    std::int32_t id = 0;
    std::memcpy(&id, bookmark, sizeof id);
    const int index = IndexOfId(id);
    if (index < 0) {
        DatabaseError("Record not found", this);
    }
    cursor_ = index;
}

void TMemoryDataSet::InternalSetToRecord(char* buffer) {
    InternalGotoBookmark(&AsRecord(buffer)->id);
}

bool TMemoryDataSet::BookmarkValid(const TBookmark& bookmark) {
    if (!Active() || bookmark.size() != sizeof(std::int32_t)) {
        return false;
    }
    std::int32_t id = 0;
    std::memcpy(&id, bookmark.data(), sizeof id);
    return IndexOfId(id) >= 0;
}

int TMemoryDataSet::CompareBookmarks(const TBookmark& first, const TBookmark& second) {
    if (first.empty() && second.empty()) {
        return 0;
    }
    if (first.empty()) {
        return 1;
    }
    if (second.empty()) {
        return -1;
    }
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::memcpy(&a, first.data(), sizeof a);
    std::memcpy(&b, second.data(), sizeof b);
    return a < b ? -1 : (a > b ? 1 : 0);
}

// Editing

void TMemoryDataSet::InternalInitRecord(char* buffer) {
    Record* record = AsRecord(buffer);
    record->id = 0;
    record->values.assign(static_cast<std::size_t>(FieldDefs().Count()), std::nullopt);
    record->calc.clear();
}

void TMemoryDataSet::ClearCalcFields(char* buffer) {
    AsRecord(buffer)->calc.clear();
}

void TMemoryDataSet::InternalPost() {
    Record* record = AsRecord(ActiveBuffer());
    if (State() == dsEdit) {
        const int index = IndexOfId(record->id);
        if (index < 0) {
            DatabaseError("Record not found", this);
        }
        rows_[static_cast<std::size_t>(index)].values = record->values;
        cursor_ = index;
        return;
    }
    // The cursor stands on the row the new one goes before, or after the last row.
    const int pos = std::clamp(cursor_, 0, static_cast<int>(rows_.size()));
    rows_.insert(rows_.begin() + pos, Row{next_id_++, record->values});
    cursor_ = pos;
}

void TMemoryDataSet::InternalDelete() {
    if (cursor_ < 0 || cursor_ >= static_cast<int>(rows_.size())) {
        DatabaseError("Record not found", this);
    }
    rows_.erase(rows_.begin() + cursor_);
}

void TMemoryDataSet::InternalAddRecord(const void* buffer, bool append) {
    const auto* record = static_cast<const Record*>(buffer);
    const int pos = append ? static_cast<int>(rows_.size())
                           : std::clamp(cursor_, 0, static_cast<int>(rows_.size()));
    rows_.insert(rows_.begin() + pos, Row{next_id_++, record->values});
    cursor_ = pos;
}

// Field values

TMemoryDataSet::Record* TMemoryDataSet::StateRecord() {
    switch (State()) {
        case dsBrowse:
            if (IsEmpty() && !Peeking()) {
                return nullptr;
            }
            return AsRecord(ActiveBuffer());
        case dsEdit:
        case dsInsert:
            return AsRecord(ActiveBuffer());
        case dsCalcFields:
            return CalcBuffer() != nullptr ? AsRecord(CalcBuffer()) : nullptr;
        case dsFilter:
            return filter_record_;
        default:
            return nullptr;
    }
}

std::optional<std::string>* TMemoryDataSet::Slot(Record* record, const TField& field) {
    if (record == nullptr) {
        return nullptr;
    }
    if (field.FieldKind() == fkCalculated || field.FieldKind() == fkLookup) {
        return &record->calc[field.Offset()];
    }
    const int index = field.FieldNo() - 1;
    if (index < 0 || index >= static_cast<int>(record->values.size())) {
        return nullptr;
    }
    return &record->values[static_cast<std::size_t>(index)];
}

bool TMemoryDataSet::GetFieldData(TField& field, void* buffer) {
    std::optional<std::string>* slot = Slot(StateRecord(), field);
    if (slot == nullptr || !slot->has_value()) {
        return false;
    }
    if (buffer != nullptr && field.DataSize() > 0) {
        const std::string& bytes = slot->value();
        if (field.DataType() == ftString) {
            const std::size_t n = std::min(bytes.size(), static_cast<std::size_t>(field.Size()));
            std::memcpy(buffer, bytes.data(), n);
            static_cast<char*>(buffer)[n] = '\0';
        } else {
            std::memcpy(buffer, bytes.data(),
                        std::min(bytes.size(), static_cast<std::size_t>(field.DataSize())));
        }
    }
    return true;
}

void TMemoryDataSet::SetFieldData(TField& field, const void* buffer) {
    const TDataSetState state = State();
    if (state != dsEdit && state != dsInsert && state != dsSetKey && state != dsCalcFields &&
        state != dsFilter) {
        DatabaseError("Dataset not in edit or insert mode", this);
    }
    const bool calculated = field.FieldKind() == fkCalculated || field.FieldKind() == fkLookup;
    if (!calculated) {
        if (state == dsCalcFields) {
            DatabaseError("Dataset not in edit or insert mode", this);
        }
        if (field.ReadOnly() && state != dsSetKey && state != dsFilter) {
            DatabaseError("Field '" + field.DisplayLabel() + "' cannot be modified", this);
        }
    }
    std::optional<std::string>* slot = Slot(StateRecord(), field);
    if (slot == nullptr) {
        DatabaseError("Dataset not in edit or insert mode", this);
    }
    field.Validate(buffer);
    if (buffer == nullptr) {
        slot->reset();
    } else if (field.DataType() == ftString) {
        const char* text = static_cast<const char*>(buffer);
        *slot = std::string(text, strnlen(text, static_cast<std::size_t>(field.Size())));
    } else {
        *slot = std::string(static_cast<const char*>(buffer),
                            static_cast<std::size_t>(field.DataSize()));
    }
    if (state != dsCalcFields && state != dsFilter) {
        DataEvent(deFieldChange, {&field, 0});
    }
}

std::unique_ptr<TStream> TMemoryDataSet::CreateBlobStream(TField& field, TBlobStreamMode mode) {
    if (State() == dsFilter) {
        DatabaseError("Cannot access field '" + field.DisplayLabel() + "' in a filter", this);
    }
    std::optional<std::string>* slot = Slot(StateRecord(), field);
    if (mode != bmRead && slot != nullptr) {
        if (field.ReadOnly()) {
            DatabaseError("Field '" + field.DisplayLabel() + "' cannot be modified", this);
        }
        if (State() != dsEdit && State() != dsInsert) {
            DatabaseError("Dataset not in edit or insert mode", this);
        }
    }
    return std::make_unique<BlobStream>(*this, field, slot, mode);
}

// Counting and searching

int TMemoryDataSet::GetRecordCount() {
    CheckActive();
    if (!Filtered() || !OnFilterRecord()) {
        return static_cast<int>(rows_.size());
    }
    Record probe;
    int count = 0;
    for (const Row& row : rows_) {
        probe.id = row.id;
        probe.values = row.values;
        if (Accept(&probe)) {
            ++count;
        }
    }
    return count;
}

int TMemoryDataSet::GetRecNo() {
    CheckActive();
    if (IsEmpty() || State() == dsInsert) {
        return -1;
    }
    const int index = IndexOfId(AsRecord(ActiveBuffer())->id);
    return index < 0 ? -1 : index + 1;
}

void TMemoryDataSet::SetRecNoValue(int value) {
    CheckBrowseMode();
    if (value < 1 || value > static_cast<int>(rows_.size()) || value == GetRecNo()) {
        return;
    }
    DoBeforeScroll();
    cursor_ = value - 1;
    Resync(rmExact | rmCenter);
    DoAfterScroll();
}

void TMemoryDataSet::SetFilteredValue(bool value) {
    TDataSet::SetFilteredValue(value);
    if (Active()) {
        First();
    }
}

void TMemoryDataSet::SetOnFilterRecordValue(TFilterRecordEvent event) {
    TDataSet::SetOnFilterRecordValue(std::move(event));
    if (Active() && Filtered()) {
        First();
    }
}

bool TMemoryDataSet::Locate(std::string_view key_fields, const std::vector<TFieldValue>& key_values,
                            TLocateOptions options) {
    CheckBrowseMode();
    const std::vector<TField*> fields = GetFieldList(key_fields);
    if (fields.size() != key_values.size()) {
        DatabaseError("Number of key values does not match the key fields", this);
    }
    TBookmark found;
    ScanRecords([&] {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (!ValuesMatch(fields[i]->Value(), key_values[i], options)) {
                return true;
            }
        }
        found = GetBookmark();
        return false;
    });
    if (found.empty()) {
        return false;
    }
    DoBeforeScroll();
    InternalGotoBookmark(found.data());
    Resync(rmExact | rmCenter);
    DoAfterScroll();
    return true;
}

}  // namespace db
