#pragma once

// The layer's answers that convert between a raw record and native field values, and that
// read and write memo, binary and OLE fields of a raw record.

#include <cstdint>

#include "xbase/result_codes.h"

namespace xbase {

// `value` by the field's logical type: text char[width + 1] (zero-terminated, Windows-1252),
// date int32_t day number (the class library's date value + 693594), logical int16_t (1
// true), 16-bit integer int16_t, floating double. Blob fields are left to the blob answers.
// A raw value in a bad form raises rtl::EConvertError.
DbiResult DbiGetField(CursorHandle table, uint16_t field, const char* record, void* value,
                      bool* blank);
// A null value stores a blank.
DbiResult DbiPutField(CursorHandle table, uint16_t field, char* record, const void* value);

// Blobs of the record the caller holds; the engine's own record buffer is as before when
// each returns. Writes put the new memo reference into `record`.
DbiResult DbiOpenBlob(CursorHandle table, char* record, uint16_t field, int32_t mode);
DbiResult DbiFreeBlob(CursorHandle table, char* record, uint16_t field);
DbiResult DbiGetBlobSize(CursorHandle table, char* record, uint16_t field, uint32_t* size);
DbiResult DbiGetBlob(CursorHandle table, char* record, uint16_t field, uint32_t offset,
                     uint32_t length, void* buffer, uint32_t* read);
DbiResult DbiPutBlob(CursorHandle table, char* record, uint16_t field, uint32_t offset,
                     uint32_t length, const void* data);
// Keeps the first `length` bytes.
DbiResult DbiTruncateBlob(CursorHandle table, char* record, uint16_t field, uint32_t length);

}  // namespace xbase
