#pragma once

#include <string_view>

namespace xbase {
class TTable;
class TXbase;
}  // namespace xbase

namespace book {

// Ranks the hits in whatever order the table is in when the lookup starts.
inline constexpr int kCurrentOrder = -1;

// Looks a caller up in the phone book: the entry whose NUMMER, as the field reads (trailing
// blanks dropped), equals `number` exactly, case and leading blanks counting.
//
// `table` is the phone book and `xbase` its engine component. `numberOrder` is the engine
// order of the index on `nummer` (tel0.idx); the entries with the number are found by a
// seek on it. When it is 0 (the index was not made) the table is walked from the first
// record instead.
//
// Only entries the table shows count: its filter, while switched on, and the engine's
// setting for deleted records apply. Of several entries with the number, the one that
// comes first in `order` wins: an engine order number (0 the natural record order), or
// kCurrentOrder.
//
// On a hit the table stands on that entry and the answer is true; on a miss it stands past
// its last record (Eof) and the answer is false. Either way the table is back in the order
// it had, its controls are held back during the lookup and refreshed once after it, and a
// pending edit or insert is posted first, as moving to the first record would. A closed
// table answers false and is left alone.
bool FindNumber(xbase::TTable& table, xbase::TXbase& xbase, int numberOrder,
                std::string_view number, int order);

}  // namespace book
