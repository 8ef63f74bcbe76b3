#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace monitor {

// The colour a phone-book entry's KLEUR or FONTKLEUR word names, as 0x00BBGGRR; nothing for an
// empty field or any other word, which leave the colour as it is. Compared exactly.
std::optional<std::int32_t> KleurWoord(std::string_view woord);

}  // namespace monitor
