// The per-entry reject and sound forms and the memo viewer offscreen, on the phone book's data
// source over the engine library.

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QEvent>
#include <QInputMethodEvent>
#include <QPointer>
#include <QTextCursor>
#include <QToolButton>

#include <string>
#include <vector>

#include "monitor/book/fafwijzen.h"
#include "monitor/book/fgeluidklapper.h"
#include "monitor/book/fmemo.h"
#include "monitor/book/tests/klapper_fixture.h"
#include "platform/db/data_source.h"
#include "platform/db/field.h"
#include "platform/ui/db_memo.h"
#include "platform/ui/db_navigator.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/scripted_dialogs.h"
#include "xbase/table.h"

namespace book::testing {
namespace {

const std::vector<Entry> kBook = {
    {"0201111111", "Jansen", "Utrecht"},
    {"0302222222", "de Vries", "Gouda"},
    {"0403333333", "Bakker", "Delft"},
};

void FreeClosed() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class EntryFormsTest : public KlapperTest {
  protected:
    void TearDown() override {
        FreeClosed();
        KlapperTest::TearDown();
    }

    // Sets a field of the entry with this number through the table, posted.
    void SetField(const std::string& nummer, const char* field, const std::string& value) {
        xbase::TTable& t = core->t2();
        ASSERT_TRUE(GoTo(nummer));
        t.Edit();
        t.FieldByName(field).SetAsString(value);
        t.Post();
    }
    bool GoTo(const std::string& nummer) { return core->FindNumber(nummer, core->NumberOrder()); }
    std::string Value(const std::string& nummer, const char* field) {
        if (!GoTo(nummer)) {
            ADD_FAILURE() << nummer << " not found";
            return {};
        }
        return core->t2().FieldByName(field).AsString();
    }
    db::TDataSource* Source() { return &core->DataSource2(); }

    ui::ScriptedDialogs dialogs;
};

enum class Form { Afwijzen, Geluid };

PerMsnForm* OpenForm(Form form, db::TDataSource* source) {
    if (form == Form::Afwijzen) {
        return Tfafwijzen::Open(source);
    }
    return Tfgeluidklapper::Open(source);
}

TEST_F(EntryFormsTest, LabelsShowTheFieldAndOkWritesWhatTheyShow) {
    struct Case {
        Form form;
        std::string value;
        std::vector<int> clicks;
        MsnLabels labels;  // after the clicks
        std::string ok;
    };
    auto afwijzen = [](const std::string& code, const std::string& ten) {
        MsnLabels l;
        for (int i = 0; i < 9; ++i) {
            l[i] =
                "Msn " + std::to_string(i + 1) + " = " + (code[i] == 'A' ? "Afwijzen" : "Normaal");
        }
        l[9] = ten;
        return l;
    };
    auto geluid = [](const std::string& code) {
        MsnLabels l;
        for (int i = 0; i < 10; ++i) {
            l[i] = (i < 9 ? "Msn " + std::to_string(i + 1) : std::string("Msn10")) + " = " +
                   (code[i] == 'N'   ? "Nooit"
                    : code[i] == 'S' ? "Standaard"
                                     : "Altijd");
        }
        return l;
    };
    const Case cases[] = {
        {Form::Afwijzen, "", {}, afwijzen("NNNNNNNNN", "Msn 10 = Normaal"), "0000000000"},
        {Form::Afwijzen, "01", {}, afwijzen("NANNNNNNN", "Msn 10 = Normaal"), "0100000000"},
        {Form::Afwijzen, "x1", {}, afwijzen("NANNNNNNN", "Msn 10 = Normaal"), "0100000000"},
        {Form::Afwijzen, "", {10}, afwijzen("NNNNNNNNN", "Msn10 = Afwijzen"), "0000000001"},
        {Form::Afwijzen,
         "1111111111",
         {1},
         afwijzen("NAAAAAAAA", "Msn 10 = Afwijzen"),
         "0111111111"},
        {Form::Geluid, "", {}, geluid("SSSSSSSSSS"), "1111111111"},
        {Form::Geluid, "0121111111", {}, geluid("NSASSSSSSS"), "0121111111"},
        // An unknown character leaves the label as designed.
        {Form::Geluid, "x2", {}, geluid("SASSSSSSSS"), "1211111111"},
        {Form::Geluid, "012", {1, 2, 3}, geluid("SANSSSSSSS"), "1201111111"},
        {Form::Geluid, "0", {10, 10, 10}, geluid("NSSSSSSSSS"), "0111111111"},
    };
    AddEntries(kBook);
    Start();
    for (const Case& c : cases) {
        const char* field = c.form == Form::Afwijzen ? "AFWIJZEN" : "TIJD";
        SetField("0302222222", field, c.value);
        QPointer<PerMsnForm> form = OpenForm(c.form, Source());
        for (int n : c.clicks) {
            form->l1Click(n);
        }
        EXPECT_EQ(form->Labels(), c.labels) << field << " " << c.value;
        form->BitBtn1Click();
        // Written into the entry, to be posted later.
        EXPECT_EQ(core->t2().State(), db::dsEdit) << c.value;
        core->t2().Post();
        EXPECT_EQ(Value("0302222222", field), c.ok) << field << " " << c.value;
        FreeClosed();
        EXPECT_TRUE(form.isNull());
    }
}

TEST_F(EntryFormsTest, TheCloseBoxWritesNothingAndASecondActivationKeepsTheClicks) {
    AddEntries(kBook);
    Start();
    SetField("0201111111", "AFWIJZEN", "0000000000");

    QPointer<PerMsnForm> closed = Tfafwijzen::Open(Source());
    closed->l1Click(1);
    closed->close();
    FreeClosed();
    EXPECT_TRUE(closed.isNull());
    EXPECT_EQ(core->t2().State(), db::dsBrowse);
    EXPECT_EQ(Value("0201111111", "AFWIJZEN"), "0000000000");

    QPointer<PerMsnForm> form = Tfafwijzen::Open(Source());
    form->l1Click(2);
    // The user went to another window and came back.
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(form, &activate);
    form->FormActivate();
    EXPECT_EQ(form->LabelText(2), "Msn 2 = Afwijzen");
    form->BitBtn1Click();
    core->t2().Post();
    EXPECT_EQ(Value("0201111111", "AFWIJZEN"), "0100000000");
}

TEST_F(EntryFormsTest, OkReachesTheShownEntryAfterACallMovedTheTable) {
    AddEntries(kBook);
    Start();
    ASSERT_TRUE(GoTo("0201111111"));
    QPointer<PerMsnForm> form = Tfgeluidklapper::Open(Source());
    form->l1Click(1);  // Standaard -> Altijd

    // A call's lookup lands on another entry.
    ASSERT_TRUE(GoTo("0403333333"));
    form->BitBtn1Click();
    EXPECT_EQ(core->t2().FieldByName("NUMMER").AsString(), "0403333333");
    EXPECT_EQ(core->t2().State(), db::dsBrowse);
    EXPECT_EQ(Value("0201111111", "TIJD"), "2111111111");
    EXPECT_NE(Value("0403333333", "TIJD"), "2111111111");
    EXPECT_TRUE(dialogs.shown().empty());

    // The shown entry was deleted meanwhile.
    ASSERT_TRUE(GoTo("0302222222"));
    form = Tfafwijzen::Open(Source());
    form->l1Click(1);
    ASSERT_TRUE(GoTo("0302222222"));
    core->t2().Delete();
    const int records = core->t2().RecordCount();
    form->BitBtn1Click();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Het record is niet meer gevonden; er is niets opgeslagen.");
    EXPECT_EQ(core->t2().State(), db::dsBrowse);
    EXPECT_EQ(core->t2().RecordCount(), records);
}

TEST_F(EntryFormsTest, AnEmptyPhoneBookGetsNoRecord) {
    Start();
    for (Form kind : {Form::Afwijzen, Form::Geluid}) {
        QPointer<PerMsnForm> form = OpenForm(kind, Source());
        form->l1Click(3);
        form->BitBtn1Click();
        EXPECT_EQ(core->t2().State(), db::dsBrowse);
        EXPECT_TRUE(core->t2().IsEmpty());
    }
    Stop();
    EXPECT_EQ(RecordsOnDisk(), 0);
}

TEST_F(EntryFormsTest, TheMemoViewerFollowsTheCurrentEntry) {
    AddEntries(kBook);
    Start();
    SetField("0302222222", "MEMO", "Belt altijd op maandag");
    Tfmemo memo;
    memo.SetDataSource(Source());
    memo.show();
    EXPECT_EQ(memo.Caption(), "Memo Klapper");
    EXPECT_TRUE(memo.StayOnTop());
    ASSERT_TRUE(GoTo("0201111111"));
    EXPECT_EQ(memo.DBText1->text().toStdString(), "Jansen");
    EXPECT_EQ(memo.DBMemo1->Text(), "");
    ASSERT_TRUE(GoTo("0302222222"));
    EXPECT_EQ(memo.DBText1->text().toStdString(), "de Vries");
    EXPECT_EQ(memo.DBMemo1->Text(), "Belt altijd op maandag");
    memo.BitBtn1Click();
    EXPECT_FALSE(memo.isVisible());
}

// A memo with a character the table cannot hold is refused and kept in the viewer.
TEST_F(EntryFormsTest, TheMemoViewerKeepsAMemoTheTableCannotHold) {
    AddEntries(kBook);
    Start();
    SetField("0302222222", "MEMO", "Belt op maandag");
    Tfmemo memo;
    memo.SetDataSource(Source());
    memo.show();
    ASSERT_TRUE(GoTo("0302222222"));
    const std::string typed = "Belt op maandag \xE2\x98\x8E\xF0\x9F\x98\x80\xE2\x98\x8E";
    memo.DBMemo1->setFocus();
    QInputMethodEvent event;
    event.setCommitString(QString::fromStdString(" \xE2\x98\x8E\xF0\x9F\x98\x80\xE2\x98\x8E"));
    memo.DBMemo1->moveCursor(QTextCursor::End);
    QCoreApplication::sendEvent(memo.DBMemo1, &event);
    ASSERT_EQ(memo.DBMemo1->Text(), typed);
    memo.DBNavigator1->Button(ui::nbPost)->click();
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_EQ(dialogs.shown().back().text,
              "Deze tekens kunnen niet worden opgeslagen in MEMO: \xE2\x98\x8E (U+260E), "
              "\xF0\x9F\x98\x80 (U+1F600). Pas de tekst aan.");
    EXPECT_EQ(core->t2().State(), db::dsEdit);
    EXPECT_EQ(memo.DBMemo1->Text(), typed);
    core->t2().Cancel();
    EXPECT_EQ(Value("0302222222", "MEMO"), "Belt op maandag");
}

}  // namespace
}  // namespace book::testing
