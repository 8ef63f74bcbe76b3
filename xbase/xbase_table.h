#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace db {
class TDataSet;
}

namespace xbase {

// The engine driver of a table, which decides the extension of an index file named without one.
enum class XbaseDriver { Other, Ntx, Fox, Nsx };

// What the engine component needs of its table beyond the data set itself. A data set may
// implement it; the table data set is reached through an adapter.
class XbaseTable {
  public:
    virtual ~XbaseTable() = default;

    // The engine work area of the open table; 0 while it is closed.
    virtual int32_t WorkArea() const = 0;
    virtual XbaseDriver Driver() const = 0;
    // Makes the order of that tag current in the data set.
    virtual void SetIndexName(const std::string& tag) = 0;
    // Reads the index definitions again (after the engine made or opened an index).
    virtual void ReadIndexDefs() = 0;
};

// The table behind `dataSet`; null when it is no table of the engine.
std::unique_ptr<XbaseTable> XbaseTableOf(db::TDataSet* dataSet);

}  // namespace xbase
