#include "capi/capi_messages.h"

#include <algorithm>
#include <cstdint>

namespace capi {

TListenReq::TListenReq(std::uint32_t controller, std::uint32_t infoMask, std::uint32_t cipMask,
                       std::uint32_t cipMask2, StructArg callingPartyNumber,
                       StructArg callingPartySubaddress) {
    Build(kListenReq,
          {controller, infoMask, cipMask, cipMask2, callingPartyNumber, callingPartySubaddress});
}

TAlertReq::TAlertReq(std::uint32_t plci, StructArg additionalInfo) {
    Build(kAlertReq, {plci, additionalInfo});
}

TConnectInd::TConnectInd(RawBytes raw) : TCapiMessage(raw) {
    Parameters& p = Decoded(kConnectInd);
    PLCI = p.Dword(0);
    CIPValue = p.Word(1);
    CalledPartyNumber = p.TakeSubAddress(2);
    CallingPartyNumber = p.TakeNumber(3);
    CalledPartySubaddress = p.TakeSubAddress(4);
    CallingPartySubaddress = p.TakeSubAddress(5);
    BC = p.TakeStruct(6);
    LLC = p.TakeStruct(7);
    HLC = p.TakeStruct(8);
    AdditionalInfo = p.TakeStruct(9);
}

TConnectResp::TConnectResp(std::uint32_t plci, std::uint16_t reject, StructArg bProtocol,
                           StructArg connectedNumber, StructArg connectedSubaddress, StructArg llc,
                           StructArg additionalInfo) {
    Build(kConnectResp,
          {plci, reject, bProtocol, connectedNumber, connectedSubaddress, llc, additionalInfo});
}

TConnectActiveInd::TConnectActiveInd(RawBytes raw) : TCapiMessage(raw) {
    Parameters& p = Decoded(kConnectActiveInd);
    PLCI = p.Dword(0);
    ConnectedNumber = p.TakeNumber(1);
    ConnectedSubaddress = p.TakeSubAddress(2);
    LLC = p.TakeStruct(3);
}

TConnectActiveResp::TConnectActiveResp(std::uint32_t plci) {
    Build(kConnectActiveResp, {plci});
}

TDisconnectReq::TDisconnectReq(std::uint32_t plci, StructArg additionalInfo) {
    Build(kDisconnectReq, {plci, additionalInfo});
}

TDisconnectInd::TDisconnectInd(RawBytes raw) : TCapiMessage(raw) {
    Parameters& p = Decoded(kDisconnectInd);
    PLCI = p.Dword(0);
    Reason = p.Word(1);
}

TDisconnectResp::TDisconnectResp(std::uint32_t plci) {
    Build(kDisconnectResp, {plci});
}

TInfoInd::TInfoInd(RawBytes raw) : TCapiMessage(raw) {
    Parameters& p = Decoded(kInfoInd);
    PLCI = p.Dword(0);
    InfoNumber = p.Word(1);
    InfoElement = p.TakeStruct(2);
}

TInfoResp::TInfoResp(std::uint32_t plci) {
    Build(kInfoResp, {plci});
}

TFacilityConf::TFacilityConf(RawBytes raw) : TCapiConfirmation(raw, kFacilityConf) {
    Parameters& p = Decoded(kFacilityConf);
    FacilitySelector = p.Word(2);
    FacilityConfirmationParameter = p.TakeStruct(3);
}

TFacilityInd::TFacilityInd(RawBytes raw) : TCapiMessage(raw) {
    Parameters& p = Decoded(kFacilityInd);
    Address = p.Dword(0);
    FacilitySelector = p.Word(1);
    FacilityIndicationParameter = p.TakeStruct(2);
}

TFacilityResp::TFacilityResp(std::uint32_t address, std::uint16_t facilitySelector,
                             StructArg facilityResponseParameter) {
    Build(kFacilityResp, {address, facilitySelector, facilityResponseParameter});
}

TConnectB3Req::TConnectB3Req(std::uint32_t plci, StructArg ncpi) {
    Build(kConnectB3Req, {plci, ncpi});
}

TConnectB3Ind::TConnectB3Ind(RawBytes raw) : TCapiMessage(raw) {
    Parameters& p = Decoded(kConnectB3Ind);
    NCCI = p.Dword(0);
    NCPI = p.TakeStruct(1);
}

TConnectB3Resp::TConnectB3Resp(std::uint32_t ncci, std::uint16_t reject, StructArg ncpi) {
    Build(kConnectB3Resp, {ncci, reject, ncpi});
}

TConnectB3ActiveInd::TConnectB3ActiveInd(RawBytes raw) : TCapiMessage(raw) {
    Parameters& p = Decoded(kConnectB3ActiveInd);
    NCCI = p.Dword(0);
    NCPI = p.TakeStruct(1);
}

TConnectB3ActiveResp::TConnectB3ActiveResp(std::uint32_t ncci) {
    Build(kConnectB3ActiveResp, {ncci});
}

TDisconnectB3Req::TDisconnectB3Req(std::uint32_t ncci, StructArg ncpi) {
    Build(kDisconnectB3Req, {ncci, ncpi});
}

TDisconnectB3Ind::TDisconnectB3Ind(RawBytes raw) : TCapiMessage(raw) {
    Parameters& p = Decoded(kDisconnectB3Ind);
    NCCI = p.Dword(0);
    ReasonB3 = p.Word(1);
    NCPI = p.TakeStruct(2);
}

TDisconnectB3Resp::TDisconnectB3Resp(std::uint32_t ncci) {
    Build(kDisconnectB3Resp, {ncci});
}

TDataB3Req::TDataB3Req(std::uint32_t ncci, const void* data, std::uint16_t dataLength,
                       std::uint16_t dataHandle, std::uint16_t flags) {
    const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(data));
    Build(kDataB3Req, {ncci, std::uint64_t{0}, dataLength, dataHandle, flags, address});
}

TDataB3Conf::TDataB3Conf(RawBytes raw) : TCapiConfirmation(raw, kDataB3Conf) {
    DataHandle = Decoded(kDataB3Conf).Word(1);
}

TDataB3Ind::TDataB3Ind(RawBytes raw) : TCapiMessage(raw) {
    Parameters& p = Decoded(kDataB3Ind);
    NCCI = p.Dword(0);
    Data = p.Dword(1);
    DataLength = p.Word(2);
    DataHandle = p.Word(3);
    Flags = p.Word(4);
    Data64 = p.Qword(5);
}

TDataB3Resp::TDataB3Resp(std::uint32_t ncci, std::uint16_t dataHandle) {
    Build(kDataB3Resp, {ncci, dataHandle});
}

TResetB3Ind::TResetB3Ind(RawBytes raw) : TCapiMessage(raw) {
    Parameters& p = Decoded(kResetB3Ind);
    NCCI = p.Dword(0);
    NCPI = p.TakeStruct(1);
}

TResetB3Resp::TResetB3Resp(std::uint32_t ncci) {
    Build(kResetB3Resp, {ncci});
}

TConnectB3T90ActiveInd::TConnectB3T90ActiveInd(RawBytes raw) : TCapiMessage(raw) {
    Parameters& p = Decoded(kConnectB3T90ActiveInd);
    NCCI = p.Dword(0);
    NCPI = p.TakeStruct(1);
}

TConnectB3T90ActiveResp::TConnectB3T90ActiveResp(std::uint32_t ncci) {
    Build(kConnectB3T90ActiveResp, {ncci});
}

std::unique_ptr<TCapiMessage> CreateCapiMessage(RawBytes raw) {
    const TCapiMessageHeader header = TCapiMessageHeader::Decode(raw);
    const std::size_t length = std::min<std::size_t>(header.TotalLength, raw.size());
    if (length >= TCapiMessage::kMinDecodedLength) {
        const MessageLayout* layout = FindLayout(header.GetCommand());
        if (layout != nullptr && layout->create != nullptr) {
            return layout->create(raw);
        }
    }
    return std::make_unique<TCapiMessage>(raw);
}

}  // namespace capi
