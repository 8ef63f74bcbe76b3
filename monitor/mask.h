#pragma once

#include <string_view>

namespace monitor {

// Character `index` (from 0) of a mask or a per-MSN field of "0"/"1"/"2" characters, or
// `past_end` when the text is shorter (a hand-edited file or an old table may hold fewer).
char MaskChar(std::string_view text, int index, char past_end);

// Hour and MSN sound masks and reject fields: a missing position is off.
inline bool MaskOn(std::string_view mask, int index) {
    return MaskChar(mask, index, '0') == '1';
}

// An entry's sound choice per MSN: a missing position is "1" (standard), as for a new entry.
inline char SoundChoice(std::string_view tijd, int index) {
    return MaskChar(tijd, index, '1');
}

}  // namespace monitor
