#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "setup/setup_port.h"

namespace setup {

// One table whose old records are appended into the newly installed one, field by field by
// name, as text.
struct CarriedTable {
    std::string tableName;    // the table file, as listed
    std::string messageName;  // the name the error boxes show
    std::vector<std::string> fields;
    bool naamFromGegevens = false;  // an old call log without naam had Gegevens
};

CarriedTable CallLogTable(const std::string& tableName);
CarriedTable PhoneBookTable(const std::string& tableName);

// What an old table's header counts and how many records its file holds.
struct TableCounts {
    bool read = false;  // false: too short for a header
    std::uint32_t counted = 0;
    std::uint64_t held = 0;
};
TableCounts ReadTableCounts(const std::string& path);

// An old table that holds less than it says: a cut file, a memo that does not read whole.
class DamagedTable : public std::runtime_error {
  public:
    // The text names the table and what is wrong, in Dutch.
    DamagedTable(const std::string& table, const std::string& what);
};

// Appends every live record of `oldDir`/table (opened read-only) into `newDir`/table. A field
// missing on either side is skipped. A table that does not open, or that holds less than its
// header counts, or a field that does not read whole, shows its box and fails the copy. False
// when it failed; `error` then holds what failed (in Dutch, naming the table, when it is the
// old table's fault).
bool CarryOver(const CarriedTable& table, const std::string& oldDir, const std::string& newDir,
               SetupPort& port, std::string& error);

}  // namespace setup
