#include "monitor/caller_template.h"

#include <algorithm>
#include <array>

#include "platform/rtl/text_encoding.h"

namespace monitor {

namespace {

struct Placeholder {
    std::string_view code;
    std::string telefoonrecordtype::*field;
};

// The order in which the placeholders are replaced.
constexpr std::array<Placeholder, 13> kPlaceholders = {{
    {"%d", &telefoonrecordtype::datum},
    {"%h", &telefoonrecordtype::tijd},
    {"%t", &telefoonrecordtype::nummer},
    {"%v", &telefoonrecordtype::voornaam},
    {"%n", &telefoonrecordtype::naam},
    {"%a", &telefoonrecordtype::aanhangsel},
    {"%s", &telefoonrecordtype::straat},
    {"%c", &telefoonrecordtype::postcode},
    {"%p", &telefoonrecordtype::plaats},
    {"%g", &telefoonrecordtype::soort},
    {"%m", &telefoonrecordtype::msn},
    {"%z", &telefoonrecordtype::zoekstatus},
    {"%x", &telefoonrecordtype::extra},
}};

// Blanks and control characters off both ends, as the class library trims.
std::string Trimmed(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') {
        s.remove_suffix(1);
    }
    return std::string(s);
}

std::string ValueOf(const Placeholder& p, const telefoonrecordtype* record) {
    return record == nullptr ? std::string() : Trimmed(record->*p.field);
}

bool IsEmptyTemplate(std::string_view sjabloon) {
    return sjabloon.empty() || sjabloon == "-";
}

}  // namespace

std::string bellersstringmaken(std::string_view sjabloon, const telefoonrecordtype* record) {
    if (IsEmptyTemplate(sjabloon)) {
        return std::string();
    }
    std::string text(sjabloon);
    for (const Placeholder& p : kPlaceholders) {
        const auto at = text.find(p.code);
        if (at == std::string::npos) {
            continue;
        }
        const std::string_view rest = std::string_view(text).substr(at + p.code.size());
        std::string next = text.substr(0, at) + ValueOf(p, record);
        next.append(rtl::Utf8Left(rest, kTemplateTailLimit));
        text = std::move(next);
    }
    return text;
}

const telefoonrecordtype* RecordForSource(std::string_view bron) {
    if (bron == "bel") {
        return &huidigebeller;
    }
    if (bron == "cap") {
        return &inkomendebeller;
    }
    return nullptr;
}

std::string bellersstringmaken(std::string_view sjabloon, std::string_view bron) {
    return bellersstringmaken(sjabloon, RecordForSource(bron));
}

std::vector<PlaceholderMatch> FindPlaceholders(std::string_view sjabloon,
                                               const telefoonrecordtype* record) {
    std::vector<PlaceholderMatch> matches;
    if (IsEmptyTemplate(sjabloon)) {
        return matches;
    }
    for (std::size_t rank = 0; rank < kPlaceholders.size(); ++rank) {
        const Placeholder& p = kPlaceholders[rank];
        const auto at = sjabloon.find(p.code);
        if (at != std::string_view::npos) {
            matches.push_back({at, p.code.size(), ValueOf(p, record), rank});
        }
    }
    std::sort(matches.begin(), matches.end(),
              [](const PlaceholderMatch& a, const PlaceholderMatch& b) {
                  return a.position < b.position;
              });
    return matches;
}

std::string ReplacePlaceholders(std::string_view sjabloon,
                                const std::vector<PlaceholderMatch>& matches) {
    std::string out;
    std::size_t from = 0;
    for (const PlaceholderMatch& m : matches) {
        if (m.position < from || m.position + m.length > sjabloon.size()) {
            continue;  // not a match of this template
        }
        out.append(sjabloon.substr(from, m.position - from));
        out += m.value;
        from = m.position + m.length;
    }
    out.append(sjabloon.substr(from));
    return out;
}

}  // namespace monitor
