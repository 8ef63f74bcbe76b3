// The table data set's rows from the engine's positions, against a walk of the records.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "xbase/tests/table_fixture.h"

namespace xbase::testing {
namespace {

using Bookmarks = std::vector<db::TBookmark>;

intptr_t ReadsSoFar() {
    return Engine().sx_SysProp(65100, 0);
}

// Bookmarks in the order ScanRecords visits the records.
Bookmarks Scan(db::TDataSet& ds) {
    Bookmarks marks;
    ds.ScanRecords([&] {
        marks.push_back(ds.GetBookmark());
        return true;
    });
    return marks;
}

class TableRows : public TableTest {
  protected:
    void MakeRows(int n) {
        std::vector<Row> rows;
        for (int i = 1; i <= n; ++i) {
            rows.push_back({{"NAAM", "n" + std::to_string((i * 37) % 1009)},
                            {"PLAATS", i % 2 ? "Ede" : "Zwolle"}});
        }
        MakeBook(rows);
        MakeIndex("BOEK.DBF", "naam.idx", "NAAM");
        MakeIndex("BOEK.DBF", "plaats.idx", "PLAATS");
        book = &Table("BOEK.DBF");
        book->SetExclusive(true);
        book->Open();
    }

    void ExpectRowsFollowTheScan(const char* what) {
        SCOPED_TRACE(what);
        const Bookmarks scan = Scan(*book);
        ASSERT_EQ(book->RowCount(), static_cast<int>(scan.size()));
        for (size_t row = 0; row < scan.size(); ++row) {
            ASSERT_EQ(book->BookmarkAt(static_cast<int>(row)), scan[row]) << row;
            ASSERT_EQ(book->RowOf(scan[row]), static_cast<int>(row)) << row;
        }
        EXPECT_TRUE(book->BookmarkAt(static_cast<int>(scan.size())).empty());
        Bookmarks read;
        const int first = static_cast<int>(scan.size() / 2);
        book->ReadRows(first, 5, [&](int) { read.push_back(book->GetBookmark()); });
        EXPECT_EQ(read, Bookmarks(scan.begin() + first,
                                  scan.begin() + std::min<size_t>(scan.size(), first + 5)));
    }

    TTable* book = nullptr;
};

TEST_F(TableRows, RowsFollowTheScanInEveryView) {
    MakeRows(120);
    Engine().sx_Select(book->Handle());
    ASSERT_GT(Engine().sx_IndexOpen((folder + "naam.idx").c_str()), 0);
    ASSERT_GT(Engine().sx_IndexOpen((folder + "plaats.idx").c_str()), 0);
    struct Case {
        const char* name;
        std::function<void()> set;
    };
    const Case cases[] = {
        {"natural order", [] {}},
        {"naam", [this] { book->SetIndexName("naam.idx"); }},
        {"filter",
         [this] {
             book->SetFilter("PLAATS = 'Ede'");
             book->SetFiltered(true);
         }},
        {"hidden deleted records",
         [this] {
             book->SetFiltered(false);
             for (int i = 0; i < 4; ++i) {
                 book->MoveBy(7);
                 book->Delete();
             }
             Engine().sx_SetDeleted(1);
             book->Refresh();
         }},
        {"scope",
         [this] {
             book->SetIndexName("plaats.idx");
             book->SetRange({std::string("Zwolle")}, {std::string("Zwolle")});
         }},
        {"after an append, a delete and an edit that moves the key",
         [this] {
             book->CancelRange();
             book->SetIndexName("naam.idx");
             book->Append();
             book->FieldByName("NAAM").SetAsString("a eerst");
             book->Post();
             book->Last();
             book->Delete();
             book->First();
             book->MoveBy(3);
             book->Edit();
             book->FieldByName("NAAM").SetAsString("zz laatst");
             book->Post();
         }},
    };
    for (const Case& c : cases) {
        c.set();
        ExpectRowsFollowTheScan(c.name);
    }
    // A record the filter hides has no row.
    book->SetFilter("PLAATS = 'Ede'");
    book->SetFiltered(true);
    book->SetFiltered(false);
    book->First();
    while (book->FieldByName("PLAATS").AsString() == "Ede") {
        book->Next();
    }
    const db::TBookmark zwolle = book->GetBookmark();
    book->SetFiltered(true);
    EXPECT_EQ(book->RowOf(zwolle), -1);
    Engine().sx_SetDeleted(0);
}

TEST_F(TableRows, BookmarksRoundTripOverTwoThousandRecords) {
    MakeRows(2000);
    Engine().sx_Select(book->Handle());
    ASSERT_GT(Engine().sx_IndexOpen((folder + "naam.idx").c_str()), 0);
    book->SetIndexName("naam.idx");
    const int count = book->RowCount();
    ASSERT_EQ(count, 2000);
    book->MoveBy(10);
    const db::TBookmark standing = book->GetBookmark();
    for (int row = 0; row < count; ++row) {
        ASSERT_EQ(book->RowOf(book->BookmarkAt(row)), row);
    }
    EXPECT_EQ(book->GetBookmark(), standing);
    EXPECT_EQ(book->State(), db::dsBrowse);
}

TEST_F(TableRows, ReadingAScreenReadsAboutAScreen) {
    MakeRows(20000);
    Engine().sx_Select(book->Handle());
    ASSERT_GT(Engine().sx_IndexOpen((folder + "naam.idx").c_str()), 0);
    book->SetIndexName("naam.idx");
    // As at start-up: a reindex passes over the table, so hidden deleted records cost nothing.
    ASSERT_TRUE(Engine().sx_Reindex());
    Engine().sx_SetDeleted(1);
    book->First();
    for (const int first : {0, 10000, 19980}) {
        SCOPED_TRACE(first);
        const intptr_t before = ReadsSoFar();
        const int rows = book->RowCount();
        int visited = book->ReadRows(first, 25, [](int) {});
        book->RowOf(book->BookmarkAt(first + 3));
        EXPECT_EQ(rows, 20000);
        EXPECT_EQ(visited, std::min(25, 20000 - first));
        EXPECT_LT(ReadsSoFar() - before, 40);
    }
    Engine().sx_SetDeleted(0);
}

}  // namespace
}  // namespace xbase::testing
