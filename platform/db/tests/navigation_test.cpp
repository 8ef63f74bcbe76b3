#include <gtest/gtest.h>

#include <vector>

#include "platform/db/tests/data_set_fixture.h"

namespace db::testing {
namespace {

using Ids = std::vector<int>;

// Ids of the rows in a link's window, read without moving the cursor.
Ids Window(PeopleTable& people, TDataLink& link) {
    Ids ids;
    const int active = link.ActiveRecord();
    for (int row = 0; row < link.RecordCount(); ++row) {
        link.SetActiveRecord(row);
        ids.push_back(people.Id());
    }
    link.SetActiveRecord(active);
    return ids;
}

class RingSizes : public ::testing::TestWithParam<int> {};

TEST_P(RingSizes, ForwardAndBackwardVisitEveryRecordOnce) {
    PeopleTable people(7);
    people.Link(GetParam());
    EXPECT_EQ(people.Forward(), (Ids{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(people.table->Eof());
    EXPECT_EQ(people.Id(), 7) << "at Eof the last record stays current";
    people.table->Prior();
    EXPECT_EQ(people.Id(), 6);

    Ids back;
    for (people.table->Last(); !people.table->Bof(); people.table->Prior()) {
        back.push_back(people.Id());
    }
    EXPECT_EQ(back, (Ids{7, 6, 5, 4, 3, 2, 1}));
    people.table->Next();
    EXPECT_EQ(people.Id(), 2) << "Next after Bof leaves the first";
}

TEST_P(RingSizes, MoveByReportsTheDistanceActuallyMoved) {
    PeopleTable people(7);
    people.Link(GetParam());
    EXPECT_EQ(people.table->MoveBy(3), 3);
    EXPECT_EQ(people.Id(), 4);
    EXPECT_EQ(people.table->MoveBy(-2), -2);
    EXPECT_EQ(people.Id(), 2);
    EXPECT_EQ(people.table->MoveBy(10), 5);
    EXPECT_TRUE(people.table->Eof());
    EXPECT_EQ(people.Id(), 7);
    EXPECT_EQ(people.table->MoveBy(-100), -6);
    EXPECT_TRUE(people.table->Bof());
    EXPECT_EQ(people.Id(), 1);
    EXPECT_EQ(people.table->MoveBy(-1), 0);
}

TEST_P(RingSizes, TheWindowHoldsConsecutiveRowsAroundTheActiveOne) {
    PeopleTable people(7);
    TDataLink& link = people.Link(GetParam());
    const int rows = std::min(GetParam(), 7);
    for (int step = 0; step < 12; ++step) {
        const Ids window = Window(people, link);
        ASSERT_EQ(static_cast<int>(window.size()), rows);
        for (std::size_t i = 1; i < window.size(); ++i) {
            EXPECT_EQ(window[i], window[i - 1] + 1);
        }
        EXPECT_EQ(window.at(static_cast<std::size_t>(link.ActiveRecord())), people.Id());
        step < 6 ? people.table->MoveBy(step % 2 == 0 ? 2 : 1) : people.table->MoveBy(-1);
    }
}

TEST_P(RingSizes, BookmarksSurviveOtherMovesAndEdits) {
    PeopleTable people(7);
    people.Link(GetParam());
    people.table->MoveBy(2);
    const TBookmark third = people.table->GetBookmark();
    people.table->Last();
    const TBookmark seventh = people.table->GetBookmark();

    people.table->GotoBookmark(third);
    EXPECT_EQ(people.Id(), 3);
    people.table->First();
    people.table->Delete();  // the first row goes
    people.AppendRow(8);
    people.table->First();
    people.table->Insert();
    people.Field("ID").SetAsInteger(9);
    people.table->Post();

    people.table->GotoBookmark(seventh);
    EXPECT_EQ(people.Id(), 7);
    people.table->GotoBookmark(third);
    EXPECT_EQ(people.Id(), 3);
    people.table->Next();
    EXPECT_EQ(people.Id(), 4) << "the ring around a bookmark continues in order";
}

TEST_P(RingSizes, HasNextAndPriorSayWhetherAMoveLeadsToAnotherRecord) {
    PeopleTable people(4);
    people.Link(GetParam());
    // Reached by moving, not by First or Last: Bof and Eof are still false at the ends.
    people.table->MoveBy(3);
    people.table->MoveBy(-3);
    ASSERT_EQ(people.Id(), 1);
    ASSERT_FALSE(people.table->Bof());
    EXPECT_FALSE(people.table->HasPriorRecord());
    EXPECT_TRUE(people.table->HasNextRecord());
    people.table->MoveBy(3);
    ASSERT_EQ(people.Id(), 4);
    ASSERT_FALSE(people.table->Eof());
    EXPECT_FALSE(people.table->HasNextRecord());
    EXPECT_TRUE(people.table->HasPriorRecord());
    EXPECT_EQ(people.Id(), 4) << "asking leaves the active record";
    people.table->Prior();
    EXPECT_EQ(people.Id(), 3) << "and the cursor, for the next move";
    EXPECT_TRUE(people.table->HasNextRecord());
    EXPECT_TRUE(people.table->HasPriorRecord());

    // A filter that leaves one record: neither way leads anywhere.
    people.table->SetOnFilterRecord([](TDataSet& data_set, bool& accept) {
        accept = data_set.FieldByName("ID").AsInteger() == 3;
    });
    people.table->SetFiltered(true);
    ASSERT_EQ(people.Id(), 3);
    EXPECT_FALSE(people.table->HasNextRecord());
    EXPECT_FALSE(people.table->HasPriorRecord());
    people.table->SetFiltered(false);
    EXPECT_TRUE(people.table->HasNextRecord());

    people.table->Edit();
    people.table->Last();  // posts
    EXPECT_FALSE(people.table->HasNextRecord()) << "at Eof";
    people.table->Edit();
    EXPECT_TRUE(people.table->HasPriorRecord()) << "editing: the ring and Bof decide";
    people.table->Cancel();
}

TEST(Navigation, HasNextAndPriorOnEmptyAndClosedDataSets) {
    PeopleTable people(0);
    EXPECT_FALSE(people.table->HasNextRecord());
    EXPECT_FALSE(people.table->HasPriorRecord());
    people.table->Close();
    EXPECT_FALSE(people.table->HasNextRecord());
}

INSTANTIATE_TEST_SUITE_P(BufferCounts, RingSizes, ::testing::Values(1, 2, 3, 7, 10));

TEST(Navigation, EmptyDataSetIsBothBofAndEof) {
    PeopleTable people;
    people.Link(5);
    EXPECT_TRUE(people.table->IsEmpty());
    EXPECT_TRUE(people.table->Bof());
    EXPECT_TRUE(people.table->Eof());
    EXPECT_EQ(people.table->RecordCount(), 0);
    EXPECT_TRUE(people.Field("NAAM").IsNull());
    EXPECT_EQ(people.Field("NAAM").AsString(), "");
    EXPECT_TRUE(people.table->GetBookmark().empty());
    people.table->Next();
    people.table->Last();
    EXPECT_TRUE(people.table->Eof());
    EXPECT_THROW(people.table->Delete(), EDatabaseError);
}

TEST(Navigation, ClosedDataSetRefusesToMove) {
    PeopleTable people(2);
    people.table->Close();
    try {
        people.table->Next();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "t1: Cannot perform this operation on a closed dataset");
    }
    people.table->Open();
    EXPECT_EQ(people.Forward(), (Ids{1, 2})) << "rows stay across close and open";
}

TEST(Navigation, RecNoAndRecordCountFollowTheCursor) {
    PeopleTable people(5);
    EXPECT_EQ(people.table->RecordCount(), 5);
    EXPECT_EQ(people.table->RecNo(), 1);
    people.table->MoveBy(3);
    EXPECT_EQ(people.table->RecNo(), 4);
    people.table->SetRecNo(2);
    EXPECT_EQ(people.Id(), 2);
    people.table->Append();
    EXPECT_EQ(people.table->RecNo(), -1);
    people.table->Cancel();
}

TEST(Navigation, GotoBookmarkCentresTheRing) {
    PeopleTable people(9);
    TDataLink& link = people.Link(5);
    people.table->Last();
    const TBookmark fifth = [&] {
        people.table->MoveBy(-4);
        return people.table->GetBookmark();
    }();
    people.table->First();
    people.table->GotoBookmark(fifth);
    EXPECT_EQ(Window(people, link), (Ids{3, 4, 5, 6, 7}));
    EXPECT_EQ(link.ActiveRecord(), 2);
}

TEST(Navigation, DeletedRecordsBookmarkIsNoLongerValid) {
    PeopleTable people(4);
    people.table->MoveBy(1);
    const TBookmark second = people.table->GetBookmark();
    const TBookmark first = [&] {
        people.table->First();
        return people.table->GetBookmark();
    }();
    EXPECT_TRUE(people.table->BookmarkValid(second));
    people.table->GotoBookmark(second);
    people.table->Delete();
    EXPECT_EQ(people.Id(), 3) << "the next record becomes current";
    EXPECT_FALSE(people.table->BookmarkValid(second));
    EXPECT_TRUE(people.table->BookmarkValid(first));
    EXPECT_THROW(people.table->GotoBookmark(second), EDatabaseError);
    EXPECT_EQ(people.Id(), 3);

    EXPECT_LT(people.table->CompareBookmarks(first, second), 0);
    EXPECT_GT(people.table->CompareBookmarks(second, first), 0);
    EXPECT_EQ(people.table->CompareBookmarks(first, first), 0);
    EXPECT_EQ(people.table->CompareBookmarks({}, {}), 0);
    EXPECT_EQ(people.table->CompareBookmarks({}, first), 1);
    EXPECT_EQ(people.table->CompareBookmarks(first, {}), -1);
}

TEST(Navigation, DeletingTheLastRecordMakesThePriorOneCurrent) {
    PeopleTable people(3);
    people.Link(3);
    people.table->Last();
    people.table->Delete();
    EXPECT_EQ(people.Id(), 2);
    EXPECT_EQ(people.Forward(), (Ids{1, 2}));
}

TEST(Navigation, FilterHidesRecordsUntilSwitchedOff) {
    PeopleTable people(6);
    people.table->SetOnFilterRecord([](TDataSet& data_set, bool& accept) {
        accept = data_set.FieldByName("ID").AsInteger() % 2 == 0;
    });
    people.table->SetFiltered(true);
    EXPECT_EQ(people.Id(), 2) << "filtering goes to the first accepted record";
    EXPECT_EQ(people.Forward(), (Ids{2, 4, 6}));
    EXPECT_EQ(people.table->RecordCount(), 3);
    people.table->SetFiltered(false);
    EXPECT_EQ(people.Forward(), (Ids{1, 2, 3, 4, 5, 6}));
}

TEST(Navigation, LocateMovesOnlyWhenFound) {
    PeopleTable people(5);
    people.table->MoveBy(1);
    EXPECT_FALSE(people.table->Locate("NAAM", {std::string("zz")}, 0));
    EXPECT_EQ(people.Id(), 2);
    EXPECT_TRUE(people.table->Locate("naam", {std::string("N4")}, loCaseInsensitive));
    EXPECT_EQ(people.Id(), 4);
    EXPECT_TRUE(people.table->Locate("ID;NAAM", {std::int64_t{3}, std::string("n")}, loPartialKey));
    EXPECT_EQ(people.Id(), 3);
    EXPECT_FALSE(people.table->Locate("NAAM", {std::string("N4")}, 0)) << "case counts";
}

// Grids read rows without moving the cursor.
TEST(ReadingWithoutMoving, ScanAndReadAtLeaveTheCursorAndRing) {
    PeopleTable people(6);
    TDataLink& link = people.Link(3);
    people.table->MoveBy(2);
    const Ids window = Window(people, link);
    std::vector<TBookmark> marks;
    Ids seen;
    const int visited = people.table->ScanRecords([&] {
        seen.push_back(people.Id());
        marks.push_back(people.table->GetBookmark());
        return true;
    });
    EXPECT_EQ(visited, 6);
    EXPECT_EQ(seen, (Ids{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(people.Id(), 3);
    EXPECT_EQ(Window(people, link), window);

    std::string name;
    EXPECT_TRUE(
        people.table->ReadRecordAt(marks[5], [&] { name = people.Field("NAAM").AsString(); }));
    EXPECT_EQ(name, "n6");
    EXPECT_EQ(people.Id(), 3);
    people.table->Next();
    EXPECT_EQ(people.Id(), 4) << "the cursor goes on from the active record";
    people.table->Prior();
    people.table->Prior();
    EXPECT_EQ(people.Id(), 2);

    people.table->Last();
    people.table->Delete();
    EXPECT_FALSE(people.table->ReadRecordAt(marks[5], [] { FAIL(); }));
}

TEST(ReadingWithoutMoving, ReadingDuringAnEditKeepsTheEdit) {
    PeopleTable people(4);
    people.table->MoveBy(1);
    people.table->Edit();
    people.Field("NAAM").SetAsString("changed");
    Ids seen;
    people.table->ScanRecords([&] {
        seen.push_back(people.Id());
        return seen.size() < 3;
    });
    EXPECT_EQ(seen, (Ids{1, 2, 3}));
    EXPECT_EQ(people.table->State(), dsEdit);
    EXPECT_EQ(people.Field("NAAM").AsString(), "changed");
    people.table->Post();
    EXPECT_EQ(people.Id(), 2);
    people.table->First();
    people.table->Next();
    EXPECT_EQ(people.Field("NAAM").AsString(), "changed") << "the post reached the right row";
    EXPECT_EQ(people.Forward(), (Ids{1, 2, 3, 4}));
}

}  // namespace
}  // namespace db::testing
