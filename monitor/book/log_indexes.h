#pragma once

#include <array>
#include <string_view>

namespace book {

// One index of the call log: its file in the program folder, its key, and the item of the
// "Sorteren" menu that selects it.
struct LogIndex {
    std::string_view file;
    std::string_view key;
    bool descending;
    std::string_view sortItem;
};

inline constexpr int kLogIndexCount = 9;

// In sort-choice order; the position is the stored choice and the menu item's position.
inline constexpr std::array<LogIndex, kLogIndexCount> kLogIndexes = {{
    {"log0.idx", "datum", false, "Datum"},
    {"log1.idx", "datum", true, "Datum (z..a)"},
    {"log2.idx", "nummer", false, "Nummer"},
    {"log3.idx", "naam", false, "Naam"},
    {"log4.idx", "straat", false, "Straat"},
    {"log5.idx", "postcode", false, "Postcode"},
    {"log6.idx", "plaats", false, "Plaats"},
    {"log7.idx", "msn", false, "MSN"},
    {"log8.idx", "soort", false, "Soort"},
}};

}  // namespace book
