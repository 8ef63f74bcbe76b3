#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "xbase/database.h"
#include "xbase/db_errors.h"
#include "xbase/sessions.h"
#include "xbase/tests/layer_fixture.h"
#include "xbase/xbcalls.h"

namespace xbase::testing {
namespace {

// The process's default session over a fake engine, closed again after each test.
class Sessions_ : public LayerTest {
  protected:
    ~Sessions_() override {
        Session().Close();
        Session().OnStartup = nullptr;
        Session().SetKeepConnections(true);
        Session().SetNetFileDir("");
        Session().SetPrivateDir("");
    }

    template <typename F>
    std::string ErrorOf(F&& f) {
        try {
            f();
        } catch (const rtl::Exception& e) {
            return e.Message();
        }
        return "(nothing raised)";
    }
};

TEST_F(Sessions_, DefaultSessionStartsAndStopsTheEngine) {
    ASSERT_FALSE(Session().Active());
    EXPECT_EQ(Session().SessionName(), "Default");
    EXPECT_EQ(&Sessions().Session(""), &Session());
    Session().Open();
    EXPECT_TRUE(Session().Active());
    EXPECT_EQ(Session().Handle(), 1);
    EXPECT_EQ(fake.notified, std::vector<int32_t>{9});
    ASSERT_EQ(Session().Callbacks().size(), 2u);
    EXPECT_EQ(Session().Callbacks()[0]->Kind(), kCallbackServerCall);
    EXPECT_EQ(Session().Callbacks()[1]->Kind(), kCallbackPassword);
    EXPECT_TRUE(Session().Callbacks()[1]->Installed());

    Session().Close();
    EXPECT_FALSE(Session().Active());
    EXPECT_EQ(Session().Handle(), 0);
    EXPECT_EQ(fake.CountOf("sx_CloseAll"), 1);
    EXPECT_TRUE(Session().Callbacks().empty());
}

TEST_F(Sessions_, RefusedEngineLeavesTheSessionInactive) {
    fake.version = "xbfak 12";
    EXPECT_EQ(ErrorOf([] { Session().Open(); }),
              "Database engine could not be initialized (error $0063)");
    EXPECT_FALSE(Session().Active());
    try {
        Session().Open();
        FAIL();
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.ErrorCode(), kEngineRefused);
    }
}

TEST_F(Sessions_, StartupHooksRunAndAFailureEndsTheSession) {
    int startups = 0;
    int procs = 0;
    Session().OnStartup = [&](TSession&) { ++startups; };
    const int proc = Sessions().AddStartupProc([&](TSession& s) {
        ++procs;
        if (&s == &Session() && procs == 2)
            throw EDatabaseError("refused by a start-up step");
    });
    Session().Open();
    EXPECT_EQ(startups, 1);
    EXPECT_EQ(procs, 1);
    Session().Close();
    EXPECT_EQ(ErrorOf([] { Session().Open(); }), "refused by a start-up step");
    EXPECT_FALSE(Session().Active());
    EXPECT_EQ(fake.CountOf("sx_CloseAll"), 2);
    Sessions().RemoveStartupProc(proc);
    Session().Open();
    EXPECT_EQ(procs, 2);
}

TEST_F(Sessions_, EngineErrorTexts) {
    Session().Open();
    struct Case {
        DbiResult code;
        const char* text;
    };
    const Case cases[] = {{11011, "File Open Error"}, {10024, "IDAPI Error : 10024"}};
    for (const Case& c : cases) {
        const EDBEngineError e(c.code);
        EXPECT_EQ(e.Message(), c.text);
        ASSERT_EQ(e.Errors().size(), 1u);
        EXPECT_EQ(e.Errors()[0].ErrorCode(), c.code);
        EXPECT_EQ(e.Errors()[0].Message(), c.text);
    }
    EXPECT_THROW(Check(kTableNotOpened), EDBEngineError);
    EXPECT_NO_THROW(Check(kOk));
    EXPECT_NO_THROW(CheckTolerating(10028, 10028));
    EXPECT_THROW(CheckTolerating(10024, 10028), EDBEngineError);
    Session().Close();
    EXPECT_EQ(EDBEngineError(10024).Message(),
              "Database engine could not be initialized (error $2728)");
    EXPECT_EQ(EDBEngineError(12033).Message(), "IDAPI Error : 12033");
}

TEST_F(Sessions_, DirectoryDatabaseGetsItsSlot) {
    TDatabase* db = Session().OpenDatabase("/data");
    ASSERT_NE(db, nullptr);
    EXPECT_TRUE(Session().Active());
    EXPECT_TRUE(db->Temporary());
    EXPECT_EQ(db->RefCount(), 1);
    EXPECT_FALSE(db->IsSQLBased());
    ASSERT_NE(DirectoryOf(db->Handle()), nullptr);
    EXPECT_EQ(*DirectoryOf(db->Handle()), "/data/");
    EXPECT_EQ(Session().OpenDatabase("/DATA"), db);
    EXPECT_EQ(db->RefCount(), 2);

    const DbHandle slot = db->Handle();
    Session().CloseDatabase(db);
    Session().CloseDatabase(db);
    EXPECT_TRUE(db->Connected());  // KeepConnections keeps it
    Session().Close();
    EXPECT_EQ(DirectoryOf(slot), nullptr);
    EXPECT_EQ(Session().FindDatabase("/data"), nullptr);
}

TEST_F(Sessions_, TemporaryDatabaseWithoutKeepConnectionsIsFreed) {
    Session().SetKeepConnections(false);
    TDatabase* db = Session().OpenDatabase("/data");
    const DbHandle slot = db->Handle();
    Session().CloseDatabase(db);
    EXPECT_EQ(Session().FindDatabase("/data"), nullptr);
    EXPECT_EQ(DirectoryOf(slot), nullptr);
}

TEST_F(Sessions_, AliasNameTakesTheDefaultPath) {
    Session().Open();
    Session().AddAlias("BOEK", "STANDARD", {"PATH=/home/Ann/Data"});
    TDatabase db;
    db.SetDatabaseName("BOEK");
    db.Open();
    EXPECT_EQ(*DirectoryOf(db.Handle()), "/home/Ann/Data/");
}

TEST_F(Sessions_, TwoDatabasesOfOneNameShareASlot) {
    TDatabase first("first");
    TDatabase second("second");
    for (TDatabase* db : {&first, &second}) {
        db->SetHandleShared(true);
        db->SetDatabaseName("/data");
    }
    first.Open();
    second.Open();
    EXPECT_EQ(first.Handle(), second.Handle());
    const DbHandle slot = first.Handle();
    first.Close();
    ASSERT_NE(DirectoryOf(slot), nullptr);
    EXPECT_EQ(*DirectoryOf(slot), "/data/");
    second.Close();
    EXPECT_EQ(DirectoryOf(slot), nullptr);
}

TEST_F(Sessions_, DatabaseRules) {
    TDatabase db("db");
    EXPECT_EQ(ErrorOf([&] { db.Open(); }), "Database name missing");
    db.SetDatabaseName("/data");
    TDatabase other("other");
    EXPECT_EQ(ErrorOf([&] { other.SetDatabaseName("/DATA"); }), "Duplicate database name '/DATA'");
    db.SetConnected(true);
    EXPECT_TRUE(db.Connected());
    const std::string open = "Cannot perform this operation on an open database";
    EXPECT_EQ(ErrorOf([&] { db.SetDatabaseName("/x"); }), open);
    EXPECT_EQ(ErrorOf([&] { db.SetAliasName("A"); }), open);
    EXPECT_EQ(ErrorOf([&] { db.SetDriverName("STANDARD"); }), open);
    EXPECT_EQ(ErrorOf([&] { db.SetParams({"PATH=/x"}); }), open);
    db.SetConnected(false);
    db.SetAliasName("A");
    EXPECT_EQ(db.AliasName(), "A");
    EXPECT_EQ(db.DriverName(), "");
    db.SetDriverName("STANDARD");
    EXPECT_EQ(db.AliasName(), "");
    EXPECT_EQ(db.DriverName(), "STANDARD");
}

TEST_F(Sessions_, UnusedTemporaryGivesWayToANamedDatabase) {
    TDatabase* temporary = Session().OpenDatabase("/data");
    Session().CloseDatabase(temporary);
    ASSERT_EQ(Session().FindDatabase("/data"), temporary);
    TDatabase named;
    named.SetDatabaseName("/data");
    EXPECT_EQ(Session().FindDatabase("/data"), &named);
}

TEST_F(Sessions_, TheTwoHundredthSlotFails) {
    Session().Open();
    for (int i = 0; i < kDirectorySlots; ++i) {
        DbHandle db = 0;
        ASSERT_EQ(DbiOpenDatabase("/x", nullptr, 0, 0, nullptr, 0, nullptr, nullptr, &db), kOk);
    }
    TDatabase db;
    db.SetDatabaseName("/data");
    try {
        db.Open();
        FAIL() << "opened without a free slot";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.ErrorCode(), kNoFreeDatabaseSlot);
    }
    EXPECT_FALSE(db.Connected());
}

class RecordingDataSet : public DatabaseDataSet {
  public:
    void CloseDataSet() override { ++closed; }
    int closed = 0;
};

TEST_F(Sessions_, ClosingADatabaseClosesItsDataSetsAndTellsTheSession) {
    std::vector<DatabaseEvent> events;
    Session().OnDBNotify = [&](DatabaseEvent e, TDatabase*) { events.push_back(e); };
    {
        TDatabase db;
        db.SetDatabaseName("/data");
        RecordingDataSet a, b;
        db.AddDataSet(&a);
        db.AddDataSet(&b);
        db.Open();
        db.Close();
        EXPECT_EQ(a.closed, 1);
        EXPECT_EQ(b.closed, 1);
    }
    Session().OnDBNotify = nullptr;
    EXPECT_EQ(events, (std::vector<DatabaseEvent>{DatabaseEvent::Added, DatabaseEvent::Opened,
                                                  DatabaseEvent::Closing, DatabaseEvent::Removed}));
}

TEST_F(Sessions_, SessionNamingRules) {
    const int owner = 0;
    TSession s("Sessie", &owner);
    EXPECT_EQ(ErrorOf([&] { s.SetSessionName("default"); }), "Duplicate session name 'default'");
    s.SetSessionName("Tweede");
    EXPECT_EQ(&Sessions().Session("TWEEDE"), &s);
    EXPECT_EQ(ErrorOf([] { Sessions().Session("Geen"); }), "Invalid session name Geen");

    TDatabase db("db", &owner);
    s.SetAutoSessionName(true);
    EXPECT_EQ(s.SessionName(), "Sessie_1");
    EXPECT_EQ(db.SessionName(), "Sessie_1");
    EXPECT_EQ(ErrorOf([&] { s.SetSessionName("x"); }),
              "Cannot modify SessionName while AutoSessionName is enabled");
    EXPECT_EQ(ErrorOf([&] { TSession beside("Ander", &owner); }),
              "Cannot add a session to the form or data-module while session 'Sessie_1' has "
              "AutoSessionName enabled");
    s.SetName("Hernoemd");
    EXPECT_EQ(s.SessionName(), "Hernoemd_1");

    // Another form's automatic session takes the next free number.
    const int otherOwner = 0;
    TSession t("Form2", &otherOwner);
    t.SetAutoSessionName(true);
    EXPECT_EQ(t.SessionName(), "Form2_2");

    s.SetAutoSessionName(false);
    TSession u("Extra", &owner);
    EXPECT_EQ(ErrorOf([&] { s.SetAutoSessionName(true); }),
              "Cannot enable AutoSessionName property with more than one session on a form or "
              "data-module");

    s.Open();
    EXPECT_TRUE(Session().Active());  // a further session starts the default one first
    EXPECT_EQ(s.Handle(), 0);
    EXPECT_EQ(ErrorOf([&] { s.SetSessionName("Derde"); }),
              "Cannot perform this operation on an active session");
    EXPECT_EQ(ErrorOf([] {
                  TSession empty;
                  empty.Open();
              }),
              "Session name missing");
}

TEST_F(Sessions_, DatabaseOpensInTheSessionItNames) {
    TSession s;
    s.SetSessionName("Apart");
    TDatabase db;
    db.SetSessionName("Apart");
    db.SetDatabaseName("/data");
    db.Open();
    EXPECT_EQ(&db.Session(), &s);
    EXPECT_TRUE(s.Active());
    EXPECT_EQ(s.FindDatabase("/data"), &db);
    EXPECT_EQ(Session().FindDatabase("/data"), nullptr);
    db.Close();
    TDatabase lost;
    lost.SetSessionName("Nergens");
    lost.SetDatabaseName("/data");
    EXPECT_EQ(ErrorOf([&] { lost.Open(); }), "Invalid session name Nergens");
}

TEST_F(Sessions_, DirectoriesAndPasswordsOfAnActiveSession) {
    Session().SetNetFileDir("/net");
    Session().SetPrivateDir("/priv");
    EXPECT_EQ(Session().NetFileDir(), "/net");
    EXPECT_EQ(Session().PrivateDir(), "/priv");
    Session().Open();
    const std::string prefix = "This BDE function not supported in this xBase layer: ";
    EXPECT_EQ(messages, std::vector<std::string>{prefix + "DbiSetPrivateDir"});
    EXPECT_EQ(Session().NetFileDir(), "");
    EXPECT_EQ(Session().PrivateDir(), "");
    messages.clear();
    Session().SetNetFileDir("/net2");
    Session().SetPrivateDir("/priv2");
    Session().AddPassword("geheim");
    Session().RemovePassword("geheim");
    Session().RemoveAllPasswords();
    EXPECT_EQ(messages,
              (std::vector<std::string>{prefix + "DbiSetPrivateDir", prefix + "DbiAddPassword",
                                        prefix + "DbiDropPassword", prefix + "DbiDropPassword"}));
}

TEST_F(Sessions_, AliasAndDriverQueries) {
    EXPECT_EQ(ErrorOf([] { Session().GetAliasDriverName("BOEK"); }), "Invalid alias name BOEK");
    Session().Open();
    EXPECT_EQ(ErrorOf([] { Session().GetAliasParams("BOEK"); }), "IDAPI Error : 8712");
    EXPECT_EQ(Session().GetDriverParams("standard"),
              (std::vector<std::string>{"PATH=", "DEFAULT DRIVER=PARADOX", "ENABLE BCD=FALSE"}));
    EXPECT_TRUE(Session().GetDriverParams("SXFOX").empty());
}

TEST_F(Sessions_, PasswordPromptAsksTheEvent) {
    EXPECT_FALSE(Session().GetPassword());
    Session().OnPassword = [](TSession&, bool& again) { again = true; };
    EXPECT_TRUE(Session().GetPassword());
    Session().Open();
    EXPECT_EQ(Session().Callbacks()[1]->Invoke(nullptr), 1);
    Session().OnPassword = nullptr;
}

TEST_F(Sessions_, SessionLockIsNestedAndExcludesOtherThreads) {
    Session().LockSession();
    EXPECT_TRUE(Session().Active());
    Session().LockSession();
    std::atomic<bool> entered{false};
    std::thread other([&] {
        Session().LockSession();
        entered = true;
        Session().UnlockSession();
    });
    Session().UnlockSession();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(entered);
    Session().UnlockSession();
    other.join();
    EXPECT_TRUE(entered);
}

}  // namespace
}  // namespace xbase::testing
