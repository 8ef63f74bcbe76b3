#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/db/data_set.h"
#include "platform/db/field.h"
#include "xbase/table.h"
#include "xbase/tests/phonebook_fields.h"
#include "xbase/xbase_component.h"

namespace xbase::testing {

inline constexpr int kPhoneBookIndexes = 13;

struct StartUp {
    std::array<int, kPhoneBookIndexes> orders{};
    std::array<std::string, kPhoneBookIndexes> indexNames;  // the table's, after each Index
};

// The phone-book window's start-up: pack while exclusive, then open shared and make the
// thirteen index files in `folder` (with its "/" at the end).
inline StartUp StartPhoneBook(TTable& table, TXbase& xbase, const std::string& folder) {
    StartUp result;
    if (table.Active()) {
        table.Close();
    }
    xbase.SysProp(1009, 0);
    xbase.SysProp(1007, 0);
    table.Close();
    table.SetExclusive(true);
    table.Open();
    xbase.Pack();
    table.Close();
    table.SetExclusive(false);
    table.Open();
    for (int n = 0; n < kPhoneBookIndexes; ++n) {
        result.orders[static_cast<std::size_t>(n)] =
            xbase.Index(folder + "tel" + std::to_string(n) + ".idx",
                        kPhoneBookKeys[static_cast<std::size_t>(n)], 0, false, "");
        result.indexNames[static_cast<std::size_t>(n)] = table.IndexName();
    }
    xbase.Reindex();
    return result;
}

// The monitor's lookup of a caller: from the first record to the end in the number order,
// comparing NUMMER; the table stays on the record found.
inline bool WalkLookup(TTable& table, TXbase& xbase, int numberOrder, const std::string& number) {
    xbase.Commit();
    const int remembered = xbase.IndexOrd();
    if (numberOrder != 0) {
        xbase.SetOrder(numberOrder);
    }
    table.DisableControls();
    table.First();
    bool found = false;
    while (!table.Eof()) {
        if (table.FieldByName("NUMMER").AsString() == number) {
            found = true;
            break;
        }
        table.Next();
    }
    xbase.SetOrder(remembered);
    table.EnableControls();
    return found;
}

// The same lookup by a seek on the number index.
inline bool SeekLookup(TTable& table, TXbase& xbase, int numberOrder, const std::string& number) {
    xbase.SetOrder(numberOrder);
    return table.Locate("NUMMER", {db::TFieldValue(number)}, 0);
}

}  // namespace xbase::testing
