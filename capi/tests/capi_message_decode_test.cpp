#include <gtest/gtest.h>

#include <typeindex>

#include "capi/capi_decode_check.h"
#include "capi/capi_messages.h"
#include "capi/tests/test_bytes.h"

namespace capi {
namespace {

using test::Hex;
using test::Received;

template <class T>
std::unique_ptr<T> DecodeAs(const std::vector<std::uint8_t>& raw) {
    auto message = CreateCapiMessage(raw);
    const TCapiMessage& decoded = *message;
    EXPECT_EQ(std::type_index(typeid(decoded)), std::type_index(typeid(T)));
    return std::unique_ptr<T>(dynamic_cast<T*>(message.release()));
}

// PLCI, CIP 16, called number "123", calling number "0612" presented, empty subaddresses,
// BC, empty LLC, HLC, empty additional info.
constexpr const char* kPlciCip = "01 01 00 00 | 10 00 |";
constexpr const char* kTrailing = "00 | 00 | 03 80 90 A3 | 00 | 02 91 81 | 00";

std::vector<std::uint8_t> ConnectInd(const std::string& numbers, const char* trailing = kTrailing,
                                     int totalLength = -1) {
    return Received(kConnectInd, std::string(kPlciCip) + numbers + trailing, totalLength);
}

TEST(CapiDecode, ConnectIndNumbersAndTrailingStructs) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> raw;
        std::uint8_t calledType;
        std::string called;
        std::uint8_t callingType;
        std::uint8_t presentation;
        std::string calling;
        std::size_t bcLength;  // shows whether the structs after the numbers were reached
        std::size_t hlcLength;
    };
    const auto full = ConnectInd("04 81 31 32 33 | 06 01 80 30 36 31 32 |");
    const Case cases[] = {
        {"normal", full, 0x81, "123", 0x01, 0x80, "0612", 3, 2},
        {"no calling number", ConnectInd("04 81 31 32 33 | 00 |"), 0x81, "123", 0, 0, "", 3, 2},
        {"calling number of its two octets only", ConnectInd("04 81 31 32 33 | 02 01 A0 |"), 0x81,
         "123", 0x01, 0xA0, "", 3, 2},
        {"called number of one octet", ConnectInd("01 81 | 06 01 80 30 36 31 32 |"), 0x81, "", 0x01,
         0x80, "0612", 3, 2},
        {"long-form calling number", ConnectInd("04 81 31 32 33 | FF 06 00 01 80 30 36 31 32 |"),
         0x81, "123", 0x01, 0x80, "0612", 3, 2},
        {"cut before its trailing structs",
         std::vector<std::uint8_t>(full.begin(), full.begin() + 8 + 6 + 5 + 7), 0x81, "123", 0x01,
         0x80, "0612", 0, 0},
        {"TotalLength ends before its trailing structs",
         ConnectInd("04 81 31 32 33 | 06 01 80 30 36 31 32 |", kTrailing, 8 + 6 + 5 + 7), 0x81,
         "123", 0x01, 0x80, "0612", 0, 0},
        {"calling number prefix points past the end",
         ConnectInd("04 81 31 32 33 | 30 01 80 30 36 31 32 |"), 0x81, "123", 0, 0, "", 0, 0},
        {"long-form prefix cut off at the end", ConnectInd("04 81 31 32 33 | FF 06", ""), 0x81,
         "123", 0, 0, "", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CheckDecode(c.raw), std::nullopt);
        const auto ind = DecodeAs<TConnectInd>(c.raw);
        ASSERT_TRUE(ind);
        EXPECT_EQ(ind->PLCI, 0x101u);
        EXPECT_EQ(ind->CIPValue, 16);
        EXPECT_EQ(ind->CalledPartyNumber->TypeOfNumber, c.calledType);
        EXPECT_EQ(ind->CalledPartyNumber->Digits, c.called);
        EXPECT_EQ(ind->CallingPartyNumber->TypeOfNumber, c.callingType);
        EXPECT_EQ(ind->CallingPartyNumber->Presentation, c.presentation);
        EXPECT_EQ(ind->CallingPartyNumber->Digits, c.calling);
        EXPECT_EQ(ind->CalledPartySubaddress->DataLength(), 0);
        EXPECT_EQ(ind->CallingPartySubaddress->DataLength(), 0);
        EXPECT_EQ(ind->BC->DataLength(), c.bcLength);
        EXPECT_EQ(ind->LLC->DataLength(), 0);
        EXPECT_EQ(ind->HLC->DataLength(), c.hlcLength);
        EXPECT_EQ(ind->AdditionalInfo->DataLength(), 0);
    }
}

TEST(CapiDecode, ConnectIndKeepsItsStructsAsViewsOnItsOwnCopy) {
    auto raw = ConnectInd("04 81 31 32 33 | 06 01 80 30 36 31 32 |");
    const auto ind = DecodeAs<TConnectInd>(raw);
    raw.assign(raw.size(), 0xEE);  // the library may reuse its buffer at once
    EXPECT_EQ(test::ToHex(ind->BC->Bytes()), "03 80 90 A3");
    EXPECT_FALSE(ind->BC->OwnsData());
    EXPECT_EQ(ind->CallingPartyNumber->Digits, "0612");
}

TEST(CapiDecode, IndicationFields) {
    {
        const auto ind = DecodeAs<TDisconnectInd>(Received(kDisconnectInd, "01 01 00 00 | 90 34"));
        EXPECT_EQ(ind->PLCI, 0x101u);
        EXPECT_EQ(ind->Reason, 0x3490);
    }
    {
        const auto ind = DecodeAs<TConnectActiveInd>(
            Received(kConnectActiveInd, "02 01 00 00 | 04 21 80 35 36 | 00 | 01 77"));
        EXPECT_EQ(ind->PLCI, 0x102u);
        EXPECT_EQ(ind->ConnectedNumber->Digits, "56");
        EXPECT_EQ(ind->ConnectedSubaddress->DataLength(), 0);
        EXPECT_EQ(test::ToHex(ind->LLC->Bytes()), "01 77");
    }
    {
        const auto ind = DecodeAs<TInfoInd>(Received(kInfoInd, "01 01 00 00 | 1E 00 | 02 81 82"));
        EXPECT_EQ(ind->InfoNumber, 0x001E);
        EXPECT_EQ(test::ToHex(ind->InfoElement->Bytes()), "02 81 82");
    }
    {
        const auto ind =
            DecodeAs<TFacilityInd>(Received(kFacilityInd, "01 00 00 00 | 03 00 | 01 44"));
        EXPECT_EQ(ind->Address, 1u);
        EXPECT_EQ(ind->FacilitySelector, 3);
        EXPECT_EQ(test::ToHex(ind->FacilityIndicationParameter->Bytes()), "01 44");
    }
    {
        const auto ind =
            DecodeAs<TDisconnectB3Ind>(Received(kDisconnectB3Ind, "01 01 01 00 | 01 33 | 00"));
        EXPECT_EQ(ind->NCCI, 0x10101u);
        EXPECT_EQ(ind->ReasonB3, 0x3301);
        EXPECT_EQ(ind->NCPI->DataLength(), 0);
    }
    for (const std::uint16_t word :
         {kConnectB3Ind, kConnectB3ActiveInd, kResetB3Ind, kConnectB3T90ActiveInd}) {
        SCOPED_TRACE(word);
        const auto raw = Received(word, "01 01 01 00 | 02 0A 0B");
        const auto message = CreateCapiMessage(raw);
        const Parameters p = DecodeParameters(*message);
        EXPECT_EQ(p.Dword(0), 0x10101u);
        EXPECT_EQ(test::ToHex(p[1].data->Bytes()), "02 0A 0B");
    }
    EXPECT_EQ(DecodeAs<TConnectB3Ind>(Received(kConnectB3Ind, "01 01 01 00 | 00"))->NCCI, 0x10101u);
}

TEST(CapiDecode, DataB3IndIn64And32BitForm) {
    const auto wide = DecodeAs<TDataB3Ind>(Received(
        kDataB3Ind, "01 01 01 00 | 00 00 00 00 | 80 00 | 05 00 | 01 00 | 08 07 06 05 04 03 02 01"));
    EXPECT_EQ(wide->NCCI, 0x10101u);
    EXPECT_EQ(wide->Data, 0u);
    EXPECT_EQ(wide->DataLength, 0x80);
    EXPECT_EQ(wide->DataHandle, 5);
    EXPECT_EQ(wide->Flags, 1);
    EXPECT_EQ(wide->Data64, 0x0102030405060708u);

    // A sender on a 32-bit system stops after Flags; Data64 is then missing and 0.
    const auto narrow = DecodeAs<TDataB3Ind>(
        Received(kDataB3Ind, "01 01 01 00 | 44 33 22 11 | 10 00 | 06 00 | 00 00"));
    EXPECT_EQ(narrow->Data, 0x11223344u);
    EXPECT_EQ(narrow->DataHandle, 6);
    EXPECT_EQ(narrow->Data64, 0u);
}

TEST(CapiDecode, ConfirmationsCarryAddressAndInfo) {
    for (const std::uint16_t word :
         {kListenConf, kAlertConf, kConnectConf, kDisconnectConf, kInfoConf, kSelectBProtocolConf,
          kConnectB3Conf, kDisconnectB3Conf, kResetB3Conf}) {
        SCOPED_TRACE(word);
        const auto message = CreateCapiMessage(Received(word, "01 01 00 00 | 01 20", -1, 9));
        const auto* conf = dynamic_cast<const TCapiConfirmation*>(message.get());
        ASSERT_NE(conf, nullptr);
        EXPECT_EQ(conf->Address, 0x101u);
        EXPECT_EQ(conf->Info, 0x2001);
        EXPECT_EQ(conf->Header.MessageNumber, 9);
    }

    const auto facility =
        DecodeAs<TFacilityConf>(Received(kFacilityConf, "01 00 00 00 | 0B 30 | 03 00 | 00"));
    EXPECT_EQ(facility->Address, 1u);
    EXPECT_EQ(facility->Info, 0x300B);
    EXPECT_EQ(facility->FacilitySelector, 3);

    // The Info of DATA_B3_CONF follows the data handle.
    const auto data = DecodeAs<TDataB3Conf>(Received(kDataB3Conf, "01 01 01 00 | 05 00 | 0C 30"));
    EXPECT_EQ(data->Address, 0x10101u);
    EXPECT_EQ(data->DataHandle, 5);
    EXPECT_EQ(data->Info, 0x300C);

    // A confirmation cut inside its Info word has none.
    const auto cut = DecodeAs<TListenConf>(Received(kListenConf, "01 00 00 00 | 01"));
    EXPECT_EQ(cut->Address, 1u);
    EXPECT_EQ(cut->Info, 0);
}

TEST(CapiDecode, FactoryClassForEveryCommandWord) {
    struct Case {
        std::uint16_t word;
        std::type_index type;
    };
    const Case cases[] = {
        {kListenConf, typeid(TListenConf)},
        {kAlertConf, typeid(TAlertConf)},
        {kConnectConf, typeid(TConnectConf)},
        {kConnectInd, typeid(TConnectInd)},
        {kConnectActiveInd, typeid(TConnectActiveInd)},
        {kDisconnectConf, typeid(TDisconnectConf)},
        {kDisconnectInd, typeid(TDisconnectInd)},
        {kInfoConf, typeid(TInfoConf)},
        {kInfoInd, typeid(TInfoInd)},
        {kSelectBProtocolConf, typeid(TSelectBProtocolConf)},
        {kFacilityConf, typeid(TFacilityConf)},
        {kFacilityInd, typeid(TFacilityInd)},
        {kConnectB3Conf, typeid(TConnectB3Conf)},
        {kConnectB3Ind, typeid(TConnectB3Ind)},
        {kConnectB3ActiveInd, typeid(TConnectB3ActiveInd)},
        {kDisconnectB3Conf, typeid(TDisconnectB3Conf)},
        {kDisconnectB3Ind, typeid(TDisconnectB3Ind)},
        {kDataB3Conf, typeid(TDataB3Conf)},
        {kDataB3Ind, typeid(TDataB3Ind)},
        {kResetB3Conf, typeid(TResetB3Conf)},
        {kResetB3Ind, typeid(TResetB3Ind)},
        {kConnectB3T90ActiveInd, typeid(TConnectB3T90ActiveInd)},
        // Words outside the table, and requests and responses coming back, stay plain.
        {0x0682, typeid(TCapiMessage)},
        {0xFF82, typeid(TCapiMessage)},
        {kConnectResp, typeid(TCapiMessage)},
        {kListenReq, typeid(TCapiMessage)},
        {0x0284, typeid(TCapiMessage)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        const auto message = CreateCapiMessage(Received(c.word, "01 01 00 00 00 00 00 00"));
        const TCapiMessage& decoded = *message;
        EXPECT_EQ(std::type_index(typeid(decoded)), c.type);
        EXPECT_EQ(message->Header.GetCommand(), c.word);
    }
}

TEST(CapiDecode, TooShortForAnyParameterStaysPlain) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> raw;
        std::size_t kept;
        bool decoded;
    };
    const auto twelve = Received(kDisconnectInd, "01 01 00 00");
    const Case cases[] = {
        {"TotalLength 12", twelve, 12, true},
        {"TotalLength 11", Received(kDisconnectInd, "01 01 00 00", 11), 11, false},
        {"TotalLength 0", Received(kDisconnectInd, "01 01 00 00", 0), 0, false},
        {"12 claimed, 11 received", std::vector<std::uint8_t>(twelve.begin(), twelve.end() - 1), 11,
         false},
        {"header cut", std::vector<std::uint8_t>(twelve.begin(), twelve.begin() + 5), 5, false},
        {"nothing", {}, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CheckDecode(c.raw), std::nullopt);
        const auto message = CreateCapiMessage(c.raw);
        const TCapiMessage& decoded = *message;
        EXPECT_EQ(decoded.Buffer().size(), c.kept);
        EXPECT_EQ(typeid(decoded) != typeid(TCapiMessage), c.decoded);
    }
    const auto disconnect = DecodeAs<TDisconnectInd>(twelve);
    EXPECT_EQ(disconnect->PLCI, 0x101u);
    EXPECT_EQ(disconnect->Reason, 0);
}

TEST(CapiDecode, HeaderFieldsAndBoundedReads) {
    auto raw = Received(kConnectB3Ind, "01 01 01 00 | 00 | 99 99", 13, 0x0304);
    raw[2] = 0x22;
    raw[3] = 0x11;
    auto message = CreateCapiMessage(raw);
    EXPECT_EQ(message->Header.TotalLength, 13);
    EXPECT_EQ(message->Header.ApplID, 0x1122);
    EXPECT_EQ(message->Header.Command, kConnectB3);
    EXPECT_EQ(message->Header.Subcommand, kInd);
    EXPECT_EQ(message->Header.MessageNumber, 0x0304);
    EXPECT_EQ(message->Buffer().size(), 13u);  // the two bytes past TotalLength are not kept

    std::uint8_t dword[4];
    message->Read(dword, 4);
    EXPECT_EQ(test::ToHex(dword), "01 01 01 00");
    message->Read(dword, 4);  // one byte left
    EXPECT_EQ(test::ToHex(dword), "00 00 00 00");
    EXPECT_EQ(message->Cursor(), 12u);
}

}  // namespace
}  // namespace capi
