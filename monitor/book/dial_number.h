#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace db {
class TDataSet;
}
namespace os {
class Dialer;
}

namespace book {

inline constexpr const char* kDialFailed = "Fout bij aanroepen: tapi32.dll";

// The dialling prefix immediately followed by the number, as stored: no blank between them.
std::string DialDestination(std::string_view prefix, std::string_view number);

enum class DialOutcome { NothingToDial, Placed, Refused };

// `text` cut to at most `maxChars` characters (UTF-8), never inside a character.
std::string CutToChars(std::string_view text, std::size_t maxChars);

// Dials NUMMER of the data set's current record with NAAM as the called party, the destination
// and the party each cut to `maxChars` characters. A closed data set or an empty number dials
// nothing. Refused: the dialler answered non-zero; the caller shows kDialFailed.
DialOutcome DialCurrent(db::TDataSet& data, std::string_view prefix, os::Dialer& dialer,
                        std::size_t maxChars = std::string_view::npos);

}  // namespace book
