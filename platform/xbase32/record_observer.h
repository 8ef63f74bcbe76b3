#pragma once

#include <cstdint>

namespace xb {

// Told of every record write, so that what is kept beside the table (indexes) follows it.
class RecordWriteObserver {
  public:
    virtual ~RecordWriteObserver() = default;
    // before: the record as it stood on disk; nullptr for a new record.
    virtual void RecordWritten(uint32_t recno, const char* before, const char* after) = 0;
    // After a pack or zap renumbered or removed the records.
    virtual void TableRebuilt() = 0;
    // This open's append of the last record, `record` as appended, was taken back.
    virtual void AppendTakenBack(uint32_t recno, const char* record) = 0;
};

}  // namespace xb
