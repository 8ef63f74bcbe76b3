#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "monitor/settings.h"
#include "monitor/sound_recording.h"
#include "platform/os/sound_recorder.h"

namespace monitor {

// What the settings dialog asks the user.
class SettingsQuestions {
  public:
    virtual ~SettingsQuestions() = default;
    // A box with an OK button.
    virtual void Melding(const std::string& text) = 0;
    // A warning with Yes and No; true for Yes.
    virtual bool JaNee(const std::string& text) = 0;
    // An input line; nullopt when cancelled.
    virtual std::optional<std::string> Invoer(const std::string& caption, const std::string& prompt,
                                              const std::string& value) = 0;
    // A wave file to open; nullopt when cancelled.
    virtual std::optional<std::string> WaveBestand(const std::string& folder,
                                                   const std::string& fileName) = 0;
    virtual std::optional<std::int32_t> Kleur(std::int32_t current) = 0;
    // The directory chooser started at `folder`; nullopt when cancelled. May raise when the
    // chosen folder could not be made.
    virtual std::optional<std::string> Map(const std::string& folder) = 0;
};

struct CapiVersie {
    bool geladen = false;  // false: the binding is not loaded and nothing was called
    std::uint32_t info = 0;
    std::uint32_t capiMajor = 0, capiMinor = 0, fabrikantMajor = 0, fabrikantMinor = 0;
    std::string status;  // the binding's status text
};

// The rest of the program as the settings dialog reaches it.
class SettingsPorts {
  public:
    virtual ~SettingsPorts() = default;
    // Whether `folder` holds the named program, found as the program lookup finds it.
    virtual bool ProgrammaAanwezig(const std::string& folder, const std::string& naam) = 0;

    virtual bool AgentBestaat() = 0;
    // Starts the speaking character; false when it cannot.
    virtual bool AgentStarten() = 0;
    virtual void AgentUitzetten() = 0;
    virtual std::string AgentNaam() = 0;
    virtual void AgentSpreek(const std::string& text, int taal, const std::string& animVoor,
                             const std::string& animNa) = 0;
    virtual void AgentVerbergen() = 0;
    virtual void AgentKiesKarakter() = 0;
    virtual void AgentEigenschappen() = 0;

    virtual bool OutlookGekoppeld() = 0;
    virtual void OutlookAankoppelen() = 0;
    virtual void OutlookAfkoppelen() = 0;
    virtual void OutlookTools() = 0;

    // The directory program's status lines, handed over later on the main thread.
    virtual void FoongrepStatus(std::function<void(std::vector<std::string>)> klaar) = 0;
    virtual CapiVersie CapiInfo() = 0;
    // Starts a command line whose every part follows the argument rules; no waiting.
    virtual void StartRegel(const std::string& regel) = 0;
    // Plays a file through the program's sound player without waiting; false when it cannot.
    virtual bool Speel(const std::string& pad) = 0;
    // The recorder for the given command line.
    virtual std::unique_ptr<os::SoundRecorder> Recorder(const std::string& opdracht) = 0;
};

enum class SettingsPage { Belverin, Foongrep, Msns, Geluid, Kleur, Agent, Lan, Outlook, Diversen };

// Every control's value as the dialog holds it until it is applied.
struct SettingsControls {
    std::string ePopuptijd, eafwijstijd, E_kaartnummer;
    bool cbnultoevoegen = false, cbnulerafhalen = false, Cautomemoklapper = false,
         cbcapireset = false;
    std::string lcapiversie = "Capi versie: ?";
    std::string lcapiinfo = "Capi info string: ?";

    std::string lfoongrepdir, ezoektijd;
    bool cbautomatischzoeken = false;
    std::vector<std::string> Memo2;

    std::array<bool, kMsnCount> lb0{};
    std::array<std::string, kMsnCount> lb1, lb2, Lmsncmd;
    std::array<bool, kMsnCount> lbafwijzen{};
    bool Cbnaam = false;

    std::array<bool, 24> cb1{};
    std::array<bool, kMsnCount> Cbmsngeluid{};
    std::array<std::string, kMsnCount> introlist;

    std::array<std::int32_t, kMsnCount> paneelkleur{}, labelkleur{};

    std::string emsagentstring;
    bool cbmsagenthide = false, cbmsagentextra = false;

    std::string llantelefoondir;
    bool cblantelefoonuitvoeren = false;

    bool cboutlookopslaan = false, cboutlookopenen = false, cboutlookloggen = false,
         cboutlookloggeninlogboek = false, Cboutlookopnemeninlogboek = false,
         cboutlooklogboekopenen = false;

    bool Cbautosaveinklapper = false, cbmeteenopslaan = false, cbdde = false, cbintaakbalk = false;
    std::string E_voorvoegsel, E_startvertraging;
};

// The settings dialog without its window: the controls' values, every rule of every page,
// Apply, Cancel and the close question. The window shows `c` and reports each edit.
class SettingsDialogModel {
  public:
    SettingsDialogModel(std::string iniPath, SettingsPorts& ports, SettingsQuestions& vragen);
    ~SettingsDialogModel();

    SettingsControls c;
    // The button face and the window's font colour that "Standaard kleuren" gives.
    std::int32_t standaardPaneelkleur = static_cast<std::int32_t>(0x8000000F);
    std::int32_t standaardLabelkleur = static_cast<std::int32_t>(0x80000008);

    // Called when something arrives later (the directory program's status lines).
    std::function<void()> Bijgewerkt;

    // Reloads the state from the file and fills every control (schermvullenmetiniwaardes).
    void Vullen();
    // Any saved control changed (cbautomatischzoekenClick).
    void Gewijzigd();
    // An MSN switch, the names switch or the LAN host switch changed (cblantelefoonuitvoerenClick).
    void MsnLijstGewijzigd();

    bool ToepassenAan() const { return toepassen_; }  // BT and Bannuleren enabled

    // Writes the state and the file; false, with the first bad field's message, when a number
    // is not valid (nothing written then).
    bool Toepassen();
    void Annuleren();
    // Closing: asks about pending edits; false keeps the window open.
    bool Sluiten();

    // Where the window should go after a refused Apply.
    SettingsPage fokusPagina = SettingsPage::Belverin;
    std::string fokusVeld;

    // MSN page.
    void NummerWijzigen(int rij);
    void NaamWijzigen(int rij);
    // The command-line editor's text for the row it was opened for.
    void Commandline(int rij, const std::string& tekst);

    // Sound page; `rij` is the selected intro row, -1 for none.
    void IntroOpenen(int rij);
    // Starts a recording; true while it runs (the window then offers to stop it).
    bool IntroOpnemenStarten(int rij);
    const std::string& OpnameNaam() const { return opnameNaam_; }
    void OpnameStoppen();
    bool OpnameAfgelopen();
    void OpnameDoden();
    // Ends a recording: the row takes the name when the file is there.
    void OpnameKlaar();
    void IntroTesten(int rij);

    // Colour page.
    void PaneelKlik(int msn);
    void LabelKlik(int msn);
    void StandaardKleuren();

    // Foongrep page.
    void FoongrepMapWijzigen();
    void ZoektijdVerlaten();
    void FoongrepStatusTest();

    // Speaking-character page.
    void AgentAanUit();
    void AgentKarakter();
    void AgentEigenschappen();
    void AgentTaal();
    bool AgentAan() const { return instellingen.suport; }
    std::string AgentKnop() const;

    // LAN host page.
    void LanMapWijzigen();

    // Outlook page.
    void OutlookAanUit();
    void OutlookTools();
    bool OutlookAan() const { return instellingen.koppeling; }
    std::string OutlookKnop() const;

    void CapiInfoTonen();

    // The file the ini path names, and the intro folder.
    const std::string& IniPath() const { return iniPath_; }
    std::string GeluidMap() const;

  private:
    void Herladen();
    void Aan() { toepassen_ = true; }
    bool Controleren(std::int16_t& popup, std::int16_t& afwijs, std::int16_t& kaart, int& start);
    bool Weiger(SettingsPage pagina, const std::string& veld, const std::string& tekst,
                const std::string& label);
    bool IntroGekozen(int rij);

    std::string iniPath_;
    SettingsPorts& ports_;
    SettingsQuestions& vragen_;
    bool toepassen_ = false;
    std::shared_ptr<int> levend_ = std::make_shared<int>(0);

    SoundRecording recording_;
    int opnameRij_ = -1;
    std::string opnameNaam_;
};

// A whole number as the class library reads one: blanks before it, a sign, decimal digits or
// "$" and hexadecimal digits; nullopt for anything else or outside the 32-bit range.
std::optional<std::int32_t> LeesGeheelGetal(const std::string& text);

// Copies `from` into `to` as a whole: a file next to the target first, renamed over it, so a
// failed copy leaves nothing half-written. False when it fails or `from` is `to` itself, with
// the reason in `reden` when given.
bool KopieerHeel(const std::string& from, const std::string& to, std::string* reden = nullptr);

}  // namespace monitor
