#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace capi::test {

// Bytes written as hex pairs; blanks, '|' and '#' comments to the end of a line are skipped.
inline std::vector<std::uint8_t> Hex(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '#') {
            while (i < text.size() && text[i] != '\n') {
                ++i;
            }
            continue;
        }
        int nibble = -1;
        if (c >= '0' && c <= '9') {
            nibble = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            nibble = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            nibble = c - 'A' + 10;
        } else if (c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '|') {
            continue;
        } else {
            throw std::invalid_argument("not a hex digit: " + std::string(1, c));
        }
        if (high < 0) {
            high = nibble;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high << 4 | nibble));
            high = -1;
        }
    }
    if (high >= 0) {
        throw std::invalid_argument("odd number of hex digits");
    }
    return bytes;
}

inline std::string ToHex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t b : bytes) {
        if (!text.empty()) {
            text += ' ';
        }
        text += kDigits[b >> 4];
        text += kDigits[b & 0xF];
    }
    return text;
}

// A received message: header with the TotalLength the body implies (or the one given), then the
// body.
inline std::vector<std::uint8_t> Received(std::uint16_t command, std::string_view body,
                                          int totalLength = -1, std::uint16_t messageNumber = 0) {
    const std::vector<std::uint8_t> params = Hex(body);
    const auto total =
        static_cast<std::uint16_t>(totalLength >= 0 ? totalLength : int(8 + params.size()));
    std::vector<std::uint8_t> raw(8 + params.size());
    raw[0] = static_cast<std::uint8_t>(total);
    raw[1] = static_cast<std::uint8_t>(total >> 8);
    raw[2] = 0x01;  // ApplID 1
    raw[4] = static_cast<std::uint8_t>(command >> 8);
    raw[5] = static_cast<std::uint8_t>(command);
    raw[6] = static_cast<std::uint8_t>(messageNumber);
    raw[7] = static_cast<std::uint8_t>(messageNumber >> 8);
    std::copy(params.begin(), params.end(), raw.begin() + 8);
    return raw;
}

}  // namespace capi::test
