#include "platform/rtl/text_case.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/rtl/text_encoding.h"

namespace rtl {
namespace {

TEST(TextCase, FoldsEveryCapitalOfTheCodePage) {
    struct Case {
        std::string text;
        std::string lower;
    };
    const Case cases[] = {
        {"ÉÉN Straat", "één straat"},
        {"ÀÁÂÃÄÅÆÇÈÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞ", "àáâãäåæçèêëìíîïðñòóôõöøùúûüýþ"},
        {"ŠŒŽŸ", "šœžÿ"},
        {"×ß÷€", "×ß÷€"},    // no capitals, or no lower case in the code page
        {"Ǆ Ω Ж", "Ǆ Ω Ж"},  // letters outside the code page stay
        {"a\xFF"
         "B\xC3",
         "a\xFF"
         "b\xC3"},  // malformed bytes pass through
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8LowerCase(c.text), c.lower) << c.text;
    }
}

TEST(TextCase, AgreesWithTheCodePageRoundTrip) {
    // Every Windows-1252 character lower-cased stays a Windows-1252 character.
    for (int b = 0x20; b < 256; ++b) {
        if (b == '?') {
            continue;
        }
        const std::string utf8 = Cp1252ToUtf8(std::string(1, static_cast<char>(b)));
        const std::string lower = Utf8LowerCase(utf8);
        EXPECT_NE(Utf8ToCp1252(lower), "?") << b;
        EXPECT_EQ(Utf8LowerCase(lower), lower) << b;
    }
}

}  // namespace
}  // namespace rtl
