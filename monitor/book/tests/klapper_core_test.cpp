// The phone book's start-up, sorting, filters, "Alles wissen", new entries and closing,
// over the engine library.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "monitor/book/tests/klapper_fixture.h"
#include "monitor/settings.h"
#include "platform/db/field.h"
#include "xbase/engine_api.h"
#include "xbase/table.h"
#include "xbase/xbase_component.h"

namespace book::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<Entry> kBook = {
    {"0201234567", "Jansen", "Utrecht"},
    {"0101010101", "Weg", "Gouda", true},
    {"0301111111", "de Vries", "'s-Hertogenbosch"},
    {"0201234567", "Bakker", "Amsterdam"},
    {"0404040404", "Müller", ""},
    {"0505050505", "Oud", "Delft", true},
    {"0612345678", "Pietersen", "'s-Hertogenbosch"},
};
constexpr int kLive = 5;

std::string Count(int n) {
    return "Aantal records: " + std::to_string(n);
}

using KlapperCoreTest = KlapperTest;

KlapperBeller Beller(const std::string& nummer, const std::string& naam) {
    return {nummer,          "Piet",   naam,    "jr",
            "Dorpsstraat 1", "1234AB", "Gouda", "Gekopieerd vanuit de Monitor"};
}

TEST_F(KlapperCoreTest, StartUpPacksAndMakesTheThirteenIndexes) {
    AddEntries(kBook);
    KlapperCore& k = Start();
    EXPECT_EQ(port.shown.front(), "splash: Klapper database laden en indexen maken ");
    EXPECT_TRUE(port.Boxes().empty()) << port.Boxes().front();
    EXPECT_EQ(RecordsOnDisk(), kLive);
    for (int n = 0; n < kKlapperIndexes; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(k.OrderNumber(n), n + 1);
        EXPECT_TRUE(fs::is_regular_file(folder + KlapperIndexFile(n)));
    }
    EXPECT_FALSE(k.t2().Exclusive());
    EXPECT_EQ(k.CheckedSort(), 0);
    EXPECT_EQ(k.t2().IndexName(), "TEL0");
    EXPECT_EQ(Column("NUMMER"), (std::vector<std::string>{"0201234567", "0201234567", "0301111111",
                                                          "0404040404", "0612345678"}));
    EXPECT_EQ(k.CountLabel(), Count(kLive));
    EXPECT_EQ(k.FiltersCaption(), "Filters");
}

TEST_F(KlapperCoreTest, TheStoredSortChoiceSelectsItsOrder) {
    struct Choice {
        int stored;
        int checked;
        std::string order;
    };
    for (const Choice& c : {Choice{12, 12, "TEL12"}, Choice{2, 2, "TEL2"}, Choice{42, -1, "TEL12"},
                            Choice{-1, -1, "TEL12"}}) {
        SCOPED_TRACE(c.stored);
        ini->WriteInteger("klapper", "sorterenop", c.stored);
        KlapperCore& k = Start();
        EXPECT_EQ(k.CheckedSort(), c.checked);
        EXPECT_EQ(k.t2().IndexName(), c.order);
        Stop();
        // Without a checked item closing writes the choice back as it was.
        EXPECT_EQ(ini->ReadInteger("klapper", "sorterenop", 99), c.stored);
    }
}

TEST_F(KlapperCoreTest, AnIndexThatCannotBeMadeIsReportedAndLeavesTheOrder) {
    AddEntries(kBook);
    fs::create_directory(folder + "tel3.idx");
    ini->WriteInteger("klapper", "sorterenop", 3);
    KlapperCore& k = Start();
    EXPECT_EQ(port.Boxes(), (std::vector<std::string>{"message: Index \"tel3.idx\" niet gemaakt"}));
    EXPECT_EQ(k.OrderNumber(3), 0);
    EXPECT_EQ(k.OrderNumber(12), 12);
    EXPECT_EQ(k.CheckedSort(), 3);
    EXPECT_EQ(k.t2().IndexName(), "TEL12");
    k.Sorteren(2);
    EXPECT_EQ(k.t2().IndexName(), "TEL2");
    k.Sorteren(3);
    EXPECT_EQ(k.t2().IndexName(), "TEL2");
    EXPECT_EQ(k.CheckedSort(), 3);
    EXPECT_EQ(port.busy, 0);
    Stop();
    EXPECT_EQ(ini->ReadInteger("klapper", "sorterenop", 99), 3);
}

TEST_F(KlapperCoreTest, SortingReordersAndClosingStoresTheCheckedItem) {
    AddEntries(kBook);
    KlapperCore& k = Start();
    k.Sorteren(2);
    EXPECT_EQ(Column("NAAM"),
              (std::vector<std::string>{"Bakker", "Jansen", "Müller", "Pietersen", "de Vries"}));
    k.Sorteren(6);
    EXPECT_EQ(Column("PLAATS").front(), "");
    Stop();
    EXPECT_EQ(ini->ReadInteger("klapper", "sorterenop", 99), 6);
    EXPECT_EQ(Start().t2().IndexName(), "TEL6");
}

TEST_F(KlapperCoreTest, ATableHeldByAnotherUserIsNotPackedButOpensShared) {
    AddEntries(kBook);
    const xbase::EngineApi& e = library->Api();
    const int32_t previous = e.sx_WorkArea(nullptr);
    const int32_t other = e.sx_Use(TablePath().c_str(), nullptr, SX_SHARED, SX_FOX);
    ASSERT_NE(other, 0);
    e.sx_Select(previous);

    KlapperCore& k = Start();
    const std::vector<std::string> boxes = port.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].rfind("error: Wissen: Fout bij openen klapper: ", 0), 0u) << boxes[0];
    EXPECT_EQ(boxes[1].rfind("error: Fout bij Pack klapper :", 0), 0u) << boxes[1];
    for (const std::string& box : boxes) {
        EXPECT_EQ(box.substr(box.size() - 2), "  ");
    }
    EXPECT_TRUE(k.t2().Active());
    EXPECT_EQ(k.CountLabel(), Count(kLive));
    EXPECT_EQ(k.OrderNumber(12), 13);
    // The other user's open counts every record: nothing was packed away.
    e.sx_Select(other);
    EXPECT_EQ(e.sx_RecCount(), static_cast<int>(kBook.size()));
    e.sx_Close();
    e.sx_Select(previous);
}

TEST_F(KlapperCoreTest, AMissingTableLeavesAClosedBookWhoseCommandsChangeNothing) {
    fs::remove(TablePath());
    KlapperCore& k = Start();
    const std::vector<std::string> boxes = port.Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].rfind("error: Wissen: Fout bij openen klapper: ", 0), 0u) << boxes[0];
    EXPECT_EQ(boxes[1].rfind("error: Fout bij Pack klapper :", 0), 0u) << boxes[1];
    EXPECT_EQ(boxes[2].rfind("error: Wissen: Fout bij openen klapper: ", 0), 0u) << boxes[2];
    EXPECT_FALSE(k.t2().Active());
    EXPECT_EQ(k.CountLabel(), Count(0));

    port.shown.clear();
    k.Sorteren(2);
    k.FilterOp(1);
    EXPECT_FALSE(k.nieuw(Beller("0201234567", "X"), "monitor"));
    EXPECT_FALSE(k.nieuwautosave(Beller("0201234567", "X")));
    const std::vector<std::string> refused(4, "error: De klapper is niet geopend.");
    EXPECT_EQ(port.Boxes(), refused);
    EXPECT_EQ(k.CheckedSort(), 0);
    EXPECT_EQ(k.CheckedFilter(), -1);
    port.answers = {true};
    k.Wisregel1Click();
    EXPECT_FALSE(k.t2().Active());
    EXPECT_FALSE(fs::exists(TablePath()));
    EXPECT_FALSE(fs::exists(folder + "tel0.idx"));
    Stop();
}

TEST_F(KlapperCoreTest, FiltersNarrowToTheCurrentValue) {
    struct Filter {
        std::string naam;  // the entry to stand on
        int item;
        std::string text;
        int shown;
    };
    AddEntries(kBook);
    KlapperCore& k = Start();
    xbase::TTable& t = k.t2();
    for (const Filter& f :
         {Filter{"Müller", 4, "PLAATS = '' ", 1},
          Filter{"de Vries", 4, "PLAATS = \"'s-Hertogenbosch\" ", 2},
          Filter{"Müller", 1, "NAAM = 'Müller' ", 1}, Filter{"Jansen", 0, "VOORNAAM = '' ", 5}}) {
        SCOPED_TRACE(f.text);
        k.Geenfilter1Click();
        ASSERT_TRUE(t.Locate("NAAM", {db::TFieldValue(f.naam)}, 0));
        const std::string field = kKlapperFilter[static_cast<std::size_t>(f.item)].field;
        const std::string value = t.FieldByName(field).AsString();
        k.FilterOp(f.item);
        EXPECT_EQ(t.Filter(), f.text);
        EXPECT_TRUE(t.Filtered());
        EXPECT_EQ(Column(field.c_str()), std::vector<std::string>(f.shown, value));
        EXPECT_EQ(k.CountLabel(), Count(f.shown));
        EXPECT_EQ(k.CheckedFilter(), f.item);
        EXPECT_EQ(k.FiltersCaption(), "Filters (aan)");
    }
    k.Geenfilter1Click();
    EXPECT_EQ(t.Filter(), "VOORNAAM = '' ");
    EXPECT_FALSE(t.Filtered());
    EXPECT_EQ(Column("NUMMER").size(), static_cast<std::size_t>(kLive));
    EXPECT_EQ(k.CountLabel(), Count(kLive));
    EXPECT_EQ(k.CheckedFilter(), -1);
    EXPECT_EQ(k.FiltersCaption(), "Filters (uit)");
}

TEST_F(KlapperCoreTest, AllesWissenAsksThenEmptiesTheBookAndItsIndexes) {
    AddEntries(kBook);
    ini->WriteInteger("klapper", "sorterenop", 2);
    KlapperCore& k = Start();
    port.shown.clear();
    k.Wisregel1Click();
    EXPECT_EQ(port.Boxes(), (std::vector<std::string>{"ask: Alles wissen ?"}));
    EXPECT_EQ(k.CountLabel(), Count(kLive));
    EXPECT_EQ(Column("NUMMER").size(), static_cast<std::size_t>(kLive));

    port.answers = {true};
    k.Wisregel1Click();
    EXPECT_EQ(port.Boxes().size(), 2u);
    EXPECT_TRUE(k.t2().Active());
    EXPECT_FALSE(k.t2().Exclusive());
    EXPECT_EQ(k.CountLabel(), Count(0));
    EXPECT_TRUE(Column("NUMMER").empty());
    for (int n = 0; n < kKlapperIndexes; ++n) {
        EXPECT_EQ(k.OrderNumber(n), n + 1) << n;
    }
    EXPECT_EQ(k.t2().IndexName(), "TEL2");
    EXPECT_EQ(port.busy, 0);
    // A filter on the empty book compares with an empty value.
    k.FilterOp(1);
    EXPECT_EQ(k.t2().Filter(), "NAAM = '' ");
    EXPECT_EQ(k.CountLabel(), Count(0));
    k.t2().Close();
    EXPECT_EQ(RecordsOnDisk(), 0);
}

TEST_F(KlapperCoreTest, NieuwAppendsANewCallerWithTheDefaults) {
    AddEntries(kBook);
    KlapperCore& k = Start();
    ASSERT_TRUE(k.nieuw(Beller("0999", "Nieuw"), "monitor"));
    xbase::TTable& t = k.t2();
    EXPECT_EQ(t.State(), db::dsBrowse);
    EXPECT_EQ(k.CountLabel(), Count(kLive + 1));
    ASSERT_TRUE(k.FindNumber("0999", kCurrentOrder));
    const std::vector<std::pair<const char*, const char*>> expected = {
        {"VOORNAAM", "Piet"},
        {"NAAM", "Nieuw"},
        {"AANHANGSEL", "jr"},
        {"STRAAT", "Dorpsstraat 1"},
        {"POSTCODE", "1234AB"},
        {"PLAATS", "Gouda"},
        {"AFWIJZEN", "0000000000"},
        {"GELUID", "Geen"},
        {"TIJD", "1111111111"},
        {"CMDLINE", "-"},
        {"OMSCHR", ""},
        {"EXTRA", ""},
        {"KLEUR", ""},
        {"ZOEKSTATUS", "Gekopieerd vanuit de Monitor"}};
    for (const auto& [field, value] : expected) {
        EXPECT_EQ(t.FieldByName(field).AsString(), value) << field;
    }
    EXPECT_EQ(port.Boxes().size(), 0u);
}

TEST_F(KlapperCoreTest, NieuwOverwritesTheFirstSharedEntryInTheCurrentOrder) {
    AddEntries(kBook);
    KlapperCore& k = Start();
    xbase::TTable& t = k.t2();
    k.Sorteren(2);
    ASSERT_TRUE(t.Locate("NAAM", {db::TFieldValue(std::string("Bakker"))}, 0));
    t.Edit();
    t.FieldByName("KLEUR").SetAsString("rood");
    t.FieldByName("OMSCHR").SetAsString("oude omschrijving");
    t.FieldByName("GELUID").SetAsString("bel.wav");
    t.Post();
    // A filter that hides both would make the entry look new.
    ASSERT_TRUE(t.Locate("NAAM", {db::TFieldValue(std::string("de Vries"))}, 0));
    k.FilterOp(4);

    port.answers = {true};
    ASSERT_TRUE(k.nieuw(Beller("0201234567", "Bakker BV"), "log"));
    EXPECT_EQ(
        port.Boxes(),
        (std::vector<std::string>{"ask: Telefoon nummer staat al in de klapper \rOverschrijven?"}));
    EXPECT_FALSE(t.Filtered());
    EXPECT_EQ(k.CountLabel(), Count(kLive));
    EXPECT_EQ(Column("NAAM"),
              (std::vector<std::string>{"Bakker BV", "Jansen", "Müller", "Pietersen", "de Vries"}));
    ASSERT_TRUE(t.Locate("NAAM", {db::TFieldValue(std::string("Bakker BV"))}, 0));
    EXPECT_EQ(t.FieldByName("KLEUR").AsString(), "rood");
    EXPECT_EQ(t.FieldByName("OMSCHR").AsString(), "");
    EXPECT_EQ(t.FieldByName("GELUID").AsString(), "Geen");
}

TEST_F(KlapperCoreTest, CancellingTheOverwriteWritesNothing) {
    struct Source {
        std::string name;
        std::vector<std::string> after;
    };
    AddEntries(kBook);
    KlapperCore& k = Start();
    for (const Source& s :
         {Source{"monitor", {"show monitor", "hide klapper"}}, Source{"log", {"hide klapper"}}}) {
        SCOPED_TRACE(s.name);
        port.shown.clear();
        EXPECT_FALSE(k.nieuw(Beller("0301111111", "Anders"), s.name));
        std::vector<std::string> expected = {
            "ask: Telefoon nummer staat al in de klapper \rOverschrijven?"};
        expected.insert(expected.end(), s.after.begin(), s.after.end());
        EXPECT_EQ(port.Boxes(), expected);
        EXPECT_EQ(k.t2().State(), db::dsBrowse);
        ASSERT_TRUE(k.FindNumber("0301111111", kCurrentOrder));
        EXPECT_EQ(k.t2().FieldByName("NAAM").AsString(), "de Vries");
        EXPECT_EQ(k.CountLabel(), Count(kLive));
    }
}

TEST_F(KlapperCoreTest, StoredAtOnceAnotherOpenSeesTheNewEntries) {
    int stored = 0;
    for (const bool atOnce : {false, true}) {
        SCOPED_TRACE(atOnce);
        monitor::instellingen.meteenopslaan = atOnce;
        KlapperCore& k = Start();
        const std::string tag = atOnce ? "1" : "2";
        ASSERT_TRUE(k.nieuw(Beller("0" + tag, "Nieuw"), "monitor"));
        ASSERT_TRUE(k.nieuwautosave(Beller("00" + tag, "Auto")));
        stored += 2;
        EXPECT_EQ(k.CountLabel(), Count(stored));
        if (atOnce) {
            EXPECT_EQ(RecordsOnDisk(), stored);
        }
        Stop();
    }
    EXPECT_EQ(RecordsOnDisk(), stored);
}

TEST_F(KlapperCoreTest, AGridInsertStartsWithQuestionMarksAndCountsAfterItsPost) {
    AddEntries(kBook);
    KlapperCore& k = Start();
    xbase::TTable& t = k.t2();
    t.Insert();
    const std::vector<std::pair<const char*, const char*>> expected = {
        {"NUMMER", "?"}, {"NAAM", "?"},          {"OMSCHR", "?"}, {"AFWIJZEN", "0000000000"},
        {"GELUID", ""},  {"TIJD", "1111111111"}, {"CMDLINE", ""}};
    for (const auto& [field, value] : expected) {
        EXPECT_EQ(t.FieldByName(field).AsString(), value) << field;
    }
    t.Post();
    EXPECT_EQ(k.CountLabel(), Count(kLive + 1));
    t.Delete();
    EXPECT_EQ(k.CountLabel(), Count(kLive));
}

TEST_F(KlapperCoreTest, ClosingStoresOnlyAPendingEdit) {
    KlapperCore& k = Start();
    EXPECT_EQ(k.CountLabel(), Count(0));
    Stop();
    EXPECT_EQ(RecordsOnDisk(), 0);

    AddEntries(kBook);
    KlapperCore& again = Start();
    xbase::TTable& t = again.t2();
    t.First();
    t.Edit();
    t.FieldByName("NAAM").SetAsString("Bewerkt");
    // The entry forms leave their edit pending until the program ends.
    again.Destroy();
    KlapperCore& third = Start();
    ASSERT_TRUE(third.FindNumber("0201234567", 0));
    EXPECT_EQ(third.t2().FieldByName("NAAM").AsString(), "Bewerkt");
    EXPECT_EQ(third.CountLabel(), Count(kLive));
}

}  // namespace
}  // namespace book::testing
