#pragma once

#include "monitor/book/row_answer.h"
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

// The entry's answer from a result that was read: found fills the checked fields (the
// street with its house number), not found empties them only when asked, "Niet gevonden"
// for the name; a status file that says no CD was found replaces the text.
EntryAnswer AnswerFromResult(const monitor::DirectoryResult& result,
                             const LookupFieldChecks& checks);

}  // namespace book
