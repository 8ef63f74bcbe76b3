#include <gtest/gtest.h>

#include <functional>
#include <numeric>

#include "capi/capi_error.h"
#include "capi/capi_messages.h"
#include "capi/capi_outgoing.h"
#include "capi/tests/test_bytes.h"

namespace capi {
namespace {

using test::Hex;
using test::ToHex;

constexpr std::uint32_t kPlci = 0x00000101;
constexpr std::uint32_t kNcci = 0x00010101;

// Every message this program puts, as the engine puts it (ApplID set just before encoding).
TEST(CapiEncode, GoldenBytesOfEverySentMessage) {
    struct Case {
        const char* name;
        std::function<std::unique_ptr<TCapiMessage>()> build;
        std::size_t length;
        const char* bytes;
    };
    const Case cases[] = {
        {"LISTEN_REQ monitoring", [] { return MonitoringListenReq(1); }, 29,
         "1D 00 07 00 05 80 00 00 | 01 00 00 00 | 7F 00 00 00 | FE 03 FF 1F | 00 00 00 00 |"
         "02 00 80 | 01 80"},
        {"LISTEN_REQ wake-up", [] { return std::make_unique<TListenReq>(1, 0x7F, 0x00000002, 0); },
         26,
         "1A 00 07 00 05 80 00 00 | 01 00 00 00 | 7F 00 00 00 | 02 00 00 00 | 00 00 00 00 |"
         "00 | 00"},
        {"ALERT_REQ", [] { return std::make_unique<TAlertReq>(kPlci); }, 13,
         "0D 00 07 00 01 80 00 00 | 01 01 00 00 | 00"},
        {"CONNECT_RESP accepting", [] { return AcceptingConnectResp(kPlci); }, 28,
         "1C 00 07 00 02 83 00 00 | 01 01 00 00 | 00 00 | 09 01 00 01 00 00 00 00 00 00 |"
         "00 | 00 | 00 | 00"},
        {"CONNECT_RESP refusing", [] { return RefusingConnectResp(kPlci, 1); }, 19,
         "13 00 07 00 02 83 00 00 | 01 01 00 00 | 01 00 | 00 | 00 | 00 | 00 | 00"},
        {"CONNECT_ACTIVE_RESP", [] { return std::make_unique<TConnectActiveResp>(kPlci); }, 12,
         "0C 00 07 00 03 83 00 00 | 01 01 00 00"},
        {"DISCONNECT_REQ", [] { return std::make_unique<TDisconnectReq>(kPlci); }, 13,
         "0D 00 07 00 04 80 00 00 | 01 01 00 00 | 00"},
        {"DISCONNECT_RESP", [] { return std::make_unique<TDisconnectResp>(kPlci); }, 12,
         "0C 00 07 00 04 83 00 00 | 01 01 00 00"},
        {"INFO_RESP", [] { return std::make_unique<TInfoResp>(kPlci); }, 12,
         "0C 00 07 00 08 83 00 00 | 01 01 00 00"},
        {"FACILITY_RESP", [] { return std::make_unique<TFacilityResp>(0x00000001, 0x0003); }, 15,
         "0F 00 07 00 80 83 00 00 | 01 00 00 00 | 03 00 | 00"},
        {"CONNECT_B3_REQ", [] { return std::make_unique<TConnectB3Req>(kPlci); }, 13,
         "0D 00 07 00 82 80 00 00 | 01 01 00 00 | 00"},
        {"CONNECT_B3_RESP accepting", [] { return std::make_unique<TConnectB3Resp>(kNcci, 0); }, 15,
         "0F 00 07 00 82 83 00 00 | 01 01 01 00 | 00 00 | 00"},
        {"CONNECT_B3_RESP refusing", [] { return std::make_unique<TConnectB3Resp>(kNcci, 2); }, 15,
         "0F 00 07 00 82 83 00 00 | 01 01 01 00 | 02 00 | 00"},
        {"CONNECT_B3_ACTIVE_RESP", [] { return std::make_unique<TConnectB3ActiveResp>(kNcci); }, 12,
         "0C 00 07 00 83 83 00 00 | 01 01 01 00"},
        {"DISCONNECT_B3_REQ", [] { return std::make_unique<TDisconnectB3Req>(kNcci); }, 13,
         "0D 00 07 00 84 80 00 00 | 01 01 01 00 | 00"},
        {"DISCONNECT_B3_RESP", [] { return std::make_unique<TDisconnectB3Resp>(kNcci); }, 12,
         "0C 00 07 00 84 83 00 00 | 01 01 01 00"},
        {"DATA_B3_RESP", [] { return std::make_unique<TDataB3Resp>(kNcci, 0x1234); }, 14,
         "0E 00 07 00 86 83 00 00 | 01 01 01 00 | 34 12"},
        {"RESET_B3_RESP", [] { return std::make_unique<TResetB3Resp>(kNcci); }, 12,
         "0C 00 07 00 87 83 00 00 | 01 01 01 00"},
        {"CONNECT_B3_T90_ACTIVE_RESP",
         [] { return std::make_unique<TConnectB3T90ActiveResp>(kNcci); }, 12,
         "0C 00 07 00 88 83 00 00 | 01 01 01 00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto message = c.build();
        EXPECT_EQ(message->Header.MessageNumber, 0);
        message->Header.ApplID = 7;
        const auto bytes = message->Encode();
        EXPECT_EQ(bytes.size(), c.length);
        EXPECT_EQ(ToHex(bytes), ToHex(Hex(c.bytes)));
    }
}

TEST(CapiEncode, DataB3ReqCarriesTheAddressInData64) {
    const std::uint8_t block[3] = {1, 2, 3};
    TDataB3Req message(kNcci, block, 3, 0x0042, 0x0004);
    message.Header.ApplID = 7;
    const auto bytes = message.Encode();
    ASSERT_EQ(bytes.size(), 30u);
    EXPECT_EQ(ToHex(bytes.first(22)),
              "1E 00 07 00 86 80 00 00 01 01 01 00 00 00 00 00 03 00 42 00 04 00");
    std::uint64_t address = 0;
    for (int i = 7; i >= 0; --i) {
        address = address << 8 | bytes[22 + static_cast<std::size_t>(i)];
    }
    EXPECT_EQ(address, reinterpret_cast<std::uintptr_t>(block));
}

TEST(CapiEncode, HeaderCarriesApplIdMessageNumberAndTheRealLength) {
    TConnectActiveResp message(kPlci);
    message.Header.ApplID = 0x1234;
    message.Header.MessageNumber = 0xBEEF;
    message.Header.TotalLength = 99;  // whatever it says, the bytes put are 12
    EXPECT_EQ(ToHex(message.Encode()), "0C 00 34 12 03 83 EF BE 01 01 00 00");
    EXPECT_EQ(message.Header.TotalLength, 12);

    TCapiMessage unbuilt;
    EXPECT_THROW(unbuilt.Encode(), ECapiError);
}

TEST(CapiEncode, RefusingConnectRespNeedsARejectValue) {
    EXPECT_THROW(RefusingConnectResp(kPlci, 0), ECapiError);
    EXPECT_EQ(ToHex(RefusingConnectResp(kPlci, 3)->Buffer().subspan(12, 2)), "03 00");
}

TEST(CapiEncode, ReceivedMessageIsNotRebuilt) {
    const auto raw = Hex("0C 00 01 00 04 83 00 00 01 01 00 00");
    TCapiMessage received(raw);
    EXPECT_THROW(received.Allocate(12), ECapiError);
    EXPECT_EQ(ToHex(received.Encode()), ToHex(raw));
}

TEST(CapiEncode, MessageBeyond65535BytesIsRefused) {
    // 8 header + 4 PLCI + 3 long prefix + content.
    const auto withInfo = [](std::size_t content) {
        return TAlertReq(kPlci, TStruct::CreateWith(std::vector<std::uint8_t>(content, 0x55)));
    };
    EXPECT_EQ(withInfo(65520).Buffer().size(), 65535u);
    EXPECT_THROW(withInfo(65521), ECapiError);
    EXPECT_THROW(TCapiMessage().Allocate(65536), ECapiError);
}

TEST(CapiEncode, ArgumentsThatDoNotMatchTheLayoutAreRefused) {
    const auto empty = TStruct::CreateEmpty();
    EXPECT_THROW(BuildCapiMessage(kAlertReq, {kPlci}), ECapiError);  // too few
    EXPECT_THROW(BuildCapiMessage(kAlertReq, {kPlci, empty, empty}), ECapiError);
    EXPECT_THROW(BuildCapiMessage(kAlertReq, {kPlci, std::uint64_t{5}}), ECapiError);
    EXPECT_THROW(BuildCapiMessage(kAlertReq, {empty, empty}), ECapiError);
    EXPECT_THROW(BuildCapiMessage(kDataB3Resp, {kNcci, std::uint64_t{0x10000}}), ECapiError);
    EXPECT_THROW(BuildCapiMessage(0x0680, {kPlci}), ECapiError);  // no such command
    EXPECT_EQ(BuildCapiMessage(kDataB3Resp, {kNcci, std::uint64_t{0xFFFF}})->Buffer().size(), 14u);
}

// Builder and decoder read one table; this checks they read it the same way for every command
// word, each parameter with a value of its own.
TEST(CapiEncode, EveryLayoutDecodesWhatItBuilds) {
    for (const MessageLayout& layout : AllLayouts()) {
        SCOPED_TRACE(std::string(layout.name));
        std::vector<std::unique_ptr<TStruct>> structs;
        std::vector<ParamValue> values;
        std::size_t expectedLength = 8;
        for (std::size_t i = 0; i < layout.params.size(); ++i) {
            const std::size_t fixed = FixedSize(layout.params[i]);
            if (fixed != 0) {
                const std::uint64_t mask = fixed == 8 ? ~0ull : (1ull << (8 * fixed)) - 1;
                values.emplace_back((0x8877665544332211ull * (i + 1)) & mask);
                expectedLength += fixed;
            } else {
                std::vector<std::uint8_t> content(3 + i);
                std::iota(content.begin(), content.end(), static_cast<std::uint8_t>(0x30 + i));
                structs.push_back(TStruct::CreateWith(content));
                values.emplace_back(structs.back().get());
                expectedLength += 1 + content.size();
            }
        }
        const auto message = BuildCapiMessage(layout.command, values);
        ASSERT_EQ(message->Buffer().size(), expectedLength);
        EXPECT_EQ(message->Header.GetCommand(), layout.command);

        const Parameters decoded = DecodeParameters(*message);
        ASSERT_EQ(decoded.Count(), values.size());
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (values[i].isStruct) {
                ASSERT_TRUE(decoded[i].data);
                EXPECT_EQ(ToHex(decoded[i].data->Bytes()), ToHex(values[i].structure->Bytes()));
            } else {
                EXPECT_EQ(decoded[i].value, values[i].integer) << "parameter " << i;
            }
        }
    }
}

}  // namespace
}  // namespace capi
