// Memo, binary and OLE contents of the record that the caller holds. The engine reads and
// writes them only for the record in its own buffer, so each answer places the caller's
// record there and puts the engine's own back when it ends.

#include <algorithm>
#include <cstring>
#include <string>

#include "xbase/descriptor_cache.h"
#include "xbase/engine_api.h"
#include "xbase/engine_record.h"
#include "xbase/save_rec.h"
#include "xbase/xbcalls.h"

namespace xbase {

namespace {

constexpr int32_t kPropBlobWrite = 1305;

bool Encrypted() {
    const EngineApi& e = Engine();
    return e.sx_IsEncrypted(0) != 0 || e.sx_IsEncrypted(1) != 0;
}

bool IsMemoField(TVCLWorkArea& wa, uint16_t field) {
    EnsureDescriptors(wa);
    return field >= 1 && field <= wa.physical.size() &&
           wa.physical[field - 1].fieldType == kPhysMemo &&
           wa.logical[field - 1].subType == kBlobMemo;
}

// `length` bytes at `offset` of a content of `total` bytes.
DbiResult ReadRange(const std::string& content, uint32_t offset, uint32_t length, void* buffer,
                    uint32_t* read) {
    const auto total = static_cast<uint32_t>(content.size());
    uint32_t n = 0;
    DbiResult result = kOk;
    if (total == 0) {
        n = 0;
    } else if (offset > total) {
        result = kBlobOffsetBeyondEnd;
    } else if (length > total - offset) {
        n = total - offset;
        result = kBlobShortRead;
    } else {
        n = length;
    }
    if (n > 0 && buffer != nullptr) {
        std::memcpy(buffer, content.data() + offset, n);
    }
    if (read != nullptr) {
        *read = n;
    }
    return result;
}

DbiResult ReadFromSnapshot(TVCLWorkArea& wa, const TSaveRec& s, uint16_t field, uint32_t offset,
                           uint32_t length, void* buffer, uint32_t* read) {
    if (read != nullptr) {
        *read = 0;
    }
    if (s.damaged) {
        return kBlobUnreadable;
    }
    const bool encrypted = Encrypted();
    if (encrypted && IsMemoField(wa, field)) {
        return ReadRange(s.memo, offset, length, buffer, read);
    }
    if (wa.driver != SX_NTX && (s.blobLength != 0 || s.memo.empty())) {
        if (!s.BlobReadWhole()) {
            return kBlobUnreadable;
        }
        return ReadRange(s.blob, offset, length, buffer, read);
    }
    if (s.empty) {
        return kOk;
    }
    if (!encrypted && s.HasBlobContent()) {
        if (!s.BlobReadWhole()) {
            return kBlobUnreadable;
        }
        return ReadRange(s.blob, offset, length, buffer, read);
    }
    // Only the caller's record's memo: never another record's in its place.
    return ReadRange(s.memo, offset, length, buffer, read);
}

}  // namespace

DbiResult DbiOpenBlob(CursorHandle table, char* /*record*/, uint16_t /*field*/, int32_t /*mode*/) {
    return SelectTable(table) != nullptr ? kOk : kNoSuchTable;
}

DbiResult DbiFreeBlob(CursorHandle table, char* /*record*/, uint16_t /*field*/) {
    return SelectTable(table) != nullptr ? kOk : kNoSuchTable;
}

DbiResult DbiGetBlobSize(CursorHandle table, char* record, uint16_t field, uint32_t* size) {
    TVCLWorkArea* wa = SelectTable(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    ScopedSnapshot s(*wa, record, field);
    if (s->damaged) {
        return kBlobUnreadable;
    }
    const auto memoLength = static_cast<uint32_t>(s->empty ? 0 : s->memo.size());
    uint32_t n = 0;
    if (Encrypted() || (wa->driver == SX_NTX && !s->HasBlobContent())) {
        n = memoLength;
    } else {
        n = s->blobLength != 0 ? static_cast<uint32_t>(s->blobLength) : memoLength;
    }
    if (size != nullptr) {
        *size = n;
    }
    return kOk;
}

DbiResult DbiGetBlob(CursorHandle table, char* record, uint16_t field, uint32_t offset,
                     uint32_t length, void* buffer, uint32_t* read) {
    TVCLWorkArea* wa = SelectTable(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    ScopedSnapshot s(*wa, record, field);
    return ReadFromSnapshot(*wa, *s, field, offset, length, buffer, read);
}

DbiResult DbiPutBlob(CursorHandle table, char* record, uint16_t field, uint32_t offset,
                     uint32_t length, const void* data) {
    TVCLWorkArea* wa = SelectTable(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    ScopedSnapshot s(*wa, record, field);
    std::string old;
    if (wa->driver == SX_NTX && !s->HasBlobContent()) {
        old = s->memo;
    } else if (s->blobLength > 0) {
        if (!s->BlobReadWhole()) {
            return kBlobReadShortBeforeWrite;
        }
        old = s->blob;
    }
    if (old.size() < offset) {
        return kBlobOffsetBeyondEnd;
    }
    std::string content = old.substr(0, offset);
    if (data != nullptr && length > 0) {
        content.append(static_cast<const char*>(data), length);
    }
    // Every kind of content goes in as a blob: that patches only the engine's buffer, where
    // the caller's record stands, and writes no record to the table.
    const EngineApi& e = Engine();
    const intptr_t writeProp = e.sx_SysProp(kPropBlobWrite, 0);
    const bool written =
        e.sx_PutBlob(s->fieldName.c_str(), content.empty() ? nullptr : content.data(),
                     static_cast<int32_t>(content.size())) != 0;
    const DbiResult refused = written ? kOk : NoteRefusal(WriteRefusal(*wa));
    e.sx_SysProp(kPropBlobWrite, writeProp);
    if (refused != kOk) {
        return refused;
    }
    s->CopyBack(record);
    return kOk;
}

DbiResult DbiTruncateBlob(CursorHandle table, char* record, uint16_t field, uint32_t length) {
    return DbiPutBlob(table, record, field, length, 0, nullptr);
}

}  // namespace xbase
