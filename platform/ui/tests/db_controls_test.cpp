#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QTextCursor>
#include <QToolButton>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/db/data_source.h"
#include "platform/db/tests/data_set_fixture.h"
#include "platform/ui/db_ctrl_grid.h"
#include "platform/ui/db_edit.h"
#include "platform/ui/db_memo.h"
#include "platform/ui/db_navigator.h"
#include "platform/ui/db_text.h"
#include "platform/ui/scripted_dialogs.h"

namespace ui {
namespace {

using db::testing::PeopleTable;

// Types text, characters beyond ASCII included, as key events with that text.
void Type(QWidget* widget, const QString& text) {
    for (const QChar character : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(character));
        QApplication::sendEvent(widget, &release);
    }
}

struct NavigatorCase {
    const char* name;
    int rows;
    int moves;  // -1: Last
    bool editing;
    bool read_only;
    bool closed;
    // Enabled buttons first..refresh as 0/1.
    const char* enabled;
};

TEST(DbNavigator, ButtonStatesFollowTheDataSet) {
    const NavigatorCase cases[] = {
        {"first", 5, 0, false, false, false, "0011111001"},
        {"the only record", 1, 0, false, false, false, "0000111001"},
        {"last, reached by moving", 5, 4, false, false, false, "1100111001"},
        {"middle", 5, 2, false, false, false, "1111111001"},
        {"last", 5, -1, false, false, false, "1100111001"},
        {"empty", 0, 0, false, false, false, "0000101001"},
        {"editing", 5, 2, true, false, false, "1111000111"},
        {"read-only", 5, 2, false, true, false, "1111000001"},
        {"closed", 5, 0, false, false, true, "0000000000"},
    };
    for (const NavigatorCase& c : cases) {
        SCOPED_TRACE(c.name);
        PeopleTable people(c.rows);
        db::TDataSource source;
        source.SetDataSet(people.table.get());
        if (c.read_only) {
            people.table->Close();
            people.table->SetReadOnly(true);
            people.table->Open();
        }
        TDBNavigator navigator;
        navigator.SetDataSource(&source);
        if (c.moves < 0) {
            people.table->Last();
        } else {
            people.table->MoveBy(c.moves);
        }
        if (c.editing) {
            people.table->Edit();
        }
        if (c.closed) {
            people.table->Close();
        }
        std::string enabled;
        for (int b = 0; b < kNavigateButtonCount; ++b) {
            enabled += navigator.ButtonEnabled(static_cast<TNavigateBtn>(b)) ? '1' : '0';
        }
        EXPECT_EQ(enabled, c.enabled);
        navigator.SetDataSource(nullptr);
    }
}

TEST(DbNavigator, AFilterThatLeavesOneRecordDisablesEveryMove) {
    PeopleTable people(5);
    db::TDataSource source;
    source.SetDataSet(people.table.get());
    TDBNavigator navigator;
    navigator.SetDataSource(&source);
    people.table->SetOnFilterRecord([](db::TDataSet& data_set, bool& accept) {
        accept = data_set.FieldByName("ID").AsInteger() == 4;
    });
    people.table->SetFiltered(true);
    for (TNavigateBtn b : {nbFirst, nbPrior, nbNext, nbLast}) {
        EXPECT_FALSE(navigator.ButtonEnabled(b)) << b;
    }
    people.table->SetFiltered(false);
    EXPECT_TRUE(navigator.ButtonEnabled(nbNext));
    EXPECT_TRUE(navigator.ButtonEnabled(nbLast));
    navigator.SetDataSource(nullptr);
}

TEST(DbNavigator, HintsPerKindVisibleButtonsAndConfirmedDelete) {
    PeopleTable people(3);
    db::TDataSource source;
    source.SetDataSet(people.table.get());
    TDBNavigator navigator;
    navigator.SetDataSource(&source);
    navigator.SetVisibleButtons(NavigateButton(nbFirst) | NavigateButton(nbDelete) |
                                NavigateButton(nbRefresh));
    navigator.SetHint(nbDelete, "Wissen (Ctrl+Del)");
    navigator.SetHint(nbRefresh, "Opfrissen");
    EXPECT_EQ(navigator.Hint(nbDelete), "Wissen (Ctrl+Del)");
    EXPECT_EQ(navigator.Hint(nbRefresh), "Opfrissen");
    EXPECT_FALSE(navigator.Button(nbNext)->isVisibleTo(&navigator));
    EXPECT_TRUE(navigator.Button(nbDelete)->isVisibleTo(&navigator));

    ScriptedDialogs dialogs;
    dialogs.AnswerMessage(mrCancel);
    navigator.BtnClick(nbDelete);
    EXPECT_EQ(people.table->RecordCount(), 3);
    dialogs.AnswerMessage(mrOk);
    navigator.BtnClick(nbDelete);
    EXPECT_EQ(people.table->RecordCount(), 2);
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].text, "Record wissen?");
    navigator.SetDataSource(nullptr);
}

class EditFixture : public ::testing::Test {
  protected:
    EditFixture() : people(3) {
        source.SetDataSet(people.table.get());
        edit.SetDataField("NAAM");
        edit.SetDataSource(&source);
        memo.SetDataField("MEMO");
        memo.SetDataSource(&source);
        text.SetDataField("NAAM");
        text.SetDataSource(&source);
    }
    ~EditFixture() override {
        edit.SetDataSource(nullptr);
        memo.SetDataSource(nullptr);
        text.SetDataSource(nullptr);
    }

    PeopleTable people;
    db::TDataSource source;
    TDBEdit edit;
    TDBMemo memo;
    TDBText text;
};

TEST_F(EditFixture, EditHandsOverOnEnterAndPostAndEscRestores) {
    EXPECT_EQ(edit.text(), "n1");
    EXPECT_EQ(text.text(), "n1");
    EXPECT_EQ(edit.maxLength(), 10);

    QTest::keyClicks(&edit, "x");
    EXPECT_EQ(people.table->State(), db::dsEdit);
    EXPECT_TRUE(edit.Modified());
    QTest::keyClick(&edit, Qt::Key_Escape);
    EXPECT_EQ(edit.text(), "n1");
    EXPECT_FALSE(edit.Modified());

    edit.selectAll();
    Type(&edit, QString::fromUtf8("Zoë van der Berg"));
    EXPECT_EQ(edit.text(), QString::fromUtf8("Zoë van de"));
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(people.Field("NAAM").AsString(), "Zoë van de");
    EXPECT_EQ(text.text(), QString::fromUtf8("Zoë van de"));

    edit.selectAll();
    QTest::keyClicks(&edit, "Post");
    people.table->Post();
    EXPECT_EQ(people.Field("NAAM").AsString(), "Post");
    people.table->Next();
    EXPECT_EQ(edit.text(), "n2");
}

// The key that starts an edit lands where the cursor stood, not at the start of the text.
TEST_F(EditFixture, TheFirstKeyOfAnEditKeepsTheCursor) {
    edit.setCursorPosition(2);
    QTest::keyClicks(&edit, "x");
    EXPECT_EQ(edit.text(), "n1x");
    EXPECT_EQ(edit.cursorPosition(), 3);

    people.table->Cancel();
    people.table->Last();
    people.table->Edit();
    people.Field("MEMO").SetAsString("eerste");
    people.table->Post();
    QTextCursor end = memo.textCursor();
    end.movePosition(QTextCursor::End);
    memo.setTextCursor(end);
    QTest::keyClicks(&memo, "!");
    EXPECT_EQ(memo.toPlainText(), "eerste!");
}

TEST_F(EditFixture, ReadOnlySetSwallowsTyping) {
    people.table->Close();
    people.table->SetReadOnly(true);
    people.table->Open();
    QTest::keyClicks(&edit, "abc");
    EXPECT_EQ(edit.text(), "n1");
    EXPECT_EQ(people.table->State(), db::dsBrowse);
}

TEST_F(EditFixture, MemoHandsOverOnPostAndEscRestores) {
    EXPECT_EQ(memo.toPlainText(), "");
    QTest::keyClicks(&memo, "regel een");
    QTest::keyClick(&memo, Qt::Key_Return);
    QTest::keyClicks(&memo, "twee");
    EXPECT_EQ(people.table->State(), db::dsEdit);
    people.table->Post();
    EXPECT_EQ(people.Field("MEMO").AsString(), "regel een\r\ntwee");
    people.table->Next();
    EXPECT_EQ(memo.toPlainText(), "");
    people.table->Prior();
    EXPECT_EQ(memo.toPlainText(), "regel een\ntwee");

    QTest::keyClicks(&memo, "!");
    QTest::keyClick(&memo, Qt::Key_Escape);
    EXPECT_EQ(memo.toPlainText(), "regel een\ntwee");
    EXPECT_EQ(memo.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST_F(EditFixture, TextRunsOnClick) {
    int clicks = 0;
    text.OnClick = [&](TDBText&) { ++clicks; };
    text.resize(60, 20);
    QTest::mouseClick(&text, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST(DbCtrlGrid, KeysMoveTheRecord) {
    PeopleTable people(5);
    db::TDataSource source;
    source.SetDataSet(people.table.get());
    TDBCtrlGrid panel;
    panel.SetDataSource(&source);
    auto* edit = new TDBEdit(panel.Panel());
    edit->SetDataField("NAAM");
    edit->SetDataSource(&source);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(people.Id(), 2);
    QTest::keyClick(edit, Qt::Key_PageDown);
    EXPECT_EQ(people.Id(), 3);
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), "n2");
    edit->SetDataSource(nullptr);
    panel.SetDataSource(nullptr);
}

}  // namespace
}  // namespace ui
