// Locate and lookup by key values, and key ranges.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "xbase/tests/table_fixture.h"

namespace xbase::testing {
namespace {

using Names = std::vector<std::string>;
using db::TFieldValue;

std::vector<Row> BookRows() {
    return {{{"NAAM", "Jansen"}, {"VOORNAAM", "Piet"}, {"PLAATS", "Utrecht"}},
            {{"NAAM", "Jan"}, {"VOORNAAM", "Kees"}, {"PLAATS", "Gouda"}},
            {{"NAAM", "jan"}, {"VOORNAAM", "Piet"}, {"PLAATS", "Delft"}},
            {{"NAAM", "\xd6zt\xfcrk"},
             {"VOORNAAM",
              "Ay\xfe"
              "e"},
             {"PLAATS", "Breda"}},
            {{"NAAM", ""}, {"VOORNAAM", "Leeg"}, {"PLAATS", "Ede"}},
            {{"NAAM", "Jan"}, {"VOORNAAM", "Piet"}, {"PLAATS", "Emmen"}}};
}

class TableLocate : public TableTest {
  protected:
    void SetUp() override {
        TableTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        MakeBook(BookRows());
        table = &Table("BOEK.DBF");
        table->Open();
        table->Last();
    }

    std::string Here() { return table->FieldByName("PLAATS").AsString(); }

    TTable* table = nullptr;
};

TEST_F(TableLocate, ThroughASearchFilter) {
    struct Case {
        std::string fields;
        std::vector<TFieldValue> values;
        db::TLocateOptions options;
        std::string found;  // "" for none
    };
    const std::vector<Case> cases = {
        {"NAAM", {std::string("Jan")}, 0, "Gouda"},
        {"NAAM", {std::string("JAN")}, db::loCaseInsensitive, "Gouda"},
        {"NAAM", {std::string("jan")}, 0, "Delft"},
        {"NAAM", {std::string("Ja")}, db::loPartialKey, "Utrecht"},
        {"NAAM", {std::string("JANS")}, db::loPartialKey | db::loCaseInsensitive, "Utrecht"},
        {"NAAM", {std::string("Ja")}, 0, ""},
        {"NAAM", {std::string("Janssen")}, 0, ""},
        // Every key field counts, not only the first.
        {"NAAM;VOORNAAM", {std::string("Jan"), std::string("Piet")}, 0, "Emmen"},
        {"NAAM;VOORNAAM",
         {std::string("JAN"), std::string("piet")},
         db::loCaseInsensitive,
         "Delft"},
        {"NAAM;VOORNAAM", {std::string("Jan"), std::string("Klaas")}, 0, ""},
        {"NAAM;VOORNAAM", {std::string("Jan"), std::string("Pi")}, db::loPartialKey, "Emmen"},
        // Windows-1252 letters, upper-cased by the engine's rules.
        {"NAAM", {std::string("ÖZTÜRK")}, db::loCaseInsensitive, "Breda"},
        {"VOORNAAM", {std::string("Ayþe")}, 0, "Breda"},
        {"VOORNAAM", {std::string("AYÞE")}, db::loCaseInsensitive, "Breda"},
        // A Null key is the blank field.
        {"NAAM", {TFieldValue{}}, 0, "Ede"},
        {"NAAM", {std::string("")}, 0, "Ede"},
    };
    for (const Case& c : cases) {
        table->Last();
        const bool found = table->Locate(c.fields, c.values, c.options);
        EXPECT_EQ(found, !c.found.empty()) << c.fields << " case " << (&c - cases.data());
        if (found) {
            EXPECT_EQ(Here(), c.found) << c.fields << " case " << (&c - cases.data());
        } else {
            EXPECT_EQ(Here(), "Emmen") << "a miss moved the record";
        }
    }
}

TEST_F(TableLocate, EngineGetsTheXBaseTexts) {
    Recorded().queries.clear();
    EXPECT_TRUE(table->Locate("NAAM", {std::string("jAn")}, db::loCaseInsensitive));
    const auto has = [](const std::string& text) {
        const std::vector<std::string>& q = Recorded().queries;
        return std::any_of(q.begin(), q.end(),
                           [&](const std::string& s) { return s.find(text) != std::string::npos; });
    };
    EXPECT_TRUE(has("Upper(NAAM) = 'JAN'"));

    Recorded().queries.clear();
    EXPECT_TRUE(table->Locate("NAAM", {TFieldValue{}}, 0));
    EXPECT_TRUE(has("NAAM = '" + std::string(20, ' ') + "'"));

    Recorded().queries.clear();
    EXPECT_TRUE(table->Locate("NAAM;VOORNAAM", {std::string("Jan"), std::string("Piet")}, 0));
    EXPECT_TRUE(has("NAAM = 'Jan' .and. VOORNAAM = 'Piet'"));
}

TEST_F(TableLocate, OnTheTablesOwnOrder) {
    table->Close();
    MakeIndex("BOEK.DBF", "naam.idx", "NAAM");
    table->Open();
    Engine().sx_Select(table->Handle());
    ASSERT_GT(Engine().sx_IndexOpen((folder + "naam.idx").c_str()), 0);
    table->SetIndexName("naam.idx");
    Recorded().queries.clear();

    table->Last();
    EXPECT_TRUE(table->Locate("NAAM", {std::string("Jan")}, 0));
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Jan");
    EXPECT_TRUE(table->Locate("NAAM", {std::string("Jans")}, db::loPartialKey));
    EXPECT_EQ(Here(), "Utrecht");
    // The next greater key is no hit of a partial key.
    table->Last();
    EXPECT_FALSE(table->Locate("NAAM", {std::string("Jb")}, db::loPartialKey));
    EXPECT_FALSE(table->Locate("NAAM", {std::string("Jana")}, 0));
    EXPECT_EQ(Here(), "Breda");
    // The seek served every one of them: no search filter reached the engine.
    EXPECT_TRUE(Recorded().queries.empty());
}

// A key longer than its field is never equal to what the field holds, on either road.
TEST_F(TableLocate, AKeyLongerThanItsFieldFindsNothing) {
    MakeTable("NUMMERS.DBF", {"NUMMER:C:20", "PLAATS:C:10"},
              {{{"NUMMER", "01234567890123456789"}, {"PLAATS", "Twintig"}},
               {{"NUMMER", "ABCDEFGHIJKLMNOPQRST"}, {"PLAATS", "Letters"}},
               {{"NUMMER", "0123"}, {"PLAATS", "Kort"}}});
    MakeIndex("NUMMERS.DBF", "nummer.idx", "NUMMER");
    struct Case {
        std::string key;
        db::TLocateOptions options;
        std::string found;  // "" for none
    };
    const std::string width = "01234567890123456789";
    const std::vector<Case> cases = {
        {width, 0, "Twintig"},
        {width + "0", 0, ""},
        {width + "   ", 0, "Twintig"},
        {"0123  ", 0, "Kort"},
        {"abcdefghijklmnopqrst", db::loCaseInsensitive, "Letters"},
        {"abcdefghijklmnopqrstu", db::loCaseInsensitive, ""},
        {"0123456789", db::loPartialKey, "Twintig"},
        {width, db::loPartialKey, "Twintig"},
        {width + "0", db::loPartialKey, ""},
        {"ABCDEFGHIJKLMNOPQRSTU", db::loPartialKey | db::loCaseInsensitive, ""},
    };
    for (const bool ownOrder : {false, true}) {
        TTable& t = Table("NUMMERS.DBF");
        t.Open();
        if (ownOrder) {
            Engine().sx_Select(t.Handle());
            ASSERT_GT(Engine().sx_IndexOpen((folder + "nummer.idx").c_str()), 0);
            t.SetIndexName("nummer.idx");
        }
        for (const Case& c : cases) {
            t.Last();
            const std::string before = t.FieldByName("PLAATS").AsString();
            const bool found = t.Locate("NUMMER", {c.key}, c.options);
            const std::string where = (ownOrder ? "seek " : "filter ") + c.key;
            EXPECT_EQ(found, !c.found.empty()) << where;
            EXPECT_EQ(t.FieldByName("PLAATS").AsString(), found ? c.found : before) << where;
        }
        t.Close();
    }
}

// A seek keys by the order in use and the table as it is open now, whatever order or
// structure the seek before it had.
TEST_F(TableLocate, ASeekKeysByTheOrderAndTheStructureInUseNow) {
    table->Close();
    struct Case {
        std::string index;
        bool alone;  // the other index is closed first: the same order number, another key
        std::string field;
        std::string key;
        std::string found;
    };
    const std::vector<Case> cases = {
        {"naam.idx", false, "NAAM", "Jansen", "Utrecht"},
        {"voornaam.idx", false, "VOORNAAM", "Kees", "Gouda"},
        {"naam.idx", false, "NAAM", "jan", "Delft"},
        {"voornaam.idx", true, "VOORNAAM", "Leeg", "Ede"},
        {"naam.idx", true, "NAAM", "Jansen", "Utrecht"},
        {"voornaam.idx", true, "VOORNAAM",
         "Ay\xc3\xbe"
         "e",
         "Breda"},
    };
    const std::vector<std::vector<std::string>> structures = {
        {"NAAM:C:20", "VOORNAAM:C:20", "PLAATS:C:50", "MEMO:M"},
        {"PLAATS:C:12", "VOORNAAM:C:7", "NAAM:C:30", "MEMO:M"},
    };
    for (const std::vector<std::string>& structure : structures) {
        MakeTable("BOEK.DBF", structure, BookRows());
        MakeIndex("BOEK.DBF", "naam.idx", "NAAM");
        MakeIndex("BOEK.DBF", "voornaam.idx", "VOORNAAM");
        table->Open();
        Recorded().queries.clear();
        Engine().sx_Select(table->Handle());
        ASSERT_GT(Engine().sx_IndexOpen((folder + "naam.idx").c_str()), 0);
        ASSERT_GT(Engine().sx_IndexOpen((folder + "voornaam.idx").c_str()), 0);
        for (const Case& c : cases) {
            const std::string where = structure[0] + " " + c.index + " " + c.key;
            if (c.alone) {
                Engine().sx_Select(table->Handle());
                Engine().sx_CloseIndexes();
                ASSERT_GT(Engine().sx_IndexOpen((folder + c.index).c_str()), 0) << where;
                table->SetIndexName("");
            }
            table->SetIndexName(c.index);
            table->Last();
            EXPECT_TRUE(table->Locate(c.field, {std::string(c.key)}, 0)) << where;
            EXPECT_EQ(Here(), c.found) << where;
            EXPECT_EQ(table->FieldByName(c.field).AsString(), c.key) << where;
        }
        // Every one was a seek: no search filter reached the engine.
        EXPECT_TRUE(Recorded().queries.empty());
        table->Close();
    }
}

TEST_F(TableLocate, LookupLeavesTheRecordWhereItWas) {
    table->First();
    const std::vector<TFieldValue> got =
        table->Lookup("NAAM;VOORNAAM", {std::string("Jan"), std::string("Piet")}, "PLAATS;NAAM");
    ASSERT_EQ(got.size(), 2U);
    EXPECT_EQ(std::get<std::string>(got[0]), "Emmen");
    EXPECT_EQ(std::get<std::string>(got[1]), "Jan");
    EXPECT_EQ(Here(), "Utrecht");
    table->Next();
    EXPECT_EQ(Here(), "Gouda");

    const std::vector<TFieldValue> none = table->Lookup("NAAM", {std::string("Niemand")}, "PLAATS");
    ASSERT_EQ(none.size(), 1U);
    EXPECT_TRUE(db::IsNullValue(none[0]));
}

TEST_F(TableLocate, UnknownKeyFieldRaises) {
    EXPECT_THROW(table->Locate("ONBEKEND", {std::string("x")}, 0), db::EDatabaseError);
    EXPECT_THROW(table->Locate("NAAM;VOORNAAM", {std::string("x")}, 0), db::EDatabaseError);
}

TEST_F(TableLocate, IndexFieldAccessOutsideTheOrder) {
    EXPECT_EQ(ErrorOf([&] { table->IndexFields(0); }).find("Field index out of range") !=
                  std::string::npos,
              true);
}

}  // namespace
}  // namespace xbase::testing
