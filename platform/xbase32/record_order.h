#pragma once

#include <cstdint>

namespace xb {

class DbfTable;

// The sequence in which navigation visits records. Every answer is a record number,
// 0 when there is none. An index order replaces the natural one on a work area.
class RecordOrder {
  public:
    virtual ~RecordOrder() = default;
    virtual uint32_t First() = 0;
    virtual uint32_t Last() = 0;
    virtual uint32_t Next(uint32_t recno) = 0;
    virtual uint32_t Prior(uint32_t recno) = 0;
};

// Record numbers 1 to the table's count.
class NaturalOrder final : public RecordOrder {
  public:
    explicit NaturalOrder(DbfTable& table) : table_(table) {}
    uint32_t First() override;
    uint32_t Last() override;
    uint32_t Next(uint32_t recno) override;
    uint32_t Prior(uint32_t recno) override;

  private:
    DbfTable& table_;
};

// Told of every record write, so that what is kept beside the table (indexes) follows it.
class RecordWriteObserver {
  public:
    virtual ~RecordWriteObserver() = default;
    // before: the record as it stood on disk; nullptr for a new record.
    virtual void RecordWritten(uint32_t recno, const char* before, const char* after) = 0;
    // After a pack or zap renumbered or removed the records.
    virtual void TableRebuilt() = 0;
};

}  // namespace xb
