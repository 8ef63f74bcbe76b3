#pragma once

// The layer's answers on the table's current index order: seek a key, range the table
// between two keys, extract a record's key, compare two bookmarks.

#include <cstdint>
#include <string>

#include "xbase/result_codes.h"

namespace xbase {

enum SearchMode : int32_t { kSearchEqual = 0, kSearchGreater = 1, kSearchGreaterOrEqual = 2 };

// `key` is the key text with `directKey`, else a raw record whose key is sought. A caller's
// record is only evaluated, never written to the table.
DbiResult DbiGetRecordForKey(CursorHandle table, bool directKey, uint16_t fieldCount,
                             uint16_t partialLength, const char* key, char* record);
DbiResult DbiSeekKey(CursorHandle table, int32_t mode, bool directKey, uint16_t fieldCount,
                     uint16_t partialLength, const char* key);
// Ends are key texts with `keyItself`, else raw records; a null end is open.
DbiResult DbiSetRange(CursorHandle table, bool keyItself, uint16_t fieldCount1, uint16_t length1,
                      const char* key1, bool include1, uint16_t fieldCount2, uint16_t length2,
                      const char* key2, bool include2);
DbiResult DbiResetRange(CursorHandle table);
// The key of `record`, or of the current record when it is null.
DbiResult DbiExtractKey(CursorHandle table, const char* record, std::string* key);
// -1, 0 or 1 as the first bookmark stands before, with or after the second.
DbiResult DbiCompareBookMarks(CursorHandle table, const char* bookmark1, const char* bookmark2,
                              int16_t* result);

}  // namespace xbase
