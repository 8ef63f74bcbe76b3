#include "platform/os/command_line.h"

#include <gtest/gtest.h>

namespace os {
namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, WindowsRules) {
    struct Case {
        const char* line;
        Args expected;
    };
    const Case cases[] = {
        {"prog a b", {"prog", "a", "b"}},
        {"  prog \t a\tb  ", {"prog", "a", "b"}},
        {"", {}},
        {" \t ", {}},
        // the program name: to its closing quote, or to the first blank; backslashes as they stand
        {R"("C:\Program Files\x.exe" a)", {R"(C:\Program Files\x.exe)", "a"}},
        {R"(C:\Program Files\x.exe a)", {R"(C:\Program)", R"(Files\x.exe)", "a"}},
        {R"("a b"c d)", {"a b", "c", "d"}},
        {R"("prog\"x)", {R"(prog\)", "x"}},
        {R"(pr"o g)", {R"(pr"o)", "g"}},
        {R"("" x)", {"", "x"}},
        {R"("unclosed name)", {"unclosed name"}},
        // quotes toggle and may sit inside an argument
        {R"(p "a b" c)", {"p", "a b", "c"}},
        {R"(p a"b c"d)", {"p", "ab cd"}},
        {R"(p "unclosed arg)", {"p", "unclosed arg"}},
        // backslashes before a quote
        {R"(p \"a)", {"p", R"("a)"}},
        {R"(p \\"a b")", {"p", R"(\a b)"}},
        {R"(p \\\"a)", {"p", R"(\"a)"}},
        {R"(p \\\\"a b")", {"p", R"(\\a b)"}},
        {R"(p "a\"b")", {"p", R"(a"b)"}},
        // other backslashes are literal, trailing ones too
        {R"(p a\\b c\d e\)", {"p", R"(a\\b)", R"(c\d)", R"(e\)"}},
        // empty arguments and doubled quotes inside quotes
        {R"(p "" x "")", {"p", "", "x", ""}},
        {R"(p "a""b")", {"p", R"(a"b)"}},
        {R"(p """")", {"p", R"(")"}},
        {R"(p "a"" b")", {"p", R"(a" b)"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitCommandLine(c.line), c.expected) << "line: " << c.line;
    }
}

TEST(SplitArguments, HasNoProgramNameRule) {
    EXPECT_EQ(SplitArguments(R"("a"b c)"), (Args{"ab", "c"}));
    EXPECT_EQ(SplitCommandLine(R"("a"b c)"), (Args{"a", "b", "c"}));
    EXPECT_EQ(SplitArguments(R"(x\"y "q\\" z)"), (Args{R"(x"y)", R"(q\)", "z"}));
    EXPECT_EQ(SplitArguments("%m@%t@%v@%n@%s@%c@%p"), (Args{"%m@%t@%v@%n@%s@%c@%p"}));
    EXPECT_EQ(SplitArguments(""), Args{});
}

TEST(SplitCommandLine, MapsEachCharacterToItsOrigin) {
    //                 0123456789012345
    const auto args = SplitCommandLineMapped(R"("p q" a"b"\\"c")");
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(args[0].text, "p q");
    EXPECT_EQ(args[0].origin, (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_EQ(args[0].begin, 0u);
    EXPECT_EQ(args[0].end, 5u);
    EXPECT_EQ(args[1].text, R"(ab\c)");
    EXPECT_EQ(args[1].origin, (std::vector<std::size_t>{6, 8, 10, 13}));
    EXPECT_EQ(args[1].begin, 6u);
    EXPECT_EQ(args[1].end, 15u);

    const auto empty = SplitArgumentsMapped(R"(x "" y)");
    ASSERT_EQ(empty.size(), 3u);
    EXPECT_TRUE(empty[1].text.empty());
    EXPECT_EQ(empty[1].begin, 2u);
    EXPECT_EQ(empty[1].end, 4u);
}

}  // namespace
}  // namespace os
