#pragma once

#include <cstdint>

namespace capi {

// Command and subcommand codes; a command word is command * 256 + subcommand.
inline constexpr std::uint8_t kAlert = 0x01;
inline constexpr std::uint8_t kConnect = 0x02;
inline constexpr std::uint8_t kConnectActive = 0x03;
inline constexpr std::uint8_t kDisconnect = 0x04;
inline constexpr std::uint8_t kListen = 0x05;
inline constexpr std::uint8_t kInfo = 0x08;
inline constexpr std::uint8_t kSelectBProtocol = 0x41;
inline constexpr std::uint8_t kFacility = 0x80;
inline constexpr std::uint8_t kConnectB3 = 0x82;
inline constexpr std::uint8_t kConnectB3Active = 0x83;
inline constexpr std::uint8_t kDisconnectB3 = 0x84;
inline constexpr std::uint8_t kDataB3 = 0x86;
inline constexpr std::uint8_t kResetB3 = 0x87;
inline constexpr std::uint8_t kConnectB3T90Active = 0x88;

inline constexpr std::uint8_t kReq = 0x80;
inline constexpr std::uint8_t kConf = 0x81;
inline constexpr std::uint8_t kInd = 0x82;
inline constexpr std::uint8_t kResp = 0x83;

constexpr std::uint16_t CommandWord(std::uint8_t command, std::uint8_t subcommand) {
    return static_cast<std::uint16_t>(command << 8 | subcommand);
}

inline constexpr std::uint16_t kListenReq = CommandWord(kListen, kReq);
inline constexpr std::uint16_t kListenConf = CommandWord(kListen, kConf);
inline constexpr std::uint16_t kAlertReq = CommandWord(kAlert, kReq);
inline constexpr std::uint16_t kAlertConf = CommandWord(kAlert, kConf);
inline constexpr std::uint16_t kConnectConf = CommandWord(kConnect, kConf);
inline constexpr std::uint16_t kConnectInd = CommandWord(kConnect, kInd);
inline constexpr std::uint16_t kConnectResp = CommandWord(kConnect, kResp);
inline constexpr std::uint16_t kConnectActiveInd = CommandWord(kConnectActive, kInd);
inline constexpr std::uint16_t kConnectActiveResp = CommandWord(kConnectActive, kResp);
inline constexpr std::uint16_t kDisconnectReq = CommandWord(kDisconnect, kReq);
inline constexpr std::uint16_t kDisconnectConf = CommandWord(kDisconnect, kConf);
inline constexpr std::uint16_t kDisconnectInd = CommandWord(kDisconnect, kInd);
inline constexpr std::uint16_t kDisconnectResp = CommandWord(kDisconnect, kResp);
inline constexpr std::uint16_t kInfoConf = CommandWord(kInfo, kConf);
inline constexpr std::uint16_t kInfoInd = CommandWord(kInfo, kInd);
inline constexpr std::uint16_t kInfoResp = CommandWord(kInfo, kResp);
inline constexpr std::uint16_t kSelectBProtocolConf = CommandWord(kSelectBProtocol, kConf);
inline constexpr std::uint16_t kFacilityConf = CommandWord(kFacility, kConf);
inline constexpr std::uint16_t kFacilityInd = CommandWord(kFacility, kInd);
inline constexpr std::uint16_t kFacilityResp = CommandWord(kFacility, kResp);
inline constexpr std::uint16_t kConnectB3Req = CommandWord(kConnectB3, kReq);
inline constexpr std::uint16_t kConnectB3Conf = CommandWord(kConnectB3, kConf);
inline constexpr std::uint16_t kConnectB3Ind = CommandWord(kConnectB3, kInd);
inline constexpr std::uint16_t kConnectB3Resp = CommandWord(kConnectB3, kResp);
inline constexpr std::uint16_t kConnectB3ActiveInd = CommandWord(kConnectB3Active, kInd);
inline constexpr std::uint16_t kConnectB3ActiveResp = CommandWord(kConnectB3Active, kResp);
inline constexpr std::uint16_t kDisconnectB3Req = CommandWord(kDisconnectB3, kReq);
inline constexpr std::uint16_t kDisconnectB3Conf = CommandWord(kDisconnectB3, kConf);
inline constexpr std::uint16_t kDisconnectB3Ind = CommandWord(kDisconnectB3, kInd);
inline constexpr std::uint16_t kDisconnectB3Resp = CommandWord(kDisconnectB3, kResp);
inline constexpr std::uint16_t kDataB3Req = CommandWord(kDataB3, kReq);
inline constexpr std::uint16_t kDataB3Conf = CommandWord(kDataB3, kConf);
inline constexpr std::uint16_t kDataB3Ind = CommandWord(kDataB3, kInd);
inline constexpr std::uint16_t kDataB3Resp = CommandWord(kDataB3, kResp);
inline constexpr std::uint16_t kResetB3Conf = CommandWord(kResetB3, kConf);
inline constexpr std::uint16_t kResetB3Ind = CommandWord(kResetB3, kInd);
inline constexpr std::uint16_t kResetB3Resp = CommandWord(kResetB3, kResp);
inline constexpr std::uint16_t kConnectB3T90ActiveInd = CommandWord(kConnectB3T90Active, kInd);
inline constexpr std::uint16_t kConnectB3T90ActiveResp = CommandWord(kConnectB3T90Active, kResp);

}  // namespace capi
