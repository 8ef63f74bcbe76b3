// The search over the phone book and the call log, through the engine library, and over an
// in-memory data set whose reads can be made to fail.

#include "monitor/book/zoeken.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "monitor/book/tests/klapper_fixture.h"
#include "monitor/book/tests/log_table.h"
#include "platform/db/field.h"
#include "platform/db/memory_data_set.h"
#include "xbase/filter_literal.h"
#include "xbase/table.h"
#include "xbase/xbase_component.h"

namespace book::testing {
namespace {

class RecordingZoekPort : public ZoekPort {
  public:
    void Message(const std::string& text) override { shown.push_back("message: " + text); }
    void ErrorBox(const std::string& text) override { shown.push_back("error: " + text); }
    void Busy(bool on) override { busy += on ? 1 : -1; }

    std::vector<std::string> shown;
    int busy = 0;
};

// Sorted by number: Bakker, JANSEN, de Vries, Aalbers, Visser.
const std::vector<Entry> kBook = {
    {"0201234567", "JANSEN", "Utrecht"},
    {"0301111111", "de Vries", "Gouda"},
    {"0101010101", "Bakker", "\xC3\x89\xC3\x89NHOORN"},
    {"0404040404", "Aalbers", "Utrecht"},
    {"0505050505", "Visser", "Delft"},
};

class ZoekenTest : public KlapperTest {
  protected:
    void SetUp() override {
        KlapperTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        AddEntries(kBook);
        Start();
        xbase::TTable& t = core->t2();
        GoTo("Visser");
        t.Edit();
        t.FieldByName("MEMO").SetAsString("Achterdeur open");
        t.Post();
        zoeken().SetDoel({&t, [this] { ++repaints; }});
    }
    void TearDown() override {
        zoeken().SetDoel({});
        KlapperTest::TearDown();
    }

    void GoTo(const std::string& naam) {
        xbase::TTable& t = core->t2();
        for (t.First(); !t.Eof(); t.Next()) {
            if (Naam() == naam) {
                return;
            }
        }
        FAIL() << naam;
    }
    std::string Naam() { return core->t2().FieldByName("NAAM").AsString(); }

    RecordingZoekPort zoekPort;
    int repaints = 0;
};

TEST_F(ZoekenTest, FindsTheFirstRecordAnyFieldOfWhichHoldsTheText) {
    struct Case {
        const char* what;
        int sort;            // index order
        const char* plaats;  // filter, or none
        const char* start;   // current record before the search
        std::string text;
        bool partial;
        bool fromFirst;
        const char* at;  // current record afterwards
        bool found;
    };
    const Case cases[] = {
        {"lower-case text, upper-case data", 0, nullptr, "Visser", "jansen", true, true, "JANSEN",
         true},
        {"upper-case text", 0, nullptr, "Visser", "JANS", true, true, "JANSEN", true},
        {"exact", 0, nullptr, "Visser", "gouda", false, true, "de Vries", true},
        {"exact misses a part", 0, nullptr, "Visser", "goud", false, true, "Visser", false},
        {"accented capital", 0, nullptr, "Visser", "\xC3\xA9\xC3\xA9n", true, true, "Bakker", true},
        {"accented text", 0, nullptr, "Visser", "\xC3\x89\xC3\x89N", true, true, "Bakker", true},
        {"only in the memo", 0, nullptr, "Bakker", "achterdeur", true, true, "Visser", true},
        {"not found", 0, nullptr, "de Vries", "zzz", true, true, "de Vries", false},
        {"empty text", 0, nullptr, "de Vries", "", true, true, "de Vries", false},
        {"first hit by number", 0, nullptr, "Visser", "utrecht", true, true, "JANSEN", true},
        {"first hit by name", 2, nullptr, "Visser", "utrecht", true, true, "Aalbers", true},
        {"next after the current", 0, nullptr, "JANSEN", "utrecht", true, false, "Aalbers", true},
        {"next on the last", 0, nullptr, "Visser", "visser", true, false, "Visser", false},
        {"hidden by the filter", 0, "Utrecht", "JANSEN", "vries", true, true, "JANSEN", false},
    };
    xbase::TTable& t = core->t2();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        core->a2().SetOrder(core->OrderNumber(c.sort));
        if (c.plaats != nullptr) {
            t.SetFilter(xbase::XBaseEquals("PLAATS", c.plaats));
            t.SetFiltered(true);
        }
        GoTo(c.start);
        zoekPort.shown.clear();
        const int repaintsBefore = repaints;

        EXPECT_EQ(zoeken().Zoek(c.text, c.partial, c.fromFirst, zoekPort), c.found);
        EXPECT_EQ(Naam(), c.at);
        EXPECT_EQ(zoekPort.shown, c.found ? std::vector<std::string>{}
                                          : std::vector<std::string>{"message: Niet gevonden: " +
                                                                     zoeken().LaatsteTekst()});
        EXPECT_EQ(repaints, repaintsBefore + 1);
        EXPECT_EQ(zoekPort.busy, 0);
        EXPECT_FALSE(t.ControlsDisabled());
        t.SetFiltered(false);
    }
}

TEST_F(ZoekenTest, KeepsTheLastTextInLowerCase) {
    zoeken().Zoek("\xC3\x89\xC3\x89N Straat", true, true, zoekPort);
    EXPECT_EQ(zoeken().LaatsteTekst(), "\xC3\xA9\xC3\xA9n straat");
    EXPECT_EQ(zoekPort.shown.back(), "message: Niet gevonden: \xC3\xA9\xC3\xA9n straat");
}

TEST_F(ZoekenTest, SearchesTheCallLogOnceItIsTheTarget) {
    const std::string path = folder + "belverinlog.DBF";
    MakeLogTable(library->Api(), path,
                 {{"2024-03-02", "10:00:00", "0201111111", "Jansen", "Kerkstraat 1", "1011AA",
                   "Amsterdam", "Thuis", "Telefonie (16)", false, ""},
                  {"2024-03-05", "11:15:00", "0102222222", "Bakker", "Dorpsweg 7", "3011BB",
                   "Rotterdam", "Werk", "ISDN (1)", false, "teruggebeld"}});
    xbase::TTable t1;
    t1.SetTableType(xbase::ttSXFOX);
    t1.SetDatabaseName(folder);
    t1.SetTableName(path);
    t1.Open();
    int logRepaints = 0;
    zoeken().SetDoel({&t1, [&] { ++logRepaints; }});
    GoTo("JANSEN");

    EXPECT_TRUE(zoeken().Zoek("TERUGGEBELD", true, true, zoekPort));
    EXPECT_EQ(t1.FieldByName("NAAM").AsString(), "Bakker");
    EXPECT_EQ(logRepaints, 1);
    EXPECT_EQ(repaints, 0);
    // The phone book stays where it was.
    EXPECT_EQ(Naam(), "JANSEN");
    zoeken().SetDoel({});
    t1.Close();
}

// A table whose field reads fail on the record "drie" while armed.
class FailingTable : public db::TMemoryDataSet {
  public:
    bool GetFieldData(db::TField& field, void* buffer) override {
        const bool has = db::TMemoryDataSet::GetFieldData(field, buffer);
        if (failing && has && buffer != nullptr &&
            std::string(static_cast<const char*>(buffer)) == "drie") {
            throw std::runtime_error("leesfout");
        }
        return has;
    }
    bool failing = false;
};

TEST(Zoeken, AFailedReadReturnsToWhereTheSearchBegan) {
    FailingTable table;
    table.FieldDefs().Add("NAAM", db::ftString, 10);
    table.Open();
    for (const char* naam : {"een", "twee", "drie", "vier"}) {
        table.Append();
        table.FieldByName("NAAM").SetAsString(naam);
        table.Post();
    }
    table.First();
    table.Next();

    Zoeken search;
    int repaints = 0;
    search.SetDoel({&table, [&] { ++repaints; }});
    RecordingZoekPort port;
    table.failing = true;
    EXPECT_FALSE(search.Zoek("vier", true, false, port));
    table.failing = false;
    EXPECT_EQ(port.shown, std::vector<std::string>{"error: leesfout"});
    EXPECT_EQ(table.FieldByName("NAAM").AsString(), "twee");
    EXPECT_FALSE(table.ControlsDisabled());
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(port.busy, 0);
}

}  // namespace
}  // namespace book::testing
