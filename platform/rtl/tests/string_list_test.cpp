#include "platform/rtl/string_list.h"

#include <gtest/gtest.h>

namespace rtl {
namespace {

std::vector<std::string> Lines(const TStringList& list) {
    return list.Items();
}

TEST(TStringList, EditsKeepOrder) {
    TStringList list;
    EXPECT_EQ(list.Add("b"), 0);
    EXPECT_EQ(list.Add("d"), 1);
    list.Insert(0, "a");
    list.Insert(2, "c");
    list.Insert(4, "e");  // at Count: appends
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    list.Delete(1);
    list.SetStrings(0, "A");
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"A", "c", "d", "e"}));
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list[3], "e");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(TStringList, IndexOutsideTheListRaises) {
    TStringList list;
    list.Add("x");
    EXPECT_THROW(list.Strings(1), EStringListError);
    EXPECT_THROW(list.Strings(-1), EStringListError);
    EXPECT_THROW(list.Delete(1), EStringListError);
    EXPECT_THROW(list.Insert(2, "y"), EStringListError);
    EXPECT_THROW(list.SetStrings(1, "y"), EStringListError);
    try {
        list.Strings(5);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (5)");
    }
    EXPECT_EQ(list.Count(), 1);
}

TEST(TStringList, IndexOfIgnoresAsciiCaseUnlessAsked) {
    TStringList list;
    list.SetText("Intro\nTEST\ntest\n\xC3\xABn");
    EXPECT_EQ(list.IndexOf("test"), 1);  // first match
    EXPECT_EQ(list.IndexOf("intro"), 0);
    EXPECT_EQ(list.IndexOf("\xC3\x8BN"), -1);  // only ASCII folds
    EXPECT_EQ(list.IndexOf("tes"), -1);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("test"), 2);
    EXPECT_EQ(list.IndexOf("intro"), -1);
}

TEST(TStringList, NamesAndValues) {
    TStringList list;
    list.SetText("PATH=/data\nempty=\nno equals\nPath=second\nx=a=b");
    EXPECT_EQ(list.Values("path"), "/data");
    EXPECT_EQ(list.Values("empty"), "");
    EXPECT_EQ(list.IndexOfName("empty"), 1);
    EXPECT_EQ(list.IndexOfName("no equals"), -1);
    EXPECT_EQ(list.Values("x"), "a=b");
    EXPECT_EQ(list.Names(4), "x");
    EXPECT_EQ(list.Names(2), "");
}

TEST(TStringList, TextSplitsOnEveryLineEnd) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"\n", {""}},
        {"a\r\r\n", {"a", ""}},
        {"a\n\r", {"a", ""}},  // LF then a lone CR: two line ends
    };
    for (const auto& c : cases) {
        TStringList list;
        list.Add("old");
        list.SetText(c.text);
        EXPECT_EQ(Lines(list), c.lines) << "text: " << ::testing::PrintToString(c.text);
    }
}

TEST(TStringList, TextJoinsWithTheAskedLineEnd) {
    TStringList list;
    list.Add("a");
    list.Add("");
    list.Add("b");
    EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
    EXPECT_EQ(list.Text("\n"), "a\n\nb\n");
    TStringList back;
    back.SetText(list.Text());
    EXPECT_EQ(back, list);
}

}  // namespace
}  // namespace rtl
