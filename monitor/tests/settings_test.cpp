#include "monitor/settings.h"

#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "platform/os/command_line.h"
#include "platform/rtl/program_folder.h"
#include "platform/rtl/tests/temp_dir.h"
#include "platform/rtl/text_encoding.h"

namespace monitor {
namespace {

using rtl::testing::TempDir;

constexpr const char* kProg = "/prog/";

Instellingen LoadFrom(const TempDir& dir, const std::string& file) {
    if (!file.empty()) {
        dir.Write("belvo.ini", file);
    }
    return LaadInstellingen(rtl::TIniFile(dir.File("belvo.ini")), kProg);
}

TEST(Settings, DefaultsOfAFreshInstallation) {
    TempDir dir;
    const Instellingen s = LoadFrom(dir, "");
    for (const MsnInstelling& m : s.msninstellingen) {
        EXPECT_EQ(m.nummer, "");
        EXPECT_EQ(m.naam, "");
        EXPECT_TRUE(m.reageren);
        EXPECT_FALSE(m.afwijzen);
        EXPECT_EQ(m.kleur, 16777215);
        EXPECT_EQ(m.font, 4194368);
        EXPECT_EQ(m.cmd, "-");
        EXPECT_EQ(m.intro, "");
    }
    EXPECT_EQ(s.tijden, "111111111111111111111111");
    EXPECT_EQ(s.msngeluid, "1111111111");
    EXPECT_EQ(s.foongrepdir, "/prog/");
    EXPECT_EQ(s.zoektijd, "60");
    EXPECT_EQ(s.monitorpopuptijd, 10);
    EXPECT_EQ(s.afwijstijd, 1);
    EXPECT_EQ(s.kaartnummer, 1);
    EXPECT_TRUE(s.automemoklapper);
    EXPECT_FALSE(s.capireset || s.NulToevoegen || s.Nulerafhalen || s.AutomatischZoeken ||
                 s.naamgebruiken || s.autosaveinklapper || s.DDE || s.meteenopslaan || s.taakbalk ||
                 s.suport || s.hide || s.msagentextra || s.lantelefoonuitvoeren || s.koppeling ||
                 s.openen || s.opslaan || s.loggen || s.loggeninlogboek || s.opnemeninlogboek ||
                 s.logboekopenen);
    EXPECT_EQ(s.bellersstring, "%h - %t - %v, %n, %a - %g - %m -%z");
    EXPECT_EQ(s.gegevensstring, "%v, %n, %a");
    EXPECT_EQ(s.msagentstring, "%v %n %a");
    EXPECT_EQ(s.lantelefoondir, "?");
    EXPECT_EQ(s.lantelefoonstring, "%m@%t@%v@%n@%s@%c@%p");
    EXPECT_EQ(s.voorvoegsel, "");
    EXPECT_EQ(s.logsortering, 0);
    EXPECT_EQ(s.opnameprogramma, "arecord -q -f cd -t wav");
}

TEST(Settings, LoadingReadsTheFileAsTheRulesSay) {
    struct Case {
        const char* what;
        std::string file;
        std::function<bool(const Instellingen&)> holds;
    };
    const Case cases[] = {
        {"numbers and names cut to 15 characters",
         "[msn0]\r\nnummer=12345678901234567890\r\nnaam=Zo\xC3\xABtermeer kantoor\r\n",
         [](const Instellingen& s) {
             return s.msninstellingen[0].nummer == "123456789012345" &&
                    s.msninstellingen[0].naam == "Zo\xC3\xABtermeer kant";
         }},
        {"hour mask cut to 24, MSN mask to 10",
         "[geluid]\r\ntijden=000000000000000000000000111111\r\nmsngeluid=010101010101\r\n",
         [](const Instellingen& s) {
             return s.tijden == std::string(24, '0') && s.msngeluid == "0101010101";
         }},
        {"the recorder is the hand-edited command line",
         "[geluid]\r\nopnameprogramma=rec --wav \"my file\"\r\n",
         [](const Instellingen& s) { return s.opnameprogramma == "rec --wav \"my file\""; }},
        {"a short mask stays short", "[geluid]\r\ntijden=101\r\n",
         [](const Instellingen& s) { return s.tijden == "101"; }},
        {"empty Foongrep folder is the program folder", "[foongrep]\r\nfoongrepdirectory=\r\n",
         [](const Instellingen& s) { return s.foongrepdir == "/prog/"; }},
        {"a set Foongrep folder stays", "[foongrep]\r\nfoongrepdirectory=/opt/fg/\r\n",
         [](const Instellingen& s) { return s.foongrepdir == "/opt/fg/"; }},
        {"cmd= is empty, an absent cmd is -", "[msn3]\r\ncmd=\r\n",
         [](const Instellingen& s) {
             return s.msninstellingen[3].cmd.empty() && s.msninstellingen[4].cmd == "-";
         }},
        {"not a number gives the default",
         "[capi]\r\nmonitorpopuptijd=abc\r\nafwijstijd=1.5\r\n[msn1]\r\nkleur=wit\r\n",
         [](const Instellingen& s) {
             return s.monitorpopuptijd == 10 && s.afwijstijd == 1 &&
                    s.msninstellingen[1].kleur == 16777215;
         }},
        {"true is no number: the default",
         "[capi]\r\nautomemoklapper=true\r\ncapireset=true\r\n[msn2]\r\nafwijzen=true\r\n",
         [](const Instellingen& s) {
             return s.automemoklapper && !s.capireset && !s.msninstellingen[2].afwijzen;
         }},
        {"a 16-bit value out of range gives the default",
         "[capi]\r\nmonitorpopuptijd=70000\r\nkaartnummer=-40000\r\n",
         [](const Instellingen& s) { return s.monitorpopuptijd == 10 && s.kaartnummer == 1; }},
        {"system colours are negative", "[msn0]\r\nkleur=-2147483633\r\nfont=$8000000F\r\n",
         [](const Instellingen& s) {
             return s.msninstellingen[0].kleur == -2147483633 &&
                    s.msninstellingen[0].font == -2147483633;
         }},
        {"hand-typed names in another case", "[CAPI]\r\nnultoevoegen=1\r\n[MSN9]\r\nNUMMER=77\r\n",
         [](const Instellingen& s) {
             return s.NulToevoegen && s.msninstellingen[9].nummer == "77";
         }},
        {"LAN host under its older section name",
         "[vezivozavoz]\r\ndir=/opt/lan/\r\nuitvoeren=1\r\nstring=%t\r\n",
         [](const Instellingen& s) {
             return s.lantelefoondir == "/opt/lan/" && s.lantelefoonuitvoeren &&
                    s.lantelefoonstring == "%t";
         }},
        {"LAN host under its current name wins, key by key",
         "[vezivozavoz]\r\ndir=/old/\r\nuitvoeren=1\r\nstring=%t\r\n"
         "[lantelefoon]\r\ndir=/new/\r\nuitvoeren=0\r\n",
         [](const Instellingen& s) {
             return s.lantelefoondir == "/new/" && !s.lantelefoonuitvoeren &&
                    s.lantelefoonstring == "%t";
         }},
        {"the call-log order", "[telefoonlog]\r\nsorterenop=7\r\n",
         [](const Instellingen& s) { return s.logsortering == 7; }},
        {"intro per MSN from the sound section", "[geluid]\r\nintro4=bel.wav\r\n",
         [](const Instellingen& s) {
             return s.msninstellingen[4].intro == "bel.wav" && s.msninstellingen[3].intro.empty();
         }},
    };
    for (const auto& c : cases) {
        TempDir dir;
        EXPECT_TRUE(c.holds(LoadFrom(dir, c.file))) << c.what;
    }
}

// Hand edits and files from the old program hold UTF-8 and Windows-1252 lines side by side.
TEST(Settings, MixedEncodingsAreReadLineByLineAndSavedAsUtf8) {
    struct Case {
        const char* what;
        std::string file;
        std::string naam0, naam1, other;  // other: [x] k, read through the same file
        std::vector<std::string> savedLines;
    };
    const Case cases[] = {
        {"a UTF-8 name beside a Windows-1252 line",
         "[msn0]\r\nnaam=W\xC3\xABreld\r\n[x]\r\nk=Caf\xE9\r\n",
         "W\xC3\xABreld",
         "",
         "Caf\xC3\xA9",
         {"\r\nnaam=W\xC3\xABreld\r\n", "[x]\r\nk=Caf\xC3\xA9\r\n"}},
        {"a long UTF-8 name cut by characters beside Windows-1252",
         "[msn0]\r\nnaam=Zo\xC3\xABtermeer kantoor\r\n[msn1]\r\nnaam=Caf\xE9\xC0Lagarde "
         "du Nord\r\n",
         "Zo\xC3\xABtermeer kant",
         "Caf\xC3\xA9\xC3\x80Lagarde du",
         "",
         {"\r\nnaam=Zo\xC3\xABtermeer kant\r\n", "\r\nnaam=Caf\xC3\xA9\xC3\x80Lagarde du\r\n"}},
        {"an all Windows-1252 file from the old program",
         "[msn0]\r\nnaam=Zo\xEBtermeer kantoor\r\n[msn1]\r\nnaam=Caf\xE9\r\n[x]\r\nk=\xFF\x80\r\n",
         "Zo\xC3\xABtermeer kant",
         "Caf\xC3\xA9",
         "\xC3\xBF\xE2\x82\xAC",
         {"[x]\r\nk=\xC3\xBF\xE2\x82\xAC\r\n"}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.Write("belvo.ini", c.file);
        rtl::TIniFile ini(dir.File("belvo.ini"));
        const Instellingen loaded = LaadInstellingen(ini, kProg);
        EXPECT_EQ(loaded.msninstellingen[0].naam, c.naam0) << c.what;
        EXPECT_EQ(loaded.msninstellingen[1].naam, c.naam1) << c.what;
        EXPECT_EQ(ini.ReadString("x", "k", ""), c.other) << c.what;

        // The user changes one thing; every other value comes back as it was read.
        Instellingen changed = loaded;
        changed.msninstellingen[5].naam = "Thuis";
        bool gewijzigd = false;
        SaveInstellingen(ini, changed, 0, gewijzigd, [](const std::string&) {});
        rtl::TIniFile again(dir.File("belvo.ini"));
        EXPECT_EQ(LaadInstellingen(again, kProg), changed) << c.what;
        EXPECT_EQ(again.ReadString("x", "k", ""), c.other) << c.what;
        const std::string saved = dir.Read("belvo.ini");
        EXPECT_TRUE(rtl::IsValidUtf8(saved)) << c.what;
        for (const std::string& line : c.savedLines) {
            EXPECT_NE(saved.find(line), std::string::npos) << c.what << ": " << line;
        }
    }
}

// Every key the save writes set away from its default, with the awkward values included.
Instellingen Changed(const Instellingen& base) {
    Instellingen s = base;
    s.capireset = s.NulToevoegen = s.Nulerafhalen = s.AutomatischZoeken = true;
    s.automemoklapper = false;
    s.monitorpopuptijd = 999;
    s.afwijstijd = -3;
    s.kaartnummer = 2;
    s.foongrepdir = " /opt/fg/ ";
    s.zoektijd = "\t90";
    s.naamgebruiken = true;
    for (int n = 0; n < kMsnCount; ++n) {
        MsnInstelling& m = s.msninstellingen[static_cast<std::size_t>(n)];
        m.nummer = "0201234" + std::to_string(n);
        m.naam = n == 0 ? "'Kantoor'" : "Lijn " + std::to_string(n) + " ";
        m.reageren = n % 2 == 0;
        m.afwijzen = n % 3 == 0;
        m.kleur = n == 0 ? static_cast<std::int32_t>(0x8000000Fu) : 0x0000FF + n;
        m.font = 0x00FF00 + n;
        m.cmd = n == 1 ? "\"/opt/a b/x\" \"%t\"" : "/bin/true %t ; %n";
        m.intro = "intro" + std::to_string(n + 1) + ".wav";
    }
    s.tijden = "000000001111111111000000";
    s.msngeluid = "1010101010";
    s.autosaveinklapper = s.DDE = s.meteenopslaan = s.taakbalk = true;
    s.voorvoegsel = "0, ";
    s.suport = s.hide = s.msagentextra = true;
    s.msagentstring = " Hallo %v ";
    s.lantelefoondir = "/opt/lan/";
    s.lantelefoonuitvoeren = true;
    s.koppeling = s.openen = s.opslaan = s.loggen = s.loggeninlogboek = s.opnemeninlogboek =
        s.logboekopenen = true;
    return s;
}

TEST(Settings, LoadOfSaveGivesTheSameStateAndLeavesOtherKeysAlone) {
    TempDir dir;
    const std::string others =
        "; hand-made notes\r\n"
        "[capi]\r\nbellersstring=%t %n\r\ngegevensstring=%n\r\n"
        "[vezivozavoz]\r\nstring=%m#%t\r\n"
        "[telefoonlog]\r\nsorterenop=5\r\n"
        "[belverin]\r\ntop=120\r\nnummerfontname=Sans\r\n";
    dir.Write("belvo.ini", others);
    rtl::TIniFile ini(dir.File("belvo.ini"));
    const Instellingen s = Changed(LaadInstellingen(ini, kProg));
    ASSERT_EQ(s.lantelefoonstring, "%m#%t");
    bool gewijzigd = false;
    SaveInstellingen(ini, s, 20, gewijzigd, [](const std::string&) { FAIL(); });
    EXPECT_EQ(LaadInstellingen(ini, kProg), s);

    EXPECT_EQ(ini.ReadInteger("algemeen", "startvertraging", -1), 20);
    const std::string file = dir.Read("belvo.ini");
    for (const char* line :
         {"; hand-made notes\r\n[capi]\r\nbellersstring=%t %n\r\ngegevensstring=%n\r\n",
          "[vezivozavoz]\r\nstring=%m#%t\r\n", "[telefoonlog]\r\nsorterenop=5\r\n",
          "[belverin]\r\ntop=120\r\nnummerfontname=Sans\r\n", "\r\nkleur=-2147483633\r\n",
          "\r\nkleur=256\r\n", "\r\nnaam=\"'Kantoor'\"\r\n",
          "\r\ncmd=\"\"/opt/a b/x\" \"%t\"\"\r\n", "\r\nfoongrepdirectory=\" /opt/fg/ \"\r\n"}) {
        EXPECT_NE(file.find(line), std::string::npos) << line;
    }
}

TEST(Settings, ColoursAreWrittenAsSignedDecimals) {
    TempDir dir;
    rtl::TIniFile ini(dir.File("belvo.ini"));
    Instellingen s;
    s.msninstellingen[0].kleur = static_cast<std::int32_t>(0x8000000Fu);
    bool gewijzigd = false;
    SaveInstellingen(ini, s, 0, gewijzigd, [](const std::string&) {});
    const std::string file = dir.Read("belvo.ini");
    EXPECT_NE(file.find("[msn0]\r\nreageren=1\r\nnummer=\r\nnaam=\r\ncmd=-\r\nafwijzen=0\r\n"
                        "kleur=-2147483633\r\nfont=4194368\r\n"),
              std::string::npos)
        << file;
    EXPECT_NE(file.find("[msn1]\r\nreageren=1\r\nnummer=\r\nnaam=\r\ncmd=-\r\nafwijzen=0\r\n"
                        "kleur=16777215\r\nfont=4194368\r\n"),
              std::string::npos)
        << file;
}

TEST(Settings, SaveWritesInTheDialogsOrder) {
    TempDir dir;
    rtl::TIniFile ini(dir.File("belvo.ini"));
    bool gewijzigd = false;
    SaveInstellingen(ini, LoadFrom(dir, ""), 20, gewijzigd, [](const std::string&) {});
    rtl::TStringList sections;
    ini.ReadSections(sections);
    std::vector<std::string> expected_sections = {"capi", "foongrep", "mns"};
    for (int n = 0; n < kMsnCount; ++n) {
        expected_sections.push_back("msn" + std::to_string(n));
    }
    for (const char* s : {"geluid", "algemeen", "msagent", "lantelefoon", "outlook"}) {
        expected_sections.push_back(s);
    }
    EXPECT_EQ(sections.Items(), expected_sections);

    struct Case {
        std::string section;
        std::vector<std::string> keys;
    };
    const Case cases[] = {
        {"capi",
         {"NulToevoegen", "Nulerafhalen", "capireset", "monitorpopuptijd", "afwijstijd",
          "kaartnummer", "automemoklapper", "AutomatischZoeken"}},
        {"foongrep", {"foongrepdirectory", "zoektijd"}},
        {"mns", {"naamgebruiken"}},
        {"msn7", {"reageren", "nummer", "naam", "cmd", "afwijzen", "kleur", "font"}},
        {"geluid",
         {"tijden", "msngeluid", "intro0", "intro1", "intro2", "intro3", "intro4", "intro5",
          "intro6", "intro7", "intro8", "intro9"}},
        {"algemeen",
         {"autosaveinklapper", "meteenopslaan", "DDE", "taakbalk", "voorvoegsel",
          "startvertraging"}},
        {"msagent", {"suport", "string", "hide", "extra"}},
        {"lantelefoon", {"dir", "uitvoeren"}},
        {"outlook",
         {"koppeling", "openen", "opslaan", "loggen", "loggeninlogboek", "opnemeninlogboek",
          "logboekopenen"}},
    };
    for (const auto& c : cases) {
        rtl::TStringList keys;
        ini.ReadSection(c.section, keys);
        EXPECT_EQ(keys.Items(), c.keys) << c.section;
    }
    // The empty Foongrep folder was loaded as the program folder and is written back so.
    EXPECT_EQ(ini.ReadString("foongrep", "foongrepdirectory", "?"), "/prog/");
}

TEST(Settings, SaveTellsTheLanHostWhenTheNumbersChanged) {
    struct Case {
        bool gewijzigd;
        std::string dir;
        bool uitvoeren;
        std::vector<std::string> started;
    };
    const Case cases[] = {
        {true, "/opt/lan/", true, {"/opt/lan/lantelhost.exe %nieuw"}},
        {true, "/opt/lan x/", true, {"\"/opt/lan x/lantelhost.exe\" %nieuw"}},
        {true, "/opt/lan\"x/", true, {"\"/opt/lan\\\"x/lantelhost.exe\" %nieuw"}},
        {true, "/opt/a\\\"b c\\/", true, {"\"/opt/a\\\\\\\"b c\\/lantelhost.exe\" %nieuw"}},
        {true, "/opt/lan\\", true, {"/opt/lan\\lantelhost.exe %nieuw"}},
        {true, "/opt/\"a b\"\t/", true, {"\"/opt/\\\"a b\\\"\t/lantelhost.exe\" %nieuw"}},
        {false, "/opt/lan/", true, {}},
        {true, "?", true, {}},
        {true, "/opt/lan/", false, {}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        rtl::TIniFile ini(dir.File("belvo.ini"));
        Instellingen s;
        s.lantelefoondir = c.dir;
        s.lantelefoonuitvoeren = c.uitvoeren;
        bool gewijzigd = c.gewijzigd;
        std::vector<std::string> started;
        bool outlook_written_before_start = true;
        SaveInstellingen(ini, s, 0, gewijzigd, [&](const std::string& line) {
            started.push_back(line);
            // The host starts after the LAN keys and before the Outlook keys are written.
            outlook_written_before_start = ini.SectionExists("outlook");
            EXPECT_EQ(ini.ReadString("lantelefoon", "dir", ""), c.dir);
        });
        EXPECT_EQ(started, c.started) << c.dir;
        if (!started.empty()) {
            // What the host is started with: its path exactly and the one argument.
            EXPECT_EQ(os::SplitArguments(started.front()),
                      (std::vector<std::string>{c.dir + "lantelhost.exe", "%nieuw"}))
                << c.dir;
        }
        EXPECT_EQ(gewijzigd, c.gewijzigd && c.started.empty()) << c.dir;
        if (!started.empty()) {
            EXPECT_FALSE(outlook_written_before_start);
        }
        EXPECT_TRUE(ini.SectionExists("outlook"));
    }
}

TEST(Settings, AFailingWriteEndsTheSaveThere) {
    TempDir dir;
    rtl::TIniFile ini(dir.File("belvo.ini"));
    Instellingen s;
    s.voorvoegsel = "0\r\n[capi]";  // a line break cannot be written
    bool gewijzigd = true;
    s.lantelefoondir = "/opt/lan/";
    s.lantelefoonuitvoeren = true;
    bool started = false;
    EXPECT_THROW(
        SaveInstellingen(ini, s, 0, gewijzigd, [&](const std::string&) { started = true; }),
        rtl::Exception);
    EXPECT_TRUE(ini.ValueExists("algemeen", "taakbalk"));  // before it
    EXPECT_FALSE(ini.ValueExists("algemeen", "voorvoegsel"));
    EXPECT_FALSE(ini.SectionExists("msagent"));  // after it
    EXPECT_FALSE(started);
    EXPECT_TRUE(gewijzigd);
}

TEST(Settings, IniProtectedValues) {
    struct Case {
        std::string value;
        std::string written;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"", ""},
        {" lead", "\" lead\""},
        {"trail\t", "\"trail\t\""},
        {"\"a\" \"b\"", "\"\"a\" \"b\"\""},
        {"'x'", "\"'x'\""},
        {"\"x'", "\"x'"},
        {"\"", "\""},
        {"in \"the\" middle", "in \"the\" middle"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IniProtected(c.value), c.written) << c.value;
        TempDir dir;
        rtl::TIniFile ini(dir.File("x.ini"));
        ini.WriteString("a", "k", IniProtected(c.value));
        EXPECT_EQ(ini.ReadString("a", "k", "?"), c.value) << c.value;
    }
}

TEST(Settings, SettingsFileIsFoundInTheProgramFolder) {
    TempDir dir;
    rtl::SetProgramDir(dir.Path());
    EXPECT_EQ(programmadir(), dir.Path());
    EXPECT_EQ(BelvoIniPath(), dir.Path() + "belvo.ini");
    dir.Write("Belvo.INI", "");
    EXPECT_EQ(BelvoIniPath(), dir.Path() + "Belvo.INI");
    rtl::SetProgramDir("");
}

}  // namespace
}  // namespace monitor
