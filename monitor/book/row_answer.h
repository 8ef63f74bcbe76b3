#pragma once

#include <string>
#include <vector>

namespace book {

// One field to write: its name in the table and the new value.
struct FieldChange {
    std::string field;
    std::string value;
    bool operator==(const FieldChange&) const = default;
};

// What a lookup writes into a row: the fields to change and the status text that the window
// shows and ZOEKSTATUS stores.
struct EntryAnswer {
    std::vector<FieldChange> changes;
    std::string status;
};

}  // namespace book
