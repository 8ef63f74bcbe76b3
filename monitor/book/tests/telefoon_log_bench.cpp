// The call-log window's start-up over 100,000 calls, one in twenty deleted: open exclusive,
// pack, open shared, nine indexes, reindex and count.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "monitor/book/telefoon_log.h"
#include "monitor/book/tests/bench_tables.h"
#include "monitor/book/tests/log_table.h"
#include "monitor/book/tests/recording_port.h"
#include "xbase/engine_api.h"
#include "xbase/sessions.h"

namespace book::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kCalls = 100000;

std::vector<LogRow> ManyCalls() {
    std::vector<LogRow> rows;
    rows.reserve(kCalls);
    for (int i = 0; i < kCalls; ++i) {
        const int day = i % 28 + 1;
        LogRow r;
        r.datum = "2024-" + std::to_string(10 + i % 3) + "-" + (day < 10 ? "0" : "") +
                  std::to_string(day);
        r.tijd = "12:00:00";
        r.nummer = "06" + std::to_string(10000000 + (static_cast<long>(i) * 7919) % 9000000);
        r.naam = "Naam " + std::to_string((static_cast<long>(i) * 104729) % kCalls);
        r.straat = "Straat " + std::to_string(i % 977);
        r.postcode = std::to_string(1000 + i % 8999) + "AB";
        r.plaats = "Plaats " + std::to_string(i % 331);
        r.msn = "MSN" + std::to_string(i % 10);
        r.soort = "Telefonie (" + std::to_string(i % 17) + ")";
        r.deleted = i % 20 == 7;
        rows.push_back(std::move(r));
    }
    return rows;
}

// The call log made once in "pristine/"; every run starts from a fresh copy of it.
class Fixture {
  public:
    Fixture() : engine_({.name = "calllog-bench", .hideDeleted = false, .quietLayer = false}) {
        if (!engine_.Ready()) {
            return;
        }
        fs::create_directories(engine_.Folder() + "pristine");
        MakeLogTable(engine_.Api(), engine_.Folder() + "pristine/" + kLogTableName, ManyCalls());
    }
    ~Fixture() {
        if (engine_.Ready()) {
            engine_.Api().sx_CloseAll();
        }
    }
    bool Ready() const { return engine_.Ready(); }

    std::string FreshCopy() const {
        return engine_.FreshCopy(engine_.Folder() + "pristine/",
                                 {"belverinlog.DBF", "belverinlog.FPT"});
    }

  private:
    book::bench::BenchEngine engine_;
};

void BM_CallLogStartUp(benchmark::State& state) {
    static Fixture f;
    if (!f.Ready()) {
        state.SkipWithError("the build has no engine library");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        const std::string folder = f.FreshCopy();
        rtl::TIniFile ini(folder + "belvo.ini");
        RecordingPort port;
        auto log = std::make_unique<TelefoonLog>(folder, ini, port);
        state.ResumeTiming();
        log->FormCreate();
        state.PauseTiming();
        if (!port.Of("error").empty() || !port.Of("message").empty() ||
            !port.Of("exception").empty()) {
            state.SkipWithError("start-up reported a failure");
        }
        state.counters["records"] = log->a1().Count();
        log.reset();
        xbase::Session().Close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CallLogStartUp)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace book::testing

BENCHMARK_MAIN();
