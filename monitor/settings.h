#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/rtl/ini_file.h"

namespace monitor {

// The settings of one own number (MSN).
struct MsnInstelling {
    std::string nummer;  // at most 15 characters
    std::string naam;    // at most 15 characters
    bool reageren = true;
    bool afwijzen = false;
    std::int32_t kleur = 0xFFFFFF;  // colour reference 0x00BBGGRR, or a negative system colour
    std::int32_t font = 0x400040;
    std::string cmd = "-";  // "-" = none
    std::string intro;      // file name in the sound folder

    bool operator==(const MsnInstelling&) const = default;
};

inline constexpr int kMsnCount = 10;

// Every behaviour setting of the monitor, named by its key in belvo.ini.
struct Instellingen {
    // [capi]
    bool capireset = false;
    bool NulToevoegen = false;
    bool Nulerafhalen = false;
    std::int16_t monitorpopuptijd = 10;  // 0 = no pop-up, 999 = stays up
    bool automemoklapper = true;
    std::int16_t afwijstijd = 1;
    std::int16_t kaartnummer = 1;
    bool AutomatischZoeken = false;
    std::string bellersstring = "%h - %t - %v, %n, %a - %g - %m -%z";
    std::string gegevensstring = "%v, %n, %a";
    // [foongrep]; an empty folder loads as the program folder
    std::string foongrepdir;
    std::string zoektijd = "60";  // seconds as decimal text
    // [mns]
    bool naamgebruiken = false;
    // [msn0] .. [msn9], with the intro of each in [geluid]
    std::array<MsnInstelling, kMsnCount> msninstellingen{};
    // [geluid]
    std::string tijden = std::string(24, '1');     // position h+1 for hour h
    std::string msngeluid = std::string(10, '1');  // position n+1 for MSN n
    // Edited by hand only: the recorder's command line; the file's path is added as its last
    // argument.
    std::string opnameprogramma = "arecord -q -f cd -t wav";
    // [algemeen]
    bool autosaveinklapper = false;
    bool DDE = false;
    bool meteenopslaan = false;
    bool taakbalk = false;
    std::string voorvoegsel;
    // [msagent]
    bool suport = false;
    bool hide = false;
    std::string msagentstring = "%v %n %a";
    bool msagentextra = false;
    // [lantelefoon], read also from its older name [vezivozavoz]
    std::string lantelefoondir = "?";  // "?" = not set
    bool lantelefoonuitvoeren = false;
    std::string lantelefoonstring = "%m@%t@%v@%n@%s@%c@%p";
    // [outlook]
    bool koppeling = false;
    bool openen = false;
    bool opslaan = false;
    bool loggen = false;
    bool loggeninlogboek = false;
    bool opnemeninlogboek = false;
    bool logboekopenen = false;
    // [telefoonlog] sorterenop: the call-log order, 0..8
    std::int16_t logsortering = 0;

    bool operator==(const Instellingen&) const = default;
};

// The process-wide settings that every part of the monitor reads, and the flag that the
// settings dialog sets when the own numbers change for the LAN host. Main thread only;
// tests start from `instellingen = Instellingen{}`.
inline Instellingen instellingen;
inline bool msnlijstgewijzigd = false;

// The program folder with its trailing "/".
std::string programmadir();
// The settings file in the program folder, found without regard to case.
std::string BelvoIniPath();

// Reads every behaviour setting; absent or unreadable values give their defaults.
Instellingen LaadInstellingen(const rtl::TIniFile& ini, std::string_view programmadir);

// The cuts loading makes: MSN numbers and names to 15 characters, the hour mask to 24 and the
// MSN mask to 10. What the settings dialog applies goes through them too, so that a run holds
// what a restart reads.
void Inkorten(Instellingen& s);
// An MSN number or name as the settings hold one: its first 15 characters.
std::string MsnTekst(std::string_view text);

// Starts a command line without waiting and reports its own failure. The line's program is
// quoted like its arguments (a quote in a folder escaped), so the starter splits every part of
// it by the argument rules (os::SplitArguments; StartArgumentLine does so).
using CommandStarter = std::function<void(const std::string& commandline)>;

// Writes the keys the settings dialog owns, in the dialog's order, with `startvertraging`
// for [algemeen]. When `msnlijst_gewijzigd` is set, the LAN host folder is set and the host
// is to run, tells the host through `start` and clears the flag. A failing write raises
// rtl::Exception; the keys before it stay written.
void SaveInstellingen(rtl::TIniFile& ini, const Instellingen& s, int startvertraging,
                      bool& msnlijst_gewijzigd, const CommandStarter& start);

// A value as it must be written for the reading rules to give it back: inside one extra
// pair of double quotes when it starts or ends with a blank or a tab, or starts and ends
// with the same quote.
std::string IniProtected(std::string_view value);

}  // namespace monitor
