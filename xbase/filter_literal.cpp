#include "xbase/filter_literal.h"

#include <array>
#include <utility>

namespace xbase {

namespace {

struct Delimiter {
    char open;
    char close;
};

// In order of preference: a value without quotes reads as it always did.
constexpr std::array<Delimiter, 3> kDelimiters{{{'\'', '\''}, {'"', '"'}, {'[', ']'}}};

std::string Quoted(std::string_view piece, const Delimiter& d) {
    std::string text;
    text.reserve(piece.size() + 2);
    text += d.open;
    text += piece;
    text += d.close;
    return text;
}

}  // namespace

std::string XBaseTextLiteral(std::string_view value) {
    for (const Delimiter& d : kDelimiters) {
        if (value.find(d.close) == std::string_view::npos) {
            return Quoted(value, d);
        }
    }
    // Every delimiter occurs: take each time the longest piece one of them can hold. The
    // character at the cut closes only one kind, so every piece is at least one long.
    std::string text;
    std::size_t at = 0;
    while (at < value.size()) {
        std::size_t best_end = at;
        const Delimiter* best = &kDelimiters[0];
        for (const Delimiter& d : kDelimiters) {
            std::size_t end = value.find(d.close, at);
            if (end == std::string_view::npos) {
                end = value.size();
            }
            if (end > best_end) {
                best_end = end;
                best = &d;
            }
        }
        if (!text.empty()) {
            text += '+';
        }
        text += Quoted(value.substr(at, best_end - at), *best);
        at = best_end;
    }
    return text;
}

std::string XBaseEquals(std::string_view field, std::string_view value) {
    std::string text(field);
    text += " = ";
    text += XBaseTextLiteral(value);
    return text;
}

}  // namespace xbase
