#include <gtest/gtest.h>

#include <vector>

#include "platform/db/bookmark_list.h"
#include "platform/db/tests/data_set_fixture.h"

namespace db::testing {
namespace {

using Ids = std::vector<int>;

// Marks the rows with the given ids, in the order given.
void Mark(PeopleTable& people, TBookmarkList& list, const Ids& ids) {
    for (int id : ids) {
        ASSERT_TRUE(people.table->Locate("ID", {std::int64_t{id}}, 0));
        list.SetCurrentRowSelected(true);
    }
}

TEST(BookmarkLists, SelectedRowsAreDeletedFromLastToFirst) {
    PeopleTable people(6);
    TDataLink& grid = people.Link(4);
    TBookmarkList list(grid);
    Mark(people, list, {5, 2, 4});
    EXPECT_EQ(list.Count(), 3);
    Ids deleted;
    people.table->BeforeDelete = [&](TDataSet&) { deleted.push_back(people.Id()); };
    people.log.clear();
    list.Delete();
    EXPECT_EQ(deleted, (Ids{5, 4, 2}));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(people.log, (std::vector<std::string>{"link:changed"}))
        << "the grid hears of it once, at the end";
    EXPECT_EQ(people.Forward(), (Ids{1, 3, 6}));
}

TEST(BookmarkLists, SelectionFollowsTheCurrentRow) {
    PeopleTable people(4);
    TBookmarkList list(people.Link());
    Mark(people, list, {3, 1, 3});
    EXPECT_EQ(list.Count(), 2) << "a row is marked once";
    EXPECT_TRUE(list.CurrentRowSelected());
    list.SetCurrentRowSelected(false);
    EXPECT_FALSE(list.CurrentRowSelected());
    people.table->First();
    EXPECT_TRUE(list.CurrentRowSelected());
    EXPECT_EQ(list.IndexOf(people.table->GetBookmark()), 0);
}

TEST(BookmarkLists, RefreshDropsRowsThatAreGone) {
    PeopleTable people(4);
    TDataLink& grid = people.Link();
    TBookmarkList list(grid);
    Mark(people, list, {1, 2, 4});
    people.table->Locate("ID", {std::int64_t{2}}, 0);
    people.table->Delete();
    EXPECT_TRUE(list.Refresh());
    EXPECT_EQ(list.Count(), 2);
    EXPECT_FALSE(list.Refresh());
    list.LinkActive(false);
    EXPECT_EQ(list.Count(), 0);
    people.table->Close();
    EXPECT_THROW((void)list.CurrentRowSelected(), EDatabaseError);
}

}  // namespace
}  // namespace db::testing
