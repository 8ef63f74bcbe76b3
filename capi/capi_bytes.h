#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace capi {

// CAPI integers are little-endian on the wire whatever the host order; they are written and read
// one byte at a time so that no packed struct is ever copied.
template <std::size_t N>
constexpr std::array<std::uint8_t, N> LittleEndian(std::uint64_t value) {
    std::array<std::uint8_t, N> bytes{};
    for (std::size_t i = 0; i < N; ++i) {
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    return bytes;
}

// Reads up to eight bytes; a shorter span reads as if the missing high bytes were zero.
constexpr std::uint64_t FromLittleEndian(std::span<const std::uint8_t> bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes.size() && i < 8; ++i) {
        value |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    }
    return value;
}

}  // namespace capi
