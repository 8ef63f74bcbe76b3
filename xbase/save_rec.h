#pragma once

// What a blob answer takes of the engine while a caller's record stands in the engine's
// record buffer: the buffer's own record to put back, and the field's contents as read.

#include <cstdint>
#include <string>
#include <vector>

#include "xbase/work_area.h"

namespace xbase {

// Contents up to this length are also read as memo text.
inline constexpr int32_t kMemoTextLimit = 61440;

class TSaveRec : public RecordSnapshot {
  public:
    // Copies the engine's record buffer (of the current area).
    TSaveRec(TVCLWorkArea& owner, uint16_t field);
    // Puts the engine's record back unless that happened already.
    ~TSaveRec() override;

    // The caller's record into the engine's buffer (none: the engine's own), then Capture.
    void Load(const char* record);
    // Reads name, emptiness, end of table, the blob content and the memo text of the field.
    void Capture();
    void Restore();
    // The engine's buffer as it is now into `out`.
    void CopyBack(char* out) const;

    bool HasBlobContent() const { return !empty && blobLength > 0; }
    // The content was read whole.
    bool BlobReadWhole() const { return blobRead == blobLength; }

    bool restored = true;
    TVCLWorkArea& owner;
    uint16_t fieldNumber;
    std::string fieldName;
    bool empty = true;
    bool atEnd = false;
    int32_t blobLength = 0;  // as the engine gives it
    bool damaged = false;    // the engine could not read the field's memo at all
    int32_t blobRead = 0;
    std::string blob;
    std::string memo;
    std::vector<char> callerRecord;
    std::vector<char> savedRecord;

  private:
    char* engineBuffer_ = nullptr;
};

// A snapshot of field `field` with `record` loaded, kept in the table's saved records.
TSaveRec& TakeSnapshot(TVCLWorkArea& wa, const char* record, uint16_t field);
// Frees it, which puts the engine's record back.
void DropSnapshot(TVCLWorkArea& wa, const TSaveRec& snapshot);

// Takes a snapshot for one answer and drops it on every path.
class ScopedSnapshot {
  public:
    ScopedSnapshot(TVCLWorkArea& wa, const char* record, uint16_t field)
        : wa_(wa), snapshot_(TakeSnapshot(wa, record, field)) {}
    ~ScopedSnapshot() { DropSnapshot(wa_, snapshot_); }
    ScopedSnapshot(const ScopedSnapshot&) = delete;
    ScopedSnapshot& operator=(const ScopedSnapshot&) = delete;

    TSaveRec& operator*() const { return snapshot_; }
    TSaveRec* operator->() const { return &snapshot_; }

  private:
    TVCLWorkArea& wa_;
    TSaveRec& snapshot_;
};

}  // namespace xbase
