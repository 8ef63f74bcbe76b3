#include "monitor/settings.h"

#include <limits>

#include "platform/rtl/program_folder.h"
#include "platform/rtl/text_encoding.h"

namespace monitor {

namespace {

constexpr std::string_view kLanTelefoon = "lantelefoon";
constexpr std::string_view kLanTelefoonOud = "vezivozavoz";

std::string MsnSection(int n) {
    return "msn" + std::to_string(n);
}
std::string IntroKey(int n) {
    return "intro" + std::to_string(n);
}

std::string Cut(std::string value, std::size_t chars) {
    return std::string(rtl::Utf8Left(value, chars));
}

// A 16-bit setting; a number outside that range is as unusable as no number.
std::int16_t ReadSmallInt(const rtl::TIniFile& ini, std::string_view section, std::string_view key,
                          std::int16_t default_value) {
    const int v = ini.ReadInteger(section, key, default_value);
    if (v < std::numeric_limits<std::int16_t>::min() ||
        v > std::numeric_limits<std::int16_t>::max()) {
        return default_value;
    }
    return static_cast<std::int16_t>(v);
}

// The LAN host's section under its current name, else under the name older files use.
std::string_view LanSection(const rtl::TIniFile& ini, std::string_view key) {
    return ini.ValueExists(kLanTelefoon, key) ? kLanTelefoon : kLanTelefoonOud;
}

bool IsBlankOrTab(char c) {
    return c == ' ' || c == '\t';
}

void WriteText(rtl::TIniFile& ini, std::string_view section, std::string_view key,
               std::string_view value) {
    ini.WriteString(section, key, IniProtected(value));
}

// Quoted by the argument rules when it holds a blank, a tab or a quote, so that the split
// gives the path back whole: a quote inside is escaped, and backslashes are doubled where they
// stand before a quote.
std::string QuotedArgument(const std::string& text) {
    if (text.find_first_of(" \t\"") == std::string::npos && !text.empty()) {
        return text;
    }
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (const char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            out.append(backslashes * 2 + 1, '\\');
        } else {
            out.append(backslashes, '\\');
        }
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

std::string LanHostCommand(const std::string& dir) {
    const std::string program = QuotedArgument(dir + "lantelhost.exe");
    return program + " %nieuw";
}

}  // namespace

std::string programmadir() {
    return rtl::ProgramDir();
}

std::string BelvoIniPath() {
    return rtl::ResolveCaseInsensitive(programmadir(), "belvo.ini");
}

std::string IniProtected(std::string_view value) {
    const bool blank_edge =
        !value.empty() && (IsBlankOrTab(value.front()) || IsBlankOrTab(value.back()));
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    if (blank_edge || quoted) {
        return "\"" + std::string(value) + "\"";
    }
    return std::string(value);
}

Instellingen LaadInstellingen(const rtl::TIniFile& ini, std::string_view programmadir) {
    const Instellingen d;
    Instellingen s;

    s.capireset = ini.ReadBool("capi", "capireset", d.capireset);
    s.NulToevoegen = ini.ReadBool("capi", "NulToevoegen", d.NulToevoegen);
    s.Nulerafhalen = ini.ReadBool("capi", "Nulerafhalen", d.Nulerafhalen);
    s.monitorpopuptijd = ReadSmallInt(ini, "capi", "monitorpopuptijd", d.monitorpopuptijd);
    s.automemoklapper = ini.ReadBool("capi", "automemoklapper", d.automemoklapper);
    s.afwijstijd = ReadSmallInt(ini, "capi", "afwijstijd", d.afwijstijd);

    s.foongrepdir = ini.ReadString("foongrep", "foongrepdirectory", d.foongrepdir);
    if (s.foongrepdir.empty()) {
        s.foongrepdir = std::string(programmadir);
    }
    s.zoektijd = ini.ReadString("foongrep", "zoektijd", d.zoektijd);

    s.AutomatischZoeken = ini.ReadBool("capi", "AutomatischZoeken", d.AutomatischZoeken);
    s.naamgebruiken = ini.ReadBool("mns", "naamgebruiken", d.naamgebruiken);

    s.autosaveinklapper = ini.ReadBool("algemeen", "autosaveinklapper", d.autosaveinklapper);
    s.DDE = ini.ReadBool("algemeen", "DDE", d.DDE);
    s.meteenopslaan = ini.ReadBool("algemeen", "meteenopslaan", d.meteenopslaan);

    s.logsortering = ReadSmallInt(ini, "telefoonlog", "sorterenop", d.logsortering);

    for (int n = 0; n < kMsnCount; ++n) {
        const std::string section = MsnSection(n);
        const MsnInstelling& dm = d.msninstellingen[static_cast<std::size_t>(n)];
        MsnInstelling& m = s.msninstellingen[static_cast<std::size_t>(n)];
        m.nummer = ini.ReadString(section, "nummer", dm.nummer);
        m.naam = ini.ReadString(section, "naam", dm.naam);
        m.reageren = ini.ReadBool(section, "reageren", dm.reageren);
        m.afwijzen = ini.ReadBool(section, "afwijzen", dm.afwijzen);
        m.kleur = ini.ReadInteger(section, "kleur", dm.kleur);
        m.font = ini.ReadInteger(section, "font", dm.font);
        m.cmd = ini.ReadString(section, "cmd", dm.cmd);
        m.intro = ini.ReadString("geluid", IntroKey(n), dm.intro);
    }

    s.tijden = ini.ReadString("geluid", "tijden", d.tijden);
    s.msngeluid = ini.ReadString("geluid", "msngeluid", d.msngeluid);

    s.taakbalk = ini.ReadBool("algemeen", "taakbalk", d.taakbalk);
    s.voorvoegsel = ini.ReadString("algemeen", "voorvoegsel", d.voorvoegsel);

    s.kaartnummer = ReadSmallInt(ini, "capi", "kaartnummer", d.kaartnummer);
    s.bellersstring = ini.ReadString("capi", "bellersstring", d.bellersstring);
    s.gegevensstring = ini.ReadString("capi", "gegevensstring", d.gegevensstring);

    s.opnameprogramma = ini.ReadString("geluid", "opnameprogramma", d.opnameprogramma);

    s.suport = ini.ReadBool("msagent", "suport", d.suport);
    s.hide = ini.ReadBool("msagent", "hide", d.hide);
    s.msagentstring = ini.ReadString("msagent", "string", d.msagentstring);
    s.msagentextra = ini.ReadBool("msagent", "extra", d.msagentextra);

    s.lantelefoondir = ini.ReadString(LanSection(ini, "dir"), "dir", d.lantelefoondir);
    s.lantelefoonuitvoeren =
        ini.ReadBool(LanSection(ini, "uitvoeren"), "uitvoeren", d.lantelefoonuitvoeren);
    s.lantelefoonstring = ini.ReadString(LanSection(ini, "string"), "string", d.lantelefoonstring);

    s.koppeling = ini.ReadBool("outlook", "koppeling", d.koppeling);
    s.openen = ini.ReadBool("outlook", "openen", d.openen);
    s.opslaan = ini.ReadBool("outlook", "opslaan", d.opslaan);
    s.loggen = ini.ReadBool("outlook", "loggen", d.loggen);
    s.loggeninlogboek = ini.ReadBool("outlook", "loggeninlogboek", d.loggeninlogboek);
    s.opnemeninlogboek = ini.ReadBool("outlook", "opnemeninlogboek", d.opnemeninlogboek);
    s.logboekopenen = ini.ReadBool("outlook", "logboekopenen", d.logboekopenen);
    Inkorten(s);
    return s;
}

std::string MsnTekst(std::string_view text) {
    return std::string(rtl::Utf8Left(text, 15));
}

void Inkorten(Instellingen& s) {
    for (MsnInstelling& m : s.msninstellingen) {
        m.nummer = MsnTekst(m.nummer);
        m.naam = MsnTekst(m.naam);
    }
    s.tijden = Cut(std::move(s.tijden), 24);
    s.msngeluid = Cut(std::move(s.msngeluid), 10);
}

void SaveInstellingen(rtl::TIniFile& ini, const Instellingen& s, int startvertraging,
                      bool& msnlijst_gewijzigd, const CommandStarter& start) {
    ini.WriteBool("capi", "NulToevoegen", s.NulToevoegen);
    ini.WriteBool("capi", "Nulerafhalen", s.Nulerafhalen);
    ini.WriteBool("capi", "capireset", s.capireset);
    ini.WriteInteger("capi", "monitorpopuptijd", s.monitorpopuptijd);
    ini.WriteInteger("capi", "afwijstijd", s.afwijstijd);
    ini.WriteInteger("capi", "kaartnummer", s.kaartnummer);
    ini.WriteBool("capi", "automemoklapper", s.automemoklapper);

    WriteText(ini, "foongrep", "foongrepdirectory", s.foongrepdir);
    WriteText(ini, "foongrep", "zoektijd", s.zoektijd);
    ini.WriteBool("capi", "AutomatischZoeken", s.AutomatischZoeken);
    ini.WriteBool("mns", "naamgebruiken", s.naamgebruiken);

    for (int n = 0; n < kMsnCount; ++n) {
        const std::string section = MsnSection(n);
        const MsnInstelling& m = s.msninstellingen[static_cast<std::size_t>(n)];
        ini.WriteBool(section, "reageren", m.reageren);
        WriteText(ini, section, "nummer", m.nummer);
        WriteText(ini, section, "naam", m.naam);
        WriteText(ini, section, "cmd", m.cmd);
        ini.WriteBool(section, "afwijzen", m.afwijzen);
    }

    WriteText(ini, "geluid", "tijden", s.tijden);
    WriteText(ini, "geluid", "msngeluid", s.msngeluid);
    for (int n = 0; n < kMsnCount; ++n) {
        WriteText(ini, "geluid", IntroKey(n), s.msninstellingen[static_cast<std::size_t>(n)].intro);
    }

    ini.WriteBool("algemeen", "autosaveinklapper", s.autosaveinklapper);
    ini.WriteBool("algemeen", "meteenopslaan", s.meteenopslaan);
    ini.WriteBool("algemeen", "DDE", s.DDE);
    ini.WriteBool("algemeen", "taakbalk", s.taakbalk);
    WriteText(ini, "algemeen", "voorvoegsel", s.voorvoegsel);

    for (int n = 0; n < kMsnCount; ++n) {
        const std::string section = MsnSection(n);
        const MsnInstelling& m = s.msninstellingen[static_cast<std::size_t>(n)];
        ini.WriteInteger(section, "kleur", m.kleur);
        ini.WriteInteger(section, "font", m.font);
    }

    ini.WriteBool("msagent", "suport", s.suport);
    WriteText(ini, "msagent", "string", s.msagentstring);
    ini.WriteBool("msagent", "hide", s.hide);
    ini.WriteBool("msagent", "extra", s.msagentextra);

    ini.WriteInteger("algemeen", "startvertraging", startvertraging);

    WriteText(ini, kLanTelefoon, "dir", s.lantelefoondir);
    ini.WriteBool(kLanTelefoon, "uitvoeren", s.lantelefoonuitvoeren);
    if (msnlijst_gewijzigd && s.lantelefoondir != "?" && s.lantelefoonuitvoeren) {
        start(LanHostCommand(s.lantelefoondir));
        msnlijst_gewijzigd = false;
    }

    ini.WriteBool("outlook", "koppeling", s.koppeling);
    ini.WriteBool("outlook", "openen", s.openen);
    ini.WriteBool("outlook", "opslaan", s.opslaan);
    ini.WriteBool("outlook", "loggen", s.loggen);
    ini.WriteBool("outlook", "loggeninlogboek", s.loggeninlogboek);
    ini.WriteBool("outlook", "opnemeninlogboek", s.opnemeninlogboek);
    ini.WriteBool("outlook", "logboekopenen", s.logboekopenen);
}

}  // namespace monitor
