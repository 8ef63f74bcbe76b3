// Key ranges on the current order and the master link.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/db/data_source.h"
#include "xbase/tests/table_fixture.h"

namespace xbase::testing {
namespace {

using Names = std::vector<std::string>;

class TableRange : public TableTest {
  protected:
    void SetUp() override {
        TableTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        MakeBook({{{"NAAM", "Jansen"}, {"PLAATS", "Utrecht"}},
                  {{"NAAM", "Bakker"}, {"PLAATS", "Gouda"}},
                  {{"NAAM", "Visser"}, {"PLAATS", "Utrecht"}},
                  {{"NAAM", "Smit"}, {"PLAATS", "Delft"}},
                  {{"NAAM", "de Vries"}, {"PLAATS", "Gouda"}}});
        MakeIndex("BOEK.DBF", "plaats.idx", "PLAATS");
        MakeTable("PLAATSEN.DBF", {"PLAATS:C:50"},
                  {{{"PLAATS", "Gouda"}}, {{"PLAATS", "Utrecht"}}, {{"PLAATS", "Emmen"}}});
        book = &Table("BOEK.DBF");
        book->Open();
        Engine().sx_Select(book->Handle());
        ASSERT_GT(Engine().sx_IndexOpen((folder + "plaats.idx").c_str()), 0);
        book->SetIndexName("plaats.idx");
    }

    TTable* book = nullptr;
};

TEST_F(TableRange, SetRangeAndCancelRange) {
    book->SetRange({std::string("Delft")}, {std::string("Gouda")});
    EXPECT_EQ(Walk(*book), (Names{"Smit", "Bakker", "de Vries"}));
    book->SetRange({std::string("Gouda")}, {std::string("Gouda")});
    EXPECT_EQ(Walk(*book), (Names{"Bakker", "de Vries"}));
    book->CancelRange();
    EXPECT_EQ(Walk(*book).size(), 5U);
}

TEST_F(TableRange, RangeEndsEditedInKeyState) {
    book->SetRangeStart();
    book->FieldByName("PLAATS").SetAsString("Gouda");
    book->SetKeyExclusive(true);
    EXPECT_TRUE(book->KeyExclusive());
    book->SetKeyExclusive(false);
    book->SetRangeEnd();
    book->FieldByName("PLAATS").SetAsString("Gouda");
    book->ApplyRange();
    EXPECT_EQ(Walk(*book), (Names{"Bakker", "de Vries"}));

    // Editing one end keeps the other.
    book->EditRangeEnd();
    book->FieldByName("PLAATS").SetAsString("Utrecht");
    book->ApplyRange();
    EXPECT_EQ(Walk(*book), (Names{"Bakker", "de Vries", "Jansen", "Visser"}));

    EXPECT_THROW(book->SetKeyExclusive(true), db::EDatabaseError);
    EXPECT_THROW(book->IndexFields(1), db::EDatabaseError);
    EXPECT_EQ(book->IndexFields(0).FieldName(), "PLAATS");
    book->SetRangeStart();
    EXPECT_THROW(book->FieldByName("NAAM").SetAsString("x"), db::EDatabaseError);
    book->Cancel();
}

TEST_F(TableRange, DetailFollowsItsMaster) {
    TTable& places = Table("PLAATSEN.DBF");
    places.Open();
    db::TDataSource source;
    source.SetDataSet(&places);
    book->SetMasterFields("PLAATS");
    book->SetMasterSource(&source);
    EXPECT_EQ(Walk(*book), (Names{"Bakker", "de Vries"}));
    places.Next();
    EXPECT_EQ(Walk(*book), (Names{"Jansen", "Visser"}));
    places.Next();
    EXPECT_TRUE(book->IsEmpty());

    // A new detail record takes the master's key.
    book->Append();
    EXPECT_EQ(book->FieldByName("PLAATS").AsString(), "Emmen");
    book->FieldByName("NAAM").SetAsString("Mulder");
    book->Post();
    EXPECT_EQ(Walk(*book), Names{"Mulder"});

    book->SetMasterSource(nullptr);
    EXPECT_EQ(Walk(*book).size(), 6U);
}

TEST_F(TableRange, IndexDefinitionsAndAFieldListOrder) {
    book->IndexDefs().SetUpdated(false);
    book->UpdateIndexDefs();
    const TIndexDef* def = book->IndexDefs().FindForFields("PLAATS", false);
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->fields, "PLAATS");

    book->SetIndexName("");
    EXPECT_EQ(Walk(*book), (Names{"Jansen", "Bakker", "Visser", "Smit", "de Vries"}));
    book->SetIndexFieldNames("PLAATS");
    EXPECT_EQ(book->IndexName(), "");
    EXPECT_EQ(Walk(*book), (Names{"Smit", "Bakker", "de Vries", "Jansen", "Visser"}));
    EXPECT_THROW(book->SetIndexFieldNames("NAAM"), db::EDatabaseError);
    EXPECT_EQ(book->IndexFieldNames(), "PLAATS");
}

TEST_F(TableRange, CircularMasterIsRefused) {
    db::TDataSource own;
    own.SetDataSet(book);
    EXPECT_EQ(ErrorOf([&] { book->SetMasterSource(&own); }), "Circular datalinks are not allowed");
}

}  // namespace
}  // namespace xbase::testing
