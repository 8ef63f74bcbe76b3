#include "platform/capi2032/capi20/made_up_messages.h"

#include <cstddef>

namespace capi20 {
namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kAddressEnd = 12;

void PutWord(std::vector<unsigned char>& m, uint16_t v) {
    m.push_back(static_cast<unsigned char>(v & 0xFF));
    m.push_back(static_cast<unsigned char>(v >> 8));
}

void PutDword(std::vector<unsigned char>& m, uint32_t v) {
    PutWord(m, static_cast<uint16_t>(v & 0xFFFF));
    PutWord(m, static_cast<uint16_t>(v >> 16));
}

std::vector<unsigned char> AddressAndWord(uint16_t appl_id, uint8_t command, uint8_t subcommand,
                                          uint16_t number, uint32_t address, uint16_t word) {
    std::vector<unsigned char> m;
    PutWord(m, static_cast<uint16_t>(kAddressEnd + 2));
    PutWord(m, appl_id);
    m.push_back(command);
    m.push_back(subcommand);
    PutWord(m, number);
    PutDword(m, address);
    PutWord(m, word);
    return m;
}

}  // namespace

std::vector<unsigned char> DisconnectInd(uint16_t appl_id, uint32_t plci, uint16_t reason) {
    return AddressAndWord(appl_id, 0x04, 0x82, 0, plci, reason);
}

std::vector<unsigned char> ListenConf(uint16_t appl_id, uint16_t message_number,
                                      uint32_t controller, uint16_t info) {
    return AddressAndWord(appl_id, 0x05, 0x81, message_number, controller, info);
}

uint16_t MessageLength(const unsigned char* message) {
    return static_cast<uint16_t>(message[0] | message[1] << 8);
}

uint8_t Command(const unsigned char* message) {
    return MessageLength(message) >= kHeaderSize ? message[4] : 0;
}

uint8_t Subcommand(const unsigned char* message) {
    return MessageLength(message) >= kHeaderSize ? message[5] : 0;
}

uint16_t MessageNumber(const unsigned char* message) {
    return MessageLength(message) >= kHeaderSize
               ? static_cast<uint16_t>(message[6] | message[7] << 8)
               : 0;
}

uint32_t Address(const unsigned char* message) {
    if (MessageLength(message) < kAddressEnd) {
        return 0;
    }
    return static_cast<uint32_t>(message[8]) | static_cast<uint32_t>(message[9]) << 8 |
           static_cast<uint32_t>(message[10]) << 16 | static_cast<uint32_t>(message[11]) << 24;
}

void SetApplId(unsigned char* message, uint16_t appl_id) {
    message[2] = static_cast<unsigned char>(appl_id & 0xFF);
    message[3] = static_cast<unsigned char>(appl_id >> 8);
}

}  // namespace capi20
