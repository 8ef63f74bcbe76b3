#include "platform/xbase32/work_area.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/xbase32/error.h"
#include "platform/xbase32/field_value.h"
#include "platform/xbase32/pack.h"

namespace xb {

WorkArea::WorkArea(std::string alias, std::unique_ptr<DbfTable> table, const Settings& settings)
    : alias_(std::move(alias)),
      table_(std::move(table)),
      settings_(settings),
      buffer_(static_cast<size_t>(table_->RecordLength()), ' '),
      scratch_(static_cast<size_t>(table_->RecordLength()), ' '),
      natural_(*table_),
      order_(&natural_) {
    GoTop();
}

const FieldDesc* WorkArea::FindField(std::string_view name) const {
    for (const auto& f : Fields()) {
        if (f.name.size() == name.size() &&
            ::strncasecmp(f.name.data(), name.data(), name.size()) == 0) {
            return &f;
        }
    }
    return nullptr;
}

int WorkArea::FieldNumber(std::string_view name) const {
    const FieldDesc* f = FindField(name);
    return f == nullptr ? 0 : static_cast<int>(f - Fields().data()) + 1;
}

std::string WorkArea::BaseName() const {
    std::string name = FileNameOf(table_->Path());
    const auto dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// Position

bool WorkArea::IsVisible(uint32_t recno) {
    scratchRecno_ = 0;
    table_->ReadRecord(recno, scratch_.data());
    scratchRecno_ = recno;
    return IsVisibleRecord(recno, scratch_.data());
}

bool WorkArea::IsVisibleRecord(uint32_t recno, const char* record) const {
    if (settings_.hideDeleted && record[0] == '*') {
        return false;
    }
    return !extraTest_ || extraTest_(recno, record);
}

uint32_t WorkArea::NextVisible(uint32_t recno) {
    uint32_t r = order_->Next(recno);
    while (r != 0 && !IsVisible(r)) {
        r = order_->Next(r);
    }
    return r;
}

uint32_t WorkArea::PriorVisible(uint32_t recno) {
    uint32_t r = order_->Prior(recno);
    while (r != 0 && !IsVisible(r)) {
        r = order_->Prior(r);
    }
    return r;
}

uint32_t WorkArea::FirstVisible() {
    uint32_t r = order_->First();
    return r == 0 || IsVisible(r) ? r : NextVisible(r);
}

uint32_t WorkArea::LastVisible() {
    uint32_t r = order_->Last();
    return r == 0 || IsVisible(r) ? r : PriorVisible(r);
}

void WorkArea::StandOn(uint32_t recno) {
    ++standing_;
    scratchRecno_ = 0;
    table_->ReadRecord(recno, buffer_.data());
    recno_ = recno;
    eof_ = false;
}

void WorkArea::StandOnFound(uint32_t recno) {
    ++standing_;
    if (recno != 0 && recno == scratchRecno_) {
        buffer_ = scratch_;
        scratchRecno_ = 0;
        recno_ = recno;
        eof_ = false;
        return;
    }
    StandOn(recno);
}

void WorkArea::StandAtEnd() {
    StandAtEnd(table_->RecordCount());
}

void WorkArea::StandAtEnd(uint32_t count) {
    ++standing_;
    std::fill(buffer_.begin(), buffer_.end(), ' ');
    recno_ = count + 1;
    eof_ = true;
}

void WorkArea::GoTop() {
    const uint32_t r = FirstVisible();
    if (r == 0) {
        StandAtEnd();
        bof_ = true;
        return;
    }
    StandOnFound(r);
    bof_ = false;
}

void WorkArea::GoBottom() {
    const uint32_t r = LastVisible();
    if (r == 0) {
        StandAtEnd();
        bof_ = true;
        return;
    }
    StandOnFound(r);
    bof_ = false;
}

void WorkArea::Go(int64_t recno) {
    if (table_->Holds(recno)) {
        StandOn(static_cast<uint32_t>(recno));
        bof_ = false;
    } else {
        const uint32_t count = table_->RecordCount();
        StandAtEnd(count);
        bof_ = count == 0;
    }
}

void WorkArea::GoVisible(uint32_t recno) {
    if (recno != 0 && recno == scratchRecno_) {
        StandOnFound(recno);
        bof_ = false;
        return;
    }
    Go(recno);
}

void WorkArea::Skip(int32_t n) {
    if (n == 0) {
        // A refresh: the header's news of other opens, and the record as it stands now.
        const uint32_t count = table_->RecordCount();
        if (!eof_) {
            StandOn(recno_);
        } else {
            StandAtEnd(count);
        }
        return;
    }
    if (n > 0) {
        if (eof_) {
            return;  // already past the end; an empty table stays at both ends
        }
        bof_ = false;
        for (int32_t i = 0; i < n && !eof_; ++i) {
            const uint32_t r = NextVisible(recno_);
            if (r == 0) {
                StandAtEnd();
            } else {
                StandOnFound(r);
            }
        }
        return;
    }
    for (int64_t i = 0; i < -static_cast<int64_t>(n); ++i) {
        const uint32_t r = eof_ ? LastVisible() : PriorVisible(recno_);
        if (r != 0) {
            StandOnFound(r);
            bof_ = false;
            continue;
        }
        // Before the first visible record: stay on it.
        const bool onVisible = !eof_ && IsVisible(recno_);
        if (!onVisible) {
            const uint32_t first = FirstVisible();
            if (first == 0) {
                StandAtEnd();
            } else {
                StandOn(first);
            }
        }
        bof_ = true;
        break;
    }
}

void WorkArea::AddWriteObserver(RecordWriteObserver* observer) {
    observers_.push_back(observer);
}

void WorkArea::RemoveWriteObserver(RecordWriteObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

// Records

void WorkArea::RequireCurrent() const {
    if (eof_) {
        throw Error("no current record (end of table)");
    }
}

void WorkArea::RequireWritable() const {
    if (!table_->Writable()) {
        throw Error("table is open read-only");
    }
}

void WorkArea::WriteRecord(uint32_t recno, const char* record) {
    RequireWritable();
    // A shared writer needs the record lock; take it for this write when not held.
    const bool held = table_->HoldsRecordLock(recno);
    if (!held && !table_->LockRecord(recno, settings_.lockTimeoutSeconds)) {
        throw Error("record " + std::to_string(recno) + " is locked elsewhere");
    }
    try {
        if (!observers_.empty()) {
            scratchRecno_ = 0;
            if (knownRecno_ == recno) {
                scratch_ = known_;
            } else {
                table_->ReadRecord(recno, scratch_.data());
            }
        }
        knownRecno_ = 0;
        ++standing_;
        table_->WriteRecord(recno, record);
        appended_ = 0;
        Know(recno, record);
        for (auto* o : observers_) {
            o->RecordWritten(recno, scratch_.data(), record);
        }
    } catch (...) {
        if (!held) {
            table_->UnlockRecord(recno);
        }
        ForgetIfUnlocked(recno);
        throw;
    }
    if (!held) {
        table_->UnlockRecord(recno);
    }
    ForgetIfUnlocked(recno);
}

void WorkArea::Know(uint32_t recno, const char* record) {
    known_.assign(record, record + buffer_.size());
    knownRecno_ = recno;
}

void WorkArea::ForgetIfUnlocked(uint32_t recno) {
    if (knownRecno_ != 0 && (recno == 0 || recno == knownRecno_) &&
        !table_->HoldsRecordLock(knownRecno_)) {
        knownRecno_ = 0;
    }
}

int WorkArea::Append() {
    if (!table_->Writable()) {
        return 5;
    }
    std::vector<char> blank(buffer_.size(), ' ');
    const uint32_t recno = table_->Append(blank.data(), settings_.lockTimeoutSeconds);
    if (recno == 0) {
        return 1;
    }
    std::copy(blank.begin(), blank.end(), buffer_.begin());
    Know(recno, blank.data());
    ++standing_;
    appended_ = recno;
    recno_ = recno;
    eof_ = false;
    bof_ = false;
    for (auto* o : observers_) {
        o->RecordWritten(recno, nullptr, buffer_.data());
    }
    return 0;
}

void WorkArea::GetRecord(char* out) const {
    std::copy(buffer_.begin(), buffer_.end(), out);
}

void WorkArea::PutRecord(const char* record) {
    RequireCurrent();
    RequireWritable();
    const std::vector<char> before(buffer_);
    // The caller may hand the engine's own buffer back.
    std::memmove(buffer_.data(), record, buffer_.size());
    const bool fillsAppend = appended_ == recno_;
    try {
        WriteRecord(recno_, buffer_.data());
    } catch (...) {
        std::copy(before.begin(), before.end(), buffer_.begin());
        if (fillsAppend) {
            TakeBackAppend();
        }
        throw;
    }
}

void WorkArea::TakeBackAppend() {
    // The blank record that the append left must not stay behind a write that failed.
    const uint32_t recno = appended_;
    appended_ = 0;
    if (!table_->TakeBackAppend(recno, settings_.lockTimeoutSeconds)) {
        return;  // another open appended after it: it stays, blank, as any append would
    }
    if (knownRecno_ == recno) {
        knownRecno_ = 0;
    }
    if (scratchRecno_ == recno) {
        scratchRecno_ = 0;
    }
    for (auto* o : observers_) {
        o->AppendTakenBack(recno, buffer_.data());
    }
    StandAtEnd(recno - 1);
}

bool WorkArea::Lock(int64_t recno) {
    if (!table_->Holds(recno)) {
        return false;
    }
    const auto r = static_cast<uint32_t>(recno);
    if (!table_->LockRecord(r, settings_.lockTimeoutSeconds)) {
        return false;
    }
    if (r == recno_ && !eof_) {
        StandOn(r);  // another writer may have changed it before we had the lock
    }
    return true;
}

void WorkArea::Unlock(uint32_t recno) {
    if (recno == 0 || recno == appended_) {
        appended_ = 0;
    }
    if (recno == 0) {
        table_->UnlockAll();
    } else {
        table_->UnlockRecord(recno);
    }
    ForgetIfUnlocked(recno);
}

void WorkArea::Delete() {
    RequireCurrent();
    std::vector<char> record(buffer_.size());
    if (knownRecno_ == recno_) {
        record = known_;
    } else {
        table_->ReadRecord(recno_, record.data());
    }
    record[0] = '*';
    WriteRecord(recno_, record.data());
    buffer_[0] = '*';
}

void WorkArea::Zap() {
    knownRecno_ = 0;
    appended_ = 0;
    ++standing_;
    table_->Zap(settings_.memoBlockSize);
    for (auto* o : observers_) {
        o->TableRebuilt();
    }
    GoTop();
}

void WorkArea::Pack() {
    knownRecno_ = 0;
    appended_ = 0;
    ++standing_;
    PackTable(*table_, settings_.memoBlockSize);
    for (auto* o : observers_) {
        o->TableRebuilt();
    }
    GoTop();
}

// Values

const FieldDesc& WorkArea::RequireField(std::string_view name) const {
    const FieldDesc* f = FindField(name);
    if (f == nullptr) {
        throw Error("unknown field " + std::string(name));
    }
    return *f;
}

const FieldDesc& WorkArea::RequireMemoField(std::string_view name) const {
    const FieldDesc& f = RequireField(name);
    if (f.type != 'M' || table_->Memo() == nullptr) {
        throw Error("field " + f.name + " is no memo field");
    }
    return f;
}

std::string_view WorkArea::FieldBytes(const FieldDesc& f) const {
    return std::string_view(buffer_.data() + f.offset, static_cast<size_t>(f.width));
}

void WorkArea::SetFieldBytes(const FieldDesc& f, std::string_view bytes) {
    const size_t w = static_cast<size_t>(f.width);
    const size_t n = std::min(w, bytes.size());
    std::memcpy(buffer_.data() + f.offset, bytes.data(), n);
    std::memset(buffer_.data() + f.offset + n, ' ', w - n);
}

const WorkArea::MemoSeen* WorkArea::SeenMemo(const FieldDesc& f, uint32_t block) const {
    const MemoSeen& m = memoSeen_;
    return m.standing == standing_ && m.offset == f.offset && m.block == block ? &m : nullptr;
}

std::string WorkArea::ReadMemo(const FieldDesc& f) const {
    const uint32_t block = ParseMemoPointer(FieldBytes(f));
    if (const MemoSeen* m = SeenMemo(f, block); m != nullptr && m->data) {
        return *m->data;
    }
    std::string data = table_->Memo()->Read(block);
    memoSeen_ = MemoSeen{standing_, f.offset, block, static_cast<uint32_t>(data.size()), data};
    return data;
}

uint32_t WorkArea::WriteMemo(std::string_view data) {
    if (data.empty()) {
        return 0;
    }
    RequireWritable();
    if (!table_->LockMemo(settings_.lockTimeoutSeconds)) {
        throw Error("memo file is locked elsewhere");
    }
    try {
        const uint32_t block = table_->Memo()->Write(data);
        table_->NoteMemoWritten();
        table_->UnlockMemo();
        return block;
    } catch (...) {
        table_->UnlockMemo();
        throw;
    }
}

std::string WorkArea::GetString(std::string_view field) {
    const FieldDesc& f = RequireField(field);
    if (f.type == 'M') {
        std::string memo = ReadMemo(RequireMemoField(field));
        memo.resize(std::strlen(memo.c_str()));  // a text ends at its first zero byte
        return memo;
    }
    return std::string(FieldBytes(f));
}

std::string WorkArea::GetTrimString(std::string_view field) {
    const FieldDesc& f = RequireField(field);
    std::string s = GetString(field);
    std::string_view v = TrimRight(s);
    if (f.type == 'N') {
        v = TrimLeft(v);
    }
    return std::string(v);
}

std::string WorkArea::GetDateString(std::string_view field) {
    const FieldDesc& f = RequireField(field);
    if (f.type != 'D') {
        throw Error("field " + f.name + " is no date field");
    }
    return FormatDate(FieldBytes(f), settings_.date);
}

bool WorkArea::GetLogical(std::string_view field) {
    const FieldDesc& f = RequireField(field);
    return f.type == 'L' && StoredLogical(FieldBytes(f)[0]);
}

bool WorkArea::Empty(std::string_view field) {
    const FieldDesc& f = RequireField(field);
    const std::string_view bytes = FieldBytes(f);
    switch (f.type) {
        case 'N': {
            if (IsBlank(bytes)) {
                return true;
            }
            const std::string text(bytes);
            return std::strtod(text.c_str(), nullptr) == 0.0;
        }
        case 'L':
            return !StoredLogical(bytes[0]);
        case 'M':
            return BlobLength(field) == 0;
        default:
            return IsBlank(bytes);
    }
}

void WorkArea::Replace(std::string_view field, int kind, const void* value) {
    RequireCurrent();
    RequireWritable();
    const FieldDesc& f = RequireField(field);
    if (value == nullptr && kind != kReplaceMemo) {
        throw Error("no value given for " + f.name);
    }
    std::string stored;
    switch (kind) {
        case kReplaceText: {
            const std::string_view text(static_cast<const char*>(value));
            switch (f.type) {
                case 'M':
                    stored = FormatMemoPointer(WriteMemo(text), f.width);
                    break;
                case 'N': {
                    // Only a number goes in, written with the field's decimals, so that every
                    // reader can still read the table; an empty text is the blank field.
                    const std::string_view trimmed = TrimRight(TrimLeft(text));
                    if (trimmed.empty()) {
                        stored.assign(static_cast<std::size_t>(f.width), ' ');
                        break;
                    }
                    const std::optional<double> number = ParseNumberText(trimmed);
                    if (!number) {
                        throw Error("value is no number for field " + f.name);
                    }
                    if (!FormatNumber(*number, f.width, f.decimals, &stored)) {
                        throw Error("value does not fit field " + f.name);
                    }
                    break;
                }
                case 'D':
                    if (!ParseDate(text, settings_.date, &stored)) {
                        throw Error("invalid date for field " + f.name);
                    }
                    break;
                case 'L':
                    stored = text.empty() ? "F" : (StoredLogical(text[0]) ? "T" : "F");
                    break;
                default:
                    stored = text;
            }
            break;
        }
        case kReplaceDateText:
            if (f.type != 'D') {
                throw Error("field " + f.name + " is no date field");
            }
            if (!ParseDate(static_cast<const char*>(value), settings_.date, &stored)) {
                throw Error("invalid date for field " + f.name);
            }
            break;
        case kReplaceLogical:
            if (f.type != 'L') {
                throw Error("field " + f.name + " is no logical field");
            }
            stored = *static_cast<const int32_t*>(value) != 0 ? "T" : "F";
            break;
        case kReplaceDouble:
            if (f.type != 'N') {
                throw Error("field " + f.name + " is no number field");
            }
            if (!FormatNumber(*static_cast<const double*>(value), f.width, f.decimals, &stored)) {
                throw Error("value does not fit field " + f.name);
            }
            break;
        case kReplaceMemo:
            RequireMemoField(field);
            stored = FormatMemoPointer(
                WriteMemo(value == nullptr ? std::string_view() : static_cast<const char*>(value)),
                f.width);
            break;
        default:
            throw Error("unknown kind of value " + std::to_string(kind));
    }
    std::vector<char> before(buffer_);
    SetFieldBytes(f, stored);
    try {
        WriteRecord(recno_, buffer_.data());
    } catch (...) {
        std::copy(before.begin(), before.end(), buffer_.begin());
        throw;
    }
}

std::string WorkArea::GetMemo(std::string_view field) {
    return ReadMemo(RequireMemoField(field));
}

uint32_t WorkArea::BlobLength(std::string_view field) {
    const FieldDesc& f = RequireMemoField(field);
    const uint32_t block = ParseMemoPointer(FieldBytes(f));
    if (const MemoSeen* m = SeenMemo(f, block)) {
        return m->length;
    }
    uint32_t length = 0;
    std::optional<std::string> data = table_->Memo()->ReadShort(block, &length);
    memoSeen_ = MemoSeen{standing_, f.offset, block, length, std::move(data)};
    return length;
}

void WorkArea::PutBlob(std::string_view field, const void* data, uint32_t length) {
    const FieldDesc& f = RequireMemoField(field);
    RequireWritable();
    const uint32_t block =
        length == 0 ? 0 : WriteMemo(std::string_view(static_cast<const char*>(data), length));
    SetFieldBytes(f, FormatMemoPointer(block, f.width));
}

}  // namespace xb
