#include "platform/xbase32/field_value.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/xbase32/error.h"

namespace xb {

namespace {

enum class Order { kMdy, kYmd, kDmy };

struct Layout {
    Order order;
    char separator;
};

Layout LayoutOf(int format) {
    switch (format) {
        case kDateAnsi:
            return {Order::kYmd, '.'};
        case kDateBritish:
        case kDateFrench:
            return {Order::kDmy, '/'};
        case kDateGerman:
            return {Order::kDmy, '.'};
        case kDateItalian:
        case kDateSpanish:
            return {Order::kDmy, '-'};
        default:
            return {Order::kMdy, '/'};
    }
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysIn(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

bool AllDigits(std::string_view s) {
    if (s.empty()) {
        return false;
    }
    for (char c : s) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

int ToInt(std::string_view s) {
    int v = 0;
    for (char c : s) {
        v = v * 10 + (c - '0');
    }
    return v;
}

}  // namespace

bool IsBlank(std::string_view bytes) {
    for (char c : bytes) {
        if (c != ' ') {
            return false;
        }
    }
    return true;
}

bool StoredLogical(char c) {
    return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

std::string FormatDate(std::string_view stored, const DateSettings& settings) {
    const Layout l = LayoutOf(settings.format);
    const bool valid = stored.size() == 8 && AllDigits(stored);
    const int yw = settings.century ? 4 : 2;
    std::string y, m, d;
    if (valid) {
        y = settings.century ? std::string(stored.substr(0, 4)) : std::string(stored.substr(2, 2));
        m = std::string(stored.substr(4, 2));
        d = std::string(stored.substr(6, 2));
    } else {
        y.assign(static_cast<size_t>(yw), ' ');
        m = "  ";
        d = "  ";
    }
    const std::string s(1, l.separator);
    switch (l.order) {
        case Order::kYmd:
            return y + s + m + s + d;
        case Order::kDmy:
            return d + s + m + s + y;
        case Order::kMdy:
        default:
            return m + s + d + s + y;
    }
}

bool ParseDate(std::string_view text, const DateSettings& settings, std::string* stored) {
    std::vector<std::string_view> parts;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] < '0' || text[i] > '9')) {
            ++i;
        }
        size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i;
        }
        if (i > start) {
            parts.push_back(text.substr(start, i - start));
        }
    }
    if (parts.empty()) {
        *stored = std::string(8, ' ');
        return true;
    }
    std::string_view ys, ms, ds;
    if (parts.size() == 1 && parts[0].size() == 8) {
        ys = parts[0].substr(0, 4);
        ms = parts[0].substr(4, 2);
        ds = parts[0].substr(6, 2);
    } else if (parts.size() == 3) {
        switch (LayoutOf(settings.format).order) {
            case Order::kYmd:
                ys = parts[0], ms = parts[1], ds = parts[2];
                break;
            case Order::kDmy:
                ds = parts[0], ms = parts[1], ys = parts[2];
                break;
            case Order::kMdy:
                ms = parts[0], ds = parts[1], ys = parts[2];
                break;
        }
    } else {
        return false;
    }
    if (ys.size() > 4 || ms.size() > 2 || ds.size() > 2) {
        return false;
    }
    int y = ToInt(ys);
    const int m = ToInt(ms);
    const int d = ToInt(ds);
    if (ys.size() <= 2) {
        y += settings.epoch / 100 * 100;
        if (y < settings.epoch) {
            y += 100;
        }
    }
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysIn(y, m)) {
        return false;
    }
    char b[32];
    std::snprintf(b, sizeof b, "%04d%02d%02d", y, m, d);
    *stored = b;
    return true;
}

bool FormatNumber(double value, int width, int decimals, std::string* stored) {
    if (!std::isfinite(value) || width < 1 || width > 255 || decimals < 0 || decimals > 255) {
        return false;
    }
    // Field widths end at 255; a longer text (even a cut one) does not fit.
    char b[1024];
    const int n = std::snprintf(b, sizeof b, "%*.*f", width, decimals, value);
    if (n < 0 || n > width) {
        return false;
    }
    *stored = std::string(b, static_cast<size_t>(n));
    return true;
}

std::optional<double> ParseNumberText(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    std::size_t digits = 0;
    bool point = false;
    for (std::size_t j = i; j < text.size(); ++j) {
        if (text[j] >= '0' && text[j] <= '9') {
            ++digits;
        } else if (text[j] == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    // Locale-free: a program's locale may use a decimal comma.
    const char* begin = text.data() + (text[0] == '+' ? 1 : 0);
    const char* end = text.data() + text.size();
    double value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value, std::chars_format::fixed);
    if (error != std::errc() || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

bool AlignNumberText(std::string_view text, int width, std::string* stored) {
    text = TrimRight(TrimLeft(text));
    if (text.size() > static_cast<size_t>(width)) {
        return false;
    }
    *stored = std::string(static_cast<size_t>(width) - text.size(), ' ') + std::string(text);
    return true;
}

uint32_t ParseMemoPointer(std::string_view bytes) {
    if (bytes.size() == 4) {
        return static_cast<uint32_t>(static_cast<uint8_t>(bytes[0])) |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[1])) << 8 |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[2])) << 16 |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[3])) << 24;
    }
    std::string_view digits = TrimRight(TrimLeft(bytes));
    if (digits.empty()) {
        return 0;
    }
    uint64_t v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            throw Error("damaged table: memo pointer is not a number");
        }
        v = v * 10 + static_cast<uint64_t>(c - '0');
        if (v > 0xFFFFFFFFull) {
            throw Error("damaged table: memo pointer out of range");
        }
    }
    return static_cast<uint32_t>(v);
}

std::string FormatMemoPointer(uint32_t block, int width) {
    if (width == 4) {
        std::string b(4, '\0');
        for (int i = 0; i < 4; ++i) {
            b[static_cast<size_t>(i)] = static_cast<char>((block >> (8 * i)) & 0xFF);
        }
        return b;
    }
    if (block == 0) {
        return std::string(static_cast<size_t>(width), ' ');
    }
    char b[16];
    std::snprintf(b, sizeof b, "%010u", block);
    std::string s(b);
    if (static_cast<int>(s.size()) < width) {
        s.insert(0, static_cast<size_t>(width) - s.size(), ' ');
    }
    return s.substr(s.size() - static_cast<size_t>(width));
}

std::string WrapLines(std::string_view text, int lineWidth) {
    if (lineWidth <= 0) {
        return std::string(text);
    }
    const size_t w = static_cast<size_t>(lineWidth);
    std::string out;
    size_t lineStart = 0;
    while (lineStart <= text.size()) {
        size_t end = text.find('\n', lineStart);
        bool hadBreak = end != std::string_view::npos;
        std::string_view line =
            text.substr(lineStart, hadBreak ? end - lineStart : std::string_view::npos);
        bool cr = !line.empty() && line.back() == '\r';
        if (cr) {
            line.remove_suffix(1);
        }
        while (line.size() > w) {
            size_t cut = line.rfind(' ', w);
            if (cut == std::string_view::npos || cut == 0) {
                out.append(line.substr(0, w));
                line.remove_prefix(w);
            } else {
                out.append(line.substr(0, cut));
                line.remove_prefix(cut + 1);
            }
            out.append("\r\n");
        }
        out.append(line);
        if (!hadBreak) {
            break;
        }
        out.append(cr ? "\r\n" : "\n");
        lineStart = end + 1;
    }
    return out;
}

}  // namespace xb
