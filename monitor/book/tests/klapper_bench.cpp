// The phone-book window's start-up over 100,000 entries (one in twenty deleted), and a
// caller's lookup by number against the walk it replaces. Run from the release build.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "monitor/book/klapper_core.h"
#include "monitor/book/number_lookup.h"
#include "monitor/book/tests/bench_tables.h"
#include "platform/db/field.h"
#include "xbase/table.h"
#include "xbase/xbase_component.h"

namespace book::bench {
namespace {

BenchPhoneBook& Shared() {
    return SharedPhoneBook("klapper-bench");
}

void BM_KlapperStartUp(benchmark::State& state) {
    if (!Shared().Ready()) {
        state.SkipWithError("the build has no engine library");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto book = std::make_unique<BenchBook>(Shared().FreshCopy());
        state.ResumeTiming();
        book->core.Create();
        state.PauseTiming();
        if (book->port.boxes != 0 || book->core.NumberOrder() == 0) {
            state.SkipWithError("the start-up reported a failure");
        }
        state.counters["records"] = book->core.a2().Count();
        book.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_KlapperStartUp)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// A started book shown by name, and the caller whose number comes last in number order.
struct Lookup {
    std::unique_ptr<BenchBook> book;
    std::string number;
};

std::unique_ptr<Lookup>& LookupSlot() {
    static std::unique_ptr<Lookup> lookup;
    return lookup;
}

Lookup& StartedBook() {
    if (!LookupSlot()) {
        auto l = std::make_unique<Lookup>();
        l->book = std::make_unique<BenchBook>(Shared().FreshCopy());
        KlapperCore& k = l->book->core;
        k.Create();
        k.Sorteren(0);
        k.t2().Last();
        l->number = k.t2().FieldByName("NUMMER").AsString();
        k.Sorteren(2);
        LookupSlot() = std::move(l);
    }
    return *LookupSlot();
}

void Lookups(benchmark::State& state, bool walk) {
    if (!Shared().Ready()) {
        state.SkipWithError("the build has no engine library");
        return;
    }
    Lookup& l = StartedBook();
    KlapperCore& k = l.book->core;
    const int numberOrder = walk ? 0 : k.NumberOrder();
    for (auto _ : state) {
        if (!FindNumber(k.t2(), k.a2(), numberOrder, l.number, k.NumberOrder())) {
            state.SkipWithError("the caller was not found");
            return;
        }
    }
}

void BM_FindNumberBySeek(benchmark::State& state) {
    Lookups(state, false);
}
BENCHMARK(BM_FindNumberBySeek)->Unit(benchmark::kMicrosecond);

void BM_FindNumberByWalk(benchmark::State& state) {
    Lookups(state, true);
}
BENCHMARK(BM_FindNumberByWalk)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

void EndBenchmarkTables() {
    LookupSlot().reset();
    EndSharedPhoneBook();
}

}  // namespace book::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    book::bench::EndBenchmarkTables();
    benchmark::Shutdown();
    return 0;
}
