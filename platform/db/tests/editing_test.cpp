#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/db/tests/data_set_fixture.h"

namespace db::testing {
namespace {

using Ids = std::vector<int>;
using Log = std::vector<std::string>;

std::vector<std::string> Names(PeopleTable& people) {
    std::vector<std::string> names;
    for (people.table->First(); !people.table->Eof(); people.table->Next()) {
        names.push_back(people.Field("NAAM").AsString());
    }
    return names;
}

TEST(Editing, EditPostChangesOnlyTheEditedRecord) {
    PeopleTable people(3);
    people.table->Next();
    people.table->Edit();
    EXPECT_EQ(people.table->State(), dsEdit);
    people.Field("NAAM").SetAsString("nieuw");
    EXPECT_TRUE(people.table->Modified());
    people.table->Post();
    EXPECT_EQ(people.table->State(), dsBrowse);
    EXPECT_EQ(people.Id(), 2) << "the posted record stays current";
    EXPECT_EQ(Names(people), (std::vector<std::string>{"n1", "nieuw", "n3"}));
}

TEST(Editing, CancelRestoresTheStoredValues) {
    PeopleTable people(3);
    people.table->Last();
    people.table->Edit();
    people.Field("NAAM").SetAsString("weg");
    people.table->Cancel();
    EXPECT_EQ(people.table->State(), dsBrowse);
    EXPECT_EQ(people.Field("NAAM").AsString(), "n3");
    EXPECT_EQ(people.Id(), 3);
}

TEST(Editing, AppendPostsAtTheEndWhereverTheCursorWas) {
    PeopleTable people(3);
    people.Link(2);
    people.table->First();
    people.table->Append();
    EXPECT_TRUE(people.Field("ID").IsNull());
    people.Field("ID").SetAsInteger(9);
    people.table->Post();
    EXPECT_EQ(people.Id(), 9);
    EXPECT_EQ(people.Forward(), (Ids{1, 2, 3, 9}));
}

TEST(Editing, InsertPostsBeforeTheCurrentRecord) {
    PeopleTable people(3);
    people.table->Next();
    people.table->Insert();
    people.Field("ID").SetAsInteger(7);
    people.table->Post();
    EXPECT_EQ(people.Id(), 7);
    people.table->Next();
    EXPECT_EQ(people.Id(), 2);
    EXPECT_EQ(people.Forward(), (Ids{1, 7, 2, 3}));
}

TEST(Editing, EditOnAnEmptyDataSetInserts) {
    PeopleTable people;
    people.table->Edit();
    EXPECT_EQ(people.table->State(), dsInsert);
    people.Field("ID").SetAsInteger(1);
    people.table->Post();
    EXPECT_EQ(people.Forward(), (Ids{1}));
}

TEST(Editing, CancelOfAnInsertReturnsToTheRecordBefore) {
    PeopleTable people(3);
    people.table->Next();
    people.table->Insert();
    people.Field("ID").SetAsInteger(7);
    people.table->Cancel();
    EXPECT_EQ(people.Id(), 2);
    people.table->Append();
    people.table->Cancel();
    EXPECT_EQ(people.Id(), 3);
    EXPECT_EQ(people.Forward(), (Ids{1, 2, 3}));
}

TEST(Editing, LeavingARecordPostsItWhenModifiedAndCancelsItOtherwise) {
    PeopleTable people(2);
    people.table->OnNewRecord = [](TDataSet& data_set) {
        data_set.FieldByName("NAAM").SetAsString("?");
    };
    people.table->Append();
    people.table->First();  // only defaults: not modified
    EXPECT_EQ(people.Forward(), (Ids{1, 2}));

    people.table->Append();
    people.Field("ID").SetAsInteger(5);
    people.table->First();
    EXPECT_EQ(people.Forward(), (Ids{1, 2, 5}));
    people.table->Last();
    EXPECT_EQ(people.Field("NAAM").AsString(), "?") << "OnNewRecord values are posted too";
}

TEST(Editing, DeleteRemovesTheCurrentRecord) {
    PeopleTable people(3);
    people.table->Next();
    people.table->Delete();
    EXPECT_EQ(people.Id(), 3);
    EXPECT_EQ(people.Forward(), (Ids{1, 3}));
    people.table->Append();
    people.table->Delete();  // of an insert: cancels it
    EXPECT_EQ(people.Forward(), (Ids{1, 3}));
}

TEST(Editing, WritesOutsideEditModeAreRefused) {
    PeopleTable people(1);
    struct Case {
        const char* what;
        std::function<void(PeopleTable&)> act;
        const char* message;
    };
    const Case cases[] = {
        {"post in browse", [](PeopleTable& p) { p.table->Post(); },
         "t1: Dataset not in edit or insert mode"},
        {"set a field in browse", [](PeopleTable& p) { p.Field("NAAM").SetAsString("x"); },
         "t1: Dataset not in edit or insert mode"},
        {"write a memo in browse", [](PeopleTable& p) { p.Field("MEMO").SetAsString("x"); },
         "t1: Dataset not in edit or insert mode"},
        {"clear fields in browse", [](PeopleTable& p) { p.table->ClearFields(); },
         "t1: Dataset not in edit or insert mode"},
    };
    for (const Case& c : cases) {
        try {
            c.act(people);
            ADD_FAILURE() << c.what;
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), c.message) << c.what;
        }
        EXPECT_EQ(people.Field("NAAM").AsString(), "n1") << c.what;
    }
}

TEST(Editing, ReadOnlyDataSetAndFieldsRefuseChanges) {
    PeopleTable people(1);
    people.Field("NAAM").SetReadOnly(true);
    people.table->Edit();
    try {
        people.Field("NAAM").SetAsString("x");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "t1: Field 'NAAM' cannot be modified");
    }
    people.table->Cancel();

    people.table->Close();
    people.table->SetReadOnly(true);
    people.table->Open();
    EXPECT_FALSE(people.table->CanModify());
    for (auto act : {&TDataSet::Edit, &TDataSet::Append, &TDataSet::Insert}) {
        try {
            (people.table.get()->*act)();
            ADD_FAILURE();
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), "t1: Cannot modify a read-only dataset");
        }
        EXPECT_EQ(people.table->State(), dsBrowse);
    }
}

TEST(Editing, RequiredFieldMustHaveAValueBeforePost) {
    PeopleTable people;
    people.Field("NAAM").SetRequired(true);
    people.table->Append();
    people.Field("ID").SetAsInteger(1);
    try {
        people.table->Post();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "t1: Field 'NAAM' must have a value");
    }
    EXPECT_EQ(people.table->State(), dsInsert);
    people.Field("NAAM").SetAsString("x");
    people.table->Post();
    EXPECT_EQ(people.table->RecordCount(), 1);
}

TEST(Editing, FailingNewRecordHandlerLeavesBrowseState) {
    PeopleTable people(2);
    people.table->Next();
    people.table->OnNewRecord = [](TDataSet&) { throw EDatabaseError("no"); };
    EXPECT_THROW(people.table->Insert(), EDatabaseError);
    EXPECT_EQ(people.table->State(), dsBrowse);
    EXPECT_EQ(people.Id(), 2);
    EXPECT_EQ(people.Forward(), (Ids{1, 2}));
}

TEST(Editing, ValidateSeesTheNewValueAndMayRefuseIt) {
    PeopleTable people(1);
    std::string seen;
    int changes = 0;
    people.Field("NAAM").OnValidate = [&](TField& field) {
        seen = field.AsString();
        if (seen == "fout") {
            throw EDatabaseError("refused");
        }
    };
    people.Field("NAAM").OnChange = [&](TField&) { ++changes; };
    people.table->Edit();
    people.Field("NAAM").SetAsString("goed");
    EXPECT_EQ(seen, "goed");
    EXPECT_THROW(people.Field("NAAM").SetAsString("fout"), EDatabaseError);
    EXPECT_EQ(people.Field("NAAM").AsString(), "goed");
    EXPECT_EQ(changes, 1);
}

// A table whose store fails a given number of times.
class FailingTable : public TMemoryDataSet {
  public:
    int failures = 0;

  protected:
    void InternalPost() override {
        if (failures > 0) {
            --failures;
            DatabaseError("Disk full");
        }
        TMemoryDataSet::InternalPost();
    }
};

TEST(Editing, PostErrorHandlerChoosesRetryAbortOrFail) {
    struct Case {
        TDataAction action;
        int failures;
        bool posted;
        bool silent;
    };
    for (const Case c : {Case{daRetry, 2, true, false}, Case{daAbort, 1, false, true},
                         Case{daFail, 1, false, false}}) {
        FailingTable table;
        table.FieldDefs().Add("NAAM", ftString, 5);
        table.Open();
        int calls = 0;
        table.OnPostError = [&](TDataSet&, EDatabaseError& e, TDataAction& action) {
            EXPECT_EQ(e.Message(), "Disk full");
            ++calls;
            action = c.action;
        };
        table.failures = c.failures;
        table.Append();
        table.FieldByName("NAAM").SetAsString("a");
        bool aborted = false;
        bool failed = false;
        try {
            table.Post();
        } catch (const EAbort&) {
            aborted = true;
        } catch (const EDatabaseError&) {
            failed = true;
        }
        EXPECT_EQ(calls, c.failures);
        EXPECT_EQ(table.RecordCount() == 1, c.posted);
        EXPECT_EQ(aborted, c.silent);
        EXPECT_EQ(failed, !c.posted && !c.silent);
        EXPECT_EQ(table.State(), c.posted ? dsBrowse : dsInsert);
    }
}

// Each operation's data-set events in the order they fire.
TEST(Events, EachOperationFiresItsEventsInOrder) {
    struct Case {
        const char* name;
        int rows;
        std::function<void(PeopleTable&)> setup;
        std::function<void(PeopleTable&)> act;
        Log expected;
    };
    auto none = [](PeopleTable&) {};
    auto edit = [](PeopleTable& p) { p.table->Edit(); };
    auto modify = [](PeopleTable& p) {
        p.table->Edit();
        p.Field("NAAM").SetAsString("x");
    };
    auto append = [](PeopleTable& p) { p.table->Append(); };
    const Log insert_events = {"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert",
                               "AfterScroll"};
    const Case cases[] = {
        {"open",
         2,
         [](PeopleTable& p) { p.table->Close(); },
         [](PeopleTable& p) { p.table->Open(); },
         {"BeforeOpen", "AfterOpen", "AfterScroll"}},
        {"open empty",
         0,
         [](PeopleTable& p) { p.table->Close(); },
         [](PeopleTable& p) { p.table->Open(); },
         {"BeforeOpen", "AfterOpen"}},
        {"close", 2, none, [](PeopleTable& p) { p.table->Close(); }, {"BeforeClose", "AfterClose"}},
        {"next", 2, none, [](PeopleTable& p) { p.table->Next(); }, {"BeforeScroll", "AfterScroll"}},
        {"next at eof",
         1,
         [](PeopleTable& p) { p.table->Next(); },
         [](PeopleTable& p) { p.table->Next(); },
         {"BeforeScroll"}},
        {"first",
         2,
         none,
         [](PeopleTable& p) { p.table->First(); },
         {"BeforeScroll", "AfterScroll"}},
        {"edit", 2, none, edit, {"BeforeEdit", "AfterEdit"}},
        {"post edit",
         2,
         modify,
         [](PeopleTable& p) { p.table->Post(); },
         {"BeforePost", "AfterPost"}},
        {"cancel edit",
         2,
         modify,
         [](PeopleTable& p) { p.table->Cancel(); },
         {"BeforeCancel", "AfterCancel"}},
        {"append", 2, none, append, insert_events},
        {"insert", 2, none, [](PeopleTable& p) { p.table->Insert(); }, insert_events},
        {"edit on empty", 0, none, edit, insert_events},
        {"post insert",
         2,
         append,
         [](PeopleTable& p) { p.table->Post(); },
         {"BeforePost", "AfterPost"}},
        {"cancel insert",
         2,
         append,
         [](PeopleTable& p) { p.table->Cancel(); },
         {"BeforeCancel", "AfterCancel", "AfterScroll"}},
        {"delete",
         2,
         none,
         [](PeopleTable& p) { p.table->Delete(); },
         {"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}},
        {"next while modified",
         2,
         modify,
         [](PeopleTable& p) { p.table->Next(); },
         {"BeforePost", "AfterPost", "BeforeScroll", "AfterScroll"}},
        {"next while unmodified",
         2,
         edit,
         [](PeopleTable& p) { p.table->Next(); },
         {"BeforeCancel", "AfterCancel", "BeforeScroll", "AfterScroll"}},
        {"goto bookmark",
         2,
         none,
         [](PeopleTable& p) { p.table->GotoBookmark(p.table->GetBookmark()); },
         {"BeforeScroll", "AfterScroll"}},
    };
    for (const Case& c : cases) {
        PeopleTable people(c.rows);
        people.RecordEvents();
        c.setup(people);
        people.log.clear();
        c.act(people);
        EXPECT_EQ(people.log, c.expected) << c.name;
    }
}

}  // namespace
}  // namespace db::testing
