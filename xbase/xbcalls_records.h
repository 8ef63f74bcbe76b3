#pragma once

// The layer's answers that move a table's cursor, hand whole records over and take them
// back, lock, delete and count records, and keep the table's filter slots. A record is the
// engine's raw record: the deletion-flag byte, then the fields as stored (record-size bytes).

#include <cstdint>

#include "xbase/result_codes.h"
#include "xbase/work_area.h"

namespace xbase {

// Filled when the caller passes it.
struct RecordProperties {
    int32_t recordNumber = 0;  // physical; 0 at end of table
    int16_t deleted = 0;
};

// A filter handle is a slot number, 1 to 100.
using FilterHandle = int32_t;

// Bookmarks are the physical record number in 4 bytes.
inline constexpr int kBookmarkSize = 4;

// Position.
DbiResult DbiSetToBegin(CursorHandle table);
DbiResult DbiSetToEnd(CursorHandle table);
DbiResult DbiGetSeqNo(CursorHandle table, char* bookmark);
DbiResult DbiSetToSeqNo(CursorHandle table, const char* bookmark);
DbiResult DbiMoveToPosition(CursorHandle table, int32_t position);
DbiResult DbiSetToCursor(CursorHandle destination, CursorHandle source);

// Reading records; `record` and `properties` may be null. On a handle above 255 the
// next-record answer only advances the pseudo-cursor (its rows: PseudoCursorNextRow).
DbiResult DbiGetNextRecord(CursorHandle table, int32_t lock, char* record,
                           RecordProperties* properties);
DbiResult DbiGetPriorRecord(CursorHandle table, int32_t lock, char* record,
                            RecordProperties* properties);
DbiResult DbiGetRecord(CursorHandle table, int32_t lock, char* record,
                       RecordProperties* properties);

// Writing records.
DbiResult DbiInitRecord(CursorHandle table, char* record);
// The new record stays locked only when `lock` asks for it.
DbiResult DbiInsertRecord(CursorHandle table, int32_t lock, const char* record);
DbiResult DbiAppendRecord(CursorHandle table, const char* record);
DbiResult DbiModifyRecord(CursorHandle table, const char* record, bool freeLock);
DbiResult DbiDeleteRecord(CursorHandle table, const char* record);
DbiResult DbiRelRecordLock(CursorHandle table, bool all);
DbiResult DbiGetRecordCount(CursorHandle table, int32_t* count);
// Rows of the current order without moving the cursor: the physical record number at a 1-based
// position among the records navigation visits (0 past the end), and a record's position
// among them (0 when navigation would not visit it). kCannotAnswer while a filter of the
// layer's own (a record-filter event or a search) can hide records.
DbiResult DbiGetRecNoAtPosition(CursorHandle table, int32_t position, int32_t* recordNumber);
DbiResult DbiGetPositionOfRecNo(CursorHandle table, int32_t recordNumber, int32_t* position);
// Empties `table`; the database, name and driver are not read.
DbiResult DbiEmptyTable(DbHandle db, CursorHandle table, const char* tableName, const char* driver);

// Filters. A non-null `expression` makes an expression slot (the data set's filter text,
// `clientData` not read); otherwise the slot calls `callback` with `clientData`. `priority`
// is the slot's kind: 0 filter text, 1 record-filter event, 2 temporary search filter.
DbiResult DbiAddFilter(CursorHandle table, intptr_t clientData, uint16_t priority, bool canAbort,
                       const char* expression, FilterCallback callback, FilterHandle* filter);
// Handle 0 names every used slot.
DbiResult DbiActivateFilter(CursorHandle table, FilterHandle filter);
DbiResult DbiDeactivateFilter(CursorHandle table, FilterHandle filter);
DbiResult DbiDropFilter(CursorHandle table, FilterHandle filter);

}  // namespace xbase
