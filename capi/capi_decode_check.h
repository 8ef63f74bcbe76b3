#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace capi {

// Decodes any bytes as a received message and checks what came out: nothing thrown, nothing
// read outside the bytes, every struct inside the message or owned, digits exactly the bytes
// received, the class the command word and length call for. Returns the first fault found.
// The fuzz target and the malformed-message replay test both run through here.
std::optional<std::string> CheckDecode(std::span<const std::uint8_t> raw);

}  // namespace capi
