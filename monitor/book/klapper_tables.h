#pragma once

#include <array>
#include <string>

namespace book {

inline constexpr int kKlapperIndexes = 13;
inline constexpr int kKlapperFilters = 13;

// Index n: its file "tel<n>.idx", its key, and the caption of the sort item at position n.
struct KlapperIndex {
    const char* key;
    const char* caption;
};
inline constexpr std::array<KlapperIndex, kKlapperIndexes> kKlapperIndex = {{
    {"nummer", "Telefoon nr."},
    {"voornaam", "Voornaam"},
    {"naam", "Naam"},
    {"omschr", "Omschrijving"},
    {"straat", "Straat"},
    {"postcode", "Postcode"},
    {"plaats", "Plaats"},
    {"extra", "Extra"},
    {"geluid", "Geluid"},
    {"tijd", "Tijd"},
    {"cmdline", "Commandline"},
    {"zoekstatus", "Zoekstatus"},
    {"afwijzen", "Afwijzen"},
}};

inline std::string KlapperIndexFile(int n) {
    return "tel" + std::to_string(n) + ".idx";
}

// The filter items in menu order, each with the field it compares.
struct KlapperFilter {
    const char* caption;
    const char* field;
};
inline constexpr std::array<KlapperFilter, kKlapperFilters> kKlapperFilter = {{
    {"Filter op Voornaam", "VOORNAAM"},
    {"Filter op Naam", "NAAM"},
    {"Filter op straat", "STRAAT"},
    {"Filter op postcode", "POSTCODE"},
    {"Filter op plaats", "PLAATS"},
    {"Filter op omschrijving", "OMSCHR"},
    {"Filter op extra", "EXTRA"},
    {"Filter op afwijzen", "AFWIJZEN"},
    {"Filter op tijd", "TIJD"},
    {"Filter op cmdline", "CMDLINE"},
    {"Filter op kleur", "KLEUR"},
    {"Filter op fontkleur", "FONTKLEUR"},
    {"Filter Zoekstatus", "ZOEKSTATUS"},
}};

}  // namespace book
