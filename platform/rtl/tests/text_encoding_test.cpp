#include "platform/rtl/text_encoding.h"

#include <gtest/gtest.h>

namespace rtl {
namespace {

TEST(TextEncoding, AllBytesRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    const std::string utf8 = Cp1252ToUtf8(all);
    EXPECT_TRUE(IsValidUtf8(utf8));
    EXPECT_EQ(Utf8ToCp1252(utf8), all);
}

TEST(TextEncoding, KnownCharacters) {
    struct Case {
        std::string cp1252;
        std::string utf8;
    };
    const Case cases[] = {
        {"M\xFCller", "M\xC3\xBCller"},                                        // ü
        {"Twee\xEB", "Twee\xC3\xAB"},                                          // ë
        {"\x80", "\xE2\x82\xAC"},                                              // euro sign
        {"\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},  // undefined bytes
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cp1252ToUtf8(c.cp1252), c.utf8);
        EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252);
    }
}

TEST(TextEncoding, UnrepresentableAndMalformedBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1252("a\xE2\x98\x83z"), "a?z");  // snowman
    EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x98\x80"), "?");  // emoji
    EXPECT_EQ(Utf8ToCp1252("x\xFFy"), "x?y");          // not UTF-8 at all
    EXPECT_EQ(Utf8ToCp1252("\xC3"), "?");              // cut short
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));             // overlong
}

// Exactly the characters the conversion would turn into "?", each named once.
TEST(TextEncoding, UnholdableCharactersAreNamedOnce) {
    struct Case {
        std::string utf8;
        std::u32string expected;
    };
    const Case cases[] = {
        {"Zo\xC3\xAB \xE2\x82\xAC 5, \xC5\x93uvre", U""},  // ë, € and œ are in the code page
        {"\xC2\x81\xC2\x9D", U""},                         // so are the five undefined bytes
        {"", U""},
        {"a\xF0\x9F\x98\x80z", U"\U0001F600"},  // emoji
        {"\xE2\x98\x83\xF0\x9F\x98\x80\xE2\x98\x83!\xF0\x9F\x98\x80", U"\u2603\U0001F600"},
        {"\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD", U"\U0001F44D\U0001F3FD"},  // thumb, skin tone
        {"\xCE\xA9\xE2\x80\x8D", U"\u03A9\u200D"},  // omega, an invisible joiner
        {"x\xFFy\xC3", U"\uFFFD"},                  // malformed, twice
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cp1252Unholdable(c.utf8), c.expected) << c.utf8;
        EXPECT_EQ(c.expected.empty(), Utf8ToCp1252(c.utf8).find('?') == std::string::npos)
            << c.utf8;
    }
}

TEST(TextEncoding, Utf8LeftCountsCharacters) {
    struct Case {
        std::string text;
        std::size_t count;
        std::string expected;
    };
    const Case cases[] = {
        {"abcdef", 3, "abc"},
        {"abc", 3, "abc"},
        {"ab", 5, "ab"},
        {"", 2, ""},
        {"abc", 0, ""},
        {"\xC3\xABxyz", 2, "\xC3\xABx"},  // a two-byte character counts once
        {"a\xE2\x82\xAC"
         "b",
         2, "a\xE2\x82\xAC"},  // so does a three-byte one
        {"a\xE2\x82\xAC"
         "b",
         1, "a"},  // and it is never cut in two
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8Left(c.text, c.count), c.expected) << c.text << " " << c.count;
    }
}

}  // namespace
}  // namespace rtl
