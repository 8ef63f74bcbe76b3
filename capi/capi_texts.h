#pragma once

#include <cstdint>
#include <string>

namespace capi {

// "OK" for 0; otherwise the value's text ("unknown error" when it has none) and " ($XXXX)".
std::string CapiInfoText(std::uint32_t value);
// The text of a CIP value; empty for a value without one.
std::string CipValueText(std::uint32_t cip);
// The text of a library binding status (0 to 3); empty for any other.
std::string CapiDllStatusText(int status);
// Bytes of message buffer to register for the given number of logical connections.
std::uint32_t CapiMessageBufferSize(std::uint32_t maxLogicalConnections);

}  // namespace capi
