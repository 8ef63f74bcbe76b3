#include "platform/xbase32/expression_text.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

namespace xb {

char UpperCp1252(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') {
        return static_cast<char>(u - 0x20);
    }
    // à..þ except the division sign map 0x20 down.
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) {
        return static_cast<char>(u - 0x20);
    }
    switch (u) {
        case 0x9A:  // š
            return static_cast<char>(0x8A);
        case 0x9C:  // œ
            return static_cast<char>(0x8C);
        case 0x9E:  // ž
            return static_cast<char>(0x8E);
        case 0xFF:  // ÿ
            return static_cast<char>(0x9F);
        default:
            return c;
    }
}

char LowerCp1252(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'A' && u <= 'Z') {
        return static_cast<char>(u + 0x20);
    }
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) {
        return static_cast<char>(u + 0x20);
    }
    switch (u) {
        case 0x8A:
            return static_cast<char>(0x9A);
        case 0x8C:
            return static_cast<char>(0x9C);
        case 0x8E:
            return static_cast<char>(0x9E);
        case 0x9F:
            return static_cast<char>(0xFF);
        default:
            return c;
    }
}

std::string UpperCp1252(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = UpperCp1252(c);
    }
    return out;
}

std::string LowerCp1252(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = LowerCp1252(c);
    }
    return out;
}

std::string_view TrimRight(std::string_view text) {
    // Eight blanks at a time first: wide text fields and keys end in long runs of them.
    static constexpr char kBlanks[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    while (text.size() >= 8 && std::memcmp(text.data() + text.size() - 8, kBlanks, 8) == 0) {
        text.remove_suffix(8);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    return text;
}

namespace {

int ComparePadded(std::string_view a, std::string_view b) {
    const std::size_t n = std::max(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(i < a.size() ? a[i] : ' ');
        const auto cb = static_cast<unsigned char>(i < b.size() ? b[i] : ' ');
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    return 0;
}

std::string FixedText(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    double scaled = value * scale;
    // Nudge by a few units of the last place so that 1.005 rounds as written, not as stored.
    scaled += std::copysign(std::max(std::abs(scaled), 1.0) * 4 * DBL_EPSILON, scaled);
    // Where scaling overflows, the value has no digits left to round.
    const double rounded = std::isfinite(scaled) ? std::round(scaled) / scale : value;
    // Room for the 309 integer digits of the largest double, the sign, the point and decimals.
    std::string text(320 + static_cast<std::size_t>(decimals), '\0');
    const auto result = std::to_chars(text.data(), text.data() + text.size(), rounded,
                                      std::chars_format::fixed, decimals);
    text.resize(static_cast<std::size_t>(result.ptr - text.data()));
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) {
        text.erase(0, 1);  // no "-0"
    }
    return text;
}

}  // namespace

int CompareText(std::string_view a, std::string_view b, bool exact) {
    if (exact) {
        return ComparePadded(TrimRight(a), TrimRight(b));
    }
    if (a.size() > b.size()) {
        a = a.substr(0, b.size());
    }
    return ComparePadded(a, b);
}

std::string FormatStr(double value, int length, int decimals) {
    if (length <= 0) {
        return {};
    }
    const auto width = static_cast<std::size_t>(length);
    if (!std::isfinite(value)) {
        return std::string(width, '*');
    }
    for (int d = std::clamp(decimals, 0, length); d >= 0; --d) {
        std::string text = FixedText(value, d);
        if (text.size() <= width) {
            return std::string(width - text.size(), ' ') + text;
        }
    }
    return std::string(width, '*');
}

double ParseVal(std::string_view text) {
    text = TrimLeft(text);
    std::size_t end = 0;
    if (end < text.size() && (text[end] == '-' || text[end] == '+')) {
        ++end;
    }
    bool digits = false;
    bool point = false;
    for (; end < text.size(); ++end) {
        const char c = text[end];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!digits) {
        return 0.0;
    }
    std::string_view number = text.substr(0, end);
    const bool negative = number.front() == '-';
    if (number.front() == '-' || number.front() == '+') {
        number.remove_prefix(1);
    }
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large for a double, or too close to zero.
        const bool large =
            number.substr(0, number.find('.')).find_first_not_of('0') != std::string_view::npos;
        value = large ? HUGE_VAL : 0.0;
    }
    return negative ? -value : value;
}

}  // namespace xb
