#pragma once

#include <string>
#include <vector>

#include "monitor/directory_result.h"

namespace book {

// The "Foongrep" menu's check items: the fields a lookup may change.
struct LookupFieldChecks {
    bool aanhangsel = true;
    bool naam = true;
    bool voornaam = true;
    bool straat = true;
    bool postcode = true;
    bool plaats = true;
    bool veldWissen = false;  // "Veld wissen indien niet gevonden."
};

// One field to write: its name in the phone book and the new value.
struct FieldChange {
    std::string field;
    std::string value;
    bool operator==(const FieldChange&) const = default;
};

// What a read result does to an entry: the fields to change and the status text that
// lbfa shows and ZOEKSTATUS stores.
struct EntryAnswer {
    std::vector<FieldChange> changes;
    std::string status;
};

// The entry's answer from a result that was read: found fills the checked fields (the
// street with its house number), not found empties them only when asked, "Niet gevonden"
// for the name; a status file that says no CD was found replaces the text.
EntryAnswer AnswerFromResult(const monitor::DirectoryResult& result,
                             const LookupFieldChecks& checks);

}  // namespace book
