#include "monitor/mask.h"

namespace monitor {

char MaskChar(std::string_view text, int index, char past_end) {
    if (index < 0 || static_cast<std::size_t>(index) >= text.size()) {
        return past_end;
    }
    return text[static_cast<std::size_t>(index)];
}

}  // namespace monitor
