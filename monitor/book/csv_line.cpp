#include "monitor/book/csv_line.h"

namespace book {

namespace {

constexpr char kQuote = '"';
// Never part of UTF-8, so it cannot clash with the text.
constexpr char kMarker = '\xFF';
constexpr std::string_view kBlankField = "\" \"";

// Replaces every quote that stands for a quote character by the marker. Answers whether the
// line ends inside a quoted field.
bool Protect(std::string_view line, char separator, std::string* out, bool quoted = false) {
    bool fieldStart = !quoted;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (quoted) {
            if (c == kQuote) {
                const bool last = i + 1 == line.size();
                if (!last && line[i + 1] == kQuote) {
                    if (out) {
                        *out += kMarker;
                    }
                    i += 2;
                    continue;
                }
                if (last || line[i + 1] == separator) {
                    quoted = false;
                    if (out) {
                        *out += kQuote;
                    }
                } else if (out) {
                    // A quote inside the field that closes nothing.
                    *out += kMarker;
                }
            } else if (out) {
                *out += c;
            }
            ++i;
            continue;
        }
        if (c == kQuote) {
            if (fieldStart) {
                quoted = true;
            }
            if (out) {
                *out += fieldStart ? kQuote : kMarker;
            }
        } else if (out) {
            *out += c;
        }
        fieldStart = c == separator;
        ++i;
    }
    return quoted;
}

// Pass 0: a separator at either end gets an empty field beside it.
std::string EdgeFields(const std::string& s, char separator) {
    std::string out;
    if (s.front() == separator) {
        out += kBlankField;
    }
    out += s;
    if (s.back() == separator) {
        out += kBlankField;
    }
    return out;
}

// Pass 1: one blank between two quotes side by side.
std::string SplitQuotePairs(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        out += s[i];
        if (s[i] == kQuote && i + 1 < s.size() && s[i + 1] == kQuote) {
            out += ' ';
        }
    }
    return out;
}

// Pass 2: outside quotes, an empty field between two separators side by side. Quotes are
// counted in the pass's input, not in what it writes.
std::string FillEmptyFields(const std::string& s, char separator) {
    std::string out;
    int quotes = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        quotes += s[i] == kQuote;
        out += s[i];
        if (s[i] == separator && quotes % 2 == 0 && i + 1 < s.size() && s[i + 1] == separator) {
            out += kBlankField;
        }
    }
    return out;
}

// Pass 3: outside quotes, every separator with a quote on either side.
std::string QuoteSeparators(const std::string& s, char separator) {
    std::string out;
    int quotes = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        quotes += s[i] == kQuote;
        if (s[i] != separator || quotes % 2 != 0) {
            out += s[i];
            continue;
        }
        if (i == 0 || s[i - 1] != kQuote) {
            out += kQuote;
        }
        out += separator;
        if (i + 1 >= s.size() || s[i + 1] != kQuote) {
            out += kQuote;
        }
    }
    return out;
}

// Pass 4: a quote at both ends.
std::string QuoteEnds(const std::string& s) {
    std::string out;
    out.reserve(s.size() + 2);
    if (s.empty() || s[0] != kQuote) {
        out += kQuote;
    }
    out += s;
    if (out.size() < 2 || out[out.size() - 1] != kQuote) {
        out += kQuote;
    }
    return out;
}

void Unmark(std::string& text) {
    for (char& c : text) {
        if (c == kMarker) {
            c = kQuote;
        }
    }
}

}  // namespace

std::string CsvLine::Rewrite(std::string_view line, char separator) {
    if (line.empty()) {
        return {};
    }
    std::string s;
    s.reserve(line.size() + 16);
    Protect(line, separator, &s);
    s = EdgeFields(s, separator);
    s = SplitQuotePairs(s);
    s = FillEmptyFields(s, separator);
    s = QuoteSeparators(s, separator);
    return QuoteEnds(s);
}

std::vector<std::string> CsvLine::Split(std::string_view rewritten, char separator) {
    std::vector<std::string> fields;
    if (rewritten.empty()) {
        return fields;
    }
    // A delimiter quote, separator, quote counts only where its first quote closes a field, so
    // a field that holds the separator beside its own quotes stays whole.
    std::size_t start = 0;
    int quotes = 0;
    for (std::size_t i = 0; i + 2 < rewritten.size(); ++i) {
        if (rewritten[i] != kQuote) {
            continue;
        }
        ++quotes;
        if (quotes % 2 == 0 && rewritten[i + 1] == separator && rewritten[i + 2] == kQuote) {
            fields.emplace_back(rewritten.substr(start + 1, i - start - 1));
            start = i + 2;
            i += 1;
            quotes = 0;
        }
    }
    const std::string_view rest = rewritten.substr(start);
    fields.emplace_back(rest.size() >= 2 ? rest.substr(1, rest.size() - 2) : std::string_view());
    for (std::string& f : fields) {
        Unmark(f);
    }
    return fields;
}

std::vector<std::string> CsvLine::Fields(std::string_view line, char separator) {
    return Split(Rewrite(line, separator), separator);
}

std::string CsvLine::Shown(std::string_view rewritten) {
    std::string text(rewritten);
    Unmark(text);
    return text;
}

bool CsvLine::EndsInsideQuotes(std::string_view line, char separator, bool insideAtStart) {
    return Protect(line, separator, nullptr, insideAtStart);
}

}  // namespace book
