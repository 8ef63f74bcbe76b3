// Calls from the in-process simulated line through the road's first stage, over a phone book
// of 100,000 entries with its indexes built, the other ports doubles: from the CONNECT_IND put
// on the line to the caller's name known, for callers in the book, callers not in it and
// numbers the book holds twice. Run from the release build.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "capi/capi_commands.h"
#include "capi/capi_monitor.h"
#include "capi/capi_receive_thread.h"
#include "capi/tests/sim_line.h"
#include "monitor/book/tests/bench_tables.h"
#include "monitor/call_road.h"
#include "monitor/road_phone_book.h"
#include "monitor/settings.h"
#include "monitor/tests/road_doubles.h"
#include "xbase/sessions.h"
#include "xbase/tests/bench_phonebook.h"

namespace monitor::bench {
namespace {

using Clock = std::chrono::steady_clock;
using xbase::testing::NumberOf;

constexpr int kDuplicates = 1000;
constexpr const char* kMsn = "5551234";

// The phone book started on the bench table, one in twenty records deleted, and a second
// entry for kDuplicates of the numbers; the line opened, the road on its event.
class Road {
  public:
    Road() : engine_({.name = "road-bench"}) {
        if (!engine_.Ready()) {
            return;
        }
        const xbase::EngineApi& e = engine_.Api();
        const std::string table = engine_.Folder() + "belverintel.DBF";
        xbase::testing::MakeBenchPhoneBook(e, table);
        e.sx_Use(table.c_str(), nullptr, SX_EXCLUSIVE, SX_FOX);
        for (int i = 0; i < kDuplicates; ++i) {
            e.sx_AppendEx();
            e.sx_Replace("NUMMER", SX_R_CHAR, NumberOf(Duplicated(i)).c_str());
            e.sx_Replace("NAAM", SX_R_CHAR, "Tweede");
        }
        e.sx_Commit();
        e.sx_Close();
        xbase::Session().Open();
        book_ = std::make_unique<book::bench::BenchBook>(engine_.Folder());
        book_->core.Create();
        klapper_ = std::make_unique<RoadKlapper>(book_->core, toonmemo_);

        instellingen = Instellingen{};
        instellingen.msninstellingen[0].nummer = kMsn;
        instellingen.monitorpopuptijd = 0;
        const RoadPorts d = doubles_.Ports();
        road_ = std::make_unique<CallRoad>(RoadPorts{*klapper_, d.log, d.directory, d.contacts,
                                                     d.sound, d.character, d.commands, d.line,
                                                     d.clock, d.view, d.dde, d.post});
        sim_ = std::make_unique<capi::test::SimLine>();
        line_ = std::make_unique<capi::TBelverin>();
        line_->OnIncomingCall = [this](const std::string& calling, const std::string& called,
                                       std::uint16_t cip, const std::string& text) {
            road_->IncomingCall(calling, called, cip, text);
            known_ = Clock::now();
            if (loop_ != nullptr) {
                loop_->quit();
            }
        };
        ready_ = line_->Open(1, 60) && book_->port.boxes == 0 && book_->core.NumberOrder() != 0 &&
                 capi::test::PumpUntil([this] {
                     for (const auto& m : sim_->Transcript()) {
                         if (m.toApplication && m.command == capi::kListenConf) {
                             return true;
                         }
                     }
                     return false;
                 });
    }

    ~Road() {
        line_.reset();
        capi::test::PumpUntil([] { return capi::TCapiCallBack::Running() == 0; });
        if (sim_) {
            sim_->Reset();
        }
        road_.reset();
        klapper_.reset();
        book_.reset();
        if (engine_.Ready()) {
            xbase::Session().Close();
        }
    }

    bool Ready() const { return ready_; }

    // The i-th record given a second entry: even, so never a hit's, and never deleted.
    static int Duplicated(int i) { return i * 20 + 2; }

    // One call from `number`: the time from the CONNECT_IND to the end of the first stage,
    // by when the phone book has answered; then the rest of the road, and the caller hangs up.
    Clock::duration Call(const std::string& number) {
        QEventLoop loop;
        loop_ = &loop;
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        known_ = {};
        const auto offered = Clock::now();
        sim_->Offer(number.c_str(), kMsn, 1);
        if (known_ == Clock::time_point{}) {
            loop.exec();
        }
        loop_ = nullptr;
        const auto took = known_ - offered;
        doubles_.Settle();
        sim_->Hangup();
        capi::test::PumpUntil([&] { return line_->RejectCountdown() == 0; });
        return took;
    }

    const CallRoad& road() const { return *road_; }

  private:
    // First, so it goes last.
    book::bench::BenchEngine engine_;
    std::unique_ptr<book::bench::BenchBook> book_;
    std::function<void()> toonmemo_;
    std::unique_ptr<RoadKlapper> klapper_;
    testing::RoadDoubles doubles_;
    std::unique_ptr<CallRoad> road_;
    std::unique_ptr<capi::test::SimLine> sim_;
    std::unique_ptr<capi::TBelverin> line_;
    QEventLoop* loop_ = nullptr;
    Clock::time_point known_;
    bool ready_ = false;
};

std::unique_ptr<Road>& Slot() {
    static std::unique_ptr<Road> road;
    return road;
}

Road& Shared() {
    if (!Slot()) {
        Slot() = std::make_unique<Road>();
    }
    return *Slot();
}

enum class Kind { Hit, Miss, Duplicate };

std::string NumberFor(Kind kind, int i) {
    switch (kind) {
        case Kind::Hit:
            // Odd: neither deleted (multiples of twenty) nor held twice.
            return NumberOf((i * 7919 % xbase::testing::kRecords) | 1);
        case Kind::Miss:
            // Alternately a number no record has and a deleted record's.
            return i % 2 == 0 ? "0" + std::to_string(1000000000 + i)
                              : NumberOf(i * 20 % xbase::testing::kRecords);
        case Kind::Duplicate:
            return NumberOf(Road::Duplicated(i % kDuplicates));
    }
    return {};
}

void Calls(benchmark::State& state, Kind kind) {
    Road& road = Shared();
    if (!road.Ready()) {
        state.SkipWithError("no engine library, or the line or the phone book did not start");
        return;
    }
    std::vector<double> ms;
    int i = 0;
    for (auto _ : state) {
        const auto took = road.Call(NumberFor(kind, i++));
        const double seconds = std::chrono::duration<double>(took).count();
        if (seconds <= 0) {
            state.SkipWithError("the call never reached the road");
            return;
        }
        if (road.road().inklapper() != (kind != Kind::Miss)) {
            state.SkipWithError("the phone book gave the wrong answer");
            return;
        }
        state.SetIterationTime(seconds);
        ms.push_back(seconds * 1000);
    }
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["p99_ms"] = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
    state.counters["max_ms"] = ms.back();
}

void BM_CallHit(benchmark::State& state) {
    Calls(state, Kind::Hit);
}
void BM_CallMiss(benchmark::State& state) {
    Calls(state, Kind::Miss);
}
void BM_CallDuplicate(benchmark::State& state) {
    Calls(state, Kind::Duplicate);
}
BENCHMARK(BM_CallHit)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(2000);
BENCHMARK(BM_CallMiss)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(2000);
BENCHMARK(BM_CallDuplicate)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(2000);

}  // namespace
}  // namespace monitor::bench

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // A line of its own, apart from any running monitor's.
    char pattern[] = "/tmp/road-bench-line-XXXXXX";
    const std::string lineFolder = mkdtemp(pattern);
    ::setenv("CAPISIM_SOCKET", (lineFolder + "/line.sock").c_str(), 1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    monitor::bench::Slot().reset();
    std::error_code ec;
    std::filesystem::remove_all(lineFolder, ec);
    return 0;
}
