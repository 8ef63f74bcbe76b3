#include "monitor/colour_words.h"

#include <array>
#include <utility>

namespace monitor {

namespace {

constexpr std::array<std::pair<std::string_view, std::int32_t>, 11> kKleurWoorden{{
    {"zwart", 0x000000},
    {"rood", 0x0000FF},
    {"blauw", 0xFF0000},
    {"groen", 0x008000},
    {"wit", 0xFFFFFF},
    {"geel", 0x00FFFF},
    {"grijs", 0x808080},
    {"donker grijs", 0x808080},
    {"paars", 0x800080},
    {"marine blauw", 0x800000},
    {"zilver", 0xC0C0C0},
}};

}  // namespace

std::optional<std::int32_t> KleurWoord(std::string_view woord) {
    for (const auto& [naam, kleur] : kKleurWoorden) {
        if (naam == woord) {
            return kleur;
        }
    }
    return std::nullopt;
}

}  // namespace monitor
