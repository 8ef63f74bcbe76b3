#pragma once

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

// Dials NUMMER of the data set's current record with NAAM as the called party. A closed data
// set or an empty number dials nothing. Refused: the dialler answered non-zero; the caller
// shows kDialFailed.
DialOutcome DialCurrent(db::TDataSet& data, std::string_view prefix, os::Dialer& dialer);

}  // namespace book
