#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/db/field_data_link.h"
#include "platform/db/tests/data_set_fixture.h"

namespace db {
namespace {

using testing::PeopleTable;

// Ids of the rows as the row source reads them.
std::vector<int> RowIds(PeopleTable& people, int first, int count) {
    std::vector<int> ids;
    people.table->ReadRows(first, count, [&](int row) {
        EXPECT_EQ(row, first + static_cast<int>(ids.size()));
        ids.push_back(people.Id());
    });
    return ids;
}

// What a reader must leave as it was.
struct Position {
    int id;
    TDataSetState state;
    bool bof;
    bool eof;
    bool operator==(const Position&) const = default;
};

Position Where(PeopleTable& people) {
    return {people.Id(), people.table->State(), people.table->Bof(), people.table->Eof()};
}

TEST(RowSource, RowsFollowTheFilterAndRoundTrip) {
    PeopleTable people(30);
    people.table->SetOnFilterRecord(
        [&](TDataSet&, bool& accept) { accept = people.Id() % 3 != 0; });
    people.table->SetFiltered(true);
    people.table->First();
    ASSERT_EQ(people.table->RowCount(), 20);
    EXPECT_EQ(RowIds(people, 0, 4), (std::vector<int>{1, 2, 4, 5}));
    EXPECT_EQ(RowIds(people, 18, 10), (std::vector<int>{28, 29}));
    for (int row = 0; row < 20; ++row) {
        const TBookmark bookmark = people.table->BookmarkAt(row);
        ASSERT_FALSE(bookmark.empty()) << row;
        EXPECT_EQ(people.table->RowOf(bookmark), row);
    }
    EXPECT_TRUE(people.table->BookmarkAt(20).empty());
    EXPECT_TRUE(people.table->BookmarkAt(-1).empty());

    // A record the filter hides is no row.
    people.table->SetFiltered(false);
    ASSERT_TRUE(people.table->Locate("ID", {std::int64_t{9}}, 0));
    const TBookmark hidden = people.table->Bookmark();
    people.table->SetFiltered(true);
    EXPECT_EQ(people.table->RowOf(hidden), -1);
}

TEST(RowSource, ReadersLeaveTheDataSetAlone) {
    PeopleTable people(10);
    people.table->MoveBy(4);
    std::vector<std::string> log;
    people.RecordEvents();
    auto& link = people.Link(3);
    people.log.clear();
    const Position before = Where(people);

    people.table->RowCount();
    people.table->RowOf(people.table->BookmarkAt(7));
    RowIds(people, 2, 5);

    EXPECT_EQ(Where(people), before);
    EXPECT_EQ(link.ActiveRecord(), link.ActiveRecord());
    EXPECT_TRUE(people.log.empty()) << people.log.front();
    // The next step goes on from where the data set stood.
    people.table->Next();
    EXPECT_EQ(people.Id(), 6);
}

TEST(RowSource, PendingEditSurvivesReadsAndPostsItsRecord) {
    PeopleTable people(10);
    people.table->MoveBy(2);
    people.table->Edit();
    people.Field("NAAM").SetAsString("bewerkt");
    EXPECT_EQ(RowIds(people, 6, 3), (std::vector<int>{7, 8, 9}));
    EXPECT_EQ(people.table->State(), dsEdit);
    EXPECT_EQ(people.Field("NAAM").AsString(), "bewerkt");
    people.table->Post();

    std::vector<std::string> names;
    people.table->ReadRows(0, 10, [&](int) { names.push_back(people.Field("NAAM").AsString()); });
    EXPECT_EQ(names[2], "bewerkt");
    EXPECT_EQ(names[8], "n9");
}

TEST(RowSource, InsertRowAndThePostedInsertKeepTheirPlace) {
    PeopleTable people(5);
    EXPECT_EQ(people.table->InsertRow(), -1);
    people.table->MoveBy(2);
    people.table->Insert();
    EXPECT_EQ(people.table->InsertRow(), 2);
    RowIds(people, 0, 5);
    people.Field("ID").SetAsInteger(99);
    people.table->Post();
    EXPECT_EQ(RowIds(people, 0, 6), (std::vector<int>{1, 2, 99, 3, 4, 5}));

    people.table->Append();
    EXPECT_EQ(people.table->InsertRow(), 6);
    RowIds(people, 0, 2);
    people.Field("ID").SetAsInteger(100);
    people.table->Post();
    EXPECT_EQ(RowIds(people, 5, 5), (std::vector<int>{5, 100}));
}

TEST(FieldDataLink, FollowsItsFieldAndHandsOverOnPost) {
    PeopleTable people(3);
    TDataSource source;
    source.SetDataSet(people.table.get());
    TFieldDataLink link;
    std::string shown;
    link.OnDataChange = [&] {
        shown = link.Field() != nullptr ? link.Field()->AsString() : std::string("<none>");
    };
    std::string typed;
    link.OnUpdateData = [&] { link.Field()->SetAsString(typed); };
    link.SetFieldName("NAAM");
    link.SetDataSource(&source);
    EXPECT_EQ(shown, "n1");
    people.table->Next();
    EXPECT_EQ(shown, "n2");

    ASSERT_TRUE(link.Edit());
    typed = "nieuw";
    link.SetModified();
    people.table->Post();
    EXPECT_FALSE(link.Modified());
    EXPECT_EQ(people.Field("NAAM").AsString(), "nieuw");

    // A change to another field leaves the control as it is.
    people.table->Edit();
    shown = "untouched";
    people.Field("ID").SetAsInteger(7);
    EXPECT_EQ(shown, "untouched");
    people.table->Cancel();

    link.SetFieldName("ONBEKEND");
    EXPECT_EQ(shown, "<none>");
    EXPECT_FALSE(link.CanModify());
    link.SetDataSource(nullptr);
}

}  // namespace
}  // namespace db
