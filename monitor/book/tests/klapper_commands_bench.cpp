// The phone-book commands over 100,000 entries: deleting 10,000 marked rows, and the export of
// every entry as comma-separated text. Run from the release build.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "monitor/book/klapper_core.h"
#include "monitor/book/marked_rows.h"
#include "monitor/book/table_export.h"
#include "monitor/book/tests/bench_tables.h"
#include "monitor/settings.h"
#include "platform/db/bookmark_list.h"
#include "platform/db/data_link.h"
#include "platform/db/field.h"
#include "xbase/table.h"
#include "xbase/xbase_component.h"

namespace book::bench {
namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 100000;
constexpr int kMarkEvery = 10;

BenchPhoneBook& Shared() {
    return SharedPhoneBook("klapper-commands-bench");
}

// A started phone book of kEntries entries, sorted by name.
struct Book : BenchBook {
    explicit Book(const std::string& folder) : BenchBook(folder) {
        core.Create();
        xbase::TTable& t = core.t2();
        core.HoldCount(true);
        for (int i = core.a2().Count(); i < kEntries; ++i) {
            t.Append();
            t.FieldByName("nummer").SetAsString("09" + std::to_string(i));
            t.FieldByName("naam").SetAsString("Aanvulling " + std::to_string(i));
            t.Post();
        }
        core.HoldCount(false);
        core.Sorteren(2);
    }
};

void BM_DeleteMarkedRows(benchmark::State& state) {
    if (!Shared().Ready()) {
        state.SkipWithError("the build has no engine library");
        return;
    }
    monitor::instellingen.meteenopslaan = true;
    for (auto _ : state) {
        state.PauseTiming();
        auto book = std::make_unique<Book>(Shared().FreshCopy());
        xbase::TTable& t = book->core.t2();
        db::TDataLink link;
        link.SetDataSource(&book->core.DataSource2());
        db::TBookmarkList marks(link);
        int row = 0;
        for (t.First(); !t.Eof(); t.Next(), ++row) {
            if (row % kMarkEvery == 0) {
                marks.SetCurrentRowSelected(true);
            }
        }
        const int before = book->core.a2().Count();
        state.ResumeTiming();
        const int deleted = DeleteMarkedRows(marks, t);
        state.PauseTiming();
        state.counters["entries"] = before;
        state.counters["deleted"] = deleted;
        if (deleted != before / kMarkEvery || book->core.a2().Count() != before - deleted) {
            state.SkipWithError("the marked rows were not deleted");
        }
        link.SetDataSource(nullptr);
        book.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteMarkedRows)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_ExportCsv(benchmark::State& state) {
    if (!Shared().Ready()) {
        state.SkipWithError("the build has no engine library");
        return;
    }
    Book book(Shared().FreshCopy());
    const std::string target = Shared().Folder() + "klapper.csv";
    for (auto _ : state) {
        if (!WriteTableText(book.core.a2(), target, kExportCommaSeparated)) {
            state.SkipWithError("the export failed");
            return;
        }
    }
    state.counters["entries"] = book.core.a2().Count();
    state.counters["bytes"] = static_cast<double>(fs::file_size(target));
}
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace book::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The tables go before the engine's own statics do.
    book::bench::EndSharedPhoneBook();
    return 0;
}
