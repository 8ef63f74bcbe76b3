#include "monitor/caller_template.h"

#include <gtest/gtest.h>

namespace monitor {
namespace {

telefoonrecordtype Caller() {
    telefoonrecordtype r;
    r.datum = "2024-03-05";
    r.tijd = "09:07:04";
    r.nummer = "0201234567";
    r.voornaam = "Jan";
    r.naam = "Smit";
    r.aanhangsel = "";
    r.straat = "Dorpsstraat 1";
    r.postcode = "1234 AB";
    r.plaats = "  Amsterdam \t";
    r.soort = "Speech (1)";
    r.msn = "123456";
    r.zoekstatus = "In de Klapper gevonden";
    r.extra = "Vaste klant";
    r.omschr = "not reachable";
    r.reserve = "not reachable";
    return r;
}

TEST(CallerTemplate, ExpandsAsTheRulesSay) {
    const std::string x600(600, 'x');
    const std::string x500(500, 'x');
    std::string e600;
    std::string e500;
    for (int i = 0; i < 600; ++i) {
        e600 += "\xC3\xAB";
        if (i < 500) {
            e500 += "\xC3\xAB";
        }
    }
    struct Case {
        const char* what;
        std::string sjabloon;
        std::string expected;
    };
    const Case cases[] = {
        {"the default caller line keeps the separators of an empty field",
         "%h - %t - %v, %n, %a - %g - %m -%z",
         "09:07:04 - 0201234567 - Jan, Smit,  - Speech (1) - 123456 -In de Klapper gevonden"},
        {"every placeholder", "%d|%h|%t|%v|%n|%a|%s|%c|%p|%g|%m|%z|%x",
         "2024-03-05|09:07:04|0201234567|Jan|Smit||Dorpsstraat 1|1234 AB|Amsterdam|Speech "
         "(1)|123456|In de Klapper gevonden|Vaste klant"},
        {"only the first occurrence", "%n en %n", "Smit en %n"},
        {"values are trimmed", "[%p]", "[Amsterdam]"},
        {"dash gives nothing", "-", ""},
        {"empty gives nothing", "", ""},
        {"no placeholders: unchanged", "Gebeld door iemand", "Gebeld door iemand"},
        {"other pairs stay", "%o %T %t 100%", "%o %T 0201234567 100%"},
        {"a percent before a placeholder stays", "%%t", "%0201234567"},
        {"text after a placeholder is cut to 500", "%t" + x600, "0201234567" + x500},
        {"text before it is not", x600 + "%t", x600 + "0201234567"},
        {"the cut counts characters", "%t" + e600, "0201234567" + e500},
        {"a placeholder beyond the cut is gone", "%d" + x600 + "%t", "2024-03-05" + x500},
        {"dash inside a template is text", "%v - %n", "Jan - Smit"},
    };
    const telefoonrecordtype caller = Caller();
    for (const auto& c : cases) {
        EXPECT_EQ(bellersstringmaken(c.sjabloon, &caller), c.expected) << c.what;
    }
}

TEST(CallerTemplate, InsertedValuesMeetLaterPlaceholdersOnly) {
    telefoonrecordtype caller = Caller();
    caller.naam = "Smit %p";  // %p comes after %n in the order
    EXPECT_EQ(bellersstringmaken("%n", &caller), "Smit Amsterdam");
    caller.naam = "Smit %t";  // %t came before %n: stays
    EXPECT_EQ(bellersstringmaken("%n / %t", &caller), "Smit %t / 0201234567");
    caller.naam = "%n";  // the same placeholder is not searched again
    EXPECT_EQ(bellersstringmaken("%n", &caller), "%n");
}

TEST(CallerTemplate, SourceChoosesTheRecord) {
    const telefoonrecordtype saved_in = inkomendebeller;
    const telefoonrecordtype saved_cur = huidigebeller;
    inkomendebeller = Caller();
    inkomendebeller.nummer = "111";
    huidigebeller = Caller();
    huidigebeller.nummer = "222";
    struct Case {
        std::string bron;
        std::string expected;
    };
    const Case cases[] = {
        {"bel", "222-Smit"}, {"cap", "111-Smit"}, {"xyz", "-"}, {"", "-"}, {"BEL", "-"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bellersstringmaken("%t-%n", c.bron), c.expected) << c.bron;
    }
    EXPECT_EQ(bellersstringmaken("-", "bel"), "");
    inkomendebeller = saved_in;
    huidigebeller = saved_cur;
}

TEST(CallerTemplate, FindPlaceholdersGivesEachFirstOccurrenceInTheTemplate) {
    telefoonrecordtype caller = Caller();
    caller.naam = " Smit %t ";
    const std::string sjabloon = "\"/opt/x y/prog\" \"%t\" %n --naam=%n %o %p";
    const auto matches = FindPlaceholders(sjabloon, &caller);
    const std::vector<PlaceholderMatch> expected = {
        {17, 2, "0201234567", 2},
        {21, 2, "Smit %t", 4},
        {37, 2, "Amsterdam", 8},
    };
    EXPECT_EQ(matches, expected);
    // Values go in whole and are not searched again; the second %n stays.
    EXPECT_EQ(ReplacePlaceholders(sjabloon, matches),
              "\"/opt/x y/prog\" \"0201234567\" Smit %t --naam=%n %o Amsterdam");

    EXPECT_TRUE(FindPlaceholders("-", &caller).empty());
    EXPECT_TRUE(FindPlaceholders("", &caller).empty());
    EXPECT_TRUE(FindPlaceholders("geen", &caller).empty());
    const auto without = FindPlaceholders("%t=%n", nullptr);
    ASSERT_EQ(without.size(), 2u);
    EXPECT_EQ(ReplacePlaceholders("%t=%n", without), "=");
    // No cut: a long tail stays whole.
    const std::string tail(700, 'y');
    EXPECT_EQ(ReplacePlaceholders("%t" + tail, FindPlaceholders("%t" + tail, &caller)),
              "0201234567" + tail);
}

TEST(CallerTemplate, ReplacePlaceholdersSkipsMatchesOfAnotherTemplate) {
    const std::vector<PlaceholderMatch> bad = {{1, 2, "A"}, {2, 2, "B"}, {50, 2, "C"}};
    EXPECT_EQ(ReplacePlaceholders("x%ty", bad), "xAy");
}

}  // namespace
}  // namespace monitor
