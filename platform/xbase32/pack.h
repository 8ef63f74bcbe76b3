#pragma once

#include <string>

#include "platform/xbase32/dbf_table.h"

namespace xb {

// Points at which a pack may be stopped, for tests that prove every stop leaves a whole
// table with its own memos.
enum class PackStep {
    kTemporariesWritten,  // both new files complete, no marker yet
    kMarkerWritten,       // marker in place, nothing renamed
    kMemoRenamed          // the new memo file is in place, the new table not yet
};
using PackStepHook = void (*)(PackStep);
void SetPackStepHook(PackStepHook hook);  // nullptr: none

// Rewrites an exclusively open table without its deleted records and with a compacted
// memo file. The new files are written beside the old ones; a marker is written before
// the two renames so that the next open can finish them. When the files already are what
// that would write (no deleted record, no memo in use), only the header's date is stamped,
// unless mayKeepFiles is false.
void PackTable(DbfTable& table, int memoBlockSize, bool mayKeepFiles = true);

// Finishes a pack whose marker exists, or removes the leftovers of one stopped before its
// marker. Does nothing while another open holds the table. Called before a table opens.
void RecoverInterruptedPack(const std::string& dbfPath);

}  // namespace xb
