#include "capi/capi_texts.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "capi/capi_error.h"

namespace capi {
namespace {

TEST(CapiTexts, InfoAndReasonValues) {
    struct Case {
        std::uint32_t value;
        const char* text;
    };
    const Case cases[] = {
        {0x0000, "OK"},
        {0x1001, "too many applications ($1001)"},
        {0x1006, "unknown error ($1006)"},
        {0x1102, "illegal command or subcommand or message length less than 12 octets ($1102)"},
        {0x2006, "no FAX resources available(protocol T.30) ($2006)"},
        {0x3304, "Another application got that call ($3304)"},
        {0x3490, "Normal call clearing ($3490)"},
        {0x34A2, "No circuit / channel available ($34A2)"},
        {0x34FF, "Interworking, unspecified ($34FF)"},
        {0x00FF, "unknown error ($00FF)"},  // four digits, upper case
        {0x9002, "unknown error ($9002)"},  // binding states have their own texts
        {0xFFFF, "unknown error ($FFFF)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CapiInfoText(c.value), c.text) << std::hex << c.value;
    }
}

TEST(CapiTexts, LibraryValues11xxRepeatTheir10xxTexts) {
    for (std::uint32_t v = 0x1007; v <= 0x100B; ++v) {
        const std::string low = CapiInfoText(v);
        const std::string high = CapiInfoText(v + 0x100);
        ASSERT_NE(low.rfind("unknown error", 0), 0u) << std::hex << v;
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, " ($%04X)", v + 0x100);
        EXPECT_EQ(high, low.substr(0, low.size() - 8) + suffix);  // low without " ($10xx)"
    }
    EXPECT_EQ(CapiInfoText(0x110A), "Controller does not support external equipment ($110A)");
}

TEST(CapiTexts, CipValues) {
    struct Case {
        std::uint32_t cip;
        const char* text;
    };
    const Case cases[] = {
        {0, "no predefined profile"},
        {1, "speech"},
        {9, "unrestricted digital information with tones/announcements"},
        {10, ""},
        {15, ""},
        {16, "telephony"},
        {19, "Teletex service (basic and mixed), fax group 4 class 2"},
        {28, "Video Telephony F.721, second connection"},
        {29, ""},
        {0x10000, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CipValueText(c.cip), c.text) << c.cip;
    }
}

TEST(CapiTexts, BindingStatus) {
    EXPECT_EQ(CapiDllStatusText(0), "CAPI 2.0 (32 Bit) installed");
    EXPECT_EQ(CapiDllStatusText(1), "CAPI2032.DLL not loaded.");
    EXPECT_EQ(CapiDllStatusText(2), "File \"CAPI2032.DLL\" not found.");
    EXPECT_EQ(CapiDllStatusText(3), "CAPI 2.0 (32 Bit) not installed.");
    EXPECT_EQ(CapiDllStatusText(4), "");
    EXPECT_EQ(CapiDllStatusText(-1), "");
}

TEST(CapiTexts, MessageBufferSize) {
    EXPECT_EQ(CapiMessageBufferSize(1), 2048u);
    EXPECT_EQ(CapiMessageBufferSize(0), 1024u);
    EXPECT_EQ(CapiMessageBufferSize(30), 31744u);
    EXPECT_EQ(CapiMessageBufferSize(4194302), 0xFFFFFC00u);
    EXPECT_THROW(CapiMessageBufferSize(4194303), ECapiError);
}

}  // namespace
}  // namespace capi
