#include "monitor/settings_dialog_model.h"

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include <gtest/gtest.h>

#include "platform/os/tests/probe_fixture.h"
#include "platform/rtl/program_folder.h"

namespace monitor {
namespace {

namespace fs = std::filesystem;

struct Vragen : SettingsQuestions {
    void Melding(const std::string& text) override { meldingen.push_back(text); }
    bool JaNee(const std::string& text) override {
        vragen.push_back(text);
        return ja;
    }
    std::optional<std::string> Invoer(const std::string& caption, const std::string& prompt,
                                      const std::string& value) override {
        invoer.push_back(caption + "|" + prompt + "|" + value);
        auto a = invoerAntwoorden.front();
        invoerAntwoorden.pop_front();
        return a;
    }
    std::optional<std::string> WaveBestand(const std::string& folder,
                                           const std::string& name) override {
        bestandGevraagd = folder + "|" + name;
        return bestand;
    }
    std::optional<std::int32_t> Kleur(std::int32_t) override { return kleur; }
    std::optional<std::string> Map(const std::string&) override { return map; }

    std::vector<std::string> meldingen, vragen, invoer;
    bool ja = true;
    std::deque<std::optional<std::string>> invoerAntwoorden;
    std::optional<std::string> bestand, map;
    std::string bestandGevraagd;
    std::optional<std::int32_t> kleur;
};

struct Poorten : SettingsPorts {
    bool ProgrammaAanwezig(const std::string& folder, const std::string& naam) override {
        return fs::exists(folder + naam);
    }
    bool AgentBestaat() override { return agent; }
    bool AgentStarten() override { return agent = agentKan; }
    void AgentUitzetten() override { agent = false; }
    std::string AgentNaam() override { return "Robby"; }
    void AgentSpreek(const std::string& text, int taal, const std::string& voor,
                     const std::string& na) override {
        gesproken.push_back(text + "|" + std::to_string(taal) + "|" + voor + "|" + na);
    }
    void AgentVerbergen() override { ++verborgen; }
    void AgentKiesKarakter() override {}
    void AgentEigenschappen() override {}
    bool OutlookGekoppeld() override { return outlook; }
    void OutlookAankoppelen() override { outlook = true; }
    void OutlookAfkoppelen() override { outlook = false; }
    void OutlookTools() override {}
    void FoongrepStatus(std::function<void(std::vector<std::string>)> klaar) override {
        statusKlaar = std::move(klaar);
    }
    CapiVersie CapiInfo() override { return capi; }
    void StartRegel(const std::string& regel) override { gestart.push_back(regel); }
    bool Speel(const std::string& pad) override {
        gespeeld.push_back(pad);
        return true;
    }
    std::unique_ptr<os::SoundRecorder> Recorder(const std::string& opdracht) override {
        return std::make_unique<os::ProgramRecorder>(opdracht, rtl::ProgramDir());
    }

    bool agent = false, agentKan = true, outlook = false;
    int verborgen = 0;
    std::vector<std::string> gesproken, gestart, gespeeld;
    std::function<void(std::vector<std::string>)> statusKlaar;
    CapiVersie capi;
};

std::string Lees(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class SettingsDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        rtl::SetProgramDir(folder.Dir());
        ini = folder.Dir() + "belvo.ini";
        std::ofstream(ini) << "[capi]\r\nbellersstring=%v\r\n[msn2]\r\nnummer=0301234567\r\n";
        instellingen = Instellingen{};
        msnlijstgewijzigd = false;
        model.Vullen();
    }
    void TearDown() override {
        rtl::SetProgramDir("");
        instellingen = Instellingen{};
        msnlijstgewijzigd = false;
    }

    os::testing::ProbeFolder folder;
    std::string ini;
    Vragen vragen;
    Poorten poorten;
    SettingsDialogModel model{folder.Dir() + "belvo.ini", poorten, vragen};
};

TEST_F(SettingsDialog, OpenAndCloseWithoutAChangeWritesNothing) {
    const std::string voor = Lees(ini);
    EXPECT_FALSE(model.ToepassenAan());
    EXPECT_EQ(model.c.lb1[2], "0301234567");
    EXPECT_EQ(model.c.E_startvertraging, "20");
    EXPECT_TRUE(model.Sluiten());
    EXPECT_TRUE(vragen.vragen.empty());
    EXPECT_EQ(Lees(ini), voor);
}

TEST_F(SettingsDialog, ApplyWritesFromTheStateAsItIsThen) {
    model.c.cbdde = true;
    model.Gewijzigd();
    // The template editor saved meanwhile.
    instellingen.bellersstring = "%n nieuw";
    ASSERT_TRUE(model.Toepassen());
    EXPECT_FALSE(model.ToepassenAan());
    EXPECT_TRUE(instellingen.DDE);
    EXPECT_EQ(instellingen.bellersstring, "%n nieuw");
    rtl::TIniFile file(ini);
    EXPECT_TRUE(file.ReadBool("algemeen", "DDE", false));
    EXPECT_EQ(file.ReadInteger("algemeen", "startvertraging", 0), 20);
}

TEST_F(SettingsDialog, ClearedMsnNumberAndNameAreDash) {
    vragen.invoerAntwoorden = {std::string(""), std::nullopt, std::string("")};
    model.NummerWijzigen(2);
    EXPECT_EQ(model.c.lb1[2], "-");
    EXPECT_TRUE(msnlijstgewijzigd);
    EXPECT_TRUE(model.ToepassenAan());
    model.NaamWijzigen(2);  // cancelled
    EXPECT_EQ(model.c.lb2[2], "");
    model.NaamWijzigen(2);
    EXPECT_EQ(model.c.lb2[2], "-");
    EXPECT_EQ(vragen.invoer[0], "MSN wijzigen |Geef nieuw nummer: |0301234567");
    EXPECT_EQ(vragen.invoer[1], "Naam van nummer - wijzigen?|Geef nieuwe naam: |");
    ASSERT_TRUE(model.Toepassen());
    EXPECT_EQ(rtl::TIniFile(ini).ReadString("msn2", "nummer", ""), "-");
}

TEST_F(SettingsDialog, SearchTimeBelowFiveBecomesFive) {
    model.c.ezoektijd = "3";
    model.ZoektijdVerlaten();
    EXPECT_EQ(model.c.ezoektijd, "5");
    EXPECT_EQ(instellingen.zoektijd, "5");
    EXPECT_EQ(vragen.meldingen, std::vector<std::string>{"Mag niet kleiner zijn dan 5 seconden"});
    model.c.ezoektijd = "$1E";
    model.ZoektijdVerlaten();
    EXPECT_EQ(instellingen.zoektijd, "30");
}

TEST_F(SettingsDialog, BadNumberRefusesTheWholeApply) {
    struct Veld {
        std::string SettingsControls::*veld;
        const char* naam;
        SettingsPage pagina;
        const char* label;
    };
    const Veld velden[] = {
        {&SettingsControls::ePopuptijd, "ePopuptijd", SettingsPage::Belverin, "Monitor popup tijd"},
        {&SettingsControls::eafwijstijd, "eafwijstijd", SettingsPage::Belverin,
         "Tijd voor het afwijzen van het gesprek"},
        {&SettingsControls::E_kaartnummer, "E_kaartnummer", SettingsPage::Belverin,
         "ISDN kaart nummer"},
        {&SettingsControls::ezoektijd, "ezoektijd", SettingsPage::Foongrep,
         "Maximale Foongrep zoektijd"},
        {&SettingsControls::E_startvertraging, "E_startvertraging", SettingsPage::Diversen,
         "Startvertraging automatisch opstarten"},
    };
    struct Invoer {
        const char* tekst;
        bool goed;
    };
    const Invoer invoer[] = {{"abc", false}, {"", false},   {"70000", false}, {"$1F", true},
                             {"-5", true},   {" 12", true}, {"12 ", false}};
    const std::string voor = Lees(ini);
    for (const Veld& v : velden) {
        for (const Invoer& i : invoer) {
            SCOPED_TRACE(std::string(v.naam) + " = '" + i.tekst + "'");
            model.Vullen();
            const Instellingen staat = instellingen;
            vragen.meldingen.clear();
            model.c.cbdde = true;  // an edit that a refused apply must not write
            model.Gewijzigd();
            model.c.*v.veld = i.tekst;
            const bool gelukt = model.Toepassen();
            EXPECT_EQ(gelukt, i.goed);
            if (!i.goed) {
                ASSERT_EQ(vragen.meldingen.size(), 1u);
                EXPECT_EQ(vragen.meldingen[0], std::string("Fout: '") + i.tekst +
                                                   "' is geen geldig geheel getal (" + v.label +
                                                   ").");
                EXPECT_EQ(model.fokusPagina, v.pagina);
                EXPECT_EQ(model.fokusVeld, v.naam);
                EXPECT_TRUE(model.ToepassenAan());
                EXPECT_EQ(instellingen, staat);
                EXPECT_EQ(Lees(ini), voor);
            }
            std::ofstream(ini, std::ios::trunc) << voor;
        }
    }
}

TEST_F(SettingsDialog, AcceptedNumbersAreWrittenAsTheirValue) {
    model.c.ePopuptijd = "$1F";
    model.c.eafwijstijd = "-5";
    model.c.E_startvertraging = "0x10";
    model.Gewijzigd();
    ASSERT_TRUE(model.Toepassen());
    rtl::TIniFile file(ini);
    EXPECT_EQ(file.ReadInteger("capi", "monitorpopuptijd", 0), 31);
    EXPECT_EQ(file.ReadInteger("capi", "afwijstijd", 0), -5);
    EXPECT_EQ(file.ReadInteger("algemeen", "startvertraging", 0), 16);
}

TEST_F(SettingsDialog, BadFieldAtClosingKeepsTheWindowOpen) {
    model.c.E_kaartnummer = "twee";
    model.Gewijzigd();
    vragen.ja = true;
    EXPECT_FALSE(model.Sluiten());
    vragen.ja = false;
    EXPECT_TRUE(model.Sluiten());
    EXPECT_EQ(vragen.vragen.back(), "Veranderingen toepassen/opslaan ?");
}

TEST_F(SettingsDialog, LiveOutlookLinkSurvivesCancelAndNo) {
    const std::string voor = Lees(ini);
    model.OutlookAanUit();
    EXPECT_TRUE(poorten.outlook);
    EXPECT_EQ(model.OutlookKnop(), "Outlook koppeling uitzetten");
    model.Annuleren();
    EXPECT_TRUE(poorten.outlook);
    EXPECT_TRUE(instellingen.koppeling);
    EXPECT_FALSE(model.ToepassenAan());
    model.OutlookAanUit();
    model.OutlookAanUit();
    vragen.ja = false;
    EXPECT_TRUE(model.Sluiten());
    EXPECT_TRUE(poorten.outlook);
    EXPECT_TRUE(instellingen.koppeling);
    EXPECT_EQ(Lees(ini), voor);
}

TEST_F(SettingsDialog, LiveCharacterIsNotStartedTwice) {
    model.AgentAanUit();
    EXPECT_TRUE(poorten.agent);
    EXPECT_EQ(poorten.gesproken,
              std::vector<std::string>{"Hallo ik ben Robby|0|gesturedown|Pleased"});
    model.Annuleren();  // the file still says off
    EXPECT_EQ(model.AgentKnop(), "MS Agent support uitzetten");
    model.AgentAanUit();
    EXPECT_FALSE(poorten.agent);
    EXPECT_EQ(poorten.gesproken.size(), 1u);
}

TEST_F(SettingsDialog, ProgramFoldersNeedTheirProgram) {
    const std::string met = folder.Dir() + "met";
    const std::string zonder = folder.Dir() + "zonder";
    fs::create_directories(met);
    fs::create_directories(zonder);
    std::ofstream(met + "/foongrep.exe") << "";
    std::ofstream(met + "/lantelhost.exe") << "";
    const std::string oud = instellingen.foongrepdir;

    vragen.map = zonder + "//";
    model.FoongrepMapWijzigen();
    EXPECT_EQ(instellingen.foongrepdir, oud);
    EXPECT_EQ(model.c.lfoongrepdir, oud);
    EXPECT_EQ(vragen.meldingen.back(), "Fout: Foongrep.exe niet gevonden in: " + zonder +
                                           "/\n\nTip: dubbelklik op de goede directory ");
    EXPECT_FALSE(model.ToepassenAan());

    vragen.map = met;
    model.FoongrepMapWijzigen();
    EXPECT_EQ(instellingen.foongrepdir, met + "/");
    EXPECT_EQ(model.c.lfoongrepdir, met + "/");
    ASSERT_TRUE(poorten.statusKlaar);
    poorten.statusKlaar({"regel 1", "regel 2"});
    EXPECT_EQ(model.c.Memo2, (std::vector<std::string>{"regel 1", "regel 2"}));

    model.c.cblantelefoonuitvoeren = true;
    vragen.map = zonder;
    model.LanMapWijzigen();
    EXPECT_EQ(model.c.llantelefoondir, "?");
    EXPECT_FALSE(model.c.cblantelefoonuitvoeren);
    EXPECT_EQ(vragen.meldingen.back(), "Fout: Lantelhost.exe niet gevonden in: " + zonder +
                                           "/\n\nTip: dubbelklik op de goede directory ");

    msnlijstgewijzigd = false;
    vragen.map = met + "/";
    model.LanMapWijzigen();
    EXPECT_EQ(model.c.llantelefoondir, met + "/");
    EXPECT_TRUE(msnlijstgewijzigd);
    model.c.cblantelefoonuitvoeren = true;
    ASSERT_TRUE(model.Toepassen());
    ASSERT_EQ(poorten.gestart.size(), 1u);
    EXPECT_NE(poorten.gestart[0].find("lantelhost.exe"), std::string::npos);
    EXPECT_FALSE(msnlijstgewijzigd);
}

TEST_F(SettingsDialog, CommandLineGoesToItsOwnRow) {
    model.Commandline(4, "prog %n");
    model.Commandline(5, "");
    EXPECT_EQ(model.c.Lmsncmd[4], "prog %n");
    EXPECT_EQ(model.c.Lmsncmd[5], "-");
    EXPECT_TRUE(model.ToepassenAan());
}

TEST_F(SettingsDialog, LanguageThatIsNoSmallIntegerSpeaksInZero) {
    model.AgentTaal();
    EXPECT_EQ(vragen.meldingen, std::vector<std::string>{"MS Agent support staat uit"});
    model.AgentAanUit();
    for (const char* tekst : {"abc", "70000"}) {
        SCOPED_TRACE(tekst);
        vragen.meldingen.clear();
        poorten.gesproken.clear();
        vragen.invoerAntwoorden = {std::string(tekst)};
        model.AgentTaal();
        EXPECT_EQ(vragen.meldingen, std::vector<std::string>{"Fout: Geen Integer getal"});
        ASSERT_EQ(poorten.gesproken.size(), 1u);
        EXPECT_EQ(poorten.gesproken[0].rfind("Ik spreek vele talen als:", 0), 0u);
        EXPECT_NE(poorten.gesproken[0].find("|0|gesturedown|getattention"), std::string::npos);
    }
    vragen.invoerAntwoorden = {std::string("1043")};
    model.AgentTaal();
    EXPECT_NE(poorten.gesproken.back().find("|1043|"), std::string::npos);
}

TEST_F(SettingsDialog, CapiInfoShowsTheVersionOrTheBindingStatus) {
    poorten.capi = CapiVersie{false, 0, 0, 0, 0, 0, "CAPI2032.DLL not loaded"};
    model.CapiInfoTonen();
    EXPECT_EQ(model.c.lcapiinfo, "CAPI2032.DLL not loaded");
    EXPECT_EQ(model.c.lcapiversie, "Capi versie: ?");
    poorten.capi = CapiVersie{true, 0, 2, 0, 3, 14, ""};
    model.CapiInfoTonen();
    EXPECT_EQ(model.c.lcapiinfo, "OK ($0000)");
    EXPECT_EQ(model.c.lcapiversie, "CAPI: 2.0  Version: 3.14");
}

TEST_F(SettingsDialog, ColourClicksActAtOnceAndStayAfterNo) {
    vragen.kleur = 0x123456;
    model.PaneelKlik(3);
    model.LabelKlik(3);
    EXPECT_EQ(instellingen.msninstellingen[3].kleur, 0x123456);
    EXPECT_EQ(instellingen.msninstellingen[3].font, 0x123456);
    const std::string voor = Lees(ini);
    vragen.ja = false;
    EXPECT_TRUE(model.Sluiten());
    EXPECT_EQ(instellingen.msninstellingen[3].kleur, 0x123456);
    EXPECT_EQ(Lees(ini), voor);
    model.StandaardKleuren();
    EXPECT_EQ(model.c.paneelkleur[0], static_cast<std::int32_t>(0x8000000F));
    EXPECT_EQ(instellingen.msninstellingen[3].kleur, 0x123456);  // until applied
}

class SoundPage : public SettingsDialog {
  protected:
    std::string Recorder(const std::string& args) {
        return "\"" + std::string(BELVERIN_FAKE_RECORDER) + "\"" + args;
    }
    static bool Wacht(SettingsDialogModel& m) {
        for (int i = 0; i < 500 && !m.OpnameAfgelopen(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return m.OpnameAfgelopen();
    }
};

TEST_F(SoundPage, EveryButtonNeedsASelectedRow) {
    model.IntroOpenen(-1);
    EXPECT_FALSE(model.IntroOpnemenStarten(-1));
    model.IntroTesten(-1);
    EXPECT_EQ(vragen.meldingen, std::vector<std::string>(3, "Eerst een Intro selecteren"));
}

TEST_F(SoundPage, RecordsTheThirdIntroIntoTheSoundFolder) {
    instellingen.opnameprogramma = Recorder(" -q");
    ASSERT_TRUE(model.IntroOpnemenStarten(2));
    EXPECT_EQ(model.OpnameNaam(), "intro3.wav");
    // The stand-in sets up its signals before it makes the file.
    const std::string pad = folder.Dir() + "geluid/intro3.wav";
    for (int i = 0; i < 500 && !fs::exists(pad); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(model.c.introlist[2], "");  // named only once it has ended
    model.OpnameStoppen();
    ASSERT_TRUE(Wacht(model));
    model.OpnameKlaar();
    EXPECT_EQ(model.c.introlist[2], "intro3.wav");
    EXPECT_TRUE(model.ToepassenAan());
    EXPECT_GT(fs::file_size(folder.Dir() + "geluid/intro3.wav"), 44u);
    EXPECT_TRUE(vragen.meldingen.empty());
}

TEST_F(SoundPage, FailingRecorderGivesItsMessage) {
    std::string oud = "oude opname";
    fs::create_directories(folder.Dir() + "geluid");
    std::ofstream(folder.Dir() + "geluid/intro1.wav") << oud;
    struct Case {
        std::string opdracht;
        bool start;
    };
    const Case cases[] = {{Recorder(" --fail"), true}, {"geen-recorder-hier", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.opdracht);
        vragen.meldingen.clear();
        instellingen.opnameprogramma = c.opdracht;
        EXPECT_EQ(model.IntroOpnemenStarten(0), c.start);
        if (c.start) {
            ASSERT_TRUE(Wacht(model));
            model.OpnameKlaar();
        }
        EXPECT_EQ(vragen.meldingen, std::vector<std::string>{"Error: Sndrec32.exe"});
        EXPECT_EQ(model.c.introlist[0], "");
        EXPECT_EQ(Lees(folder.Dir() + "geluid/intro1.wav"), oud);
    }
}

TEST_F(SoundPage, OpenCopiesAWaveFileWhole) {
    const std::string elders = folder.Dir() + "elders";
    fs::create_directories(elders);
    std::ofstream(elders + "/bel.WAV") << "RIFF-bel";
    std::ofstream(elders + "/muziek.mp3") << "mp3";

    vragen.bestand = elders + "/muziek.mp3";
    model.IntroOpenen(1);
    EXPECT_EQ(vragen.meldingen.back(), "FOUT: .mp3 is geen 'wav' bestand ");
    EXPECT_EQ(model.c.introlist[1], "");

    vragen.bestand = elders + "/bel.WAV";
    model.IntroOpenen(1);
    EXPECT_EQ(vragen.bestandGevraagd, folder.Dir() + "geluid/|");
    EXPECT_EQ(model.c.introlist[1], "bel.WAV");
    EXPECT_EQ(Lees(folder.Dir() + "geluid/bel.WAV"), "RIFF-bel");

    // The target itself, reached by another path: no copy, so it is not emptied.
    vragen.bestand = folder.Dir() + "geluid/../geluid/bel.WAV";
    model.IntroOpenen(4);
    EXPECT_EQ(model.c.introlist[4], "bel.WAV");
    EXPECT_EQ(Lees(folder.Dir() + "geluid/bel.WAV"), "RIFF-bel");
}

TEST_F(SoundPage, TestPlaysThroughThePlayer) {
    model.c.introlist[0] = "ontbreekt.wav";
    model.IntroTesten(0);
    EXPECT_EQ(vragen.meldingen.back(),
              "Bestand niet gevonden: " + folder.Dir() + "geluid/ontbreekt.wav");
    fs::create_directories(folder.Dir() + "geluid");
    std::ofstream(folder.Dir() + "geluid/er.wav") << "RIFF";
    model.c.introlist[0] = "er.wav";
    model.IntroTesten(0);
    EXPECT_EQ(poorten.gespeeld, std::vector<std::string>{folder.Dir() + "geluid/er.wav"});
}

TEST(KopieerHeel, CopiesOrLeavesNothing) {
    os::testing::ProbeFolder f;
    std::ofstream(f.Dir() + "a") << "inhoud";
    EXPECT_TRUE(KopieerHeel(f.Dir() + "a", f.Dir() + "b"));
    EXPECT_EQ(Lees(f.Dir() + "b"), "inhoud");
    EXPECT_FALSE(KopieerHeel(f.Dir() + "a", f.Dir() + "./a"));
    EXPECT_EQ(Lees(f.Dir() + "a"), "inhoud");
    EXPECT_FALSE(KopieerHeel(f.Dir() + "weg", f.Dir() + "c"));
    EXPECT_FALSE(fs::exists(f.Dir() + "c"));
    EXPECT_EQ(std::distance(fs::directory_iterator(f.Dir()), fs::directory_iterator()), 2);
}

TEST(LeesGeheelGetal, ReadsAsTheClassLibrary) {
    struct Case {
        const char* tekst;
        std::optional<std::int32_t> waarde;
    };
    const Case cases[] = {{"12", 12},
                          {"-5", -5},
                          {"+7", 7},
                          {"$1F", 31},
                          {"0x1f", 31},
                          {"  9", 9},
                          {"9 ", {}},
                          {"", {}},
                          {"abc", {}},
                          {"$", {}},
                          {"1.5", {}},
                          {"2147483648", {}},
                          {"-2147483648", INT32_MIN},
                          {"$FFFFFFFF", -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tekst);
        EXPECT_EQ(LeesGeheelGetal(c.tekst), c.waarde);
    }
}

}  // namespace
}  // namespace monitor
