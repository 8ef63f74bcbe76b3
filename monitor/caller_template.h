#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/caller_record.h"

namespace monitor {

// Expands a caller template: "%d" datum, "%h" tijd, "%t" nummer, "%v" voornaam, "%n" naam,
// "%a" aanhangsel, "%s" straat, "%c" postcode, "%p" plaats, "%g" soort, "%m" msn,
// "%z" zoekstatus, "%x" extra, in that order, each at its first occurrence in the text as it
// stands after the earlier ones, with the value trimmed; the text after each replaced
// placeholder keeps at most 500 characters. "-" and "" give "". Without a record (nullptr)
// the placeholders are removed.
std::string bellersstringmaken(std::string_view sjabloon, const telefoonrecordtype* record);

// The same over the process-wide records: source "bel" reads huidigebeller, "cap"
// inkomendebeller, any other source inserts nothing.
std::string bellersstringmaken(std::string_view sjabloon, std::string_view bron);

// The record a source names, or nullptr.
const telefoonrecordtype* RecordForSource(std::string_view bron);

// Characters kept after each replaced placeholder.
inline constexpr std::size_t kTemplateTailLimit = 500;

// One placeholder found in a template: where it stands and what replaces it.
struct PlaceholderMatch {
    std::size_t position = 0;
    std::size_t length = 0;
    std::string value;     // trimmed; empty without a record
    std::size_t rank = 0;  // place in the fixed replacement order

    bool operator==(const PlaceholderMatch&) const = default;
};

// For callers that must keep each value whole (the arguments of a command line): the first
// occurrence of each placeholder in the template itself, in the fixed order above, sorted by
// position. Unlike bellersstringmaken, values are never searched for placeholders again. "-"
// and "" hold none.
std::vector<PlaceholderMatch> FindPlaceholders(std::string_view sjabloon,
                                               const telefoonrecordtype* record);

// The template with each match replaced by its value, once, without any cut. A template
// of "-" stays "-": whether it means "nothing" is for the caller to say.
std::string ReplacePlaceholders(std::string_view sjabloon,
                                const std::vector<PlaceholderMatch>& matches);

}  // namespace monitor
