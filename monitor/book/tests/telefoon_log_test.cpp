// The call-log window's core over the table data set and the engine library: start-up with
// pack and nine indexes, the sort choice, the counter, closing and program end.

#include "monitor/book/telefoon_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "monitor/book/tests/log_fixture.h"
#include "monitor/book/tests/recording_port.h"
#include "platform/db/field.h"

namespace book::testing {
namespace {

namespace fs = std::filesystem;

class TelefoonLogTest : public LogFolderTest {
  protected:
    void EndWindow() override { log.reset(); }

    TelefoonLog& Start() {
        log.reset();
        port = RecordingPort{};
        log = std::make_unique<TelefoonLog>(folder, *ini, port);
        log->FormCreate();
        return *log;
    }

    std::vector<std::string> Column(const std::string& field) {
        std::vector<std::string> values;
        xbase::TTable& t = log->t1();
        for (t.First(); !t.Eof(); t.Next()) {
            values.push_back(t.FieldByName(field).AsString());
        }
        return values;
    }

    RecordingPort port;
    std::unique_ptr<TelefoonLog> log;
};

TEST_F(TelefoonLogTest, StartUpPacksOpensSharedAndBuildsNineIndexes) {
    const std::vector<LogRow> rows = Calls();
    MakeLog(rows);
    ini->WriteInteger("telefoonlog", "sorterenop", 3);

    TelefoonLog& l = Start();

    EXPECT_EQ(port.events.front(), "splash:Log database laden en indexen maken ");
    EXPECT_EQ(port.events[1], "restore window");
    EXPECT_TRUE(port.Of("error").empty());
    EXPECT_TRUE(port.Of("message").empty());
    EXPECT_TRUE(port.Of("exception").empty());
    const std::vector<std::string> tail(port.events.end() - 2, port.events.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"load grid:log", "counter:Aantal records: 4"}));

    ASSERT_TRUE(l.t1().Active());
    EXPECT_FALSE(l.t1().Exclusive());
    EXPECT_FALSE(l.t1().ControlsDisabled());
    EXPECT_EQ(RecordsInFile(Real(), LogPath()), 4) << "the pack removes the deleted records";
    for (int n = 0; n < kLogIndexCount; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(l.Order(n), n + 1);
        EXPECT_TRUE(fs::is_regular_file(folder + "log" + std::to_string(n) + ".idx"));
    }
    EXPECT_EQ(port.checked, 3);
    EXPECT_EQ(TelefoonLog::SortChoice(), 3);
    EXPECT_EQ(Column("NAAM"), Sorted(rows, "naam", false));

    EXPECT_EQ(xbase::TXbaseEnv::Instance(), &l.XbaseEnv1());
    EXPECT_TRUE(l.XbaseEnv1().Deleted());
    EXPECT_THROW(TelefoonLog(folder, *ini, port), rtl::Exception)
        << "one engine-settings component";
}

TEST_F(TelefoonLogTest, EveryStoredChoiceChecksItsItemAndSelectsItsOrder) {
    const std::vector<LogRow> rows = Calls();
    for (int choice = 0; choice < kLogIndexCount; ++choice) {
        SCOPED_TRACE(choice);
        MakeLog(rows);
        ini->WriteInteger("telefoonlog", "sorterenop", choice);
        TelefoonLog& l = Start();
        const LogIndex& index = kLogIndexes[static_cast<std::size_t>(choice)];
        EXPECT_EQ(port.checked, choice);
        EXPECT_EQ(l.t1().IndexName(), "LOG" + std::to_string(choice));
        EXPECT_EQ(Column(Upper(std::string(index.key))),
                  Sorted(rows, std::string(index.key), index.descending));
    }
}

TEST_F(TelefoonLogTest, NewestCallComesFirstInTheDescendingDateOrder) {
    MakeLog(Calls());
    ini->WriteInteger("telefoonlog", "sorterenop", 1);
    Start();
    const std::vector<std::string> dates = Column("DATUM");
    ASSERT_FALSE(dates.empty());
    EXPECT_EQ(dates.front(), "2024-03-05");
    EXPECT_EQ(dates.back(), "2024-03-02");
}

TEST_F(TelefoonLogTest, ChoiceOutsideTheMenuOrWithoutItsIndexKeepsTheLastIndexOrder) {
    struct Case {
        const char* name;
        const char* stored;
        bool blockLog3;
        int checked;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases = {
        {"index not made", "3", true, 3, {"index \"log3.idx\" niet gemaakt"}},
        {"beyond the menu", "42", false, -1, {}},
        {"negative", "-1", false, -1, {}},
        {"beyond 16 bits reads as 0", "70000", false, 0, {}},
    };
    const std::vector<LogRow> rows = Calls();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeLog(rows);
        for (int n = 0; n < kLogIndexCount; ++n) {
            fs::remove_all(folder + "log" + std::to_string(n) + ".idx");
        }
        if (c.blockLog3) {
            fs::create_directory(folder + "log3.idx");
        }
        ini->WriteString("telefoonlog", "sorterenop", c.stored);

        TelefoonLog& l = Start();

        EXPECT_EQ(port.Of("message"), c.messages);
        EXPECT_EQ(port.checked, c.checked);
        EXPECT_EQ(l.Order(3), c.blockLog3 ? 0 : 4);
        if (c.checked == 0) {
            EXPECT_EQ(Column("DATUM"), Sorted(rows, "datum", false));
        } else {
            EXPECT_EQ(Column("SOORT"), Sorted(rows, "soort", false));
        }
        // Nothing checked: closing writes the choice back as it was read.
        port.checked = c.checked;
        l.FormClose();
        EXPECT_EQ(ini->ReadInteger("telefoonlog", "sorterenop", 12345),
                  c.checked == -1 ? std::stoi(c.stored) : c.checked);
    }
}

TEST_F(TelefoonLogTest, TableHeldByAnotherOpenIsShownWhole) {
    const std::vector<LogRow> rows = Calls();
    MakeLog(rows);
    const xbase::EngineApi& e = Real();
    const int32_t previous = e.sx_WorkArea(nullptr);
    const int32_t other = e.sx_Use(LogPath().c_str(), "held", SX_SHARED, SX_FOX);
    ASSERT_NE(other, 0);
    e.sx_Select(previous);

    TelefoonLog& l = Start();

    const std::vector<std::string> errors = port.Of("error");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].rfind("Wissen: Fout bij openen:", 0), 0u) << errors[0];
    EXPECT_EQ(errors[1].rfind("Fout bij Pack Table :", 0), 0u) << errors[1];
    for (const std::string& text : errors) {
        EXPECT_GT(text.size(), 26u) << "the exception's message is shown";
        EXPECT_EQ(text.substr(text.size() - 2), "  ");
    }
    EXPECT_TRUE(port.Of("exception").empty());
    ASSERT_TRUE(l.t1().Active());
    EXPECT_FALSE(l.t1().Exclusive());
    EXPECT_EQ(port.counter, "Aantal records: 4");
    EXPECT_EQ(Column("NAAM").size(), 4u);
    EXPECT_EQ(RecordsInFile(Real(), LogPath()), 6) << "nothing was packed";

    e.sx_Select(other);
    e.sx_Close();
    e.sx_Select(previous);
}

TEST_F(TelefoonLogTest, MissingTableLeavesAClosedWindowWithOneReport) {
    ini->WriteInteger("telefoonlog", "sorterenop", 3);
    monitor::instellingen.logsortering = 3;  // as the program's start-up reads it
    TelefoonLog& l = Start();

    const std::vector<std::string> errors = port.Of("error");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].rfind("Wissen: Fout bij openen:", 0), 0u);
    EXPECT_EQ(errors[1].rfind("Fout bij Pack Table :", 0), 0u);
    EXPECT_EQ(port.Of("exception").size(), 1u);
    EXPECT_TRUE(port.Of("message").empty());
    EXPECT_FALSE(l.t1().Active());
    EXPECT_FALSE(l.t1().ControlsDisabled()) << "display updates resume";
    EXPECT_EQ(port.events.back(), "load grid:log");
    EXPECT_EQ(port.checked, -2) << "no index was made, no item checked";

    // Its commands change nothing and closing writes the stored choice back.
    EXPECT_EQ(l.a1().Count(), 0);
    l.FormClose();
    EXPECT_EQ(ini->ReadInteger("telefoonlog", "sorterenop", -1), 3);
    l.FormDestroy();
    EXPECT_FALSE(fs::exists(LogPath()));
}

TEST_F(TelefoonLogTest, CounterShowsTheRealCountAfterTheMonitorsAppend) {
    MakeLog(Calls());
    TelefoonLog& l = Start();
    ASSERT_EQ(port.counter, "Aantal records: 4");

    l.a1().Commit();
    l.t1().DisableControls();
    l.t1().Append();
    EXPECT_EQ(port.counter, "Aantal records: 4") << "counted before the record is stored";
    l.t1().FieldByName("datum").SetAsString("2024-03-06");
    l.t1().FieldByName("nummer").SetAsString("0612345678");
    l.t1().FieldByName("naam").SetAsString("Nieuw");
    l.t1().Post();
    l.a1().Commit();
    l.t1().EnableControls();

    EXPECT_EQ(port.counter, "Aantal records: 5");
    EXPECT_EQ(RecordsInFile(Real(), LogPath()), 5);

    // An edit that is posted does not count again.
    port.events.clear();
    l.t1().Edit();
    l.t1().FieldByName("naam").SetAsString("Anders");
    l.t1().Post();
    EXPECT_TRUE(port.Of("counter").empty());
}

TEST_F(TelefoonLogTest, DeleteCountsAndCommitsOnlyWhenSetTo) {
    for (const bool meteen : {true, false}) {
        SCOPED_TRACE(meteen);
        MakeLog(Calls());
        monitor::instellingen.meteenopslaan = meteen;
        TelefoonLog& l = Start();
        l.t1().First();
        Logged().Log().clear();
        l.t1().Delete();
        EXPECT_EQ(port.counter, "Aantal records: 3");
        EXPECT_EQ(Logged().CountOf("sx_Commit"), meteen ? 1 : 0);

        // A fresh open sees the record gone.
        const xbase::EngineApi& e = Real();
        const int32_t previous = e.sx_WorkArea(nullptr);
        ASSERT_NE(e.sx_Use(LogPath().c_str(), nullptr, SX_SHARED, SX_FOX), 0);
        EXPECT_EQ(e.sx_Count(), 3);
        e.sx_Close();
        e.sx_Select(previous);
        log.reset();
    }
}

TEST_F(TelefoonLogTest, ClosingStoresSettingsAndTheCheckedChoiceForTheNextStart) {
    MakeLog(Calls());
    ini->WriteInteger("telefoonlog", "sorterenop", 3);
    TelefoonLog& l = Start();
    port.events.clear();
    port.checked = 5;

    l.FormClose();

    EXPECT_EQ(port.events, (std::vector<std::string>{"store window", "save grid:log"}));
    EXPECT_EQ(ini->ReadInteger("telefoonlog", "sorterenop", -1), 5);
    EXPECT_EQ(TelefoonLog::SortChoice(), 5);
    EXPECT_TRUE(l.t1().Active()) << "the window is only hidden";
    EXPECT_EQ(RecordsInFile(Real(), LogPath()), 4) << "an untouched log gains no record";

    l.FormDestroy();
    EXPECT_FALSE(l.t1().Active());
    Start();
    EXPECT_EQ(port.checked, 5);
    EXPECT_EQ(Column("POSTCODE"), Sorted(Calls(), "postcode", false));
}

TEST_F(TelefoonLogTest, ClosingAnEmptyLogAddsNoRecord) {
    MakeLog({});
    TelefoonLog& l = Start();
    EXPECT_EQ(port.counter, "Aantal records: 0");
    l.FormClose();
    l.FormDestroy();
    EXPECT_EQ(RecordsInFile(Real(), LogPath()), 0);
}

TEST_F(TelefoonLogTest, RowLeftInEditStateIsStoredAtClosingAndAtProgramEnd) {
    struct Case {
        const char* name;
        void (TelefoonLog::*end)();
    };
    for (const Case& c : {Case{"closing", &TelefoonLog::FormClose},
                          Case{"program end", &TelefoonLog::FormDestroy}}) {
        SCOPED_TRACE(c.name);
        MakeLog(Calls());
        ini->WriteInteger("telefoonlog", "sorterenop", 0);
        TelefoonLog& l = Start();
        l.t1().First();
        const std::string datum = l.t1().FieldByName("DATUM").AsString();
        l.t1().Edit();
        l.t1().FieldByName("MEMO").SetAsString("later teruggebeld");
        (l.*c.end)();

        EXPECT_EQ(l.t1().State(), c.end == &TelefoonLog::FormClose ? db::dsBrowse : db::dsInactive);
        const std::vector<std::string> dates = FieldInFile(Real(), LogPath(), "DATUM");
        const auto at = std::find(dates.begin(), dates.end(), datum);
        ASSERT_NE(at, dates.end());
        const xbase::EngineApi& e = Real();
        const int32_t previous = e.sx_WorkArea(nullptr);
        ASSERT_NE(e.sx_Use(LogPath().c_str(), nullptr, SX_SHARED, SX_FOX), 0);
        e.sx_Go(static_cast<int32_t>(at - dates.begin()) + 1);
        char* memo = e.sx_GetMemo("MEMO", 0);
        ASSERT_NE(memo, nullptr);
        EXPECT_EQ(std::string(memo), "later teruggebeld");
        e.sx_MemDealloc(memo);
        e.sx_Close();
        e.sx_Select(previous);
        EXPECT_EQ(RecordsInFile(Real(), LogPath()), 4);
        log.reset();
    }
}

}  // namespace
}  // namespace book::testing
