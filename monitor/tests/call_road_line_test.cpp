// The road of a call from the simulated line to the call log's file, through the road host on
// the program's own phone book, call log, sound player, character, tray icon and directory
// program.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "capi/capi_commands.h"
#include "components/tray_icon.h"
#include "monitor/settings.h"
#include "monitor/tests/road_line_fixture.h"
#include "platform/db/field.h"
#include "xbase/table.h"

namespace monitor::testing {
namespace {

using capi::test::PumpUntil;

const std::string kFoundLine =
    "\"1\",\"2\",\"3\",\"Jan\",\"Jansen\",\"\",\"Dorpsstraat\",\"12\",\"1234 AB\",\"Zwolle\"";

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class CallRoadLineTest : public RoadLineTest {
  protected:
    // Offers a call and runs the loop until the road has handled it to the end.
    void Call(const char* calling) {
        const std::size_t lines = view.memo.size();
        ASSERT_EQ(sim->Offer(calling, "5551234", 1), 1);
        ASSERT_TRUE(PumpUntil(
            [&] { return view.memo.size() > lines && host->Road().monitorvrij(); }, 20000))
            << "the call never reached the end of the road";
    }

    // The PLCI of each call the line announced, oldest first.
    std::vector<std::uint32_t> Announced() const {
        std::vector<std::uint32_t> plcis;
        for (const auto& e : sim->Transcript()) {
            if (e.toApplication && e.command == capi::kConnectInd) {
                plcis.push_back(e.address);
            }
        }
        return plcis;
    }

    // The Reject value the monitor answered the call at `plci` with; -1 while unanswered.
    int ResponseTo(std::uint32_t plci) const {
        for (const auto& [address, reject] : ConnectResponses()) {
            if (address == plci) {
                return reject;
            }
        }
        return -1;
    }
};

TEST_F(CallRoadLineTest, PhoneBookCallerIsLoggedAndShownEverywhere) {
    AddEntries({{"0201111111", "Jansen", "Amsterdam"}, {"0612345678", "Smit", "Utrecht"}});
    Sound("intro.wav", 100);
    Sound("bel.wav", 100);
    instellingen.msninstellingen[0].intro = "intro.wav";
    instellingen.meteenopslaan = true;
    instellingen.suport = true;
    instellingen.msagentstring = "%n belt";
    instellingen.DDE = true;
    instellingen.capireset = true;
    Begin();
    SetEntry("0612345678", {{"VOORNAAM", "Piet"},
                            {"TIJD", "2"},
                            {"GELUID", "bel.wav"},
                            {"KLEUR", "rood"},
                            {"MEMO", "terugbellen na vijven"}});
    ASSERT_TRUE(core->t2().Locate("NUMMER", {db::TFieldValue(std::string("0201111111"))}, 0));
    const std::uint32_t firstAppl = line->Capi()->ApplID();

    Call("0612345678");

    // The window.
    EXPECT_EQ(view.nummerLabel, "0612345678 (5551234)");
    EXPECT_TRUE(view.Image(1));
    EXPECT_EQ(view.popUps, 1);
    EXPECT_EQ(view.timer, 5000);
    EXPECT_EQ(view.panel1, 0x0000FF);
    ASSERT_EQ(view.memo.size(), 1u);
    const std::string regel = view.memo[0];
    EXPECT_EQ(regel.rfind("1) ", 0), 0u) << regel;
    EXPECT_TRUE(Contains(regel, "0612345678") && Contains(regel, "Piet, Smit")) << regel;
    EXPECT_TRUE(view.memoButton);
    EXPECT_TRUE(view.notices.empty()) << view.notices.front();

    // The tray, the character, the DDE items and the memo viewer on the caller's entry.
    EXPECT_EQ(view.trayTip, regel);
    ASSERT_FALSE(TrayTips().empty());
    EXPECT_EQ(TrayTips().back(), CutUtf8(regel, TTrayIcon::kMaxTipCharacters));
    EXPECT_TRUE(Has(agentScript->requests, "Play GetAttention"));
    EXPECT_TRUE(Has(agentScript->requests, "Speak Smit belt"));
    ASSERT_EQ(dde.items.size(), 1u);
    EXPECT_EQ(dde.items[0].first, "0612345678");
    EXPECT_EQ(dde.items[0].second, "Piet Smit, , , , Utrecht");
    EXPECT_EQ(memosShown, 1);
    EXPECT_EQ(core->t2().FieldByName("NAAM").AsString(), "Smit");

    // The sounds, from the program's sound folder, in order.
    ASSERT_TRUE(soundOut->WaitForEnded(2, std::chrono::seconds(5)));
    EXPECT_EQ(SoundsOpened(), (std::vector<std::string>{"intro.wav", "bel.wav"}));

    // The record in the call log's file.
    const std::string dump = LogDump();
    EXPECT_TRUE(Contains(dump, "records 1 ")) << dump;
    for (const char* field : {"NUMMER=[0612345678]", "VOORNAAM=[Piet]", "NAAM=[Smit]",
                              "PLAATS=[Utrecht]", "MSN=[5551234]", "SOORT=[speech (1)]",
                              "ZOEKSTATUS=[In de Klapper gevonden]", "CAPISTATUS=[]"}) {
        EXPECT_TRUE(Contains(dump, field)) << field << "\n" << dump;
    }
    EXPECT_TRUE(logPort.boxes.empty()) << logPort.boxes.front();

    // The call rings its second, is left to the other terminals, and the line is registered
    // anew once it has gone.
    const std::uint32_t plci = Announced().at(0);
    ASSERT_TRUE(PumpUntil([&] {
        return ResponseTo(plci) == 1 && line->Capi() != nullptr &&
               line->Capi()->ApplID() != firstAppl && view.caption == "Capi Status: OK";
    }));
    EXPECT_TRUE(host->Road().capistatus() == "OK");
}

TEST_F(CallRoadLineTest, UnknownCallerIsLoggedWithTheDirectoryAddress) {
    AddEntries({{"0201111111", "Jansen", "Amsterdam"}});
    Directory("0612345678\tfound\t" + kFoundLine + "\n");
    instellingen.AutomatischZoeken = true;
    instellingen.autosaveinklapper = true;
    instellingen.meteenopslaan = true;
    Begin();

    Call("0612345678");

    EXPECT_TRUE(view.Image(2));
    EXPECT_FALSE(view.Image(1));
    EXPECT_EQ(view.gegevensLabel, "Jan, Jansen, ");
    const std::string dump = LogDump();
    for (const char* field :
         {"NUMMER=[0612345678]", "VOORNAAM=[Jan]", "NAAM=[Jansen]", "STRAAT=[Dorpsstraat 12]",
          "POSTCODE=[1234 AB]", "PLAATS=[Zwolle]", "ZOEKSTATUS=[Gevonden in de KPN-cdfoongids]"}) {
        EXPECT_TRUE(Contains(dump, field)) << field << "\n" << dump;
    }
    // Kept in the phone book as well, found there the next time.
    ASSERT_TRUE(core->t2().Locate("NUMMER", {db::TFieldValue(std::string("0612345678"))}, 0));
    EXPECT_EQ(core->t2().FieldByName("PLAATS").AsString(), "Zwolle");
    EXPECT_EQ(core->t2().FieldByName("ZOEKSTATUS").AsString(),
              "Gevonden in de KPN-cdfoongids (auto. opslaan)");
    EXPECT_TRUE(view.notices.empty()) << view.notices.front();
}

// An entry that refuses calls on this MSN: the monitor takes the call and clears it at once.
TEST_F(CallRoadLineTest, EntryRefusingTheMsnHasTheCallCleared) {
    AddEntries({{"0612345678", "Smit", "Utrecht"}});
    Begin();
    SetEntry("0612345678", {{"AFWIJZEN", "1"}});

    Call("0612345678");

    EXPECT_TRUE(view.Image(5));
    EXPECT_FALSE(view.Image(1));
    const std::uint32_t plci = Announced().at(0);
    EXPECT_EQ(ResponseTo(plci), 0) << "taken, to be cleared";
    ASSERT_TRUE(PumpUntil([&] {
        for (const auto& e : sim->Transcript()) {
            if (!e.toApplication && e.command == capi::kDisconnectReq && e.address == plci) {
                return true;
            }
        }
        return false;
    }));
    EXPECT_TRUE(Contains(LogDump(), "ZOEKSTATUS=[Afgewezen via Klapper]"));
}

// The directory program takes seconds and every sound two: the event loop never waits for
// either, the ring countdown leaves the call on time, and a call during the lookup gets the
// busy line.
TEST_F(CallRoadLineTest, NothingWaitsForTheDirectoryOrTheSounds) {
    AddEntries({{"0612345678", "Smit", "Utrecht"}});
    Sound("intro.wav", 2000);
    Sound("bel.wav", 2000);
    instellingen.msninstellingen[0].intro = "intro.wav";
    instellingen.AutomatischZoeken = true;
    Directory("0201111111\tlate:2500\t" + kFoundLine + "\n");
    Begin();
    SetEntry("0612345678", {{"TIJD", "2"}, {"GELUID", "bel.wav"}});

    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> ticks;
    std::uint32_t first = 0;
    qint64 rejected = -1;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ticks.push_back(clock.elapsed());
        if (rejected < 0 && first != 0 && ResponseTo(first) == 1) {
            rejected = clock.elapsed();
        }
    });
    // The wait for the first tick counts as well.
    ticks.push_back(clock.elapsed());
    timer.start();

    // An unknown caller: the intro plays and the directory program runs for 2.5 s.
    const qint64 offered = clock.elapsed();
    ASSERT_EQ(sim->Offer("0201111111", "5551234", 1), 1);
    ASSERT_TRUE(PumpUntil([&] { return !host->Road().monitorvrij() && !Announced().empty(); }));
    first = Announced().at(0);
    ASSERT_TRUE(
        PumpUntil([&] { return view.gegevensLabel.rfind("Bezig met zoeken in KPN", 0) == 0; }));

    // A caller from the phone book meanwhile only gets the busy line.
    ASSERT_EQ(sim->Offer("0612345678", "5551234", 1), 1);
    ASSERT_TRUE(PumpUntil([&] { return view.memo.size() == 1; }));
    EXPECT_EQ(view.memo[0].rfind("?) ", 0), 0u) << view.memo[0];
    EXPECT_TRUE(Contains(view.memo[0], "0612345678")) << view.memo[0];
    EXPECT_FALSE(host->Road().monitorvrij());

    // The first call ends its road with the directory's answer.
    ASSERT_TRUE(
        PumpUntil([&] { return view.memo.size() == 2 && host->Road().monitorvrij(); }, 20000));
    EXPECT_EQ(view.memo[1].rfind("1) ", 0), 0u) << view.memo[1];
    EXPECT_TRUE(Contains(view.memo[1], "Jansen")) << view.memo[1];
    EXPECT_TRUE(view.Image(2));

    // The phone-book caller, now that the monitor is free: intro and its own sound, in turn.
    ASSERT_EQ(sim->Offer("0612345678", "5551234", 1), 1);
    ASSERT_TRUE(PumpUntil([&] { return view.memo.size() == 3 && host->Road().monitorvrij(); }));
    EXPECT_EQ(view.memo[2].rfind("2) ", 0), 0u) << view.memo[2];
    // The loop keeps turning while the sequence goes on to its second sound.
    ASSERT_TRUE(PumpUntil([&] { return soundOut->Records().size() >= 3; }));
    timer.stop();

    ASSERT_GE(rejected, 0) << "the first call was never left to the others";
    const qint64 afwijs = instellingen.afwijstijd * 1000;
    EXPECT_GE(rejected - offered, afwijs - 50);
    EXPECT_LE(rejected - offered, afwijs + 500);
    for (const std::uint32_t plci : Announced()) {
        EXPECT_EQ(ResponseTo(plci), 1) << "call " << plci << " is left to the others";
    }

    ASSERT_GT(ticks.size(), 100u);
    qint64 worst = 0;
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        worst = std::max(worst, ticks[i] - ticks[i - 1] - 20);
    }
    EXPECT_LE(worst, 100) << "the 20 ms timer ran " << worst << " ms late";

    const auto sounds = SoundsOpened();
    EXPECT_EQ(sounds, (std::vector<std::string>{"intro.wav", "intro.wav", "bel.wav"}));
    const std::string dump = LogDump();
    EXPECT_TRUE(Contains(dump, "records 2 ")) << dump;
    EXPECT_TRUE(Contains(dump, "NUMMER=[0201111111]") && Contains(dump, "NAAM=[Jansen]")) << dump;
    EXPECT_TRUE(view.notices.empty()) << view.notices.front();
}

}  // namespace
}  // namespace monitor::testing
