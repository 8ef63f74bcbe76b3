#include <gtest/gtest.h>

#include "xbase/tests/layer_fixture.h"
#include "xbase/xbcalls.h"

namespace xbase::testing {
namespace {

class FieldList : public LayerTest {
  protected:
    FieldList() {
        DbiInitEngine(nullptr);
        DbiOpenDatabase("/prog", nullptr, 0, 0, nullptr, 0, nullptr, nullptr, &db);
        fake.AddTable("/prog/book.dbf", FakeTable{{{"NUMMER", 'C', 20}, {"N4", 'N', 4}}, {}});
    }

    std::vector<FieldDescriptor> Rows(CursorHandle cursor) {
        std::vector<FieldDescriptor> rows;
        FieldDescriptor row;
        while (PseudoCursorNextRow(cursor, &row) == kOk) {
            rows.push_back(row);
            if (rows.size() > 100)
                break;
        }
        return rows;
    }

    DbHandle db = 0;
};

TEST_F(FieldList, OfAClosedTableOpensItReadOnlyAndClosesItAgain) {
    CursorHandle cursor = 0;
    ASSERT_EQ(DbiOpenFieldList(db, "book.dbf", "SXFOX", false, &cursor), kOk);
    EXPECT_EQ(cursor, kFieldListCursor);
    ASSERT_EQ(fake.uses.size(), 1u);
    EXPECT_EQ(fake.uses[0].mode, SX_READONLY);
    EXPECT_TRUE(fake.areas.empty());
    EXPECT_EQ(WorkAreaOf(1), nullptr);

    const auto rows = Rows(cursor);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, "NUMMER");
    EXPECT_EQ(rows[0].fieldType, kFldText);
    EXPECT_EQ(rows[1].fieldType, kFldInt16);
    FieldDescriptor row;
    EXPECT_EQ(PseudoCursorNextRow(cursor, &row), kEof);
    EXPECT_EQ(PseudoCursorNextRow(cursor, &row), kEof);

    EXPECT_EQ(DbiCloseTable(&cursor), kOk);
    EXPECT_EQ(WorkAreaOf(kFieldListCursor), nullptr);
    EXPECT_EQ(PseudoCursorNextRow(kFieldListCursor, &row), kEof);
}

TEST_F(FieldList, OfAnOpenTableUsesItsDescriptors) {
    struct Case {
        const char* openName;
        const char* listName;
    };
    const Case cases[] = {{"book.dbf", "book.dbf"},
                          {"book.dbf", "/prog/BOOK.DBF"},
                          {"/prog/book.dbf", "/prog/book.dbf"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.openName) + " / " + c.listName);
        CursorHandle table = 0;
        ASSERT_EQ(DbiOpenTableArea(db, c.openName, "SXFOX", nullptr, nullptr, 0, 0, 0, 0, false,
                                   nullptr, &table),
                  kOk);
        fake.uses.clear();
        CursorHandle cursor = 0;
        ASSERT_EQ(DbiOpenFieldList(db, c.listName, "SXFOX", false, &cursor), kOk);
        EXPECT_TRUE(fake.uses.empty());
        EXPECT_EQ(Rows(cursor).size(), 2u);
        DbiCloseTable(&table);
    }
}

TEST_F(FieldList, FailedOpenIsReported) {
    CursorHandle cursor = 0;
    EXPECT_EQ(DbiOpenFieldList(db, "absent.dbf", "SXFOX", false, &cursor), kTableNotOpened);
    FieldDescriptor row;
    EXPECT_EQ(PseudoCursorNextRow(kFieldListCursor, &row), kEof);
}

TEST_F(FieldList, NullCursorYieldsNothing) {
    CursorHandle cursor = 0;
    ASSERT_EQ(DbiOpenIndexList(db, "book.dbf", "SXFOX", &cursor), kOk);
    EXPECT_EQ(cursor, kNullCursor);
    FieldDescriptor row;
    EXPECT_EQ(PseudoCursorNextRow(cursor, &row), kEof);
    EXPECT_EQ(DbiCloseTable(&cursor), kOk);
}

}  // namespace
}  // namespace xbase::testing
