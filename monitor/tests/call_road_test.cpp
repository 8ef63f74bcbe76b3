#include "monitor/call_road.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "monitor/caller_record.h"
#include "monitor/colour_words.h"
#include "monitor/road_sounds.h"
#include "monitor/settings.h"
#include "monitor/tests/road_doubles.h"

namespace monitor {
namespace {

using testing::FailingPort;
using testing::RoadDoubles;
using Strings = std::vector<std::string>;

constexpr const char* kJan = "0612345678";
constexpr const char* kOnbekend = "0201234567";

MsnInstelling& Msn(int i) {
    return instellingen.msninstellingen[static_cast<std::size_t>(i)];
}

KlapperTreffer JanSmit() {
    KlapperTreffer t;
    t.voornaam = "Jan";
    t.naam = "Smit";
    t.straat = "Dorpsstraat 1";
    t.postcode = "1234AB";
    t.plaats = "Ergens";
    t.extra = "Hoi %v";
    t.omschr = "buurman";
    t.kleur = "rood";
    t.fontkleur = "wit";
    t.afwijzen = "0000000000";
    t.tijd = "1111111111";
    t.geluid = "jan.wav";
    t.cmdline = "-";
    t.bookmark = "b7";
    return t;
}

// Three own numbers: msn0 plain, msn3 with its own colours and intro, msn5 not reacting.
class CallRoadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        instellingen = Instellingen{};
        inkomendebeller = {};
        huidigebeller = {};
        instellingen.monitorpopuptijd = 999;
        instellingen.AutomatischZoeken = true;
        Msn(0).nummer = "111";
        Msn(0).naam = "Thuis";
        Msn(0).intro = "intro0.wav";
        Msn(3).nummer = "444";
        Msn(3).naam = "Werk";
        Msn(3).kleur = 0x00AA00;
        Msn(3).font = 0x112233;
        Msn(3).intro = "intro3.wav";
        Msn(5).nummer = "666";
        Msn(5).reageren = false;
        d.entries[kJan] = JanSmit();
        d.directoryResult = [](telefoonrecordtype& b) {
            b.voornaam = "Piet";
            b.naam = "Bakker";
            b.straat = "Kade 9";
            b.postcode = "9999ZZ";
            b.plaats = "Haven";
            b.zoekstatus = "Gevonden in de KPN-cdfoongids";
        };
    }

    void Call(const std::string& nummer, const std::string& msn, bool simulated = false) {
        road.IncomingCall(nummer, msn, 1, "Telefonie", simulated);
    }

    RoadDoubles d;
    CallRoad road{d.Ports()};
};

struct RoadCase {
    const char* name;
    std::function<void(RoadDoubles&, CallRoad&)> setup;
    std::function<void(RoadDoubles&, CallRoad&)> act;
    std::function<void(const RoadDoubles&, const CallRoad&)> check;
};

void CallAndSettle(RoadDoubles& d, CallRoad& road, const std::string& nummer,
                   const std::string& msn) {
    road.IncomingCall(nummer, msn, 1, "Telefonie");
    d.Settle();
}

auto Calls(const std::string& nummer, const std::string& msn) {
    return [=](RoadDoubles& d, CallRoad& road) { CallAndSettle(d, road, nummer, msn); };
}

void NoSetup(RoadDoubles&, CallRoad&) {}

const std::vector<RoadCase>& RoadCases() {
    static const std::vector<RoadCase> cases = {
        {"Msn3ReactsCountsColoursAndLogs", NoSetup, Calls(kJan, "444"),
         [](const RoadDoubles& d, const CallRoad& road) {
             EXPECT_EQ(road.teller(), 1);
             EXPECT_EQ(d.view.teller, 1);
             EXPECT_EQ(d.view.kleur, 0x00AA00);
             EXPECT_EQ(d.view.font, 0x112233);
             ASSERT_EQ(d.logRecords.size(), 1u);
             EXPECT_EQ(d.logRecords[0].msnindex, 3);
             EXPECT_EQ(d.logRecords[0].msn, "444");
             EXPECT_EQ(d.logRecords[0].naam, "Smit");
             EXPECT_EQ(d.logRecords[0].soort, "Telefonie (1)");
             EXPECT_EQ(d.logRecords[0].zoekstatus, "In de Klapper gevonden");
             EXPECT_EQ(d.view.nummerLabel, "0612345678 (444)");
             // The entry's words over the MSN's colours.
             EXPECT_EQ(d.view.panel1, 0x0000FF);
             EXPECT_EQ(d.view.gegevensFont, 0xFFFFFF);
             EXPECT_TRUE(d.view.Image(1));
             EXPECT_EQ(d.view.memo, Strings{"1) 14:05:09 - 0612345678 - Jan, Smit,  - "
                                            "Telefonie (1) - 444 -In de Klapper gevonden"});
             EXPECT_EQ(d.view.trayTip, d.view.memo.back());
             EXPECT_EQ(d.view.gegevensLabel, "Jan, Smit, ");
             EXPECT_EQ(d.plays, (std::vector<Strings>{{"intro3", "jan"}}));
             EXPECT_EQ(d.filterCleared, 1);
             EXPECT_EQ(d.directoryRuns, 0);
             EXPECT_TRUE(road.monitorvrij());
             EXPECT_TRUE(d.view.memoEnabled);
             EXPECT_FALSE(d.view.hourglass);
         }},
        {"NumberMatchingNoMsn", NoSetup, Calls(kJan, "999"),
         [](const RoadDoubles& d, const CallRoad& road) {
             EXPECT_EQ(d.view.memo, Strings{"?) 14:05:09 - 0612345678 - 999 - Niet als eigen "
                                            "nummer opgegeven"});
             EXPECT_TRUE(d.view.visible);
             EXPECT_TRUE(d.view.Image(4));
             EXPECT_TRUE(d.logRecords.empty());
             EXPECT_EQ(road.teller(), 0);
             EXPECT_FALSE(d.view.kleur.has_value());
             EXPECT_TRUE(road.monitorvrij());
         }},
        {"MsnNotReacting", NoSetup, Calls(kJan, "666"),
         [](const RoadDoubles& d, const CallRoad& road) {
             EXPECT_EQ(d.view.memo, Strings{"?) 14:05:09 - 0612345678 - 666 - MSN staat niet "
                                            "aan (instellingen/MSN's"});
             EXPECT_FALSE(d.view.visible);
             EXPECT_TRUE(d.view.Image(4));
             EXPECT_TRUE(d.logRecords.empty());
             EXPECT_EQ(road.teller(), 0);
             EXPECT_EQ(d.view.nummerLabel, "0612345678 (666)");
         }},
        {"NoNumberWithoutDashEntry", [](RoadDoubles&, CallRoad&) { instellingen.koppeling = true; },
         Calls("", "111"),
         [](const RoadDoubles& d, const CallRoad& road) {
             EXPECT_EQ(d.view.nummerLabel, "-- (111)");
             ASSERT_EQ(d.logRecords.size(), 1u);
             EXPECT_EQ(d.logRecords[0].nummer, "--");
             EXPECT_EQ(d.logRecords[0].zoekstatus, "Geen nummer herkend");
             EXPECT_TRUE(d.view.Image(3));
             EXPECT_TRUE(d.contactSearches.empty());
             EXPECT_EQ(d.directoryRuns, 0);
             EXPECT_TRUE(road.monitorvrij());
         }},
        {"NoNumberWithDashEntry",
         [](RoadDoubles& d, CallRoad&) {
             KlapperTreffer anoniem;
             anoniem.naam = "Anoniem";
             d.entries["--"] = anoniem;
         },
         Calls("", "111"),
         [](const RoadDoubles& d, const CallRoad&) {
             ASSERT_EQ(d.logRecords.size(), 1u);
             EXPECT_EQ(d.logRecords[0].naam, "Anoniem");
             EXPECT_EQ(d.logRecords[0].zoekstatus, "In de Klapper gevonden");
             EXPECT_EQ(d.view.gegevensLabel, "Anoniem");
             EXPECT_FALSE(d.view.Image(3));
         }},
        {"SecondCallDuringDirectoryWait", NoSetup,
         [](RoadDoubles& d, CallRoad& road) {
             road.SetMagAfwijzen(true);
             road.IncomingCall(kOnbekend, "111", 1, "Telefonie");
             d.RunPosted();
             ASSERT_EQ(d.directoryPending.size(), 1u);
             EXPECT_FALSE(road.monitorvrij());
             road.IncomingCall("0301111111", "444", 16, "Telefax");
             d.Settle();
         },
         [](const RoadDoubles& d, const CallRoad& road) {
             ASSERT_EQ(d.view.memo.size(), 2u);
             EXPECT_EQ(d.view.memo[0],
                       "?) 14:05:09 - 0301111111 - , ,  - Telefax (16) - 444 "
                       "-Nog bezig met zoeken. (niet verwerkt)");
             EXPECT_FALSE(road.magafwijzen());
             EXPECT_FALSE(d.view.rejectEnabled);
             ASSERT_EQ(d.logRecords.size(), 1u);
             EXPECT_EQ(d.logRecords[0].nummer, kOnbekend);
             EXPECT_EQ(d.logRecords[0].naam, "Bakker");
             EXPECT_EQ(d.logRecords[0].straat, "Kade 9");
             EXPECT_EQ(d.logRecords[0].msn, "111");
             EXPECT_EQ(road.teller(), 1);
             EXPECT_TRUE(road.monitorvrij());
         }},
        {"PopUpStays", NoSetup, Calls(kJan, "111"),
         [](const RoadDoubles& d, const CallRoad&) {
             EXPECT_EQ(d.view.popUps, 1);
             EXPECT_FALSE(d.view.timer.has_value());
             EXPECT_TRUE(d.view.stayOnTop);
         }},
        {"PopUpForFiveSeconds", [](RoadDoubles&, CallRoad&) { instellingen.monitorpopuptijd = 5; },
         [](RoadDoubles& d, CallRoad& road) {
             CallAndSettle(d, road, kJan, "111");
             EXPECT_EQ(d.view.timer, 5000);
             EXPECT_TRUE(d.view.visible);
             road.Timer1Timer();
         },
         [](const RoadDoubles& d, const CallRoad&) {
             EXPECT_EQ(d.view.popUps, 1);
             EXPECT_FALSE(d.view.visible);
             EXPECT_FALSE(d.view.timer.has_value());
         }},
        {"NoPopUp", [](RoadDoubles&, CallRoad&) { instellingen.monitorpopuptijd = 0; },
         Calls(kJan, "111"),
         [](const RoadDoubles& d, const CallRoad&) {
             EXPECT_EQ(d.view.popUps, 0);
             EXPECT_FALSE(d.view.visible);
             EXPECT_FALSE(d.view.timer.has_value());
         }},
        {"NulToevoegenAndNulerafhalenLeaveTheNumber",
         [](RoadDoubles&, CallRoad&) {
             instellingen.NulToevoegen = true;
             instellingen.Nulerafhalen = true;
         },
         Calls(kJan, "111"),
         [](const RoadDoubles& d, const CallRoad&) {
             ASSERT_EQ(d.logRecords.size(), 1u);
             EXPECT_EQ(d.logRecords[0].nummer, kJan);
             EXPECT_EQ(d.logRecords[0].naam, "Smit");
         }},
        {"NulToevoegenAlone", [](RoadDoubles&, CallRoad&) { instellingen.NulToevoegen = true; },
         Calls("612345678", "111"),
         [](const RoadDoubles& d, const CallRoad&) {
             ASSERT_EQ(d.logRecords.size(), 1u);
             EXPECT_EQ(d.logRecords[0].nummer, kJan);
         }},
        {"NulerafhalenKeepsTwentyCharacters",
         [](RoadDoubles&, CallRoad&) { instellingen.Nulerafhalen = true; },
         Calls("0123456789012345678901234", "111"),
         [](const RoadDoubles& d, const CallRoad&) {
             ASSERT_EQ(d.logRecords.size(), 1u);
             EXPECT_EQ(d.logRecords[0].nummer, "12345678901234567890");
         }},
        {"PhoneBookCallerOnRejectingMsn",
         [](RoadDoubles&, CallRoad& road) {
             Msn(0).afwijzen = true;
             instellingen.koppeling = true;
             road.SetMagAfwijzen(true);
         },
         Calls(kJan, "111"),
         [](const RoadDoubles& d, const CallRoad& road) {
             EXPECT_EQ(d.rejects, 0);
             EXPECT_TRUE(d.contactSearches.empty());
             EXPECT_FALSE(d.view.Image(5));
             ASSERT_EQ(d.logRecords.size(), 1u);
             EXPECT_EQ(d.logRecords[0].zoekstatus, "In de Klapper gevonden");
             EXPECT_TRUE(road.inklapper());
         }},
        {"UnknownCallerOnRejectingMsn",
         [](RoadDoubles&, CallRoad& road) {
             Msn(0).afwijzen = true;
             instellingen.koppeling = true;
             road.SetMagAfwijzen(true);
         },
         Calls(kOnbekend, "111"),
         [](const RoadDoubles& d, const CallRoad&) {
             EXPECT_EQ(d.rejects, 1);
             EXPECT_TRUE(d.view.Image(5));
             EXPECT_FALSE(d.view.Image(1));
             EXPECT_TRUE(d.contactSearches.empty());
             EXPECT_EQ(d.directoryRuns, 0);
             ASSERT_EQ(d.logRecords.size(), 1u);
             EXPECT_EQ(d.logRecords[0].zoekstatus, "Afgewezen op deze MSN (niet opgezocht)");
         }},
        {"UnknownCallerOnRejectingMsnWithoutPermission",
         [](RoadDoubles&, CallRoad& road) {
             Msn(0).afwijzen = true;
             road.SetMagAfwijzen(false);
         },
         Calls(kOnbekend, "111"),
         [](const RoadDoubles& d, const CallRoad&) {
             EXPECT_EQ(d.rejects, 0);
             EXPECT_TRUE(d.view.Image(5));
             ASSERT_EQ(d.logRecords.size(), 1u);
             EXPECT_EQ(d.logRecords[0].zoekstatus, "Afgewezen op deze MSN (niet opgezocht)");
         }},
        {"EntryRejectsAtItsMsn",
         [](RoadDoubles& d, CallRoad& road) {
             d.entries[kJan].afwijzen = "0001";
             road.SetMagAfwijzen(true);
         },
         [](RoadDoubles& d, CallRoad& road) {
             CallAndSettle(d, road, kJan, "111");  // msn0: position 1 is "0"
             CallAndSettle(d, road, kJan, "444");  // msn3: position 4 is "1"
         },
         [](const RoadDoubles& d, const CallRoad&) {
             EXPECT_EQ(d.rejects, 1);
             ASSERT_EQ(d.logRecords.size(), 2u);
             EXPECT_EQ(d.logRecords[0].zoekstatus, "In de Klapper gevonden");
             EXPECT_EQ(d.logRecords[1].zoekstatus, "Afgewezen via Klapper");
             EXPECT_TRUE(d.view.Image(5));
             EXPECT_FALSE(d.view.Image(1));
         }},
        {"AutomatischZoekenOff",
         [](RoadDoubles&, CallRoad&) { instellingen.AutomatischZoeken = false; },
         Calls(kOnbekend, "111"),
         [](const RoadDoubles& d, const CallRoad&) {
             EXPECT_EQ(d.directoryRuns, 0);
             EXPECT_TRUE(d.view.Image(3));
             ASSERT_EQ(d.logRecords.size(), 1u);
             EXPECT_EQ(d.logRecords[0].zoekstatus,
                       "Niet opgezocht in de KPN-cdfoongids (automatisch zoeken staat uit)");
             EXPECT_EQ(d.logRecords[0].naam, "");
         }},
        {"AutosaveAndAddContactArguments",
         [](RoadDoubles&, CallRoad&) {
             instellingen.autosaveinklapper = true;
             instellingen.koppeling = true;
             instellingen.opslaan = true;
             instellingen.openen = true;
         },
         Calls(kOnbekend, "111"),
         [](const RoadDoubles& d, const CallRoad&) {
             EXPECT_EQ(d.contactSearches, Strings{"0201234567 open"});
             EXPECT_EQ(d.autosaves,
                       (std::vector<Strings>{{kOnbekend, "Piet", "Bakker", "", "Kade 9", "9999ZZ",
                                              "Haven",
                                              "Gevonden in de KPN-cdfoongids (auto. opslaan)"}}));
             EXPECT_EQ(d.contactsAdded,
                       (std::vector<Strings>{{kOnbekend, "Piet", "Bakker", "", "Kade 9", "9999ZZ",
                                              "Haven", "openen"}}));
         }},
        {"FoundInContactsIsNeitherLookedUpNorAdded",
         [](RoadDoubles& d, CallRoad&) {
             instellingen.koppeling = true;
             instellingen.opslaan = true;
             telefoonrecordtype contact;
             contact.voornaam = "Kees";
             contact.naam = "Visser";
             contact.zoekstatus = "Gevonden in Outlook";
             d.contacts[kOnbekend] = contact;
         },
         Calls(kOnbekend, "111"),
         [](const RoadDoubles& d, const CallRoad& road) {
             EXPECT_TRUE(road.inoutlook());
             EXPECT_TRUE(d.view.Image(6));
             EXPECT_EQ(d.directoryRuns, 0);
             EXPECT_TRUE(d.contactsAdded.empty());
             ASSERT_EQ(d.logRecords.size(), 1u);
             EXPECT_EQ(d.logRecords[0].naam, "Visser");
         }},
        {"CommandLinesAndMemoViewer",
         [](RoadDoubles& d, CallRoad&) {
             d.entries[kJan].cmdline = "notify %n";
             d.entries[kJan].memo = true;
             Msn(0).cmd = "log %t";
             instellingen.lantelefoonuitvoeren = true;
             instellingen.lantelefoondir = "/opt/lan/";
         },
         Calls(kJan, "111"),
         [](const RoadDoubles& d, const CallRoad&) {
             EXPECT_EQ(d.akties, (Strings{"log %t", "notify %n"}));
             EXPECT_EQ(d.lanHosts.size(), 1u);
             EXPECT_EQ(d.memosShown, Strings{"b7"});
             EXPECT_TRUE(d.view.memoButton);
         }},
        {"MemoViewerOffOrEmptyMemo",
         [](RoadDoubles&, CallRoad&) { instellingen.automemoklapper = false; }, Calls(kJan, "111"),
         [](const RoadDoubles& d, const CallRoad&) {
             EXPECT_TRUE(d.memosShown.empty());
             EXPECT_TRUE(d.akties.empty());
             EXPECT_TRUE(d.view.memoButton);
         }},
        {"TellerZeroClearsTheMemo", NoSetup,
         [](RoadDoubles& d, CallRoad& road) {
             CallAndSettle(d, road, kJan, "111");
             road.IncomingCall(kOnbekend, "111", 1, "Telefonie");
             d.RunPosted();
             road.ResetTeller();
             d.Settle();
         },
         [](const RoadDoubles& d, const CallRoad&) {
             ASSERT_EQ(d.view.memo.size(), 1u);
             EXPECT_EQ(d.view.memo[0].substr(0, 3), "0) ");
             EXPECT_EQ(d.logRecords.size(), 2u);
         }},
        {"DdeTexts", [](RoadDoubles&, CallRoad&) { instellingen.DDE = true; }, Calls(kJan, "111"),
         [](const RoadDoubles& d, const CallRoad&) {
             using Pair = std::pair<std::string, std::string>;
             EXPECT_EQ(d.dde,
                       (std::vector<Pair>{{kJan, "Jan Smit, , Dorpsstraat 1, 1234AB, Ergens"}}));
         }},
        {"CharacterSpeaksTheTemplate",
         [](RoadDoubles&, CallRoad&) {
             instellingen.suport = true;
             instellingen.hide = true;
         },
         Calls(kJan, "111"),
         [](const RoadDoubles& d, const CallRoad&) {
             EXPECT_EQ(d.spoken, Strings{"Jan Smit "});
             EXPECT_EQ(d.hides, 1);
         }},
        {"CharacterSpeaksTheEntrysExtra",
         [](RoadDoubles&, CallRoad&) {
             instellingen.suport = true;
             instellingen.msagentextra = true;
         },
         [](RoadDoubles& d, CallRoad& road) {
             CallAndSettle(d, road, kJan, "111");
             CallAndSettle(d, road, kOnbekend, "111");  // no extra: the template
         },
         [](const RoadDoubles& d, const CallRoad&) {
             EXPECT_EQ(d.spoken, (Strings{"Hoi Jan", "Piet Bakker "}));
             EXPECT_EQ(d.hides, 0);
         }},
        {"CharacterSilentOutsideTheHours",
         [](RoadDoubles&, CallRoad&) {
             instellingen.suport = true;
             instellingen.tijden[14] = '0';
         },
         Calls(kJan, "111"),
         [](const RoadDoubles& d, const CallRoad&) {
             EXPECT_TRUE(d.spoken.empty());
             EXPECT_EQ(d.logRecords.size(), 1u);
         }},
        {"CharacterSwitchedOff",
         [](RoadDoubles& d, CallRoad&) {
             instellingen.suport = true;
             d.characterPresent = false;
         },
         Calls(kJan, "111"),
         [](const RoadDoubles& d, const CallRoad&) {
             EXPECT_TRUE(d.spoken.empty());
             EXPECT_TRUE(d.view.notices.empty());
         }},
        {"SimulatedCallNeverRejects",
         [](RoadDoubles& d, CallRoad& road) {
             d.entries[kJan].afwijzen = "1";
             road.SetMagAfwijzen(true);
         },
         [](RoadDoubles& d, CallRoad& road) {
             road.IncomingCall(kJan, "111", 1, "Telefonie", true);
             road.IncomingCall(kOnbekend, "111", 1, "Telefonie", true);  // busy
             d.Settle();
         },
         [](const RoadDoubles& d, const CallRoad& road) {
             EXPECT_EQ(d.rejects, 0);
             EXPECT_TRUE(road.magafwijzen());
             ASSERT_EQ(d.logRecords.size(), 1u);
             EXPECT_EQ(d.logRecords[0].zoekstatus, "Afgewezen via Klapper");
             EXPECT_EQ(d.view.memo.front().substr(0, 3), "?) ");
         }},
    };
    return cases;
}

TEST_F(CallRoadTest, RoadCases) {
    for (const RoadCase& c : RoadCases()) {
        SCOPED_TRACE(c.name);
        SetUp();
        RoadDoubles doubles;
        doubles.entries = d.entries;
        doubles.directoryResult = d.directoryResult;
        CallRoad fresh{doubles.Ports()};
        c.setup(doubles, fresh);
        c.act(doubles, fresh);
        c.check(doubles, fresh);
        EXPECT_TRUE(doubles.posted.empty());
        EXPECT_TRUE(doubles.directoryPending.empty());
        EXPECT_TRUE(fresh.monitorvrij());
    }
}

// The files a known caller plays, by the entry's TIJD character at the MSN, the MSN's sound
// mark and the hour's mark.
TEST_F(CallRoadTest, SoundsByChoiceMsnAndHour) {
    struct Row {
        const char* tijd;
        bool msnOn;
        bool hourOn;
        Strings played;
    };
    const std::vector<Row> rows = {
        {"2", true, true, {"intro0", "jan"}},
        {"2", true, false, {"jan"}},
        {"2", false, true, {"jan"}},
        {"2", false, false, {"jan"}},
        {"1", true, true, {"intro0", "jan"}},
        {"1", true, false, {}},
        {"1", false, true, {"jan"}},
        {"1", false, false, {}},
        {"0", true, true, {"intro0"}},
        {"0", true, false, {}},
        {"0", false, true, {}},
        {"0", false, false, {}},
        {"7", true, true, {}},
        {"", true, true, {"intro0", "jan"}},
        {"9", false, false, {}},
        {"", true, false, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("TIJD '") + row.tijd + "' msn " + (row.msnOn ? "on" : "off") +
                     " hour " + (row.hourOn ? "on" : "off"));
        instellingen.msngeluid[0] = row.msnOn ? '1' : '0';
        instellingen.tijden[14] = row.hourOn ? '1' : '0';
        d.entries[kJan].tijd = row.tijd;
        d.plays.clear();
        Call(kJan, "111");
        d.Settle();
        if (row.played.empty()) {
            EXPECT_TRUE(d.plays.empty());
        } else {
            EXPECT_EQ(d.plays, std::vector<Strings>{row.played});
        }
    }
}

TEST_F(CallRoadTest, UnknownCallerPlaysTheIntroWhenMarked) {
    Call(kOnbekend, "444");
    d.Settle();
    instellingen.msngeluid[3] = '0';
    Call(kOnbekend, "444");
    d.Settle();
    EXPECT_EQ(d.plays, std::vector<Strings>{{"intro3"}});
}

TEST(RoadSoundsTest, ItemsCutAtTheLastDotAndEmptyOnesLeftOut) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"bel.wav", "bel"}, {"a.b.wav", "a.b"}, {"Geen", ""}, {"", ""}, {".wav", ""}};
    for (const auto& [file, item] : rows) {
        EXPECT_EQ(SoundItem(file), item) << file;
    }
    EXPECT_EQ(EntrySounds('2', true, true, "", "Geen"), Strings{});
    EXPECT_EQ(EntrySounds('2', true, true, "", "a.b.wav"), Strings{"a.b"});
}

TEST(ColourWordsTest, WordsGiveColoursAndOthersNothing) {
    const std::vector<std::pair<std::string, std::optional<std::int32_t>>> rows = {
        {"zwart", 0x000000},      {"rood", 0x0000FF},
        {"blauw", 0xFF0000},      {"groen", 0x008000},
        {"wit", 0xFFFFFF},        {"geel", 0x00FFFF},
        {"grijs", 0x808080},      {"donker grijs", 0x808080},
        {"paars", 0x800080},      {"marine blauw", 0x800000},
        {"zilver", 0xC0C0C0},     {"Rood", std::nullopt},
        {"rood ", std::nullopt},  {"donkergrijs", std::nullopt},
        {"oranje", std::nullopt}, {"", std::nullopt},
    };
    for (const auto& [word, colour] : rows) {
        EXPECT_EQ(KleurWoord(word), colour) << '"' << word << '"';
    }
}

TEST_F(CallRoadTest, UnknownColourWordLeavesTheMsnColours) {
    d.entries[kJan].kleur = "oranje";
    d.entries[kJan].fontkleur = "";
    Call(kJan, "444");
    d.Settle();
    EXPECT_EQ(d.view.panel1, 0x00AA00);
    EXPECT_EQ(d.view.gegevensFont, 0x112233);
}

// A port that throws: the call is logged where it can be, a notice names the step, the
// monitor is free again and takes the next call.
TEST_F(CallRoadTest, ExceptionFromEachPort) {
    const std::vector<FailingPort> ports = {
        FailingPort::Klapper, FailingPort::Log,       FailingPort::Directory, FailingPort::Contacts,
        FailingPort::Sound,   FailingPort::Character, FailingPort::Commands,  FailingPort::Line,
        FailingPort::Clock,   FailingPort::View,      FailingPort::Dde,       FailingPort::Post,
    };
    for (FailingPort port : ports) {
        for (const char* nummer : {kJan, kOnbekend}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(port)) + " " + nummer);
            SetUp();
            instellingen.koppeling = true;
            instellingen.opslaan = true;
            instellingen.autosaveinklapper = true;
            instellingen.DDE = true;
            instellingen.suport = true;
            instellingen.lantelefoonuitvoeren = true;
            Msn(0).cmd = "log %t";
            RoadDoubles doubles;
            doubles.entries = d.entries;
            doubles.entries[kJan].cmdline = "notify";
            doubles.entries[kJan].memo = true;
            doubles.directoryResult = d.directoryResult;
            CallRoad fresh{doubles.Ports()};
            fresh.SetMagAfwijzen(true);
            doubles.entries[kJan].afwijzen = "1";

            doubles.failing = port;
            doubles.view.failing = port == FailingPort::View;
            fresh.IncomingCall(nummer, "111", 1, "Telefonie");
            doubles.Settle();

            EXPECT_TRUE(fresh.monitorvrij());
            const bool used = !(port == FailingPort::Line && nummer == std::string(kOnbekend)) &&
                              !(port == FailingPort::Directory && nummer == std::string(kJan));
            EXPECT_EQ(doubles.view.notices.empty(), !used);
            EXPECT_EQ(doubles.logRecords.size(), port == FailingPort::Log ? 0u : 1u);
            if (port == FailingPort::Klapper && nummer == std::string(kJan)) {
                // A failed lookup is no reason to reject a caller the phone book may hold.
                EXPECT_EQ(doubles.rejects, 0);
            }

            doubles.failing = FailingPort::None;
            doubles.view.failing = false;
            fresh.IncomingCall(kJan, "444", 1, "Telefonie");
            doubles.Settle();
            EXPECT_TRUE(fresh.monitorvrij());
            ASSERT_FALSE(doubles.logRecords.empty());
            EXPECT_EQ(doubles.logRecords.back().msn, "444");
            EXPECT_EQ(doubles.view.memoEnabled, true);
        }
    }
}

// A phone book that cannot be read is no reason to reject a caller it may hold.
TEST_F(CallRoadTest, FailedLookupNeverRejects) {
    Msn(0).afwijzen = true;
    road.SetMagAfwijzen(true);
    d.failing = FailingPort::Klapper;
    Call(kJan, "111");
    d.failing = FailingPort::None;
    d.Settle();
    EXPECT_EQ(d.rejects, 0);
    EXPECT_FALSE(d.view.Image(5));
    ASSERT_EQ(d.logRecords.size(), 1u);
    EXPECT_EQ(d.logRecords[0].zoekstatus, "Niet in de Klapper gevonden");
}

TEST_F(CallRoadTest, NoticeNamesTheStep) {
    instellingen.DDE = true;
    d.failing = FailingPort::Dde;
    Call(kJan, "111");
    d.Settle();
    EXPECT_EQ(d.view.notices, Strings{"Fout bij bijwerken van de DDE-gegevens: kapot"});
    EXPECT_EQ(d.view.memo.size(), 1u);  // the reactions still ran
    EXPECT_EQ(d.logRecords.size(), 1u);
}

// The second stage reads the entry the first stage found, wherever the table stands by then.
TEST_F(CallRoadTest, CapturedEntryHoldsBetweenStages) {
    d.entries[kJan].cmdline = "notify %n";
    d.entries[kJan].memo = true;
    Call(kJan, "111");
    d.entries[kJan].cmdline = "verkeerd";
    d.entries[kJan].memo = false;
    d.entries[kJan].bookmark = "b9";
    d.Settle();
    EXPECT_EQ(d.akties, Strings{"notify %n"});
    EXPECT_EQ(d.memosShown, Strings{"b7"});
}

TEST_F(CallRoadTest, LineEvents) {
    d.errorString = "Geen kaart ($3301)";
    road.RiduZevovIzuzedi1StateChange(true, false);
    EXPECT_EQ(road.capistatus(), "Geen kaart ($3301)");
    EXPECT_EQ(d.view.caption, "Capi Status: Geen kaart ($3301)");
    EXPECT_TRUE(d.view.rejectEnabled);
    road.bkillClick();
    EXPECT_EQ(d.rejects, 1);

    road.RiduZevovIzuzedi1StateChange(false, false);
    EXPECT_FALSE(d.view.rejectEnabled);
    road.bkillClick();
    EXPECT_EQ(d.rejects, 1);

    road.RiduZevovIzuzedi1DoResetCapi();  // capireset off
    EXPECT_EQ(d.resets, 0);

    instellingen.capireset = true;
    instellingen.afwijstijd = 4;
    road.SetCapiController(2);
    road.RiduZevovIzuzedi1DoResetCapi();
    EXPECT_EQ(d.opens, (std::vector<std::pair<int, int>>{{2, 4}}));

    d.resetAnswer = false;
    road.RiduZevovIzuzedi1DoResetCapi();
    EXPECT_EQ(d.opens.size(), 1u);
    EXPECT_EQ(d.view.memo, Strings{"?) 14:05:09 - Initialisatie fout (Reset Capi)"});
}

// A reset while a second stage waits for the lookup does not disturb the call.
TEST_F(CallRoadTest, ResetWhileTheLookupRuns) {
    instellingen.capireset = true;
    Call(kOnbekend, "111");
    d.RunPosted();
    road.RiduZevovIzuzedi1DoResetCapi();
    EXPECT_EQ(d.resets, 1);
    EXPECT_FALSE(road.monitorvrij());
    d.Settle();
    ASSERT_EQ(d.logRecords.size(), 1u);
    EXPECT_EQ(d.logRecords[0].naam, "Bakker");
}

// A lookup still running when the road goes finishes without calling into it.
TEST_F(CallRoadTest, LookupAfterTheRoadIsGone) {
    RoadDoubles doubles;
    doubles.directoryResult = d.directoryResult;
    {
        CallRoad kort{doubles.Ports()};
        kort.IncomingCall(kOnbekend, "111", 1, "Telefonie");
        doubles.RunPosted();
    }
    doubles.Settle();
    EXPECT_TRUE(doubles.logRecords.empty());
}

}  // namespace
}  // namespace monitor

namespace monitor {
namespace {

// The log refuses rows for a while: every call is handled as always, its row waits, the user
// hears once why and once that it works again, and the rows land in call order, each once.
struct Backlogged {
    explicit Backlogged(const RoadDoubles& like) {
        d.entries = like.entries;
        d.directoryResult = like.directoryResult;
        road.SetLogRetryTimer(&timer);
    }
    void CallFrom(const std::string& nummer) {
        road.IncomingCall(nummer, "111", 1, "Telefonie");
        d.Settle();
    }
    Strings LoggedNumbers() const {
        Strings numbers;
        for (const auto& r : d.logRecords) {
            numbers.push_back(r.nummer);
        }
        return numbers;
    }

    RoadDoubles d;
    CallRoad road{d.Ports()};
    testing::ManualRetryTimer timer;
};

TEST_F(CallRoadTest, LogRowsWaitWhileTheLogRefusesAndLandInOrderOnceItTakesThemAgain) {
    struct Case {
        const char* name;
        std::function<void(RoadDoubles&)> refuse;
        const char* told;
    };
    const std::vector<Case> cases = {
        {"full disk", [](RoadDoubles& d) { d.logRefusal = LogFault::DiskFull; },
         "Het logboek kan niet worden bijgewerkt: de schijf is vol."},
        {"read-only folder", [](RoadDoubles& d) { d.logRefusal = LogFault::ReadOnly; },
         "Het logboek kan niet worden bijgewerkt: de map van het logboek is alleen-lezen."},
        {"any other failure", [](RoadDoubles& d) { d.failing = FailingPort::Log; },
         "Het logboek kan niet worden bijgewerkt (kapot)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Backlogged b(d);
        c.refuse(b.d);
        b.CallFrom("01");
        b.CallFrom("02");
        b.road.RetryLog();  // a tick while the log still refuses
        b.CallFrom("03");

        // Each call went its way: counted and in the memo; none is in the log yet.
        EXPECT_EQ(b.road.teller(), 3);
        EXPECT_EQ(b.d.view.memo.size(), 3u);
        EXPECT_TRUE(b.d.logRecords.empty());
        EXPECT_EQ(b.road.LogWaiting(), 3u);
        ASSERT_EQ(b.d.view.notices.size(), 1u);
        EXPECT_EQ(b.d.view.notices[0].rfind(c.told, 0), 0u) << b.d.view.notices[0];
        EXPECT_TRUE(b.timer.running);

        b.d.logRefusal.reset();
        b.d.failing = FailingPort::None;
        b.road.RetryLog();
        EXPECT_EQ(b.LoggedNumbers(), (Strings{"01", "02", "03"}));
        ASSERT_EQ(b.d.view.notices.size(), 2u);
        EXPECT_EQ(b.d.view.notices[1],
                  "Het logboek wordt weer bijgewerkt: 3 bewaarde oproepen zijn alsnog in het "
                  "logboek gezet.");
        EXPECT_FALSE(b.timer.running);

        b.road.RetryLog();
        b.CallFrom("04");
        EXPECT_EQ(b.LoggedNumbers(), (Strings{"01", "02", "03", "04"}));
        EXPECT_EQ(b.d.view.notices.size(), 2u);
    }
}

TEST_F(CallRoadTest, TheNextCallWritesTheWaitingLogRowsBeforeItsOwn) {
    Backlogged b(d);
    b.d.logRefusal = LogFault::DiskFull;
    b.CallFrom("01");
    b.d.logRefusal.reset();
    b.CallFrom("02");
    EXPECT_EQ(b.LoggedNumbers(), (Strings{"01", "02"}));
    ASSERT_EQ(b.d.view.notices.size(), 2u);
    EXPECT_EQ(b.d.view.notices[1],
              "Het logboek wordt weer bijgewerkt: 1 bewaarde oproep is alsnog in het logboek "
              "gezet.");
    EXPECT_EQ(b.road.LogWaiting(), 0u);
    EXPECT_FALSE(b.timer.running);
}

TEST_F(CallRoadTest, ANewReasonWhyTheLogRefusesIsToldOnceMore) {
    Backlogged b(d);
    b.d.logRefusal = LogFault::DiskFull;
    b.CallFrom("01");
    b.CallFrom("02");
    b.d.logRefusal = LogFault::ReadOnly;
    b.CallFrom("03");
    b.road.RetryLog();
    ASSERT_EQ(b.d.view.notices.size(), 2u);
    EXPECT_NE(b.d.view.notices[1].find("alleen-lezen"), std::string::npos);
    b.d.logRefusal.reset();
    b.road.RetryLog();
    EXPECT_EQ(b.LoggedNumbers(), (Strings{"01", "02", "03"}));
    EXPECT_EQ(b.d.view.notices.size(), 3u);
}

}  // namespace
}  // namespace monitor
