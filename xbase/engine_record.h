#pragma once

// The engine's record buffer of the current area, as the answers that evaluate a caller's
// record use it.

#include <vector>

#include "xbase/work_area.h"

namespace xbase {

// The open table of a handle 1 to 255 without selecting it; null for any other handle.
TVCLWorkArea* TableRecord(CursorHandle handle);

// The result for a write the engine refused: a read-only area, else a record or memo that
// another user holds.
DbiResult WriteRefusal(const TVCLWorkArea& wa);

// Keeps the engine's reason for the refusal that the current answer reports as `code`, so
// that the error raised for it can say why; returns code. Call it right after the engine
// call that failed, before any other.
DbiResult NoteRefusal(DbiResult code);

// The record buffer of the current area (null when the engine gives none).
char* EngineRecordBuffer();

// Puts a caller's record into the engine's buffer for a while; the engine's own record goes
// back when this ends, on every path. `record` may be null: then nothing is placed.
class ParkedRecord {
  public:
    ParkedRecord(const TVCLWorkArea& wa, const char* record);
    ~ParkedRecord();
    ParkedRecord(const ParkedRecord&) = delete;
    ParkedRecord& operator=(const ParkedRecord&) = delete;

    // The engine's buffer as it is now (what the engine changed in the placed record) into
    // `out`, record-size bytes.
    void CopyBack(char* out) const;

  private:
    char* engine_ = nullptr;
    std::vector<char> parked_;
};

}  // namespace xbase
