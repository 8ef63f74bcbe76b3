#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace book {

inline constexpr int kImportTargets = 17;

// A phone-book field that a column can be mapped onto, in the import window's order.
struct ImportTarget {
    const char* label;
    const char* button;
    const char* field;
};
inline constexpr std::array<ImportTarget, kImportTargets> kImportTarget = {{
    {"Tel. nr.", "bnummer", "nummer"},
    {"voornaam", "bvoornaam", "voornaam"},
    {"achternaam", "bnaam", "naam"},
    {"aanhangsel", "baanhangsel", "aanhangsel"},
    {"straat", "bstraat", "straat"},
    {"postcode", "bpostcode", "postcode"},
    {"plaats", "bplaats", "plaats"},
    {"extra", "bextra", "extra"},
    {"afwijzen", "bafwijzen", "afwijzen"},
    {"geluid frag.", "bgeluid", "geluid"},
    {"geluid tijd", "bgeluidtijd", "tijd"},
    {"commandline", "bcommandline", "cmdline"},
    {"kleur", "bkleur", "kleur"},
    {"fontkleur", "bfontkleur", "fontkleur"},
    {"Omschrijving", "bomschrijving", "omschr"},
    {"memo", "bmemo", "memo"},
    {"zoekstatus", "bzoekstatus", "zoekstatus"},
}};

// One value to store: the field's name and its text.
struct ImportValue {
    const char* field;
    std::string text;
};

// The column number of each target (0: not mapped; column n is the n-th field of a line,
// counted from 1) and how a line's fields become values.
class ImportMapping {
  public:
    void Set(int target, int column);
    int Column(int target) const { return columns_.at(static_cast<std::size_t>(target)); }
    void Clear() { columns_.fill(0); }
    bool Empty() const;

    // The values of a line's fields. A column mapped to several targets fills only the first
    // of them in a fixed order; an unmapped column is skipped. An empty field (one blank after
    // the rewriting) gives an empty value. `nummer` loses every "-"; a line break becomes one
    // blank except in the memo.
    std::vector<ImportValue> Values(const std::vector<std::string>& fields) const;

  private:
    std::array<int, kImportTargets> columns_{};
};

}  // namespace book
