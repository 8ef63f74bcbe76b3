#include "monitor/settings_dialog_model.h"

#include <unistd.h>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "capi/capi_texts.h"
#include "platform/rtl/exception.h"
#include "platform/rtl/ini_file.h"

namespace monitor {
namespace {

namespace fs = std::filesystem;

constexpr int kStandaardStartvertraging = 20;
constexpr const char* kIntroEerst = "Eerst een Intro selecteren";
constexpr const char* kRecorderFout = "Error: Sndrec32.exe";
constexpr const char* kAgentUit = "MS Agent support staat uit";
constexpr const char* kTip = "Tip: dubbelklik op de goede directory ";

std::string Getal(int value) {
    return std::to_string(value);
}

// A chosen folder with exactly one "/" at its end.
std::string MetEenSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder == "/" ? folder : folder + "/";
}

std::string Upper(std::string text) {
    for (char& ch : text) {
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    return text;
}

}  // namespace

std::optional<std::int32_t> LeesGeheelGetal(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    bool negatief = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negatief = text[i] == '-';
        ++i;
    }
    int grondtal = 10;
    if (i < text.size() && text[i] == '$') {
        grondtal = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        grondtal = 16;
        i += 2;
    }
    if (i >= text.size()) {
        return std::nullopt;
    }
    std::uint64_t waarde = 0;
    for (; i < text.size(); ++i) {
        const unsigned char ch = static_cast<unsigned char>(text[i]);
        int cijfer = 0;
        if (std::isdigit(ch)) {
            cijfer = ch - '0';
        } else if (grondtal == 16 && std::isxdigit(ch)) {
            cijfer = std::toupper(ch) - 'A' + 10;
        } else {
            return std::nullopt;
        }
        waarde = waarde * static_cast<unsigned>(grondtal) + static_cast<unsigned>(cijfer);
        if (waarde > 0xFFFFFFFFull) {
            return std::nullopt;
        }
    }
    if (grondtal == 16) {
        // Hexadecimal text fills the 32 bits as they stand, as the class library reads it.
        const auto bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(waarde));
        return negatief ? -bits : bits;
    }
    const std::int64_t signed_value =
        negatief ? -static_cast<std::int64_t>(waarde) : static_cast<std::int64_t>(waarde);
    if (signed_value < INT32_MIN || signed_value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(signed_value);
}

bool KopieerHeel(const std::string& from, const std::string& to, std::string* reden) {
    auto fout = [reden](std::string tekst) {
        if (reden != nullptr) {
            *reden = std::move(tekst);
        }
        return false;
    };
    std::error_code ec;
    if (fs::exists(to, ec) && fs::equivalent(from, to, ec)) {
        return fout("bron en doel zijn hetzelfde bestand");
    }
    const std::string tijdelijk = to + ".kopie-" + std::to_string(::getpid());
    {
        errno = 0;
        std::ifstream in(from, std::ios::binary);
        if (!in) {
            return fout(from + ": " + std::strerror(errno != 0 ? errno : EIO));
        }
        errno = 0;
        std::ofstream out(tijdelijk, std::ios::binary | std::ios::trunc);
        if (!out) {
            const int nummer = errno != 0 ? errno : EIO;
            fs::remove(tijdelijk, ec);
            return fout(tijdelijk + ": " + std::strerror(nummer));
        }
        errno = 0;
        // Streaming an empty file sets the fail bit though nothing went wrong.
        if (in.peek() != std::ifstream::traits_type::eof()) {
            out << in.rdbuf();
        }
        out.flush();
        if (!out || in.bad()) {
            const int nummer = errno != 0 ? errno : EIO;
            out.close();
            fs::remove(tijdelijk, ec);
            return fout(std::strerror(nummer));
        }
    }
    fs::rename(tijdelijk, to, ec);
    if (ec) {
        const std::string tekst = ec.message();
        fs::remove(tijdelijk, ec);
        return fout(to + ": " + tekst);
    }
    return true;
}

SettingsDialogModel::SettingsDialogModel(std::string iniPath, SettingsPorts& ports,
                                         SettingsQuestions& vragen)
    : iniPath_(std::move(iniPath)), ports_(ports), vragen_(vragen) {}

SettingsDialogModel::~SettingsDialogModel() = default;

std::string SettingsDialogModel::GeluidMap() const {
    return programmadir() + "geluid/";
}

void SettingsDialogModel::Herladen() {
    rtl::TIniFile ini(iniPath_);
    instellingen = LaadInstellingen(ini, programmadir());
    // The file lags behind the live switches; what runs is what counts.
    instellingen.koppeling = ports_.OutlookGekoppeld();
    instellingen.suport = ports_.AgentBestaat();
}

void SettingsDialogModel::Vullen() {
    Herladen();
    const Instellingen& s = instellingen;
    c.ePopuptijd = Getal(s.monitorpopuptijd);
    c.eafwijstijd = Getal(s.afwijstijd);
    c.E_kaartnummer = Getal(s.kaartnummer);
    c.cbnultoevoegen = s.NulToevoegen;
    c.cbnulerafhalen = s.Nulerafhalen;
    c.Cautomemoklapper = s.automemoklapper;
    c.cbcapireset = s.capireset;
    c.lfoongrepdir = s.foongrepdir;
    c.ezoektijd = s.zoektijd;
    c.cbautomatischzoeken = s.AutomatischZoeken;
    for (std::size_t n = 0; n < kMsnCount; ++n) {
        const MsnInstelling& m = s.msninstellingen[n];
        c.lb0[n] = m.reageren;
        c.lb1[n] = m.nummer;
        c.lb2[n] = m.naam;
        c.Lmsncmd[n] = m.cmd;
        c.lbafwijzen[n] = m.afwijzen;
        c.Cbmsngeluid[n] = n < s.msngeluid.size() && s.msngeluid[n] == '1';
        c.introlist[n] = m.intro;
        c.paneelkleur[n] = m.kleur;
        c.labelkleur[n] = m.font;
    }
    c.Cbnaam = s.naamgebruiken;
    for (std::size_t h = 0; h < c.cb1.size(); ++h) {
        c.cb1[h] = h < s.tijden.size() && s.tijden[h] == '1';
    }
    c.emsagentstring = s.msagentstring;
    c.cbmsagenthide = s.hide;
    c.cbmsagentextra = s.msagentextra;
    c.llantelefoondir = s.lantelefoondir;
    c.cblantelefoonuitvoeren = s.lantelefoonuitvoeren;
    c.cboutlookopslaan = s.opslaan;
    c.cboutlookopenen = s.openen;
    c.cboutlookloggen = s.loggen;
    c.cboutlookloggeninlogboek = s.loggeninlogboek;
    c.Cboutlookopnemeninlogboek = s.opnemeninlogboek;
    c.cboutlooklogboekopenen = s.logboekopenen;
    c.Cbautosaveinklapper = s.autosaveinklapper;
    c.cbmeteenopslaan = s.meteenopslaan;
    c.cbdde = s.DDE;
    c.cbintaakbalk = s.taakbalk;
    c.E_voorvoegsel = s.voorvoegsel;
    rtl::TIniFile ini(iniPath_);
    c.E_startvertraging =
        Getal(ini.ReadInteger("algemeen", "startvertraging", kStandaardStartvertraging));
    toepassen_ = false;
    msnlijstgewijzigd = false;
}

void SettingsDialogModel::Gewijzigd() {
    Aan();
}

void SettingsDialogModel::MsnLijstGewijzigd() {
    Aan();
    msnlijstgewijzigd = true;
}

bool SettingsDialogModel::Weiger(SettingsPage pagina, const std::string& veld,
                                 const std::string& tekst, const std::string& label) {
    fokusPagina = pagina;
    fokusVeld = veld;
    vragen_.Melding("Fout: '" + tekst + "' is geen geldig geheel getal (" + label + ").");
    return false;
}

bool SettingsDialogModel::Controleren(std::int16_t& popup, std::int16_t& afwijs,
                                      std::int16_t& kaart, int& start) {
    struct Veld {
        SettingsPage pagina;
        const char* naam;
        const std::string& tekst;
        const char* label;
        std::int32_t waarde = 0;
    };
    Veld velden[] = {
        {SettingsPage::Belverin, "ePopuptijd", c.ePopuptijd, "Monitor popup tijd"},
        {SettingsPage::Belverin, "eafwijstijd", c.eafwijstijd,
         "Tijd voor het afwijzen van het gesprek"},
        {SettingsPage::Belverin, "E_kaartnummer", c.E_kaartnummer, "ISDN kaart nummer"},
        {SettingsPage::Foongrep, "ezoektijd", c.ezoektijd, "Maximale Foongrep zoektijd"},
        {SettingsPage::Diversen, "E_startvertraging", c.E_startvertraging,
         "Startvertraging automatisch opstarten"},
    };
    for (Veld& v : velden) {
        const auto getal = LeesGeheelGetal(v.tekst);
        if (!getal || *getal < INT16_MIN || *getal > INT16_MAX) {
            return Weiger(v.pagina, v.naam, v.tekst, v.label);
        }
        v.waarde = *getal;
    }
    popup = static_cast<std::int16_t>(velden[0].waarde);
    afwijs = static_cast<std::int16_t>(velden[1].waarde);
    kaart = static_cast<std::int16_t>(velden[2].waarde);
    start = velden[4].waarde;
    ZoektijdVerlaten();
    return true;
}

bool SettingsDialogModel::Toepassen() {
    std::int16_t popup = 0, afwijs = 0, kaart = 0;
    int start = 0;
    if (!Controleren(popup, afwijs, kaart, start)) {
        return false;
    }
    // Starts from the state as it is now: templates edited meanwhile and the live switches.
    Instellingen s = instellingen;
    s.NulToevoegen = c.cbnultoevoegen;
    s.Nulerafhalen = c.cbnulerafhalen;
    s.capireset = c.cbcapireset;
    s.monitorpopuptijd = popup;
    s.afwijstijd = afwijs;
    s.kaartnummer = kaart;
    s.automemoklapper = c.Cautomemoklapper;
    s.AutomatischZoeken = c.cbautomatischzoeken;
    s.naamgebruiken = c.Cbnaam;
    s.tijden.assign(24, '0');
    for (std::size_t h = 0; h < c.cb1.size(); ++h) {
        s.tijden[h] = c.cb1[h] ? '1' : '0';
    }
    s.msngeluid.assign(kMsnCount, '0');
    for (std::size_t n = 0; n < kMsnCount; ++n) {
        MsnInstelling& m = s.msninstellingen[n];
        m.reageren = c.lb0[n];
        m.nummer = c.lb1[n];
        m.naam = c.lb2[n];
        m.cmd = c.Lmsncmd[n];
        m.afwijzen = c.lbafwijzen[n];
        m.intro = c.introlist[n];
        m.kleur = c.paneelkleur[n];
        m.font = c.labelkleur[n];
        s.msngeluid[n] = c.Cbmsngeluid[n] ? '1' : '0';
    }
    s.autosaveinklapper = c.Cbautosaveinklapper;
    s.meteenopslaan = c.cbmeteenopslaan;
    s.DDE = c.cbdde;
    s.taakbalk = c.cbintaakbalk;
    s.voorvoegsel = c.E_voorvoegsel;
    s.msagentstring = c.emsagentstring;
    s.hide = c.cbmsagenthide;
    s.msagentextra = c.cbmsagentextra;
    s.lantelefoondir = c.llantelefoondir;
    s.lantelefoonuitvoeren = c.cblantelefoonuitvoeren;
    s.openen = c.cboutlookopenen;
    s.opslaan = c.cboutlookopslaan;
    s.loggen = c.cboutlookloggen;
    s.loggeninlogboek = c.cboutlookloggeninlogboek;
    s.opnemeninlogboek = c.Cboutlookopnemeninlogboek;
    s.logboekopenen = c.cboutlooklogboekopenen;
    Inkorten(s);
    try {
        rtl::TIniFile ini(iniPath_);
        SaveInstellingen(ini, s, start, msnlijstgewijzigd,
                         [this](const std::string& regel) { ports_.StartRegel(regel); });
    } catch (const rtl::Exception& e) {
        vragen_.Melding(std::string("Fout bij opslaan: ") + e.what());
        return false;
    }
    instellingen = s;
    // The lists show what the run now holds.
    for (std::size_t n = 0; n < kMsnCount; ++n) {
        c.lb1[n] = s.msninstellingen[n].nummer;
        c.lb2[n] = s.msninstellingen[n].naam;
    }
    toepassen_ = false;
    return true;
}

void SettingsDialogModel::Annuleren() {
    Vullen();
}

bool SettingsDialogModel::Sluiten() {
    if (toepassen_ && vragen_.JaNee("Veranderingen toepassen/opslaan ?")) {
        if (!Toepassen()) {
            return false;
        }
    }
    toepassen_ = false;
    return true;
}

void SettingsDialogModel::NummerWijzigen(int rij) {
    if (rij < 0 || rij >= kMsnCount) {
        return;
    }
    auto& veld = c.lb1[static_cast<std::size_t>(rij)];
    if (auto tekst = vragen_.Invoer("MSN wijzigen ", "Geef nieuw nummer: ", veld)) {
        veld = tekst->empty() ? "-" : MsnTekst(*tekst);
        MsnLijstGewijzigd();
    }
}

void SettingsDialogModel::NaamWijzigen(int rij) {
    if (rij < 0 || rij >= kMsnCount) {
        return;
    }
    const auto r = static_cast<std::size_t>(rij);
    if (auto tekst = vragen_.Invoer("Naam van nummer " + c.lb1[r] + " wijzigen?",
                                    "Geef nieuwe naam: ", c.lb2[r])) {
        c.lb2[r] = tekst->empty() ? "-" : MsnTekst(*tekst);
        MsnLijstGewijzigd();
    }
}

void SettingsDialogModel::Commandline(int rij, const std::string& tekst) {
    if (rij < 0 || rij >= kMsnCount) {
        return;
    }
    c.Lmsncmd[static_cast<std::size_t>(rij)] = tekst.empty() ? "-" : tekst;
    Aan();
}

bool SettingsDialogModel::IntroGekozen(int rij) {
    if (rij < 0 || rij >= kMsnCount) {
        vragen_.Melding(kIntroEerst);
        return false;
    }
    return true;
}

void SettingsDialogModel::IntroOpenen(int rij) {
    if (!IntroGekozen(rij)) {
        return;
    }
    const auto r = static_cast<std::size_t>(rij);
    const std::string map = GeluidMap();
    const auto gekozen = vragen_.WaveBestand(map, c.introlist[r]);
    if (!gekozen) {
        return;
    }
    const fs::path bron(*gekozen);
    const std::string extensie = bron.extension().string();
    if (Upper(extensie) != ".WAV") {
        vragen_.Melding("FOUT: " + extensie + " is geen 'wav' bestand ");
        return;
    }
    const std::string naam = bron.filename().string();
    const std::string doel = map + naam;
    std::error_code ec;
    // The chosen file may be the target itself, under any spelling of its path.
    const bool zelfde = fs::exists(doel, ec) && fs::equivalent(bron, doel, ec);
    if (!zelfde) {
        fs::create_directories(map, ec);
        if (!KopieerHeel(bron.string(), doel)) {
            vragen_.Melding("Kopieer fout: ");
            return;
        }
    }
    c.introlist[r] = naam;
    Aan();
}

bool SettingsDialogModel::IntroOpnemenStarten(int rij) {
    if (!IntroGekozen(rij) || recording_.Running()) {
        return false;
    }
    const std::string naam = "intro" + std::to_string(rij + 1) + ".wav";
    const std::string map = GeluidMap();
    std::error_code ec;
    fs::create_directories(map, ec);
    if (!recording_.Start(ports_.Recorder(instellingen.opnameprogramma), map + naam)) {
        vragen_.Melding(kRecorderFout);
        return false;
    }
    opnameRij_ = rij;
    opnameNaam_ = naam;
    return true;
}

void SettingsDialogModel::OpnameStoppen() {
    recording_.Stop();
}

bool SettingsDialogModel::OpnameAfgelopen() {
    return recording_.Ended();
}

void SettingsDialogModel::OpnameDoden() {
    recording_.Kill();
}

void SettingsDialogModel::OpnameKlaar() {
    if (!recording_.Running()) {
        return;
    }
    if (recording_.Finish()) {
        c.introlist[static_cast<std::size_t>(opnameRij_)] = opnameNaam_;
        Aan();
    } else {
        vragen_.Melding(kRecorderFout);
    }
    opnameRij_ = -1;
}

void SettingsDialogModel::IntroTesten(int rij) {
    if (!IntroGekozen(rij)) {
        return;
    }
    const std::string pad = GeluidMap() + c.introlist[static_cast<std::size_t>(rij)];
    std::error_code ec;
    if (!fs::is_regular_file(pad, ec)) {
        vragen_.Melding("Bestand niet gevonden: " + pad);
        return;
    }
    if (!ports_.Speel(pad)) {
        vragen_.Melding(kRecorderFout);
    }
}

void SettingsDialogModel::PaneelKlik(int msn) {
    if (msn < 0 || msn >= kMsnCount) {
        return;
    }
    const auto n = static_cast<std::size_t>(msn);
    if (auto kleur = vragen_.Kleur(c.paneelkleur[n])) {
        c.paneelkleur[n] = *kleur;
        instellingen.msninstellingen[n].kleur = *kleur;
        Aan();
    }
}

void SettingsDialogModel::LabelKlik(int msn) {
    if (msn < 0 || msn >= kMsnCount) {
        return;
    }
    const auto n = static_cast<std::size_t>(msn);
    if (auto kleur = vragen_.Kleur(c.labelkleur[n])) {
        c.labelkleur[n] = *kleur;
        instellingen.msninstellingen[n].font = *kleur;
        Aan();
    }
}

void SettingsDialogModel::StandaardKleuren() {
    c.paneelkleur.fill(standaardPaneelkleur);
    c.labelkleur.fill(standaardLabelkleur);
    Aan();
}

void SettingsDialogModel::FoongrepMapWijzigen() {
    std::optional<std::string> gekozen;
    try {
        gekozen = vragen_.Map(instellingen.foongrepdir);
    } catch (const rtl::Exception& e) {
        vragen_.Melding(e.what());
        return;
    }
    if (!gekozen) {
        return;
    }
    const std::string map = MetEenSlash(*gekozen);
    if (!ports_.ProgrammaAanwezig(map, "foongrep.exe")) {
        vragen_.Melding("Fout: Foongrep.exe niet gevonden in: " + map + "\n\n" + kTip);
        return;
    }
    instellingen.foongrepdir = map;
    c.lfoongrepdir = map;
    Aan();
    FoongrepStatusTest();
}

void SettingsDialogModel::ZoektijdVerlaten() {
    const auto getal = LeesGeheelGetal(c.ezoektijd);
    if (!getal || *getal > INT16_MAX) {
        return;  // Apply names the field
    }
    if (*getal < 5) {
        vragen_.Melding("Mag niet kleiner zijn dan 5 seconden");
        c.ezoektijd = "5";
        instellingen.zoektijd = "5";
        return;
    }
    // The number as the lookup reads it, whatever form it was typed in.
    instellingen.zoektijd = std::to_string(*getal);
}

void SettingsDialogModel::FoongrepStatusTest() {
    c.Memo2.clear();
    std::weak_ptr<int> levend = levend_;
    ports_.FoongrepStatus([this, levend](std::vector<std::string> regels) {
        if (levend.expired()) {
            return;
        }
        c.Memo2 = std::move(regels);
        if (Bijgewerkt) {
            Bijgewerkt();
        }
    });
}

std::string SettingsDialogModel::AgentKnop() const {
    return instellingen.suport ? "MS Agent support uitzetten" : "MS Agent support aanzetten";
}

void SettingsDialogModel::AgentAanUit() {
    if (instellingen.suport) {
        instellingen.suport = false;
        ports_.AgentUitzetten();
    } else if (ports_.AgentStarten()) {
        instellingen.suport = true;
        ports_.AgentSpreek("Hallo ik ben " + ports_.AgentNaam(), 0, "gesturedown", "Pleased");
        if (instellingen.hide) {
            ports_.AgentVerbergen();
        }
    }
    Aan();
}

void SettingsDialogModel::AgentKarakter() {
    if (!instellingen.suport) {
        vragen_.Melding(kAgentUit);
        return;
    }
    ports_.AgentKiesKarakter();
}

void SettingsDialogModel::AgentEigenschappen() {
    if (!instellingen.suport) {
        vragen_.Melding(kAgentUit);
        return;
    }
    ports_.AgentEigenschappen();
}

void SettingsDialogModel::AgentTaal() {
    if (!instellingen.suport) {
        vragen_.Melding(kAgentUit);
        return;
    }
    // A cancelled input keeps its default, as an input box gives it back.
    const std::string tekst =
        vragen_.Invoer("Nieuwe Taal ID", "Geef decimaal getal", "1033").value_or("1033");
    int taal = 0;
    const auto getal = LeesGeheelGetal(tekst);
    if (!getal || *getal < INT16_MIN || *getal > INT16_MAX) {
        vragen_.Melding("Fout: Geen Integer getal");
    } else {
        taal = *getal;
    }
    if (ports_.AgentBestaat()) {
        ports_.AgentSpreek(
            "Ik spreek vele talen als:\nDe MS Agent lanquage DLL en \nde betreffende "
            "Text-to-Speech engine zijn geinstalleerd ",
            taal, "gesturedown", "getattention");
    }
}

void SettingsDialogModel::LanMapWijzigen() {
    std::optional<std::string> gekozen;
    try {
        gekozen = vragen_.Map(c.llantelefoondir == "?" ? programmadir() : c.llantelefoondir);
    } catch (const rtl::Exception& e) {
        vragen_.Melding(e.what());
        return;
    }
    if (!gekozen) {
        return;
    }
    const std::string map = MetEenSlash(*gekozen);
    if (ports_.ProgrammaAanwezig(map, "lantelhost.exe")) {
        c.llantelefoondir = map;
        instellingen.lantelefoondir = map;
        MsnLijstGewijzigd();
        return;
    }
    vragen_.Melding("Fout: Lantelhost.exe niet gevonden in: " + map + "\n\n" + kTip);
    c.llantelefoondir = "?";
    instellingen.lantelefoondir = "?";
    c.cblantelefoonuitvoeren = false;
    Aan();
}

std::string SettingsDialogModel::OutlookKnop() const {
    return instellingen.koppeling ? "Outlook koppeling uitzetten" : "Outlook koppeling aanzetten";
}

void SettingsDialogModel::OutlookAanUit() {
    if (ports_.OutlookGekoppeld()) {
        ports_.OutlookAfkoppelen();
    } else {
        ports_.OutlookAankoppelen();
    }
    instellingen.koppeling = ports_.OutlookGekoppeld();
    Aan();
}

void SettingsDialogModel::OutlookTools() {
    ports_.OutlookTools();
}

void SettingsDialogModel::CapiInfoTonen() {
    const CapiVersie v = ports_.CapiInfo();
    if (!v.geladen) {
        c.lcapiinfo = v.status;
        return;
    }
    c.lcapiinfo = v.info == 0 ? std::string("OK ($0000)") : capi::CapiInfoText(v.info);
    c.lcapiversie = "CAPI: " + std::to_string(v.capiMajor) + "." + std::to_string(v.capiMinor) +
                    "  Version: " + std::to_string(v.fabrikantMajor) + "." +
                    std::to_string(v.fabrikantMinor);
}

}  // namespace monitor
