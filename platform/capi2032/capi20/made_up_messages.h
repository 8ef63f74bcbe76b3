#pragma once

// The messages the adapter hands the application itself when the remote CAPI is lost: nobody
// is left to send them, yet the application must hear that its calls and its listen have ended.

#include <cstdint>
#include <vector>

namespace capi20 {

// Layer 1 gone: the remote line as a whole is lost.
constexpr uint16_t kLineLost = 0x3301;

std::vector<unsigned char> DisconnectInd(uint16_t appl_id, uint32_t plci, uint16_t reason);
std::vector<unsigned char> ListenConf(uint16_t appl_id, uint16_t message_number,
                                      uint32_t controller, uint16_t info);

// The fields of a raw message that the adapter reads and rewrites.
uint16_t MessageLength(const unsigned char* message);
uint8_t Command(const unsigned char* message);
uint8_t Subcommand(const unsigned char* message);
uint16_t MessageNumber(const unsigned char* message);
uint32_t Address(const unsigned char* message);  // controller, PLCI or NCCI; 0 when too short
void SetApplId(unsigned char* message, uint16_t appl_id);

}  // namespace capi20
