#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "capi/capi_commands.h"
#include "capi/capi_message.h"
#include "capi/capi_struct.h"

namespace capi {

// Requests and responses take their parameters in message order. Struct arguments are owned by
// the constructor: their bytes are copied in and the objects freed; null means the empty struct.
// Indications and confirmations decode from raw bytes; missing parameters read as 0 or empty.
using StructArg = std::unique_ptr<TStruct>;
using RawBytes = std::span<const std::uint8_t>;

class TListenReq : public TCapiMessage {
  public:
    TListenReq(std::uint32_t controller, std::uint32_t infoMask, std::uint32_t cipMask,
               std::uint32_t cipMask2, StructArg callingPartyNumber = nullptr,
               StructArg callingPartySubaddress = nullptr);
};

class TListenConf : public TCapiConfirmation {
  public:
    explicit TListenConf(RawBytes raw) : TCapiConfirmation(raw, kListenConf) {}
};

class TAlertReq : public TCapiMessage {
  public:
    explicit TAlertReq(std::uint32_t plci, StructArg additionalInfo = nullptr);
};

class TAlertConf : public TCapiConfirmation {
  public:
    explicit TAlertConf(RawBytes raw) : TCapiConfirmation(raw, kAlertConf) {}
};

class TConnectConf : public TCapiConfirmation {
  public:
    explicit TConnectConf(RawBytes raw) : TCapiConfirmation(raw, kConnectConf) {}
};

class TConnectInd : public TCapiMessage {
  public:
    explicit TConnectInd(RawBytes raw);

    std::uint32_t PLCI = 0;
    std::uint16_t CIPValue = 0;
    std::unique_ptr<TCallingPartySubAddress> CalledPartyNumber;
    std::unique_ptr<TCallingPartyNumber> CallingPartyNumber;
    std::unique_ptr<TCallingPartySubAddress> CalledPartySubaddress;
    std::unique_ptr<TCallingPartySubAddress> CallingPartySubaddress;
    std::unique_ptr<TStruct> BC;
    std::unique_ptr<TStruct> LLC;
    std::unique_ptr<TStruct> HLC;
    std::unique_ptr<TStruct> AdditionalInfo;
};

class TConnectResp : public TCapiMessage {
  public:
    TConnectResp(std::uint32_t plci, std::uint16_t reject, StructArg bProtocol = nullptr,
                 StructArg connectedNumber = nullptr, StructArg connectedSubaddress = nullptr,
                 StructArg llc = nullptr, StructArg additionalInfo = nullptr);
};

class TConnectActiveInd : public TCapiMessage {
  public:
    explicit TConnectActiveInd(RawBytes raw);

    std::uint32_t PLCI = 0;
    std::unique_ptr<TCallingPartyNumber> ConnectedNumber;
    std::unique_ptr<TCallingPartySubAddress> ConnectedSubaddress;
    std::unique_ptr<TStruct> LLC;
};

class TConnectActiveResp : public TCapiMessage {
  public:
    explicit TConnectActiveResp(std::uint32_t plci);
};

class TDisconnectReq : public TCapiMessage {
  public:
    explicit TDisconnectReq(std::uint32_t plci, StructArg additionalInfo = nullptr);
};

class TDisconnectConf : public TCapiConfirmation {
  public:
    explicit TDisconnectConf(RawBytes raw) : TCapiConfirmation(raw, kDisconnectConf) {}
};

class TDisconnectInd : public TCapiMessage {
  public:
    explicit TDisconnectInd(RawBytes raw);

    std::uint32_t PLCI = 0;
    std::uint16_t Reason = 0;
};

class TDisconnectResp : public TCapiMessage {
  public:
    explicit TDisconnectResp(std::uint32_t plci);
};

class TInfoConf : public TCapiConfirmation {
  public:
    explicit TInfoConf(RawBytes raw) : TCapiConfirmation(raw, kInfoConf) {}
};

class TInfoInd : public TCapiMessage {
  public:
    explicit TInfoInd(RawBytes raw);

    std::uint32_t PLCI = 0;
    std::uint16_t InfoNumber = 0;
    std::unique_ptr<TStruct> InfoElement;
};

class TInfoResp : public TCapiMessage {
  public:
    explicit TInfoResp(std::uint32_t plci);
};

class TSelectBProtocolConf : public TCapiConfirmation {
  public:
    explicit TSelectBProtocolConf(RawBytes raw) : TCapiConfirmation(raw, kSelectBProtocolConf) {}
};

class TFacilityConf : public TCapiConfirmation {
  public:
    explicit TFacilityConf(RawBytes raw);

    std::uint16_t FacilitySelector = 0;
    std::unique_ptr<TStruct> FacilityConfirmationParameter;
};

class TFacilityInd : public TCapiMessage {
  public:
    explicit TFacilityInd(RawBytes raw);

    std::uint32_t Address = 0;
    std::uint16_t FacilitySelector = 0;
    std::unique_ptr<TStruct> FacilityIndicationParameter;
};

class TFacilityResp : public TCapiMessage {
  public:
    TFacilityResp(std::uint32_t address, std::uint16_t facilitySelector,
                  StructArg facilityResponseParameter = nullptr);
};

class TConnectB3Req : public TCapiMessage {
  public:
    explicit TConnectB3Req(std::uint32_t plci, StructArg ncpi = nullptr);
};

class TConnectB3Conf : public TCapiConfirmation {
  public:
    explicit TConnectB3Conf(RawBytes raw) : TCapiConfirmation(raw, kConnectB3Conf) {}
};

class TConnectB3Ind : public TCapiMessage {
  public:
    explicit TConnectB3Ind(RawBytes raw);

    std::uint32_t NCCI = 0;
    std::unique_ptr<TStruct> NCPI;
};

class TConnectB3Resp : public TCapiMessage {
  public:
    TConnectB3Resp(std::uint32_t ncci, std::uint16_t reject, StructArg ncpi = nullptr);
};

class TConnectB3ActiveInd : public TCapiMessage {
  public:
    explicit TConnectB3ActiveInd(RawBytes raw);

    std::uint32_t NCCI = 0;
    std::unique_ptr<TStruct> NCPI;
};

class TConnectB3ActiveResp : public TCapiMessage {
  public:
    explicit TConnectB3ActiveResp(std::uint32_t ncci);
};

class TDisconnectB3Req : public TCapiMessage {
  public:
    explicit TDisconnectB3Req(std::uint32_t ncci, StructArg ncpi = nullptr);
};

class TDisconnectB3Conf : public TCapiConfirmation {
  public:
    explicit TDisconnectB3Conf(RawBytes raw) : TCapiConfirmation(raw, kDisconnectB3Conf) {}
};

class TDisconnectB3Ind : public TCapiMessage {
  public:
    explicit TDisconnectB3Ind(RawBytes raw);

    std::uint32_t NCCI = 0;
    std::uint16_t ReasonB3 = 0;
    std::unique_ptr<TStruct> NCPI;
};

class TDisconnectB3Resp : public TCapiMessage {
  public:
    explicit TDisconnectB3Resp(std::uint32_t ncci);
};

// A 64-bit address does not fit the Data dword: it goes into Data64 after Flags and the Data
// dword stays 0, as CAPI prescribes for 64-bit systems.
class TDataB3Req : public TCapiMessage {
  public:
    TDataB3Req(std::uint32_t ncci, const void* data, std::uint16_t dataLength,
               std::uint16_t dataHandle, std::uint16_t flags);
};

class TDataB3Conf : public TCapiConfirmation {
  public:
    explicit TDataB3Conf(RawBytes raw);  // Address is the NCCI; Info follows the data handle

    std::uint16_t DataHandle = 0;
};

class TDataB3Ind : public TCapiMessage {
  public:
    explicit TDataB3Ind(RawBytes raw);

    std::uint32_t NCCI = 0;
    std::uint32_t Data = 0;
    std::uint16_t DataLength = 0;
    std::uint16_t DataHandle = 0;
    std::uint16_t Flags = 0;
    std::uint64_t Data64 = 0;  // 0 when the sender used the 32-bit form
};

class TDataB3Resp : public TCapiMessage {
  public:
    TDataB3Resp(std::uint32_t ncci, std::uint16_t dataHandle);
};

class TResetB3Conf : public TCapiConfirmation {
  public:
    explicit TResetB3Conf(RawBytes raw) : TCapiConfirmation(raw, kResetB3Conf) {}
};

class TResetB3Ind : public TCapiMessage {
  public:
    explicit TResetB3Ind(RawBytes raw);

    std::uint32_t NCCI = 0;
    std::unique_ptr<TStruct> NCPI;
};

class TResetB3Resp : public TCapiMessage {
  public:
    explicit TResetB3Resp(std::uint32_t ncci);
};

class TConnectB3T90ActiveInd : public TCapiMessage {
  public:
    explicit TConnectB3T90ActiveInd(RawBytes raw);

    std::uint32_t NCCI = 0;
    std::unique_ptr<TStruct> NCPI;
};

class TConnectB3T90ActiveResp : public TCapiMessage {
  public:
    explicit TConnectB3T90ActiveResp(std::uint32_t ncci);
};

// The object of the right class for a received message: every IND and CONF above by its command
// word; any other word, or fewer than 12 bytes by TotalLength or by what was received, gives a
// plain TCapiMessage. Never reads outside `raw`.
std::unique_ptr<TCapiMessage> CreateCapiMessage(RawBytes raw);

}  // namespace capi
