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

}  // namespace xb
