#include "capi/capi_decode_check.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <typeinfo>

#include "capi/capi_messages.h"

namespace capi {

namespace {

bool Inside(std::span<const std::uint8_t> part, std::span<const std::uint8_t> whole) {
    const std::less<const std::uint8_t*> before;
    return !before(part.data(), whole.data()) &&
           !before(whole.data() + whole.size(), part.data() + part.size());
}

std::optional<std::string> CheckStruct(const TStruct& s, std::span<const std::uint8_t> buffer,
                                       std::size_t index) {
    const std::string where = "parameter " + std::to_string(index) + ": ";
    const auto bytes = s.Bytes();
    if (bytes.empty() || s.StructSize() != bytes.size()) {
        return where + "struct without its bytes";
    }
    if (!s.OwnsData() && !Inside(bytes, buffer)) {
        return where + "struct view outside the message";
    }
    const std::size_t prefix = bytes[0] == 0xFF ? 3 : 1;
    if (bytes.size() < prefix || s.DataLength() != bytes.size() - prefix) {
        return where + "struct length disagrees with its prefix";
    }
    std::string digits;
    std::size_t lead = 0;
    if (const auto* n = dynamic_cast<const TCallingPartyNumber*>(&s)) {
        digits = n->Digits;
        lead = 2;
    } else if (const auto* a = dynamic_cast<const TCallingPartySubAddress*>(&s)) {
        digits = a->Digits;
        lead = 1;
    } else {
        return std::nullopt;
    }
    const auto content = s.Content();
    const auto expected = content.subspan(std::min(lead, content.size()));
    if (!std::equal(digits.begin(), digits.end(), expected.begin(), expected.end(),
                    [](char d, std::uint8_t b) { return static_cast<std::uint8_t>(d) == b; })) {
        return where + "digits differ from the bytes received";
    }
    return std::nullopt;
}

std::optional<std::string> Check(std::span<const std::uint8_t> raw) {
    const auto message = CreateCapiMessage(raw);
    const auto buffer = message->Buffer();
    const std::size_t kept =
        std::min<std::size_t>(TCapiMessageHeader::Decode(raw).TotalLength, raw.size());
    if (buffer.size() != kept) {
        return "message keeps " + std::to_string(buffer.size()) + " bytes, not " +
               std::to_string(kept);
    }
    const TCapiMessage& decoded = *message;
    const MessageLayout* layout = FindLayout(decoded.Header.GetCommand());
    const bool decodable =
        kept >= TCapiMessage::kMinDecodedLength && layout != nullptr && layout->create != nullptr;
    if (!decodable && typeid(decoded) != typeid(TCapiMessage)) {
        return "undecodable message given a decoding class";
    }
    if (decodable && typeid(decoded) == typeid(TCapiMessage)) {
        return std::string("no decoding class for ") + std::string(layout->name);
    }
    const Parameters params = DecodeParameters(*message);
    for (std::size_t i = 0; i < params.Count(); ++i) {
        if (params[i].data) {
            if (auto fault = CheckStruct(*params[i].data, buffer, i)) {
                return fault;
            }
        }
    }
    if (const auto* ind = dynamic_cast<const TConnectInd*>(message.get())) {
        for (const TStruct* s : {static_cast<const TStruct*>(ind->CalledPartyNumber.get()),
                                 static_cast<const TStruct*>(ind->CallingPartyNumber.get())}) {
            if (s == nullptr) {
                return "CONNECT_IND without its number structs";
            }
            if (auto fault = CheckStruct(*s, buffer, 0)) {
                return "CONNECT_IND " + *fault;
            }
        }
    }
    if (buffer.size() >= TCapiMessageHeader::kSize &&
        message->Encode().size() != message->Header.TotalLength) {
        return "encoded header disagrees with the bytes";
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> CheckDecode(std::span<const std::uint8_t> raw) {
    try {
        return Check(raw);
    } catch (const std::exception& e) {
        return std::string("exception: ") + e.what();
    }
}

}  // namespace capi
