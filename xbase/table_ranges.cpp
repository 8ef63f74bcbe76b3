// Key ranges on the current order and the master link that sets them.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/db/field.h"
#include "xbase/db_errors.h"
#include "xbase/table.h"
#include "xbase/xbcalls.h"

namespace xbase {

db::TField& TTable::IndexFields(int index) const {
    if (index < 0 || index >= IndexFieldCount()) {
        db::DatabaseError("Field index out of range", this);
    }
    const int number = IndexFieldNo(index);
    TTable& self = const_cast<TTable&>(*this);
    for (int i = 0; i < FieldCount(); ++i) {
        db::TField& field = self.Fields()[i];
        if (field.FieldNo() == number) {
            return field;
        }
    }
    std::string name;
    for (int i = 0; i < self.FieldDefs().Count(); ++i) {
        if (self.FieldDefs()[i].FieldNo() == number) {
            name = self.FieldDefs()[i].Name();
        }
    }
    db::DatabaseError("Cannot access index field '" + name + "'", this);
}

bool TTable::SameKeyBuffers(TKeyIndex a, TKeyIndex b) const {
    const std::size_t size =
        sizeof(KeyBufferHeader) + static_cast<std::size_t>(Layout().recordSize);
    return std::memcmp(KeyBuffer(a), KeyBuffer(b), size) == 0;
}

void TTable::CopyKeyBuffer(TKeyIndex from, TKeyIndex to) {
    const std::size_t size =
        sizeof(KeyBufferHeader) + static_cast<std::size_t>(Layout().recordSize);
    std::memmove(KeyBuffer(to), KeyBuffer(from), size);
}

int TTable::KeyFieldsOf(const KeyBufferHeader& buffer) const {
    if (buffer.fieldCount > 0) {
        return buffer.fieldCount;
    }
    return ExpressionIndex() ? 1 : IndexFieldCount();
}

void TTable::LinkRanges(const std::vector<db::TField*>& masterFields) {
    InitKeyBuffer(kiRangeStart);
    KeyBufferHeader* start = KeyBuffer(kiRangeStart);
    start->modified = 1;
    // The master's values go into the key record as natives, field by field, as set-key
    // state would put them.
    const int count = std::min(static_cast<int>(masterFields.size()), IndexFieldCount());
    for (int i = 0; i < count; ++i) {
        const db::TField& master = *masterFields[static_cast<std::size_t>(i)];
        db::TField& own = IndexFields(i);
        std::vector<char> value(static_cast<std::size_t>(std::max(own.DataSize(), 8)) + 1, '\0');
        const bool present = master.GetData(value.data());
        Check(DbiPutField(Handle(), static_cast<uint16_t>(own.FieldNo()), KeyRecord(kiRangeStart),
                          present ? value.data() : nullptr));
    }
    start->fieldCount = count;
    CopyKeyBuffer(kiRangeStart, kiRangeEnd);
}

bool TTable::SetCursorRange() {
    if (KeyBuffer(kiRangeStart) == nullptr) {
        return false;
    }
    if (SameKeyBuffers(kiRangeStart, kiCurRangeStart) &&
        SameKeyBuffers(kiRangeEnd, kiCurRangeEnd)) {
        return false;
    }
    const KeyBufferHeader& start = *KeyBuffer(kiRangeStart);
    const KeyBufferHeader& end = *KeyBuffer(kiRangeEnd);
    std::string startKey;
    std::string endKey;
    bool keyItself = true;
    if (start.modified != 0 && DbiExtractKey(Handle(), KeyRecord(kiRangeStart), &startKey) != kOk) {
        keyItself = false;
    }
    if (end.modified != 0 && DbiExtractKey(Handle(), KeyRecord(kiRangeEnd), &endKey) != kOk) {
        keyItself = false;
    }
    const char* low = nullptr;
    const char* high = nullptr;
    if (start.modified != 0) {
        low = keyItself ? startKey.c_str() : KeyRecord(kiRangeStart);
    }
    if (end.modified != 0) {
        high = keyItself ? endKey.c_str() : KeyRecord(kiRangeEnd);
    }
    Check(DbiSetRange(Handle(), keyItself, static_cast<uint16_t>(KeyFieldsOf(start)), 0, low,
                      start.exclusive == 0, static_cast<uint16_t>(KeyFieldsOf(end)), 0, high,
                      end.exclusive == 0));
    CopyKeyBuffer(kiRangeStart, kiCurRangeStart);
    CopyKeyBuffer(kiRangeEnd, kiCurRangeEnd);
    return true;
}

bool TTable::ResetCursorRange() {
    if (KeyBuffer(kiCurRangeStart) == nullptr) {
        return false;
    }
    if (KeyBuffer(kiCurRangeStart)->modified == 0 && KeyBuffer(kiCurRangeEnd)->modified == 0) {
        return false;
    }
    Check(DbiResetRange(Handle()));
    InitKeyBuffer(kiCurRangeStart);
    InitKeyBuffer(kiCurRangeEnd);
    return true;
}

void TTable::SetRangeStart() {
    SetKeyBuffer(kiRangeStart, true);
}

void TTable::SetRangeEnd() {
    SetKeyBuffer(kiRangeEnd, true);
}

void TTable::EditRangeStart() {
    SetKeyBuffer(kiRangeStart, false);
}

void TTable::EditRangeEnd() {
    SetKeyBuffer(kiRangeEnd, false);
}

KeyBufferHeader& TTable::CheckSetKeyMode() const {
    if (State() != db::dsSetKey || EditedKeyBuffer() == nullptr) {
        db::DatabaseError("Dataset not in edit or insert mode", this);
    }
    return *EditedKeyBuffer();
}

bool TTable::KeyExclusive() const {
    return CheckSetKeyMode().exclusive != 0;
}

void TTable::SetKeyExclusive(bool value) {
    CheckSetKeyMode().exclusive = value ? 1 : 0;
}

int TTable::KeyFieldCount() const {
    return CheckSetKeyMode().fieldCount;
}

void TTable::SetKeyFieldCount(int value) {
    CheckSetKeyMode().fieldCount = value;
}

void TTable::ApplyKeyValues(TKeyIndex index, const std::vector<db::TFieldValue>& values) {
    SetKeyBuffer(index, true);
    try {
        for (std::size_t i = 0; i < values.size(); ++i) {
            IndexFields(static_cast<int>(i)).SetValue(values[i]);
        }
        EditedKeyBuffer()->fieldCount = static_cast<int32_t>(values.size());
    } catch (...) {
        PostKeyBuffer(false);
        throw;
    }
    PostKeyBuffer(true);
}

void TTable::SetRange(const std::vector<db::TFieldValue>& startValues,
                      const std::vector<db::TFieldValue>& endValues) {
    CheckBrowseMode();
    ApplyKeyValues(kiRangeStart, startValues);
    ApplyKeyValues(kiRangeEnd, endValues);
    ApplyRange();
}

void TTable::ApplyRange() {
    CheckBrowseMode();
    if (SetCursorRange()) {
        First();
    }
}

void TTable::CancelRange() {
    CheckBrowseMode();
    UpdateCursorPos();
    if (ResetCursorRange()) {
        Resync(0);
    }
}

void TTable::MasterChanged() {
    CheckBrowseMode();
    LinkRanges(masterLink_.Fields());
    ApplyRange();
}

void TTable::MasterDisabled() {
    CancelRange();
}

}  // namespace xbase
