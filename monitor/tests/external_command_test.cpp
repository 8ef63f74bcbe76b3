#include "monitor/external_command.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "monitor/settings.h"
#include "platform/os/command_line.h"
#include "platform/os/tests/probe_fixture.h"
#include "platform/rtl/program_folder.h"
#include "platform/ui/scripted_dialogs.h"

namespace monitor {
namespace {

using Args = std::vector<std::string>;

telefoonrecordtype Caller() {
    telefoonrecordtype r;
    r.datum = "2024-03-05";
    r.tijd = "09:07:04";
    r.nummer = "0201234567";
    r.voornaam = "Jan";
    r.naam = "Smit";
    r.straat = "Dorpsstraat 1";
    r.postcode = "1234 AB";
    r.plaats = "Den Haag";
    r.soort = "Speech (1)";
    r.msn = "123456";
    r.zoekstatus = "In de Klapper gevonden";
    r.extra = "Vaste klant";
    return r;
}

ExpandedCommand Expand(const std::string& sjabloon, const telefoonrecordtype& r) {
    return ExpandCommandLine(sjabloon, FindPlaceholders(sjabloon, &r));
}

TEST(ExpandCommandLine, ValuesStayInTheirArgument) {
    struct Case {
        const char* sjabloon;
        std::string telefoonrecordtype::*field;
        std::string value;
        Args expected;
    };
    const Case cases[] = {
        {"prog %t", &telefoonrecordtype::nummer, "0201234567", {"prog", "0201234567"}},
        {"prog %n", &telefoonrecordtype::naam, "de Vries & Zn", {"prog", "de Vries & Zn"}},
        {"prog %n", &telefoonrecordtype::naam, "Jan \"de\" Smit", {"prog", "Jan \"de\" Smit"}},
        {"prog %n", &telefoonrecordtype::naam, "a;b | c > d", {"prog", "a;b | c > d"}},
        {"prog %n", &telefoonrecordtype::naam, "$(rm -rf ~) `id`", {"prog", "$(rm -rf ~) `id`"}},
        {"prog %n", &telefoonrecordtype::naam, "-rf", {"prog", "-rf"}},
        {"prog %n", &telefoonrecordtype::naam, "a\\\" b\\", {"prog", "a\\\" b\\"}},
        {"prog \"%n\" x", &telefoonrecordtype::naam, "a\" b", {"prog", "a\" b", "x"}},
        // a value holding a placeholder stays literal, also one that comes later in the order
        {"prog %n %t", &telefoonrecordtype::naam, "%t", {"prog", "%t", "0201234567"}},
        {"prog %n %s", &telefoonrecordtype::naam, "%s", {"prog", "%s", "Dorpsstraat 1"}},
        // an empty value keeps its argument
        {"prog %v %n", &telefoonrecordtype::voornaam, "", {"prog", "", "Smit"}},
        {"prog --naam=%n \"%v x\"",
         &telefoonrecordtype::voornaam,
         "Jan",
         {"prog", "--naam=Smit", "Jan x"}},
        // the second occurrence stays as it is
        {"prog %n %n", &telefoonrecordtype::naam, "Smit", {"prog", "Smit", "%n"}},
        // a value may name the program; it stays one program name
        {"%x -v", &telefoonrecordtype::extra, "/opt/mijn programma", {"/opt/mijn programma", "-v"}},
        {"\"C:\\Program Files\\x.exe\" %t",
         &telefoonrecordtype::nummer,
         "1",
         {"C:\\Program Files\\x.exe", "1"}},
        {"prog %o", &telefoonrecordtype::naam, "Smit", {"prog", "%o"}},
    };
    for (const auto& c : cases) {
        telefoonrecordtype r = Caller();
        r.*c.field = c.value;
        EXPECT_EQ(Expand(c.sjabloon, r).argv, c.expected) << c.sjabloon << " with " << c.value;
    }
}

TEST(ExpandCommandLine, FollowsTheTemplateExpanderForTameValues) {
    // Values that are not empty and hold no blanks, quotes or placeholders: the line reads as the
    // expander's text and splits into the same arguments, the 500-character cut included.
    telefoonrecordtype r = Caller();
    r.straat = "Dorpsstraat";
    r.postcode = "1234AB";
    r.plaats = "Amsterdam";
    r.soort = "Speech";
    r.zoekstatus = "gevonden";
    r.extra = "klant";
    r.aanhangsel = "jr";
    const std::string a498(498, 'a');
    const std::string b600(600, 'b');
    const std::string sjabloon[] = {
        "prog %t %v %n",
        "prog %x %z %m %g %p %c %s %a %n %v %t %h %d",
        "prog \"%n\"\"%v\" a\\\\\"b c\" %t",
        "prog %t " + a498 + " tail1 tail2",
        "prog %n " + b600 + " %t",
        "prog %t" + b600 + " %n",
        "prog " + b600 + " %n %t",
        "%p%t",
        "prog",
    };
    for (const auto& s : sjabloon) {
        const ExpandedCommand e = Expand(s, r);
        const std::string classic = bellersstringmaken(s, &r);
        EXPECT_EQ(e.text, classic) << s.substr(0, 40);
        EXPECT_EQ(e.argv, os::SplitCommandLine(classic)) << s.substr(0, 40);
    }
}

TEST(ExpandCommandLine, CutKeepsArgumentsWhole) {
    telefoonrecordtype r = Caller();
    r.naam = "de Vries";
    // 500 characters after %n's value: the blank and 499 'x'; the rest of that argument and
    // the argument after it are cut away
    const std::string s = "prog %n " + std::string(600, 'x') + " weg";
    const ExpandedCommand e = Expand(s, r);
    ASSERT_EQ(e.argv.size(), 3u);
    EXPECT_EQ(e.argv[1], "de Vries");
    EXPECT_EQ(e.argv[2], std::string(499, 'x'));
    EXPECT_EQ(e.text, bellersstringmaken(s, &r));
}

TEST(ExpandArguments, ProgramPathStandsAsItIs) {
    telefoonrecordtype r = Caller();
    r.naam = "de Vries";
    const std::string sjabloon = "%m@%t@%v@%n@%s@%c@%p";
    const ExpandedCommand e =
        ExpandArguments("/opt/Lan Tel/lantelhost.exe", sjabloon, FindPlaceholders(sjabloon, &r));
    EXPECT_EQ(e.argv, (Args{"/opt/Lan Tel/lantelhost.exe",
                            "123456@0201234567@Jan@de Vries@Dorpsstraat 1@1234 AB@Den Haag"}));
    EXPECT_EQ(e.text,
              "/opt/Lan Tel/lantelhost.exe 123456@0201234567@Jan@de Vries@Dorpsstraat 1@1234 "
              "AB@Den Haag");
    EXPECT_EQ(ExpandArguments("/x/lantelhost.exe", "-", {}).argv, Args{"/x/lantelhost.exe"});
    EXPECT_EQ(ExpandArguments("/x/lantelhost.exe", "%nieuw", {}).argv,
              (Args{"/x/lantelhost.exe", "%nieuw"}));
}

// Starting for real: the probe writes what it received into the program folder.
class StartingCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.InstallProbe("probe");
        rtl::SetProgramDir(folder.Dir());
        huidigebeller = Caller();
    }
    void TearDown() override {
        rtl::SetProgramDir("");
        huidigebeller = {};
    }
    os::testing::ProbeFolder folder;
    ui::ScriptedDialogs dialogs;
};

TEST_F(StartingCommands, CallerDataArrivesAsOneLiteralArgumentEach) {
    huidigebeller.naam = "O'Brien \"de\" ; $(touch pwned) `touch pwned2` %t";
    huidigebeller.voornaam = "-rf";
    huidigebeller.plaats = "";
    aktie("probe %t %v %n %p \"%s\"");
    const auto args = folder.WaitForArgs();
    ASSERT_TRUE(args);
    EXPECT_EQ(*args, (Args{"0201234567", "-rf", huidigebeller.naam, "", "Dorpsstraat 1"}));
    EXPECT_FALSE(std::filesystem::exists(folder.Dir() + "pwned"));
    EXPECT_FALSE(std::filesystem::exists(folder.Dir() + "pwned2"));
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(StartingCommands, NothingForDashOrEmpty) {
    aktie("-");
    aktie("");
    EXPECT_TRUE(folder.NothingRan());
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(StartingCommands, LanTelHostDefaultIsOneArgument) {
    folder.InstallProbe("Lan Tel/lantelhost");
    huidigebeller.naam = "de Vries";
    StartLanTelHost(folder.Dir() + "Lan Tel/", Instellingen{}.lantelefoonstring);
    const auto args = folder.WaitForArgs();
    ASSERT_TRUE(args);
    EXPECT_EQ(*args, (Args{"123456@0201234567@Jan@de Vries@Dorpsstraat 1@1234 AB@Den Haag"}));
}

TEST_F(StartingCommands, SettingsSaveTellsTheLanHost) {
    // The host is found in its folder, blanks, quotes and backslashes included.
    for (const std::string sub : {"Lan Tel/", "Lan \"Tel\" \\\"x\\/"}) {
        folder.InstallProbe(sub + "lantelhost");
        Instellingen s;
        s.lantelefoondir = folder.Dir() + sub;
        s.lantelefoonuitvoeren = true;
        bool changed = true;
        rtl::TIniFile ini(folder.Dir() + "belvo.ini");
        SaveInstellingen(ini, s, 20, changed,
                         [](const std::string& line) { StartArgumentLine(line); });
        const auto args = folder.WaitForArgs();
        ASSERT_TRUE(args) << sub;
        EXPECT_EQ(*args, Args{"%nieuw"}) << sub;
        EXPECT_FALSE(changed);
        EXPECT_TRUE(dialogs.shown().empty()) << sub;
    }
}

TEST_F(StartingCommands, MissingProgramGivesTheMessageWithoutHoldingUp) {
    huidigebeller.naam = "de Vries";
    aktie("bestaatniet %t %n");
    starthet2("   ");
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].kind, ui::ScriptedDialogs::Kind::Notice);
    EXPECT_EQ(dialogs.shown()[0].text, "Fout bij aanroepen: bestaatniet 0201234567 de Vries");
    EXPECT_EQ(dialogs.shown()[1].text, "Fout bij aanroepen:    ");
    EXPECT_EQ(dialogs.unanswered(), 0) << "a modal box would hold up the call";
    // the next command of the same call still runs
    aktie("probe %t");
    const auto args = folder.WaitForArgs();
    ASSERT_TRUE(args);
    EXPECT_EQ(*args, Args{"0201234567"});
}

}  // namespace
}  // namespace monitor
