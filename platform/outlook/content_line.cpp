#include "platform/outlook/content_line.h"

#include <cctype>

namespace outlook {

namespace {

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-';
}

// A parameter value needs quotes when it holds a character that would end it.
std::string QuoteParamValue(const std::string& value) {
    if (value.find_first_of(";:,") == std::string::npos) {
        return value;
    }
    return "\"" + value + "\"";
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool ContentLine::NameIs(std::string_view upper) const {
    return EqualsNoCase(name, upper);
}

std::vector<std::string> ContentLine::ParamValues(std::string_view upper) const {
    std::vector<std::string> out;
    for (const LineParam& p : params) {
        if (EqualsNoCase(p.name, upper)) {
            out.insert(out.end(), p.values.begin(), p.values.end());
        }
    }
    return out;
}

bool ContentLine::HasParamValue(std::string_view param, std::string_view value) const {
    // A quoted list ("voice,work") names each of its items.
    for (const std::string& v : ParamValues(param)) {
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = v.find(',', start);
            const std::size_t end = comma == std::string::npos ? v.size() : comma;
            if (EqualsNoCase(std::string_view(v).substr(start, end - start), value)) {
                return true;
            }
            if (comma == std::string::npos) {
                break;
            }
            start = comma + 1;
        }
    }
    return false;
}

void ContentLine::SetParam(std::string_view name, std::string_view value) {
    for (LineParam& p : params) {
        if (EqualsNoCase(p.name, name)) {
            p.values = {std::string(value)};
            changed = true;
            return;
        }
    }
    params.push_back({std::string(name), {std::string(value)}});
    changed = true;
}

std::vector<std::string> UnfoldLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view physical = text.substr(pos, end - pos);
        if (!physical.empty() && physical.back() == '\r') {
            physical.remove_suffix(1);
        }
        pos = end + 1;
        if (!physical.empty() && (physical[0] == ' ' || physical[0] == '\t') && !lines.empty()) {
            lines.back().append(physical.substr(1));
        } else if (!physical.empty()) {
            lines.emplace_back(physical);
        }
    }
    return lines;
}

std::string FoldLine(std::string_view line) {
    constexpr std::size_t kOctets = 75;
    std::string out;
    std::size_t pos = 0;
    bool first = true;
    do {
        const std::size_t room = first ? kOctets : kOctets - 1;
        std::size_t take = std::min(room, line.size() - pos);
        // Step back over continuation bytes so that a character stays whole.
        while (pos + take < line.size() && take > 0 &&
               (static_cast<unsigned char>(line[pos + take]) & 0xC0) == 0x80) {
            --take;
        }
        if (take == 0) {
            take = std::min(room, line.size() - pos);
        }
        if (!first) {
            out += ' ';
        }
        out.append(line.substr(pos, take));
        out += "\r\n";
        pos += take;
        first = false;
    } while (pos < line.size());
    return out;
}

std::optional<ContentLine> ParseContentLine(std::string_view logical) {
    ContentLine line;
    line.text = std::string(logical);
    std::size_t pos = 0;
    auto readName = [&]() {
        const std::size_t start = pos;
        while (pos < logical.size() && IsNameChar(logical[pos])) {
            ++pos;
        }
        return std::string(logical.substr(start, pos - start));
    };
    line.name = readName();
    if (pos < logical.size() && logical[pos] == '.') {
        line.group = line.name;
        ++pos;
        line.name = readName();
    }
    if (line.name.empty()) {
        return std::nullopt;
    }
    while (pos < logical.size() && logical[pos] == ';') {
        ++pos;
        LineParam param;
        param.name = readName();
        if (param.name.empty()) {
            return std::nullopt;
        }
        if (pos < logical.size() && logical[pos] == '=') {
            ++pos;
            for (;;) {
                std::string value;
                if (pos < logical.size() && logical[pos] == '"') {
                    const std::size_t close = logical.find('"', pos + 1);
                    if (close == std::string_view::npos) {
                        return std::nullopt;
                    }
                    value = std::string(logical.substr(pos + 1, close - pos - 1));
                    pos = close + 1;
                } else {
                    const std::size_t start = pos;
                    while (pos < logical.size() && logical[pos] != ',' && logical[pos] != ';' &&
                           logical[pos] != ':') {
                        ++pos;
                    }
                    value = std::string(logical.substr(start, pos - start));
                }
                param.values.push_back(std::move(value));
                if (pos < logical.size() && logical[pos] == ',') {
                    ++pos;
                    continue;
                }
                break;
            }
        }
        line.params.push_back(std::move(param));
    }
    if (pos >= logical.size() || logical[pos] != ':') {
        return std::nullopt;
    }
    line.value = std::string(logical.substr(pos + 1));
    return line;
}

std::string ComposeContentLine(const ContentLine& line) {
    if (!line.changed && !line.text.empty()) {
        return line.text;
    }
    std::string out;
    if (!line.group.empty()) {
        out += line.group + ".";
    }
    out += line.name;
    for (const LineParam& p : line.params) {
        out += ";" + p.name;
        if (!p.values.empty()) {
            out += "=";
            for (std::size_t i = 0; i < p.values.size(); ++i) {
                out += (i ? "," : "") + QuoteParamValue(p.values[i]);
            }
        }
    }
    out += ":" + line.value;
    return out;
}

std::string EscapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case ',':
                out += "\\,";
                break;
            case ';':
                out += "\\;";
                break;
            case '\r':
                // CR LF is one line break; a lone CR is one as well.
                if (i + 1 < text.size() && text[i + 1] == '\n') {
                    break;
                }
                out += "\\n";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string UnescapeText(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size()) {
            const char next = raw[++i];
            out += (next == 'n' || next == 'N') ? '\n' : next;
        } else {
            out += raw[i];
        }
    }
    return out;
}

std::vector<std::string> SplitValue(std::string_view raw, char separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\') {
            ++i;
        } else if (raw[i] == separator) {
            pieces.push_back(UnescapeText(raw.substr(start, i - start)));
            start = i + 1;
        }
    }
    pieces.push_back(UnescapeText(raw.substr(std::min(start, raw.size()))));
    return pieces;
}

std::string JoinValue(const std::vector<std::string>& pieces, char separator) {
    std::string out;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i) {
            out += separator;
        }
        out += EscapeText(pieces[i]);
    }
    return out;
}

}  // namespace outlook
