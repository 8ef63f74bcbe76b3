#include "monitor/directory_runner.h"

#include <filesystem>
#include <fstream>
#include <memory>

#include <gtest/gtest.h>

#include "monitor/caller_record.h"
#include "monitor/directory_command.h"
#include "monitor/directory_lookup.h"
#include "monitor/settings.h"
#include "monitor/wait_times.h"

namespace monitor {
namespace {

// The program and the timer, driven by the test.
class HandProcess : public DirectoryProcessPort {
  public:
    bool Start(const std::vector<std::string>& argv, const std::string&) override {
        if (refuseStart) {
            return false;
        }
        started.push_back(argv);
        running = true;
        return true;
    }
    bool Watch(std::function<void()> ended) override {
        if (refuseWatch) {
            return false;
        }
        ended_ = std::move(ended);
        return true;
    }
    void Kill() override {
        ++kills;
        running = false;
        ended_ = nullptr;
    }
    void End() {
        ASSERT_TRUE(ended_);
        running = false;
        auto ended = std::move(ended_);
        ended_ = nullptr;
        ended();
    }

    std::vector<std::vector<std::string>> started;
    bool running = false;
    int kills = 0;
    bool refuseStart = false;
    bool refuseWatch = false;

  private:
    std::function<void()> ended_;
};

class HandTimer : public DirectoryTimerPort {
  public:
    void Start(int ms, std::function<void()> fired) override {
        waits.push_back(ms);
        fired_ = std::move(fired);
    }
    void Stop() override { fired_ = nullptr; }
    bool Armed() const { return static_cast<bool>(fired_); }
    void Fire() {
        ASSERT_TRUE(fired_);
        auto fired = std::move(fired_);
        fired_ = nullptr;
        fired();
    }
    std::vector<int> waits;

  private:
    std::function<void()> fired_;
};

class DirectoryRunnerTest : public ::testing::Test {
  protected:
    DirectoryRequest Request(const std::string& name, int waitMs = 1000) {
        DirectoryRequest r;
        r.argv = std::vector<std::string>{name};
        r.waitMilliseconds = waitMs;
        r.done = [this, name](DirectoryOutcome o) { outcomes.emplace_back(name, o); };
        return r;
    }
    HandProcess process;
    HandTimer timer;
    DirectoryRunner runner{process, timer};
    std::vector<std::pair<std::string, DirectoryOutcome>> outcomes;
};

TEST_F(DirectoryRunnerTest, RequestsRunOneAtATimeInArrivalOrder) {
    runner.Submit(Request("a"));
    runner.Submit(Request("b"));
    runner.Submit(Request("c"));
    ASSERT_EQ(process.started.size(), 1u);
    EXPECT_EQ(runner.Waiting(), 2u);

    process.End();
    ASSERT_EQ(process.started.size(), 2u) << "the next waits for the first to end";
    EXPECT_EQ(process.started[1][0], "b");

    timer.Fire();  // b runs out of time: killed before c starts
    EXPECT_EQ(process.kills, 1);
    ASSERT_EQ(process.started.size(), 3u);
    EXPECT_EQ(process.started[2][0], "c");
    process.End();

    const std::vector<std::pair<std::string, DirectoryOutcome>> expected = {
        {"a", DirectoryOutcome::Ended},
        {"b", DirectoryOutcome::TimedOut},
        {"c", DirectoryOutcome::Ended}};
    EXPECT_EQ(outcomes, expected);
    EXPECT_FALSE(runner.Busy());
    EXPECT_FALSE(timer.Armed()) << "the wait of an ended program was left running";
}

// The program's end cuts the running lookup short: killed now, completed as timed out, its
// wait stopped; the next request still runs, and cutting with nothing running does nothing.
TEST_F(DirectoryRunnerTest, CutShortKillsTheRunningProgramAndTheQueueGoesOn) {
    runner.CutShort();
    EXPECT_EQ(process.kills, 0);
    EXPECT_TRUE(outcomes.empty());

    runner.Submit(Request("a", 60000));
    runner.Submit(Request("b"));
    runner.CutShort();
    EXPECT_EQ(process.kills, 1);
    const std::vector<std::pair<std::string, DirectoryOutcome>> cut = {
        {"a", DirectoryOutcome::TimedOut}};
    EXPECT_EQ(outcomes, cut);
    ASSERT_EQ(process.started.size(), 2u);
    EXPECT_EQ(process.started[1][0], "b");
    EXPECT_EQ(timer.waits.size(), 2u) << "b has its own wait";
    process.End();
    EXPECT_FALSE(timer.Armed());
    EXPECT_EQ(outcomes.size(), 2u);
}

// Each request's wait starts when its own program starts.
TEST_F(DirectoryRunnerTest, WaitComesFromTheSearchTime) {
    const struct {
        const char* zoektijd;
        int ms;
    } cases[] = {{"60", 59997}, {"abc", 4997}, {"0", 4997}, {"2", 1997}};
    for (const auto& c : cases) {
        runner.Submit(Request(c.zoektijd, SearchWaitMilliseconds(c.zoektijd)));
    }
    for (const auto& c : cases) {
        ASSERT_FALSE(timer.waits.empty());
        EXPECT_EQ(timer.waits.back(), c.ms) << c.zoektijd;
        process.End();
    }
    EXPECT_EQ(timer.waits.size(), 4u);
}

TEST_F(DirectoryRunnerTest, RequestsThatStartNothingCompleteAndTheQueueGoesOn) {
    DirectoryRequest refused = Request("refused");
    refused.argv.reset();
    runner.Submit(Request("first"));
    runner.Submit(std::move(refused));
    runner.Submit(Request("second"));
    process.refuseStart = true;
    process.End();  // "refused" completes at once, "second" cannot start
    const std::vector<std::pair<std::string, DirectoryOutcome>> expected = {
        {"first", DirectoryOutcome::Ended},
        {"refused", DirectoryOutcome::RefusedNumber},
        {"second", DirectoryOutcome::StartFailed}};
    EXPECT_EQ(outcomes, expected);
    EXPECT_EQ(process.started.size(), 1u);
    EXPECT_FALSE(runner.Busy());
}

TEST_F(DirectoryRunnerTest, StaleFileThatCannotBeDeletedStartsNothing) {
    const auto dir = std::filesystem::temp_directory_path() / "belverin-stale-test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "belvo.log" / "inside");  // a full folder
    std::ofstream((dir / "belvo2.log").string()) << "old";
    DirectoryRequest r = Request("x");
    r.staleFiles = {(dir / "belvo2.log").string(), (dir / "belvo.log").string()};
    runner.Submit(std::move(r));
    EXPECT_TRUE(process.started.empty());
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].second, DirectoryOutcome::StartFailed);
    EXPECT_FALSE(std::filesystem::exists(dir / "belvo2.log"));

    std::filesystem::remove_all(dir / "belvo.log");
    std::ofstream((dir / "belvo.log").string()) << "old";
    DirectoryRequest ok = Request("y");
    ok.staleFiles = {(dir / "belvo.log").string(), (dir / "belvo2.log").string()};
    runner.Submit(std::move(ok));
    EXPECT_EQ(process.started.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(dir / "belvo.log"));
    process.End();
    std::filesystem::remove_all(dir);
}

TEST_F(DirectoryRunnerTest, WatchFailureKillsTheProgram) {
    process.refuseWatch = true;
    runner.Submit(Request("a"));
    EXPECT_EQ(process.kills, 1);
    EXPECT_FALSE(process.running);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].second, DirectoryOutcome::WatchFailed);
    EXPECT_FALSE(timer.Armed());
}

TEST_F(DirectoryRunnerTest, OwnerThatIsGoneGetsNoCall) {
    auto running = std::make_shared<int>(0);
    auto waiting = std::make_shared<int>(0);
    DirectoryRequest a = Request("a");
    a.owner = running;
    DirectoryRequest b = Request("b");
    b.owner = waiting;
    runner.Submit(std::move(a));
    runner.Submit(std::move(b));
    runner.Submit(Request("c"));
    running.reset();
    waiting.reset();
    process.End();
    // "b" is skipped without a start; "c" runs.
    ASSERT_EQ(process.started.size(), 2u);
    EXPECT_EQ(process.started[1][0], "c");
    process.End();
    const std::vector<std::pair<std::string, DirectoryOutcome>> expected = {
        {"c", DirectoryOutcome::Ended}};
    EXPECT_EQ(outcomes, expected);
}

TEST_F(DirectoryRunnerTest, CompletionMaySubmitTheNextRequest) {
    DirectoryRequest first = Request("first");
    first.done = [this](DirectoryOutcome o) {
        outcomes.emplace_back("first", o);
        runner.Submit(Request("chained"));
    };
    runner.Submit(std::move(first));
    runner.Submit(Request("queued"));
    process.End();
    process.End();
    process.End();
    ASSERT_EQ(process.started.size(), 3u);
    EXPECT_EQ(process.started[1][0], "queued") << "a chained request jumped the queue";
    EXPECT_EQ(process.started[2][0], "chained");
}

TEST_F(DirectoryRunnerTest, RunnerThatGoesKillsItsProgram) {
    HandProcess p;
    HandTimer t;
    auto r = std::make_unique<DirectoryRunner>(p, t);
    r->Submit(Request("a"));
    r->Submit(Request("b"));
    r.reset();
    EXPECT_EQ(p.kills, 1);
    EXPECT_FALSE(p.running);
    EXPECT_EQ(p.started.size(), 1u);
    EXPECT_TRUE(outcomes.empty());
}

// The monitor's lookup over hand-driven ports: a refused number starts nothing, and an
// object that is gone is never called back.
class RecordingView : public LookupView {
  public:
    void ShowImage(LookupImage image) override { images.push_back(image); }
    void SetStatusMemo(const std::vector<std::string>& lines) override { memo = lines; }
    void Waarschuwing(const std::string& text) override { warnings.push_back(text); }
    std::vector<LookupImage> images;
    std::vector<std::string> memo;
    std::vector<std::string> warnings;
};

TEST_F(DirectoryRunnerTest, LookupOfARefusedNumberStartsNothing) {
    instellingen = Instellingen{};
    instellingen.foongrepdir = "/nonexistent-foongrep/";
    RecordingView view;
    DirectoryLookup lookup(runner, view);
    for (const char* nummer : {"", "-S", "-t", "020\n123", "\t1"}) {
        huidigebeller = telefoonrecordtype{};
        huidigebeller.nummer = nummer;
        huidigebeller.naam = "Jansen";
        bool done = false;
        lookup.maakstartbat([&] { done = true; });
        EXPECT_TRUE(done);
        EXPECT_EQ(huidigebeller.zoekstatus, kOngeldigNummer);
        EXPECT_EQ(huidigebeller.naam, "Jansen");
    }
    EXPECT_TRUE(process.started.empty());
    EXPECT_EQ(view.images, std::vector<LookupImage>(5, LookupImage::Zoekfout));
}

TEST_F(DirectoryRunnerTest, LookupThatIsGoneIsNotCalledBack) {
    instellingen = Instellingen{};
    instellingen.foongrepdir = "/nonexistent-foongrep/";
    huidigebeller = telefoonrecordtype{};
    huidigebeller.nummer = "0201234567";
    RecordingView view;
    bool done = false;
    {
        DirectoryLookup lookup(runner, view);
        lookup.maakstartbat([&] { done = true; });
    }
    timer.Fire();
    EXPECT_FALSE(done);
    EXPECT_TRUE(view.images.empty());
    EXPECT_TRUE(huidigebeller.zoekstatus.empty());
}

}  // namespace
}  // namespace monitor
