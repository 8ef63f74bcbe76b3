#include "monitor/road_phone_book.h"

#include <gtest/gtest.h>

#include "monitor/book/tests/klapper_fixture.h"
#include "monitor/call_road.h"
#include "monitor/settings.h"
#include "monitor/tests/road_doubles.h"
#include "platform/db/field.h"
#include "xbase/table.h"

namespace monitor {
namespace {

using RoadPhoneBookTest = book::testing::KlapperTest;

// The road over the real phone book: the filter is lifted, the entry is found in the number
// index, the user's sort order comes back, and the table stays on the hit for the memo viewer.
TEST_F(RoadPhoneBookTest, FindsAFilteredEntryAndKeepsTheSortChoice) {
    AddEntries({{"0201111111", "Jansen", "Amsterdam"},
                {"0612345678", "Smit", "Utrecht"},
                {"0303333333", "de Vries", "Utrecht"}});
    book::KlapperCore& k = Start();
    k.Sorteren(12);
    xbase::TTable& t = k.t2();
    ASSERT_TRUE(t.Locate("NAAM", {db::TFieldValue(std::string("Jansen"))}, 0));
    k.FilterOp(4);  // plaats = Amsterdam: Smit is hidden
    ASSERT_TRUE(t.Filtered());
    const auto before = [&] {
        std::vector<std::string> order;
        for (t.First(); !t.Eof(); t.Next()) {
            order.push_back(t.FieldByName("NUMMER").AsString());
        }
        return order;
    };

    instellingen.msninstellingen[0].nummer = "111";
    testing::RoadDoubles d;
    std::function<void()> toonmemo = [&] { d.akties.push_back("memo"); };
    RoadKlapper klapper(k, toonmemo);
    RoadPorts ports = d.Ports();
    CallRoad road(RoadPorts{klapper, ports.log, ports.directory, ports.contacts, ports.sound,
                            ports.character, ports.commands, ports.line, ports.clock, ports.view,
                            ports.dde, ports.post});
    road.IncomingCall("0612345678", "111", 1, "Telefonie");
    d.Settle();

    EXPECT_TRUE(road.inklapper());
    ASSERT_EQ(d.logRecords.size(), 1u);
    EXPECT_EQ(d.logRecords[0].naam, "Smit");
    EXPECT_EQ(d.logRecords[0].plaats, "Utrecht");
    EXPECT_FALSE(t.Filtered());
    EXPECT_EQ(k.CheckedSort(), 12);
    EXPECT_EQ(t.FieldByName("NAAM").AsString(), "Smit");

    // The order the table shows is the sort choice's, as before the call.
    k.Sorteren(12);
    const auto sorted = before();
    ASSERT_TRUE(t.Locate("NUMMER", {db::TFieldValue(std::string("0612345678"))}, 0));
    road.IncomingCall("0612345678", "111", 1, "Telefonie");
    d.Settle();
    EXPECT_EQ(t.FieldByName("NAAM").AsString(), "Smit");
    EXPECT_EQ(before(), sorted);
    EXPECT_EQ(d.logRecords.size(), 2u);
}

TEST_F(RoadPhoneBookTest, MemoViewerOnlyInBrowseState) {
    AddEntries({{"0612345678", "Smit", "Utrecht"}, {"0201111111", "Jansen", "Amsterdam"}});
    book::KlapperCore& k = Start();
    int shown = 0;
    std::function<void()> toonmemo = [&] { ++shown; };
    RoadKlapper klapper(k, toonmemo);
    klapper.Commit();
    const auto hit = klapper.FindNumber("0612345678");
    ASSERT_TRUE(hit.has_value());
    EXPECT_EQ(hit->naam, "Smit");
    EXPECT_FALSE(klapper.FindNumber("0999").has_value());

    xbase::TTable& t = k.t2();
    ASSERT_TRUE(t.Locate("NAAM", {db::TFieldValue(std::string("Jansen"))}, 0));
    EXPECT_TRUE(klapper.ShowMemo(hit->bookmark));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(t.FieldByName("NAAM").AsString(), "Smit");

    ASSERT_TRUE(t.Locate("NAAM", {db::TFieldValue(std::string("Jansen"))}, 0));
    t.Edit();
    EXPECT_FALSE(klapper.ShowMemo(hit->bookmark));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(t.FieldByName("NAAM").AsString(), "Jansen");
    t.Cancel();
}

}  // namespace
}  // namespace monitor
