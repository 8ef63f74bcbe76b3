// The lookup by number against the walk it replaces, over the engine library.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "monitor/book/number_lookup.h"
#include "monitor/book/tests/klapper_fixture.h"
#include "platform/db/data_link.h"
#include "platform/db/data_source.h"
#include "platform/db/field.h"
#include "xbase/table.h"
#include "xbase/xbase_component.h"

namespace book::testing {
namespace {

// Two entries share a number; the first appended sorts last by name.
const std::vector<Entry> kBook = {
    {"0201234567", "Jansen", "Utrecht"},
    {"0301111111", "de Vries", "Amsterdam"},
    {"0201234567", "Bakker", "Amsterdam"},
    {"", "Onbekend", "Gouda"},
    {"--", "Geen nummer", "Gouda"},
    {"0612345678", "Pietersen", "Delft"},
    {"01234567890123456789", "Twintig", "Delft"},
    {" 0612345678", "Spatie", "Delft"},
};

enum class Rank { Natural, Naam, Number, Current };
enum class Hide { None, FilterFirst, DeleteFirst };

struct Case {
    const char* title;
    std::string number;
    Rank rank;
    Hide hide = Hide::None;
    bool numberIndex = true;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.title;
}

class NumberLookupTest : public KlapperTest, public ::testing::WithParamInterface<Case> {
  protected:
    // The walk the lookup stands for: the first record from the top in the order, under the
    // table's filter, whose number reads the same; the order is put back after it.
    std::string ReferenceWalk(const std::string& number, int order) {
        xbase::TTable& t = core->t2();
        xbase::TXbase& x = core->a2();
        const int before = x.IndexOrd();
        x.SetOrder(order);
        std::string found;
        for (t.First(); !t.Eof(); t.Next()) {
            if (t.FieldByName("NUMMER").AsString() == number) {
                found = t.FieldByName("NAAM").AsString();
                break;
            }
        }
        x.SetOrder(before);
        return found;
    }
};

TEST_P(NumberLookupTest, FindsTheEntryTheWalkFinds) {
    const Case& c = GetParam();
    AddEntries(kBook);
    if (!c.numberIndex) {
        std::filesystem::create_directory(folder + "tel0.idx");
    }
    KlapperCore& k = Start();
    ASSERT_EQ(k.NumberOrder() != 0, c.numberIndex);
    xbase::TTable& t = k.t2();
    // The window shows the book by place; the lookups must put that order back.
    k.Sorteren(6);
    const std::string shownOrder = t.IndexName();

    if (c.hide == Hide::FilterFirst) {
        t.SetFilter("PLAATS = 'Utrecht' .or. PLAATS = 'Gouda' .or. PLAATS = 'Delft' ");
        t.SetFiltered(true);
    } else if (c.hide == Hide::DeleteFirst) {
        ASSERT_TRUE(t.Locate("NAAM", {db::TFieldValue(std::string("Bakker"))}, 0));
        t.Delete();
    }

    int order = kCurrentOrder;
    int walkOrder = k.a2().IndexOrd();
    switch (c.rank) {
        case Rank::Natural:
            order = walkOrder = 0;
            break;
        case Rank::Naam:
            order = walkOrder = k.OrderNumber(2);
            break;
        case Rank::Number:
            order = walkOrder = k.NumberOrder();
            break;
        case Rank::Current:
            break;
    }
    const std::string expected = ReferenceWalk(c.number, walkOrder);

    const bool found = k.FindNumber(c.number, order);
    EXPECT_EQ(found, !expected.empty());
    if (found) {
        EXPECT_EQ(t.FieldByName("NAAM").AsString(), expected);
        EXPECT_EQ(t.FieldByName("NUMMER").AsString(), c.number);
    } else {
        EXPECT_TRUE(t.Eof());
    }
    EXPECT_EQ(t.IndexName(), shownOrder);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberLookupTest,
    ::testing::Values(Case{"absent", "0999", Rank::Number},
                      Case{"absentByName", "0999", Rank::Naam},
                      Case{"sharedByName", "0201234567", Rank::Naam},
                      Case{"sharedNatural", "0201234567", Rank::Natural},
                      Case{"sharedByNumber", "0201234567", Rank::Number},
                      Case{"sharedCurrentOrder", "0201234567", Rank::Current},
                      Case{"firstFiltered", "0201234567", Rank::Naam, Hide::FilterFirst},
                      Case{"firstDeleted", "0201234567", Rank::Naam, Hide::DeleteFirst},
                      Case{"filteredAway", "0301111111", Rank::Current, Hide::FilterFirst},
                      Case{"trailingBlank", "0612345678 ", Rank::Number},
                      Case{"leadingBlank", " 0612345678", Rank::Number},
                      Case{"empty", "", Rank::Number}, Case{"noNumber", "--", Rank::Number},
                      Case{"twentyOne", "012345678901234567890", Rank::Number},
                      Case{"twenty", "01234567890123456789", Rank::Number},
                      Case{"withoutIndexByName", "0201234567", Rank::Naam, Hide::None, false},
                      Case{"withoutIndexAbsent", "0999", Rank::Current, Hide::None, false},
                      Case{"withoutIndexFiltered", "0201234567", Rank::Natural, Hide::FilterFirst,
                           false}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.title); });

// Counts what the grid would hear.
class CountingLink : public db::TDataLink {
  public:
    int changes = 0;

  protected:
    void DataSetChanged() override { ++changes; }
    void DataSetScrolled(int) override { ++changes; }
    void RecordChanged(db::TField*) override { ++changes; }
};

TEST_F(NumberLookupTest, TheGridHearsOnceAndAPendingEditIsStored) {
    AddEntries(kBook);
    KlapperCore& k = Start();
    CountingLink link;
    link.SetBufferCount(10);
    link.SetDataSource(&k.DataSource2());
    xbase::TTable& t = k.t2();
    t.First();
    t.Edit();
    t.FieldByName("NAAM").SetAsString("Gewijzigd");
    link.changes = 0;

    ASSERT_TRUE(k.FindNumber("0301111111", kCurrentOrder));
    EXPECT_EQ(t.State(), db::dsBrowse);
    EXPECT_EQ(link.changes, 1);
    link.SetDataSource(nullptr);
    EXPECT_EQ(ReferenceWalk("0301111111", 0), "de Vries");
    // The entry edited first (the blank number sorts first) kept its change.
    EXPECT_EQ(ReferenceWalk("", 0), "Gewijzigd");
}

TEST_F(NumberLookupTest, AClosedTableFindsNothing) {
    KlapperCore& k = Start();
    k.t2().Close();
    EXPECT_FALSE(k.FindNumber("0201234567", kCurrentOrder));
    EXPECT_FALSE(k.t2().Active());
}

}  // namespace
}  // namespace book::testing
