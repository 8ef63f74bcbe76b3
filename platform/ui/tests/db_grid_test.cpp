#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/db/data_source.h"
#include "platform/db/tests/data_set_fixture.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/db_navigator.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/scripted_dialogs.h"

namespace ui {
namespace {

using db::testing::PeopleTable;

// A grid of ID, NAAM and MEMO over a people table; every record the table reads passes the
// (accept-all) filter, which counts it.
class GridFixture : public ::testing::Test {
  protected:
    explicit GridFixture(int rows = 200) : people(rows) {
        people.table->SetOnFilterRecord([this](db::TDataSet&, bool& accept) {
            ++reads;
            accept = true;
        });
        people.table->SetFiltered(true);
        people.table->First();
        source.SetDataSet(people.table.get());
        for (const char* name : {"ID", "NAAM", "MEMO"}) {
            grid.Columns().Add().SetFieldName(name);
        }
        grid.SetOptions(grid.Options() | dgRowSelect | dgMultiSelect | dgConfirmDelete);
        grid.SetDataSource(&source);
        grid.resize(400, 240);
        grid.show();
        Paint();
    }
    ~GridFixture() override { grid.SetDataSource(nullptr); }

    void Paint() { grid.grab(); }
    QString Cell(int row, int column) { return grid.model()->index(row, column).data().toString(); }
    QString Indicator(int row) {
        return grid.model()->headerData(row, Qt::Vertical, Qt::DisplayRole).toString();
    }
    QPoint CellCenter(int row, int column = 0) {
        return grid.visualRect(grid.model()->index(row, column)).center();
    }
    int CurrentRow() {
        for (int row = 0; row < grid.model()->rowCount(); ++row) {
            if (!Indicator(row).isEmpty()) {
                return row;
            }
        }
        return -1;
    }

    PeopleTable people;
    int reads = 0;
    db::TDataSource source;
    TDBGrid grid;
};

TEST_F(GridFixture, CellsShowTextAndMemoMarkers) {
    people.table->Edit();
    people.Field("NAAM").SetAsString("Zoë");
    people.Field("MEMO").SetAsString("notitie");
    people.table->Post();
    grid.Repaint();
    EXPECT_EQ(grid.model()->rowCount(), 200);
    EXPECT_EQ(Cell(0, 1), QString::fromUtf8("Zoë"));
    EXPECT_EQ(Cell(0, 2), "(MEMO)");
    EXPECT_EQ(Cell(1, 2), "(Memo)");
    EXPECT_EQ(Cell(1, 0), "2");
    EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "NAAM");
}

TEST_F(GridFixture, ScrollingLeavesTheRecordAndDisabledControlsReadNothing) {
    grid.verticalScrollBar()->setValue(120);
    Paint();
    EXPECT_EQ(grid.rowAt(0), 120);
    EXPECT_EQ(Cell(121, 0), "122");
    EXPECT_EQ(people.Id(), 1);
    EXPECT_EQ(people.table->State(), db::dsBrowse);

    // While the controls are disabled nothing is read; enabling them resets the grid once.
    people.table->DisableControls();
    reads = 0;
    grid.verticalScrollBar()->setValue(40);
    Paint();
    people.table->Last();
    people.table->Edit();
    people.Field("NAAM").SetAsString("laatste");
    people.table->Post();
    reads = 0;
    Paint();
    EXPECT_EQ(reads, 0);
    people.table->EnableControls();
    Paint();
    EXPECT_EQ(CurrentRow(), 199);
    EXPECT_EQ(Cell(199, 1), "laatste");
    EXPECT_TRUE(grid.visualRect(grid.model()->index(199, 0)).intersects(grid.viewport()->rect()));
}

TEST_F(GridFixture, ClicksAndKeysMoveTheRecord) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCenter(3));
    EXPECT_EQ(people.Id(), 4);
    EXPECT_EQ(CurrentRow(), 3);
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(people.Id(), 5);
    QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(people.Id(), 200);
    EXPECT_EQ(CurrentRow(), 199);
    EXPECT_TRUE(grid.visualRect(grid.model()->index(199, 0)).intersects(grid.viewport()->rect()));
    QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(people.Id(), 1);
    QTest::keyClick(&grid, Qt::Key_PageDown);
    EXPECT_GT(people.Id(), 3);
}

TEST_F(GridFixture, PendingEditSurvivesScrollingAndPostWritesIt) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCenter(2));
    people.table->Edit();
    people.Field("NAAM").SetAsString("bewerkt");
    EXPECT_EQ(Indicator(2), "I");
    EXPECT_EQ(Cell(2, 1), "bewerkt");
    grid.verticalScrollBar()->setValue(120);
    Paint();
    grid.verticalScrollBar()->setValue(0);
    Paint();
    EXPECT_EQ(people.table->State(), db::dsEdit);
    people.table->Post();
    EXPECT_EQ(Cell(2, 1), "bewerkt");
    EXPECT_EQ(Cell(3, 1), "n4");
    ASSERT_TRUE(people.table->Locate("ID", {std::int64_t{3}}, 0));
    EXPECT_EQ(people.Field("NAAM").AsString(), "bewerkt");
}

TEST_F(GridFixture, MovingToAnotherRowPostsThePendingEdit) {
    people.table->Edit();
    people.Field("NAAM").SetAsString("eerst");
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCenter(4));
    EXPECT_EQ(people.table->State(), db::dsBrowse);
    EXPECT_EQ(people.Id(), 5);
    EXPECT_EQ(Cell(0, 1), "eerst");
}

TEST_F(GridFixture, InsertRowShowsAtItsPlaceAndEscCancels) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCenter(2));
    QTest::keyClick(&grid, Qt::Key_Insert, Qt::ControlModifier);
    ASSERT_EQ(people.table->State(), db::dsInsert);
    EXPECT_EQ(grid.model()->rowCount(), 201);
    EXPECT_EQ(Indicator(2), "*");
    people.Field("NAAM").SetAsString("nieuw");
    EXPECT_EQ(Cell(2, 1), "nieuw");
    EXPECT_EQ(Cell(3, 1), "n3");
    EXPECT_EQ(Cell(1, 1), "n2");
    QTest::keyClick(&grid, Qt::Key_Escape);
    EXPECT_EQ(people.table->State(), db::dsBrowse);
    EXPECT_EQ(grid.model()->rowCount(), 200);
    EXPECT_EQ(Cell(2, 1), "n3");
}

TEST_F(GridFixture, MarkedRowsAndConfirmedDelete) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, CellCenter(1));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, CellCenter(3));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, CellCenter(5));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, CellCenter(3));
    EXPECT_EQ(grid.SelectedRows().Count(), 2);
    // Shift+Down marks the row it leaves and the row it reaches.
    QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(grid.SelectedRows().Count(), 4);

    ScriptedDialogs dialogs;
    dialogs.AnswerMessage(mrCancel);
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Alle geselecteerde records wissen?");
    EXPECT_EQ(dialogs.shown()[0].buttons, mbOKCancel);
    EXPECT_EQ(grid.model()->rowCount(), 200);

    dialogs.AnswerMessage(mrOk);
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(grid.model()->rowCount(), 196);
    EXPECT_EQ(grid.SelectedRows().Count(), 0);
    EXPECT_EQ(Cell(0, 0), "1");
    EXPECT_EQ(Cell(1, 0), "3");
    EXPECT_EQ(Cell(2, 0), "7");

    // A plain click clears the marks; the current record alone is then asked for.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, CellCenter(0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCenter(1));
    EXPECT_EQ(grid.SelectedRows().Count(), 0);
    dialogs.AnswerMessage(mrOk);
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(dialogs.shown().back().text, "Record wissen?");
    EXPECT_EQ(Cell(1, 0), "7");
    EXPECT_EQ(grid.model()->rowCount(), 195);
}

TEST_F(GridFixture, NavigatorMovesShowInTheGrid) {
    TDBNavigator navigator;
    navigator.SetDataSource(&source);
    navigator.BtnClick(nbNext);
    navigator.BtnClick(nbNext);
    EXPECT_EQ(CurrentRow(), 2);
    navigator.BtnClick(nbLast);
    EXPECT_EQ(CurrentRow(), 199);
    navigator.SetDataSource(nullptr);
}

TEST_F(GridFixture, DraggedAndResizedColumnsUpdateColumns) {
    grid.horizontalHeader()->moveSection(0, 2);
    ASSERT_EQ(grid.Columns().Count(), 3);
    EXPECT_EQ(grid.Columns()[0].FieldName(), "NAAM");
    EXPECT_EQ(grid.Columns()[1].FieldName(), "MEMO");
    EXPECT_EQ(grid.Columns()[2].FieldName(), "ID");
    EXPECT_EQ(Cell(4, 2), "5");
    grid.horizontalHeader()->resizeSection(1, 77);
    EXPECT_EQ(grid.Columns()[1].Width(), 77);
}

TEST_F(GridFixture, EnterAndCharactersReachOnKeyPress) {
    std::string keys;
    grid.OnKeyPress = [&](TDBGrid&, char& key) { keys.push_back(key); };
    QTest::keyClick(&grid, Qt::Key_Return);
    QTest::keyClick(&grid, Qt::Key_A);
    EXPECT_EQ(keys, std::string("\ra"));
}

TEST(DbGrid, DefaultColumnsFollowTheFields) {
    PeopleTable people(3);
    db::TDataSource source;
    source.SetDataSet(people.table.get());
    TDBGrid grid;
    grid.SetDataSource(&source);
    EXPECT_EQ(grid.Columns().Count(), people.table->FieldCount());
    EXPECT_TRUE(grid.Columns().DefaultColumns());
    people.table->Close();
    EXPECT_EQ(grid.model()->rowCount(), 0);
    people.table->Open();
    EXPECT_EQ(grid.model()->rowCount(), 3);
    grid.SetDataSource(nullptr);
}

}  // namespace
}  // namespace ui
