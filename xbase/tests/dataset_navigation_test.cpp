#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/db/field.h"
#include "xbase/tests/dataset_fixture.h"

namespace xbase::testing {
namespace {

using Names = std::vector<std::string>;

class Navigation : public RealTables {
  protected:
    void SetUp() override {
        RealTables::SetUp();
        if (IsSkipped()) {
            return;
        }
        MakeFive();
        table = &Table("VIJF.DBF");
        table->Open();
    }

    // Moves to the record whose name is `name`.
    void GoTo(const std::string& name) {
        table->First();
        while (!table->Eof() && table->FieldByName("NAAM").AsString() != name) {
            table->Next();
        }
        ASSERT_FALSE(table->Eof()) << name;
    }

    static int32_t NumberOf(const db::TBookmark& bookmark) {
        int32_t n = 0;
        EXPECT_EQ(bookmark.size(), sizeof n);
        std::memcpy(&n, bookmark.data(), sizeof n);
        return n;
    }

    TestTable* table = nullptr;
};

TEST_F(Navigation, FirstToEofVisitsTheRecordsThatAreNotDeleted) {
    table->First();
    EXPECT_TRUE(table->Bof());
    std::vector<int> numbers;
    Names names;
    while (!table->Eof()) {
        names.push_back(table->FieldByName("NAAM").AsString());
        numbers.push_back(table->RecNo());
        table->Next();
    }
    EXPECT_EQ(names, (Names{"Een", "Twee", "Vier", "Vijf"}));
    // Record numbers are the physical ones: the deleted third leaves a gap.
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 4, 5}));

    // At Eof the last record stays current; Prior steps back from it.
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Vijf");
    EXPECT_EQ(table->RecNo(), 5);
    table->Prior();
    EXPECT_FALSE(table->Eof());
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Vier");
    table->Next();
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Vijf");
}

TEST_F(Navigation, LastToBofVisitsThemBackwards) {
    table->Last();
    EXPECT_TRUE(table->Eof());
    Names names;
    while (!table->Bof()) {
        names.push_back(table->FieldByName("NAAM").AsString());
        table->Prior();
    }
    EXPECT_EQ(names, (Names{"Vijf", "Vier", "Twee", "Een"}));
    table->Next();
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Twee");
}

TEST_F(Navigation, MoveByCrossesTheDeletedRecord) {
    table->First();
    EXPECT_EQ(table->MoveBy(2), 2);
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Vier");
    EXPECT_EQ(table->MoveBy(10), 1);
    EXPECT_TRUE(table->Eof());
    EXPECT_EQ(table->MoveBy(-3), -3);
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Een");
}

TEST_F(Navigation, SettingTheRecordNumberChangesNothing) {
    GoTo("Vier");
    EXPECT_EQ(table->RecNo(), 4);
    table->SetRecNo(1);
    EXPECT_EQ(table->RecNo(), 4);
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Vier");
}

TEST_F(Navigation, ABookmarkSurvivesOtherMoves) {
    GoTo("Twee");
    const db::TBookmark twee = table->GetBookmark();
    EXPECT_EQ(NumberOf(twee), 2);
    table->Last();
    table->First();
    table->MoveBy(3);
    table->GotoBookmark(twee);
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Twee");
    EXPECT_EQ(table->RecNo(), 2);
    // The ring still reads on from there.
    table->Next();
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Vier");
}

TEST_F(Navigation, BookmarksCompareByRecord) {
    GoTo("Twee");
    const db::TBookmark twee = table->GetBookmark();
    GoTo("Vijf");
    const db::TBookmark vijf = table->GetBookmark();
    EXPECT_LT(table->CompareBookmarks(twee, vijf), 0);
    EXPECT_GT(table->CompareBookmarks(vijf, twee), 0);
    EXPECT_EQ(table->CompareBookmarks(twee, twee), 0);
    EXPECT_EQ(table->CompareBookmarks({}, {}), 0);
    EXPECT_EQ(table->CompareBookmarks({}, twee), 1);
    EXPECT_EQ(table->CompareBookmarks(twee, {}), -1);
}

TEST_F(Navigation, ABookmarkIsValidWhileItsRecordIsThere) {
    GoTo("Vier");
    const db::TBookmark vier = table->GetBookmark();
    int32_t beyond = 99;
    const db::TBookmark nowhere(reinterpret_cast<const char*>(&beyond), sizeof beyond);
    GoTo("Een");
    EXPECT_TRUE(table->BookmarkValid(vier));
    EXPECT_FALSE(table->BookmarkValid(nowhere));
    EXPECT_FALSE(table->BookmarkValid("ab"));
    // Asking moved nothing the data set shows.
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Een");
    table->Next();
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Twee");

    table->GotoBookmark(vier);
    table->Delete();
    EXPECT_FALSE(table->BookmarkValid(vier));
    // The row after the deleted one takes its place, and the deleted one is gone for good.
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Vijf");
    table->First();
    EXPECT_EQ(WalkForward(*table), (Names{"Een", "Twee", "Vijf"}));

    table->Close();
    EXPECT_FALSE(table->BookmarkValid(vier));
}

TEST_F(Navigation, DeletedRecordsStayWhileTheEngineShowsThem) {
    Engine().sx_SetDeleted(0);
    table->Refresh();
    table->First();
    EXPECT_EQ(WalkForward(*table), (Names{"Een", "Twee", "Drie", "Vier", "Vijf"}));
    GoTo("Drie");
    EXPECT_TRUE(table->BookmarkValid(table->GetBookmark()));
    table->Next();
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Vier");
}

TEST_F(Navigation, DeletingTheLastRecordLeavesThePriorOne) {
    GoTo("Vijf");
    table->Delete();
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Vier");
    table->Next();
    EXPECT_TRUE(table->Eof());
}

TEST_F(Navigation, ReadingPastEitherEndTurnsBackToTheRecordAtThatEnd) {
    char* buffer = table->AllocRecordBuffer();
    const auto name = [&] { return std::string(buffer + 1, 4); };
    table->InternalFirst();
    Names forward;
    while (table->GetRecord(buffer, db::gmNext, true) == db::grOK) {
        forward.push_back(name());
    }
    EXPECT_EQ(forward, (Names{"Een ", "Twee", "Vier", "Vijf"}));
    ASSERT_EQ(table->GetRecord(buffer, db::gmPrior, true), db::grOK);
    EXPECT_EQ(name(), "Vijf");
    while (table->GetRecord(buffer, db::gmPrior, true) == db::grOK) {
    }
    ASSERT_EQ(table->GetRecord(buffer, db::gmNext, true), db::grOK);
    EXPECT_EQ(name(), "Een ");
    table->FreeRecordBuffer(buffer);
}

TEST_F(Navigation, GridsReadRowsWithoutMovingTheCursor) {
    GoTo("Vier");
    const db::TBookmark vier = table->GetBookmark();
    table->First();
    Names scanned;
    EXPECT_EQ(table->ScanRecords([&] {
        scanned.push_back(table->FieldByName("NAAM").AsString());
        return true;
    }),
              4);
    EXPECT_EQ(scanned, (Names{"Een", "Twee", "Vier", "Vijf"}));
    std::string read;
    EXPECT_TRUE(table->ReadRecordAt(vier, [&] { read = table->FieldByName("NAAM").AsString(); }));
    EXPECT_EQ(read, "Vier");
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Een");
    table->Next();
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Twee");
}

TEST_F(Navigation, EmptyTableHasNoRows) {
    MakeTable("LEEG.DBF", {"NAAM:C:20"}, {});
    TestTable& empty = Table("LEEG.DBF");
    empty.Open();
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_TRUE(empty.Eof());
    EXPECT_TRUE(empty.Bof());
    EXPECT_EQ(empty.RecNo(), -1);
    EXPECT_EQ(empty.RecordCount(), 0);
    EXPECT_TRUE(empty.GetBookmark().empty());
    EXPECT_TRUE(empty.FieldByName("NAAM").IsNull());
}

}  // namespace
}  // namespace xbase::testing
