#include "xbase/save_rec.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/rtl/date_time.h"
#include "xbase/engine_api.h"
#include "xbase/engine_record.h"

namespace xbase {

TSaveRec::TSaveRec(TVCLWorkArea& owner, uint16_t field)
    : owner(owner), fieldNumber(field), engineBuffer_(EngineRecordBuffer()) {
    if (engineBuffer_ != nullptr && owner.recordSize > 0) {
        savedRecord.assign(engineBuffer_, engineBuffer_ + owner.recordSize);
    } else {
        engineBuffer_ = nullptr;
    }
}

TSaveRec::~TSaveRec() {
    if (!restored) {
        Restore();
    }
}

void TSaveRec::Load(const char* record) {
    restored = false;
    if (record != nullptr && engineBuffer_ != nullptr) {
        callerRecord.assign(record, record + savedRecord.size());
        std::memmove(engineBuffer_, record, savedRecord.size());
    }
    Capture();
}

void TSaveRec::Capture() {
    const EngineApi& e = Engine();
    const char* name = e.sx_FieldName(fieldNumber);
    fieldName = name != nullptr ? name : "";
    const char* f = fieldName.c_str();
    empty = e.sx_Empty(f) != 0;
    atEnd = e.sx_Eof() != 0;
    const int32_t length = e.sx_GetBlobLength(f);
    damaged = !empty && length < 0;
    blobLength = std::max(length, 0);
    blob.clear();
    blobRead = 0;
    if (blobLength >= 1) {
        blob.assign(static_cast<size_t>(blobLength), '\0');
        blobRead = e.sx_GetBlob(f, blob.data());
        blob.resize(static_cast<size_t>(std::clamp(blobRead, 0, blobLength)));
    }
    memo.clear();
    if (blobLength <= kMemoTextLimit) {
        if (char* text = e.sx_GetMemo(f, 0)) {
            memo = text;
            e.sx_MemDealloc(text);
        }
    }
}

void TSaveRec::Restore() {
    if (engineBuffer_ != nullptr) {
        std::copy(savedRecord.begin(), savedRecord.end(), engineBuffer_);
    }
    restored = true;
}

void TSaveRec::CopyBack(char* out) const {
    if (engineBuffer_ != nullptr && out != nullptr) {
        std::memmove(out, engineBuffer_, savedRecord.size());
    }
}

TSaveRec& TakeSnapshot(TVCLWorkArea& wa, const char* record, uint16_t field) {
    auto snapshot = std::make_unique<TSaveRec>(wa, field);
    TSaveRec& made = *snapshot;
    wa.savedRecords.push_back(
        SavedRecord{rtl::FormatDateTime("hh:nn:ss", rtl::Now()), std::move(snapshot)});
    try {
        made.Load(record);
    } catch (...) {
        DropSnapshot(wa, made);
        throw;
    }
    return made;
}

void DropSnapshot(TVCLWorkArea& wa, const TSaveRec& snapshot) {
    auto& list = wa.savedRecords;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const SavedRecord& s) { return s.snapshot.get() == &snapshot; }),
               list.end());
}

}  // namespace xbase
