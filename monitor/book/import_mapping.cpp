#include "monitor/book/import_mapping.h"

#include <algorithm>
#include <cstring>

namespace book {

namespace {

// Which target a column mapped twice goes to: the first of these that maps it.
constexpr std::array<const char*, kImportTargets> kPrecedence = {
    "nummer",   "voornaam",   "extra",   "naam",  "aanhangsel", "straat",
    "postcode", "plaats",     "omschr",  "memo",  "afwijzen",   "geluid",
    "tijd",     "zoekstatus", "cmdline", "kleur", "fontkleur"};

int TargetOf(const char* field) {
    for (int t = 0; t < kImportTargets; ++t) {
        if (std::strcmp(kImportTarget[static_cast<std::size_t>(t)].field, field) == 0) {
            return t;
        }
    }
    return -1;
}

std::string OneLine(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += ' ';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

void ImportMapping::Set(int target, int column) {
    columns_.at(static_cast<std::size_t>(target)) = std::max(column, 0);
}

bool ImportMapping::Empty() const {
    return std::all_of(columns_.begin(), columns_.end(), [](int c) { return c == 0; });
}

std::vector<ImportValue> ImportMapping::Values(const std::vector<std::string>& fields) const {
    static const std::array<int, kImportTargets> order = [] {
        std::array<int, kImportTargets> targets{};
        for (std::size_t i = 0; i < targets.size(); ++i) {
            targets[i] = TargetOf(kPrecedence[i]);
        }
        return targets;
    }();
    std::vector<ImportValue> values;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const int column = Column(order[i]);
        if (column == 0 || column > static_cast<int>(fields.size())) {
            continue;
        }
        const bool taken = std::any_of(order.begin(), order.begin() + static_cast<long>(i),
                                       [&](int earlier) { return Column(earlier) == column; });
        if (taken) {
            continue;
        }
        const char* field = kPrecedence[i];
        // The rewriting gives an empty field one blank; it is stored empty.
        static const std::string kEmpty;
        const std::string& given = fields[static_cast<std::size_t>(column - 1)];
        const std::string& text = given == " " ? kEmpty : given;
        if (std::strcmp(field, "memo") == 0) {
            values.push_back({field, text});
        } else if (std::strcmp(field, "nummer") == 0) {
            std::string digits = OneLine(text);
            std::erase(digits, '-');
            values.push_back({field, std::move(digits)});
        } else {
            values.push_back({field, OneLine(text)});
        }
    }
    return values;
}

}  // namespace book
