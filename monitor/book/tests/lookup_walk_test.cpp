// The row lookup and the batch over a table in memory, with the directory program and the
// event loop driven by hand: what is written where when the table moves, changes or closes
// during the wait, and how a batch walks, skips, cancels and ends.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "monitor/book/batch_walk.h"
#include "monitor/book/data_set_lookup_table.h"
#include "monitor/book/row_lookup.h"
#include "platform/db/field.h"
#include "platform/db/memory_data_set.h"

namespace book {
namespace {

using monitor::DirectoryOutcome;

class HandProcess : public monitor::DirectoryProcessPort {
  public:
    bool Start(const std::vector<std::string>& argv, const std::string&) override {
        started.push_back(argv.back());
        return true;
    }
    bool Watch(std::function<void()> ended) override {
        ended_ = std::move(ended);
        return true;
    }
    void Kill() override { ended_ = nullptr; }
    bool Waiting() const { return static_cast<bool>(ended_); }
    void End() {
        ASSERT_TRUE(ended_) << "no program runs";
        auto ended = std::move(ended_);
        ended_ = nullptr;
        ended();
    }
    std::vector<std::string> started;  // the numbers, in order

  private:
    std::function<void()> ended_;
};

class HandTimer : public monitor::DirectoryTimerPort {
  public:
    void Start(int, std::function<void()>) override {}
    void Stop() override {}
};

// Runs the number through the program; "--" is no number, "!x" is answered at once. The
// answer names the number, so a write into the wrong row shows.
class EchoRules : public LookupRules {
  public:
    std::optional<LookupStart> Start(const std::string& number) override {
        if (number == "--") {
            return std::nullopt;
        }
        LookupStart start;
        start.status = "zoekt " + number;
        if (number.front() == '!') {
            start.answer =
                LookupAnswer{EntryAnswer{{{"NAAM", "direct"}}, "direct"}, "direct", false, ""};
            return start;
        }
        start.request.argv = std::vector<std::string>{"prog", number};
        return start;
    }
    LookupAnswer Finish(const LookupStart& start, DirectoryOutcome) override {
        const std::string number = start.request.argv->back();
        LookupAnswer answer;
        answer.write = EntryAnswer{{{"NAAM", "naam van " + number}}, "klaar " + number};
        answer.status = "klaar " + number;
        answer.beep = true;
        return answer;
    }
};

class RecordingView : public WalkView {
  public:
    void Busy(bool on) override { busy += on ? 1 : -1; }
    void ShowStatus(const std::string& text) override { statuses.push_back(text); }
    void Warning(const std::string& text) override { notes.push_back("warning: " + text); }
    void Failure(const std::string& text) override { notes.push_back("failure: " + text); }
    void BatchRunning(bool on) override { batchShown.push_back(on); }
    void Later(std::function<void()> work) override { later.push_back(std::move(work)); }
    // The event loop: runs what was posted, as long as something is.
    void Turn() {
        while (!later.empty()) {
            auto work = std::move(later.front());
            later.pop_front();
            work();
        }
    }

    int busy = 0;
    std::vector<std::string> statuses;
    std::vector<std::string> notes;
    std::vector<bool> batchShown;
    std::deque<std::function<void()>> later;
};

// A table of five entries with the walkers over it; a fresh one per case.
struct World {
    World() {
        table.FieldDefs().Add("NUMMER", db::ftString, 20);
        table.FieldDefs().Add("NAAM", db::ftString, 30);
        table.FieldDefs().Add("ZOEKSTATUS", db::ftString, 50);
        table.Open();
        for (const char* n : {"0101", "0202", "0303", "0404", "0505"}) {
            table.Append();
            table.FieldByName("NUMMER").SetAsString(n);
            table.FieldByName("NAAM").SetAsString("oud");
            table.Post();
        }
        table.First();
    }

    void GoTo(const std::string& number) {
        for (table.First(); !table.Eof(); table.Next()) {
            if (table.FieldByName("NUMMER").AsString() == number) {
                return;
            }
        }
        FAIL() << number << " not in the table";
    }
    void SetNumber(const std::string& from, const std::string& to) {
        GoTo(from);
        table.Edit();
        table.FieldByName("NUMMER").SetAsString(to);
        table.Post();
    }
    // NUMMER=NAAM/ZOEKSTATUS of every row, in order, without moving the cursor.
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        table.ScanRecords([&] {
            rows.push_back(table.FieldByName("NUMMER").AsString() + "=" +
                           table.FieldByName("NAAM").AsString() + "/" +
                           table.FieldByName("ZOEKSTATUS").AsString());
            return true;
        });
        return rows;
    }
    std::string Current() { return table.FieldByName("NUMMER").AsString(); }

    db::TMemoryDataSet table;
    HandProcess process;
    HandTimer timer;
    monitor::DirectoryRunner runner{process, timer};
    DataSetLookupTable port{table, "NUMMER", "ZOEKSTATUS"};
    EchoRules rules;
    RecordingView view;
    ui::RecordingBeep beep;
    RowLookup lookup{runner, port, rules, view, beep};
    BatchWalk batch{port, lookup, view};
};

const std::vector<std::string> kUntouched = {"0101=oud/", "0202=oud/", "0303=oud/", "0404=oud/",
                                             "0505=oud/"};

TEST(LookupWalk, TheAnswerGoesIntoTheStartedRowWhateverMovedMeanwhile) {
    World w;
    w.GoTo("0202");
    bool done = false;
    ASSERT_TRUE(w.lookup.LookUpCurrent([&] { done = true; }));
    EXPECT_TRUE(w.lookup.Running());
    EXPECT_FALSE(w.lookup.LookUpCurrent()) << "a second lookup while one runs";
    EXPECT_EQ(w.view.busy, 1);
    EXPECT_EQ(w.view.statuses, std::vector<std::string>{"zoekt 0202"});

    // Meanwhile a call moves the table and leaves an edit pending on another entry.
    w.GoTo("0404");
    w.table.Edit();
    w.table.FieldByName("NAAM").SetAsString("bewerkt");
    w.process.End();

    EXPECT_TRUE(done);
    EXPECT_FALSE(w.lookup.Running());
    EXPECT_EQ(w.view.busy, 0);
    EXPECT_EQ(w.beep.beeps, 1);
    EXPECT_EQ(w.view.statuses.back(), "klaar 0202");
    EXPECT_EQ(w.table.State(), db::dsBrowse);
    EXPECT_EQ(w.Current(), "0404") << "the cursor stays where the call left it";
    EXPECT_EQ(w.Rows(), (std::vector<std::string>{"0101=oud/", "0202=naam van 0202/klaar 0202",
                                                  "0303=oud/", "0404=bewerkt/", "0505=oud/"}));
}

TEST(LookupWalk, NothingIsWrittenWhenTheRowIsNoLongerTheOneLookedUp) {
    struct Case {
        const char* name;
        std::function<void(World&)> meanwhile;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"the table was closed and opened again",
         [](World& w) {
             w.table.Close();
             w.table.Open();
         },
         kUntouched},
        {"the entry holds another number now",
         [](World& w) { w.SetNumber("0202", "0909"); },
         {"0101=oud/", "0909=oud/", "0303=oud/", "0404=oud/", "0505=oud/"}},
        {"the entry was deleted",
         [](World& w) {
             w.GoTo("0202");
             w.table.Delete();
         },
         {"0101=oud/", "0303=oud/", "0404=oud/", "0505=oud/"}},
        {"the table is closed", [](World& w) { w.table.Close(); }, kUntouched},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        World w;
        w.GoTo("0202");
        ASSERT_TRUE(w.lookup.LookUpCurrent());
        c.meanwhile(w);
        w.process.End();
        if (!w.table.Active()) {
            w.table.Open();
        }
        EXPECT_EQ(w.Rows(), c.rows);
        EXPECT_TRUE(w.view.notes.empty());
        EXPECT_EQ(w.view.busy, 0);
    }
}

TEST(LookupWalk, AnEmptyTableOrNoNumberStartsNothing) {
    World w;
    w.SetNumber("0303", "--");
    bool done = false;
    EXPECT_TRUE(w.lookup.LookUpCurrent([&] { done = true; }));
    EXPECT_TRUE(done);
    EXPECT_TRUE(w.process.started.empty());
    EXPECT_TRUE(w.view.statuses.empty());

    db::TMemoryDataSet empty;
    empty.FieldDefs().Add("NUMMER", db::ftString, 20);
    empty.FieldDefs().Add("ZOEKSTATUS", db::ftString, 50);
    empty.Open();
    DataSetLookupTable emptyPort{empty, "NUMMER", "ZOEKSTATUS"};
    RowLookup emptyLookup{w.runner, emptyPort, w.rules, w.view, w.beep};
    EXPECT_TRUE(emptyLookup.LookUpCurrent());
    BatchWalk emptyBatch{emptyPort, emptyLookup, w.view};
    EXPECT_FALSE(emptyBatch.Start({}));
    EXPECT_EQ(empty.RecordCount(), 0) << "no record was inserted";
    EXPECT_TRUE(w.process.started.empty());
    EXPECT_EQ(w.view.busy, 0);
}

BatchPlan Plan(std::vector<std::string>& steps, World& w) {
    BatchPlan plan;
    plan.before = [&steps] { steps.push_back("before"); };
    plan.after = [&steps] { steps.push_back("after"); };
    plan.qualifies = [&w](const RowMark& row) { return w.port.NumberAt(row) != "0505"; };
    plan.cancelled = "afgebroken";
    plan.finished = "afgesloten";
    return plan;
}

TEST(LookupWalk, ABatchVisitsTheRowsOfItsStartThatQualify) {
    World w;
    w.SetNumber("0303", "!x");
    w.SetNumber("0404", "--");
    std::vector<std::string> steps;
    bool done = false;
    ASSERT_TRUE(w.batch.Start(Plan(steps, w), [&] { done = true; }));
    EXPECT_FALSE(w.lookup.LookUpCurrent()) << "the row lookup waits for the batch";
    w.view.Turn();
    EXPECT_EQ(w.process.started, std::vector<std::string>{"0101"});
    EXPECT_EQ(w.Current(), "0101");
    w.process.End();
    w.view.Turn();
    EXPECT_EQ(w.Current(), "0202");
    // Rows that answer at once or start nothing follow without the program.
    w.process.End();
    w.view.Turn();
    EXPECT_TRUE(done);
    EXPECT_EQ(w.process.started, (std::vector<std::string>{"0101", "0202"}));
    EXPECT_EQ(w.Rows(), (std::vector<std::string>{"0101=naam van 0101/klaar 0101",
                                                  "0202=naam van 0202/klaar 0202",
                                                  "!x=direct/direct", "--=oud/", "0505=oud/"}));
    EXPECT_EQ(w.view.statuses.back(), "afgesloten");
    EXPECT_EQ(steps, (std::vector<std::string>{"before", "after"}));
    EXPECT_EQ(w.view.batchShown, (std::vector<bool>{true, false}));
    EXPECT_EQ(w.view.busy, 0);
}

TEST(LookupWalk, ABatchEndsAsCancelledAfterTheRowInHand) {
    struct Case {
        const char* name;
        std::function<void(World&)> meanwhile;  // while the second row waits
        std::string second;                     // what the second row holds after
    };
    const Case cases[] = {
        {"cancel", [](World& w) { w.batch.Cancel(); }, "0202=naam van 0202/klaar 0202"},
        // Emptied while closed: the record numbers of the start name nothing any more.
        {"table closed",
         [](World& w) {
             w.table.Close();
             w.table.Open();
         },
         "0202=oud/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        World w;
        std::vector<std::string> steps;
        bool done = false;
        ASSERT_TRUE(w.batch.Start(Plan(steps, w), [&] { done = true; }));
        w.view.Turn();
        w.process.End();
        w.view.Turn();
        c.meanwhile(w);
        w.process.End();
        w.view.Turn();
        EXPECT_TRUE(done);
        EXPECT_FALSE(w.batch.Running());
        EXPECT_EQ(w.view.statuses.back(), "afgebroken");
        EXPECT_EQ(w.process.started, (std::vector<std::string>{"0101", "0202"}));
        EXPECT_EQ(w.Rows()[1], c.second);
        EXPECT_EQ(w.Rows()[2], "0303=oud/");
        EXPECT_EQ(steps, (std::vector<std::string>{"before", "after"}));
        EXPECT_EQ(w.view.busy, 0);
    }
}

TEST(LookupWalk, ABatchGoneBeforeItsNextStepDoesNothing) {
    World w;
    auto gone = std::make_unique<BatchWalk>(w.port, w.lookup, w.view);
    ASSERT_TRUE(gone->Start({}));
    gone.reset();
    w.view.Turn();
    EXPECT_TRUE(w.process.started.empty());
}

}  // namespace
}  // namespace book
