#include "capi/capi_layout.h"

#include <algorithm>
#include <string>

#include "capi/capi_bytes.h"
#include "capi/capi_error.h"
#include "capi/capi_messages.h"

namespace capi {

namespace {

using K = ParamKind;

template <class T>
std::unique_ptr<TCapiMessage> Create(std::span<const std::uint8_t> raw) {
    return std::make_unique<T>(raw);
}

constexpr K kAddress[] = {K::Dword};
constexpr K kConfirmation[] = {K::Dword, K::Word};
constexpr K kAddressStruct[] = {K::Dword, K::Struct};
constexpr K kAddressWord[] = {K::Dword, K::Word};
constexpr K kAddressWordStruct[] = {K::Dword, K::Word, K::Struct};

constexpr K kListenReqParams[] = {K::Dword, K::Dword, K::Dword, K::Dword, K::Number, K::SubAddress};
constexpr K kConnectIndParams[] = {K::Dword,      K::Word,       K::SubAddress, K::Number,
                                   K::SubAddress, K::SubAddress, K::Struct,     K::Struct,
                                   K::Struct,     K::Struct};
constexpr K kConnectRespParams[] = {K::Dword,      K::Word,   K::BProtocol, K::Number,
                                    K::SubAddress, K::Struct, K::Struct};
constexpr K kConnectActiveIndParams[] = {K::Dword, K::Number, K::SubAddress, K::Struct};
constexpr K kFacilityConfParams[] = {K::Dword, K::Word, K::Word, K::Struct};
// Data dword, then length, handle and flags; Data64 last.
constexpr K kDataB3Params[] = {K::Dword, K::Dword, K::Word, K::Word, K::Word, K::Qword};
constexpr K kDataB3ConfParams[] = {K::Dword, K::Word, K::Word};

constexpr MessageLayout kLayouts[] = {
    {kListenReq, "LISTEN_REQ", kListenReqParams},
    {kListenConf, "LISTEN_CONF", kConfirmation, 1, &Create<TListenConf>},
    {kAlertReq, "ALERT_REQ", kAddressStruct},
    {kAlertConf, "ALERT_CONF", kConfirmation, 1, &Create<TAlertConf>},
    {kConnectConf, "CONNECT_CONF", kConfirmation, 1, &Create<TConnectConf>},
    {kConnectInd, "CONNECT_IND", kConnectIndParams, -1, &Create<TConnectInd>},
    {kConnectResp, "CONNECT_RESP", kConnectRespParams},
    {kConnectActiveInd, "CONNECT_ACTIVE_IND", kConnectActiveIndParams, -1,
     &Create<TConnectActiveInd>},
    {kConnectActiveResp, "CONNECT_ACTIVE_RESP", kAddress},
    {kDisconnectReq, "DISCONNECT_REQ", kAddressStruct},
    {kDisconnectConf, "DISCONNECT_CONF", kConfirmation, 1, &Create<TDisconnectConf>},
    {kDisconnectInd, "DISCONNECT_IND", kAddressWord, -1, &Create<TDisconnectInd>},
    {kDisconnectResp, "DISCONNECT_RESP", kAddress},
    {kInfoConf, "INFO_CONF", kConfirmation, 1, &Create<TInfoConf>},
    {kInfoInd, "INFO_IND", kAddressWordStruct, -1, &Create<TInfoInd>},
    {kInfoResp, "INFO_RESP", kAddress},
    {kSelectBProtocolConf, "SELECT_B_PROTOCOL_CONF", kConfirmation, 1,
     &Create<TSelectBProtocolConf>},
    {kFacilityConf, "FACILITY_CONF", kFacilityConfParams, 1, &Create<TFacilityConf>},
    {kFacilityInd, "FACILITY_IND", kAddressWordStruct, -1, &Create<TFacilityInd>},
    {kFacilityResp, "FACILITY_RESP", kAddressWordStruct},
    {kConnectB3Req, "CONNECT_B3_REQ", kAddressStruct},
    {kConnectB3Conf, "CONNECT_B3_CONF", kConfirmation, 1, &Create<TConnectB3Conf>},
    {kConnectB3Ind, "CONNECT_B3_IND", kAddressStruct, -1, &Create<TConnectB3Ind>},
    {kConnectB3Resp, "CONNECT_B3_RESP", kAddressWordStruct},
    {kConnectB3ActiveInd, "CONNECT_B3_ACTIVE_IND", kAddressStruct, -1,
     &Create<TConnectB3ActiveInd>},
    {kConnectB3ActiveResp, "CONNECT_B3_ACTIVE_RESP", kAddress},
    {kDisconnectB3Req, "DISCONNECT_B3_REQ", kAddressStruct},
    {kDisconnectB3Conf, "DISCONNECT_B3_CONF", kConfirmation, 1, &Create<TDisconnectB3Conf>},
    {kDisconnectB3Ind, "DISCONNECT_B3_IND", kAddressWordStruct, -1, &Create<TDisconnectB3Ind>},
    {kDisconnectB3Resp, "DISCONNECT_B3_RESP", kAddress},
    {kDataB3Req, "DATA_B3_REQ", kDataB3Params},
    {kDataB3Conf, "DATA_B3_CONF", kDataB3ConfParams, 2, &Create<TDataB3Conf>},
    {kDataB3Ind, "DATA_B3_IND", kDataB3Params, -1, &Create<TDataB3Ind>},
    {kDataB3Resp, "DATA_B3_RESP", kAddressWord},
    {kResetB3Conf, "RESET_B3_CONF", kConfirmation, 1, &Create<TResetB3Conf>},
    {kResetB3Ind, "RESET_B3_IND", kAddressStruct, -1, &Create<TResetB3Ind>},
    {kResetB3Resp, "RESET_B3_RESP", kAddress},
    {kConnectB3T90ActiveInd, "CONNECT_B3_T90_ACTIVE_IND", kAddressStruct, -1,
     &Create<TConnectB3T90ActiveInd>},
    {kConnectB3T90ActiveResp, "CONNECT_B3_T90_ACTIVE_RESP", kAddress},
};

std::string KindName(ParamKind kind) {
    switch (kind) {
        case K::Word:
            return "word";
        case K::Dword:
            return "dword";
        case K::Qword:
            return "qword";
        case K::Struct:
            return "struct";
        case K::Number:
            return "number struct";
        case K::SubAddress:
            return "subaddress struct";
        case K::BProtocol:
            return "B protocol struct";
    }
    return "?";
}

}  // namespace

std::size_t FixedSize(ParamKind kind) {
    switch (kind) {
        case K::Word:
            return 2;
        case K::Dword:
            return 4;
        case K::Qword:
            return 8;
        default:
            return 0;
    }
}

std::span<const MessageLayout> AllLayouts() {
    return kLayouts;
}

const MessageLayout* FindLayout(std::uint16_t command) {
    const auto it =
        std::find_if(std::begin(kLayouts), std::end(kLayouts),
                     [command](const MessageLayout& l) { return l.command == command; });
    return it != std::end(kLayouts) ? &*it : nullptr;
}

const Parameters::Item& Parameters::operator[](std::size_t i) const {
    if (i >= items_.size()) {
        throw ECapiError("CAPI parameter " + std::to_string(i) + " does not exist");
    }
    return items_[i];
}

const Parameters::Item& Parameters::At(std::size_t i, ParamKind kind) const {
    const Item& item = (*this)[i];
    if (item.kind != kind) {
        throw ECapiError("CAPI parameter " + std::to_string(i) + " is a " + KindName(item.kind) +
                         ", not a " + KindName(kind));
    }
    return item;
}

std::uint16_t Parameters::Word(std::size_t i) const {
    return static_cast<std::uint16_t>(At(i, K::Word).value);
}
std::uint32_t Parameters::Dword(std::size_t i) const {
    return static_cast<std::uint32_t>(At(i, K::Dword).value);
}
std::uint64_t Parameters::Qword(std::size_t i) const {
    return At(i, K::Qword).value;
}

std::unique_ptr<TStruct> Parameters::Take(std::size_t i, ParamKind kind) {
    At(i, kind);
    if (!items_[i].data) {
        throw ECapiError("CAPI parameter " + std::to_string(i) + " was taken already");
    }
    return std::move(items_[i].data);
}

// Each Take* checks the kind first, so the downcast is to the type Decode created for it.
std::unique_ptr<TStruct> Parameters::TakeStruct(std::size_t i) {
    return Take(i, K::Struct);
}
std::unique_ptr<TCallingPartyNumber> Parameters::TakeNumber(std::size_t i) {
    return std::unique_ptr<TCallingPartyNumber>(
        static_cast<TCallingPartyNumber*>(Take(i, K::Number).release()));
}
std::unique_ptr<TCallingPartySubAddress> Parameters::TakeSubAddress(std::size_t i) {
    return std::unique_ptr<TCallingPartySubAddress>(
        static_cast<TCallingPartySubAddress*>(Take(i, K::SubAddress).release()));
}
std::unique_ptr<TBProtocol> Parameters::TakeBProtocol(std::size_t i) {
    return std::unique_ptr<TBProtocol>(static_cast<TBProtocol*>(Take(i, K::BProtocol).release()));
}

Parameters Parameters::Decode(std::span<const std::uint8_t> body,
                              std::span<const ParamKind> kinds) {
    Parameters p;
    p.items_.reserve(kinds.size());
    std::size_t pos = 0;
    for (const ParamKind kind : kinds) {
        const auto rest = body.subspan(pos);
        Item item{kind, 0, nullptr};
        if (const std::size_t fixed = FixedSize(kind); fixed != 0) {
            // An integer cut short is as missing as one that is not there at all.
            if (rest.size() >= fixed) {
                item.value = FromLittleEndian(rest.first(fixed));
            }
            pos += std::min(fixed, rest.size());
        } else {
            // A struct that runs past the end is dropped together with everything after it.
            const auto extent = StructExtent(rest);
            const auto bytes = extent ? rest.first(*extent) : std::span<const std::uint8_t>();
            pos += extent ? *extent : rest.size();
            switch (kind) {
                case K::Number:
                    item.data = TCallingPartyNumber::CreateFrom(bytes);
                    break;
                case K::SubAddress:
                    item.data = TCallingPartySubAddress::CreateFrom(bytes);
                    break;
                case K::BProtocol:
                    item.data = TBProtocol::CreateFrom(bytes);
                    break;
                default:
                    item.data = TStruct::CreateFrom(bytes);
                    break;
            }
        }
        p.items_.push_back(std::move(item));
    }
    return p;
}

Parameters DecodeParameters(const TCapiMessage& message) {
    const MessageLayout* layout = FindLayout(message.Header.GetCommand());
    const auto buffer = message.Buffer();
    return Parameters::Decode(buffer.subspan(std::min(TCapiMessageHeader::kSize, buffer.size())),
                              layout != nullptr ? layout->params : std::span<const ParamKind>());
}

std::unique_ptr<TCapiMessage> BuildCapiMessage(std::uint16_t command,
                                               std::span<const ParamValue> values) {
    auto message = std::make_unique<TCapiMessage>();
    message->Build(command, values);
    return message;
}

}  // namespace capi
