#include "platform/rtl/text_case.h"

namespace rtl {

namespace {

// The lower-case code point of a capital that Windows-1252 holds; others unchanged.
char32_t LowerOf(char32_t c) {
    if (c >= U'A' && c <= U'Z') {
        return c + 0x20;
    }
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) {
        return c + 0x20;
    }
    switch (c) {
        case 0x160:  // Š
        case 0x152:  // Œ
        case 0x17D:  // Ž
            return c + 1;
        case 0x178:  // Ÿ
            return 0xFF;
        default:
            return c;
    }
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string Utf8LowerCase(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out += static_cast<char>(b >= 'A' && b <= 'Z' ? b + 0x20 : b);
            ++i;
            continue;
        }
        // Every capital to fold is a two-byte sequence; longer ones are copied as they are.
        if ((b & 0xE0) == 0xC0 && i + 1 < utf8.size() &&
            (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
            const char32_t c = (static_cast<char32_t>(b & 0x1F) << 6) |
                               (static_cast<unsigned char>(utf8[i + 1]) & 0x3F);
            if (c >= 0x80) {
                AppendUtf8(out, LowerOf(c));
                i += 2;
                continue;
            }
        }
        out += utf8[i];
        ++i;
    }
    return out;
}

}  // namespace rtl
