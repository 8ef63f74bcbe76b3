#pragma once

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

// Appends every live record of `oldDir`/table (opened read-only) into `newDir`/table. A field
// missing on either side is skipped; a table that does not open shows its box. False when the
// tables did not open or the copy failed; `error` then holds what failed.
bool CarryOver(const CarriedTable& table, const std::string& oldDir, const std::string& newDir,
               SetupPort& port, std::string& error);

}  // namespace setup
