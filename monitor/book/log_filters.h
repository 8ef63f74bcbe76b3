#pragma once

#include <array>
#include <string>
#include <string_view>

namespace book {

// One item of the call-log window's "Filters" menu and the field it filters on.
struct LogFilter {
    std::string_view item;
    std::string_view field;
};

inline constexpr int kLogFilterCount = 9;

inline constexpr std::array<LogFilter, kLogFilterCount> kLogFilters = {{
    {"Filter op Datum", "DATUM"},
    {"Filter op Nummer", "NUMMER"},
    {"Filter op Voornaam", "VOORNAAM"},
    {"Filter op Naam", "NAAM"},
    {"Filter op Straat", "STRAAT"},
    {"Filter op Postcode", "POSTCODE"},
    {"Filter op Plaats", "PLAATS"},
    {"Filter op Msn", "MSN"},
    {"Filter op Zoekstatus", "ZOEKSTATUS"},
}};

// The filter on `field` equal to `value` with its blanks at both ends dropped, followed by a
// blank: "PLAATS = 'Utrecht' ". The literal picks its quotes, so a value holding a quote
// ('s-Hertogenbosch) still filters.
std::string LogFilterText(std::string_view field, std::string_view value);

}  // namespace book
