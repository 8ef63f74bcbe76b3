#pragma once

// The line's own strict reading of the messages an application puts. It shares no code with
// the program's codec, so that a mistake in one cannot hide in the other.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace capisim {

// Command words (command * 256 + subcommand).
enum Command : uint16_t {
    kAlertReq = 0x0180,
    kAlertConf = 0x0181,
    kConnectConf = 0x0281,
    kConnectInd = 0x0282,
    kConnectResp = 0x0283,
    kConnectActiveInd = 0x0382,
    kConnectActiveResp = 0x0383,
    kDisconnectReq = 0x0480,
    kDisconnectConf = 0x0481,
    kDisconnectInd = 0x0482,
    kDisconnectResp = 0x0483,
    kListenReq = 0x0580,
    kListenConf = 0x0581,
    kInfoResp = 0x0883,
    kFacilityResp = 0x8083,
    kConnectB3Req = 0x8280,
    kConnectB3Conf = 0x8281,
    kConnectB3Ind = 0x8282,
    kConnectB3Resp = 0x8283,
    kConnectB3ActiveInd = 0x8382,
    kConnectB3ActiveResp = 0x8383,
    kDisconnectB3Req = 0x8480,
    kDisconnectB3Conf = 0x8481,
    kDisconnectB3Ind = 0x8482,
    kDisconnectB3Resp = 0x8483,
    kDataB3Req = 0x8680,
    kDataB3Conf = 0x8681,
    kDataB3Resp = 0x8683,
    kResetB3Resp = 0x8783,
    kConnectB3T90ActiveResp = 0x8883,
};

inline constexpr uint8_t kReq = 0x80;
inline constexpr uint8_t kConf = 0x81;
inline constexpr uint8_t kInd = 0x82;
inline constexpr uint8_t kResp = 0x83;

// CAPI 2.0 info values the parser and the line answer with.
inline constexpr uint32_t kIllegalApplication = 0x1101;
inline constexpr uint32_t kIllegalCommandOrLength = 0x1102;
inline constexpr uint32_t kIllegalParameterCoding = 0x2007;

struct StructView {
    const uint8_t* data = nullptr;  // content, without the length prefix
    size_t size = 0;
};

struct ParsedMessage {
    uint16_t total_length = 0;
    uint16_t appl_id = 0;
    uint16_t command = 0;
    uint16_t message_number = 0;
    uint32_t address = 0;             // the first parameter: controller, PLCI or NCCI
    std::vector<uint64_t> numbers;    // the word and dword parameters after it, in order
    std::vector<StructView> structs;  // the struct parameters, in order
};

struct ParseResult {
    uint32_t info = 0;  // 0, or the CAPI 2.0 value the message is wrong about
    ParsedMessage message;
};

// Reads a request or response put under appl_id. Reads no byte past TotalLength.
ParseResult ParseMessage(const uint8_t* bytes, uint32_t appl_id);

// The message's name ("CONNECT_IND"), or its word in hexadecimal when unknown.
std::string CommandName(uint16_t command);
// Bytes a message claims for itself, or 0 when fewer than two were given.
uint16_t TotalLengthOf(const uint8_t* bytes);

}  // namespace capisim
