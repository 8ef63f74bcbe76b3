#include "platform/outlook/content_line.h"

#include <gtest/gtest.h>

#include "platform/rtl/text_encoding.h"

namespace outlook {
namespace {

TEST(ContentLine, FoldsAt75OctetsAndUnfoldsBackWithoutSplittingACharacter) {
    const std::string cases[] = {
        "NOTE:" + std::string(200, 'a'),
        "NOTE:" +
            [] {
                std::string s;
                for (int i = 0; i < 90; ++i)
                    s += "\xC3\xA9";  // é
                return s;
            }(),
        "FN:x" + std::string(70, 'b') + "\xE2\x82\xAC" + std::string(10, 'c'),  // € at the edge
        "FN:short",
    };
    for (const std::string& line : cases) {
        const std::string folded = FoldLine(line);
        std::size_t pos = 0;
        while (pos < folded.size()) {
            const std::size_t end = folded.find("\r\n", pos);
            ASSERT_NE(end, std::string::npos) << line;
            const std::string physical = folded.substr(pos, end - pos);
            EXPECT_LE(physical.size(), 75u) << line;
            EXPECT_TRUE(rtl::IsValidUtf8(physical)) << line;
            pos = end + 2;
        }
        const auto unfolded = UnfoldLines(folded);
        ASSERT_EQ(unfolded.size(), 1u);
        EXPECT_EQ(unfolded[0], line);
    }
}

TEST(ContentLine, UnfoldsLfOnlyFilesAndTabContinuations) {
    const auto lines = UnfoldLines("BEGIN:VCARD\nNOTE:ab\n\tcd\n cd\n\nEND:VCARD");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "NOTE:abcdcd");
}

TEST(ContentLine, ParsesGroupsParametersAndQuotedValues) {
    const auto line = ParseContentLine("item1.TEL;type=HOME,voice;X-A=\"a;b:c\":+31 20-1;2");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->group, "item1");
    EXPECT_TRUE(line->NameIs("TEL"));
    EXPECT_TRUE(line->HasParamValue("TYPE", "home"));
    EXPECT_TRUE(line->HasParamValue("type", "VOICE"));
    EXPECT_EQ(line->ParamValues("X-A"), std::vector<std::string>{"a;b:c"});
    EXPECT_EQ(line->value, "+31 20-1;2");
    EXPECT_EQ(ComposeContentLine(*line), "item1.TEL;type=HOME,voice;X-A=\"a;b:c\":+31 20-1;2");

    ContentLine changed = *line;
    changed.SetParam("X-BELVERIN-FIELD", "hometelephonenumber");
    EXPECT_EQ(ComposeContentLine(changed),
              "item1.TEL;type=HOME,voice;X-A=\"a;b:c\";X-BELVERIN-FIELD=hometelephonenumber:"
              "+31 20-1;2");

    for (const char* bad : {"", "NOVALUE", ":value", "A;=x:y", "A;P=\"open:y", "A B:c"}) {
        EXPECT_FALSE(ParseContentLine(bad)) << bad;
    }
}

TEST(ContentLine, TextEscapingRoundTrips) {
    const std::string text = "a,b;c\\d\nnext";
    EXPECT_EQ(EscapeText(text), "a\\,b\\;c\\\\d\\nnext");
    EXPECT_EQ(UnescapeText(EscapeText(text)), text);
    EXPECT_EQ(EscapeText("x\r\ny"), "x\\ny");
    EXPECT_EQ(SplitValue("Jansen;Piet\\;Paul;;", ';'),
              (std::vector<std::string>{"Jansen", "Piet;Paul", "", ""}));
    EXPECT_EQ(JoinValue({"Werk", ""}, ','), "Werk,");
}

}  // namespace
}  // namespace outlook
