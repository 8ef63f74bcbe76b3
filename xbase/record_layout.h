#pragma once

#include <cstdint>

namespace xbase {

// Update status of a buffered row.
enum TUpdateStatus : uint8_t { usUnmodified = 0, usModified = 1, usInserted = 2, usDeleted = 3 };

// What a record buffer carries beside the raw record.
struct RecordInfo {
    int32_t recordNumber = -1;
    uint8_t updateStatus = usUnmodified;
    uint8_t bookmarkFlag = 0;  // a db::TBookmarkFlag
    uint8_t reserved[2] = {0, 0};
};
static_assert(sizeof(RecordInfo) == 8);

// Where each part lies in a record buffer: the raw record (deletion flag and fields), the
// calculated fields, one blob-cache slot per blob field, the record information and the
// bookmark, in this order.
struct RecordLayout {
    // A slot holds the address of the cached content (null when none).
    static constexpr int kBlobSlotSize = sizeof(void*);

    int recordSize = 0;
    int calcFieldsSize = 0;
    int blobFieldCount = 0;
    int bookmarkSize = 0;

    int BlobCacheOffset() const { return recordSize + calcFieldsSize; }
    int RecordInfoOffset() const { return BlobCacheOffset() + kBlobSlotSize * blobFieldCount; }
    int BookmarkOffset() const { return RecordInfoOffset() + static_cast<int>(sizeof(RecordInfo)); }
    int BufferSize() const { return BookmarkOffset() + bookmarkSize; }

    bool operator==(const RecordLayout&) const = default;
};

// A key buffer: a header, then a raw record.
struct KeyBufferHeader {
    uint8_t modified = 0;
    uint8_t exclusive = 0;
    uint8_t reserved[2] = {0, 0};
    int32_t fieldCount = 0;
};
static_assert(sizeof(KeyBufferHeader) == 8);

}  // namespace xbase
