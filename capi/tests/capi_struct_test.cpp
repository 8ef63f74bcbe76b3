#include "capi/capi_struct.h"

#include <gtest/gtest.h>

#include <numeric>

#include "capi/capi_error.h"
#include "capi/tests/test_bytes.h"

namespace capi {
namespace {

using test::Hex;

std::vector<std::uint8_t> Counting(std::size_t n) {
    std::vector<std::uint8_t> content(n);
    std::iota(content.begin(), content.end(), std::uint8_t{1});
    return content;
}

TEST(CapiStruct, LengthPrefixShortAndLongForm) {
    struct Case {
        std::size_t content;
        std::vector<std::uint8_t> prefix;
    };
    const Case cases[] = {
        {0, {0x00}},
        {1, {0x01}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},  // the long form begins here
        {300, {0xFF, 0x2C, 0x01}},
        {65535, {0xFF, 0xFF, 0xFF}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        const auto content = Counting(c.content);
        const auto s = TStruct::CreateWith(content);
        const auto bytes = s->Bytes();
        ASSERT_EQ(s->StructSize(), c.prefix.size() + c.content);
        EXPECT_EQ(s->DataLength(), c.content);
        EXPECT_TRUE(std::equal(c.prefix.begin(), c.prefix.end(), bytes.begin()));
        EXPECT_TRUE(std::equal(content.begin(), content.end(), bytes.begin() + c.prefix.size()));

        // The same bytes read back as a view give the same content.
        const auto view = TStruct::CreateFrom(bytes);
        EXPECT_FALSE(view->OwnsData());
        EXPECT_EQ(view->DataLength(), c.content);
        EXPECT_EQ(view->Bytes().data(), bytes.data());
    }
}

TEST(CapiStruct, EmptyStructIsOneZeroOctet) {
    for (const auto& s : {TStruct::CreateEmpty(), std::make_unique<TStruct>()}) {
        EXPECT_EQ(test::ToHex(s->Bytes()), "00");
        EXPECT_EQ(s->StructSize(), 1u);
        EXPECT_EQ(s->DataLength(), 0);
        EXPECT_TRUE(s->OwnsData());
    }
    EXPECT_EQ(test::ToHex(StructBytes(nullptr)), "00");
}

TEST(CapiStruct, ContentBeyond16BitsIsRefused) {
    TStruct s;
    EXPECT_THROW(s.Allocate(65536), ECapiError);
    EXPECT_NO_THROW(s.Allocate(65535));
}

TEST(CapiStruct, WritePastTheAllocationOrIntoAViewIsRefused) {
    TStruct s;
    s.Allocate(2);
    const std::uint8_t three[] = {1, 2, 3};
    EXPECT_THROW(s.Write(three, 3), ECapiError);
    s.Write(three, 2);
    EXPECT_THROW(s.Write(three, 1), ECapiError);
    s.Write(three, 0);  // nothing to write is never an error
    EXPECT_EQ(test::ToHex(s.Bytes()), "02 01 02");

    TStruct none;  // no bytes allocated yet
    EXPECT_THROW(none.Write(three, 1), ECapiError);

    const auto received = Hex("02 AA BB");
    const auto view = TStruct::CreateFrom(received);
    EXPECT_THROW(view->Write(three, 1), ECapiError);
}

TEST(CapiStruct, ReadPastTheContentGivesZerosAndKeepsTheCursor) {
    const auto received = Hex("03 11 22 33 44");  // 44 lies beyond the struct
    const auto s = TStruct::CreateFrom(received);
    std::uint8_t two[2] = {0xEE, 0xEE};
    s->Read(two, 2);
    EXPECT_EQ(test::ToHex(two), "11 22");
    EXPECT_EQ(s->ReadCount(), 2);
    s->Read(two, 2);  // only one byte left
    EXPECT_EQ(test::ToHex(two), "00 00");
    EXPECT_EQ(s->ReadCount(), 2);
    std::uint8_t one = 0;
    s->Read(&one, 1);
    EXPECT_EQ(one, 0x33);
    EXPECT_EQ(s->SeekStart(), 3);
    EXPECT_EQ(s->ReadCount(), 0);
    s->Read(&one, 1);
    EXPECT_EQ(one, 0x11);
}

TEST(CapiStruct, ViewOnReceivedBytesStaysInsideThem) {
    struct Case {
        const char* name;
        const char* bytes;
        std::size_t size;  // StructSize
        bool view;         // false: the empty struct stands in
    };
    const Case cases[] = {
        {"nothing left", "", 1, false},
        {"empty", "00", 1, true},
        {"exact", "02 41 42", 3, true},
        {"more bytes follow", "01 41 42 43", 2, true},
        {"length past the end", "05 41 42", 1, false},
        {"long prefix cut short", "FF 01", 1, false},
        {"long length past the end", "FF 00 01 41", 1, false},
        {"long form of a short length", "FF 02 00 41 42", 5, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto received = Hex(c.bytes);
        const auto s = TStruct::CreateFrom(received);
        EXPECT_EQ(s->StructSize(), c.size);
        EXPECT_EQ(!s->OwnsData(), c.view);
        EXPECT_EQ(StructExtent(received).has_value(), c.view);
        if (c.view) {
            EXPECT_EQ(s->Bytes().data(), received.data());
        }
    }
}

TEST(CapiStruct, NumberStructsBuildTheirOctetsAndDigits) {
    EXPECT_EQ(test::ToHex(TCallingPartyNumber(0x01, 0x80, "0612").Bytes()), "06 01 80 30 36 31 32");
    EXPECT_EQ(test::ToHex(TCallingPartyNumber(0x00, 0x80, "").Bytes()), "02 00 80");
    EXPECT_EQ(test::ToHex(TCallingPartySubAddress(0x80, "").Bytes()), "01 80");
    EXPECT_EQ(test::ToHex(TCallingPartySubAddress(0x81, "12").Bytes()), "03 81 31 32");
}

TEST(CapiStruct, NumberStructsDecodeDigitsExactlyAsReceived) {
    struct Case {
        const char* name;
        const char* bytes;
        std::uint8_t type;
        std::uint8_t presentation;
        std::string digits;
    };
    const Case cases[] = {
        {"absent", "", 0, 0, ""},
        {"empty", "00", 0, 0, ""},
        {"type octet only", "01 21", 0x21, 0, ""},
        {"both octets only", "02 21 80", 0x21, 0x80, ""},
        {"digits", "05 21 80 31 32 33", 0x21, 0x80, "123"},
        {"bytes that are no digits", "05 00 80 00 FF 25", 0, 0x80, std::string("\0\xFF%", 3)},
        {"long form", "FF 04 00 01 03 39 38", 0x01, 0x03, "98"},
        {"length past the end", "09 01 80 31", 0, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto bytes = Hex(c.bytes);
        const auto n = TCallingPartyNumber::CreateFrom(bytes);
        EXPECT_EQ(n->TypeOfNumber, c.type);
        EXPECT_EQ(n->Presentation, c.presentation);
        EXPECT_EQ(n->Digits, c.digits);
    }
}

TEST(CapiStruct, SubAddressStructsDecodeOneOctetThenDigits) {
    struct Case {
        const char* name;
        const char* bytes;
        std::uint8_t type;
        std::string digits;
    };
    const Case cases[] = {
        {"absent", "", 0, ""},
        {"empty", "00", 0, ""},
        {"type octet only", "01 81", 0x81, ""},
        {"digits", "04 81 31 32 33", 0x81, "123"},
        {"length past the end", "04 81 31", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto bytes = Hex(c.bytes);
        const auto a = TCallingPartySubAddress::CreateFrom(bytes);
        EXPECT_EQ(a->TypeOfNumber, c.type);
        EXPECT_EQ(a->Digits, c.digits);
    }
}

TEST(CapiStruct, BProtocolWritesWordsThenWholeConfigStructs) {
    const TBProtocol plain(1, 1, 0);
    EXPECT_EQ(test::ToHex(plain.Bytes()), "09 01 00 01 00 00 00 00 00 00");
    EXPECT_EQ(plain.StructSize(), 10u);

    const TBProtocol configured(0x0102, 2, 3, TStruct::CreateWith(Hex("AA")), nullptr,
                                TStruct::CreateWith(Hex("BB CC")));
    const auto bytes = configured.Bytes();
    EXPECT_EQ(test::ToHex(bytes), "0C 02 01 02 00 03 00 01 AA 00 02 BB CC");

    const auto decoded = TBProtocol::CreateFrom(bytes);
    EXPECT_EQ(decoded->B1, 0x0102);
    EXPECT_EQ(decoded->B2, 2);
    EXPECT_EQ(decoded->B3, 3);
    EXPECT_EQ(test::ToHex(decoded->B1Config->Bytes()), "01 AA");
    EXPECT_EQ(test::ToHex(decoded->B2Config->Bytes()), "00");
    EXPECT_EQ(test::ToHex(decoded->B3Config->Bytes()), "02 BB CC");
}

TEST(CapiStruct, BProtocolConfigRunningPastItsStructIsEmpty) {
    // The B1 configuration claims 5 bytes, but the B protocol struct holds only one more.
    const auto bytes = Hex("08 01 00 01 00 00 00 05 AA | 03 BB CC DD");
    const auto decoded = TBProtocol::CreateFrom(bytes);
    EXPECT_EQ(decoded->B1, 1);
    EXPECT_EQ(decoded->B1Config->DataLength(), 0);
    EXPECT_EQ(decoded->B2Config->DataLength(), 0);
    EXPECT_EQ(decoded->B3Config->DataLength(), 0);
}

TEST(CapiStruct, BProtocolBeyond16BitsIsRefused) {
    EXPECT_THROW(TBProtocol(1, 1, 0, TStruct::CreateWith(Counting(65530))), ECapiError);
}

}  // namespace
}  // namespace capi
