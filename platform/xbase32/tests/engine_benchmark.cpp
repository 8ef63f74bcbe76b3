// The phone book's start-up through the engine's interface (pack, 13 indexes, reindex), a seek
// of a number and the count of a filter, over 100,000 records of which 10% are deleted. After
// the run, the start-up's time is set against SQLite's 13 CREATE INDEX measured in the same run.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/xbase32/dbf_table.h"
#include "platform/xbase32/tests/key_index_benchmark_data.h"
#include "platform/xbase32/tests/resident_memory.h"
#include "platform/xbase32/xbase32.h"

namespace xb {
namespace {

// The phone book as a table, written once; each start-up works on a fresh copy.
class BookFiles {
  public:
    static BookFiles& Get() {
        static BookFiles files;
        return files;
    }
    ~BookFiles() { std::filesystem::remove_all(dir_); }

    const std::string& Dir() const { return dir_; }
    std::string Table() const { return dir_ + "/belverintel.DBF"; }
    std::string Index(int n) const { return dir_ + "/tel" + std::to_string(n) + ".idx"; }

    void FreshCopy() const {
        for (const char* ext : {".DBF", ".FPT"}) {
            std::filesystem::copy_file(master_ + ext, dir_ + "/belverintel" + ext,
                                       std::filesystem::copy_options::overwrite_existing);
        }
    }

  private:
    BookFiles() {
        char pattern[] = "/tmp/xbase32-engine-bench-XXXXXX";
        dir_ = mkdtemp(pattern);
        master_ = dir_ + "/master";
        const PhoneBook& book = Book();
        DbfTable::Create(master_ + ".DBF", book.fields, 64);
        sx_Use((master_ + ".DBF").c_str(), "master", SX_EXCLUSIVE, SX_FOX);
        for (uint32_t r = 1; r <= kRecords; ++r) {
            sx_AppendEx();
            sx_PutRecord(std::string(book.Record(r)).c_str());
        }
        sx_Close();
    }

    std::string dir_;
    std::string master_;
};

void StartUp(const BookFiles& files) {
    sx_Use(files.Table().c_str(), "klapper", SX_EXCLUSIVE, SX_FOX);
    sx_Pack();
    sx_Close();
    sx_Use(files.Table().c_str(), "klapper", SX_SHARED, SX_FOX);
    for (int n = 0; n < 13; ++n) {
        if (sx_Index(files.Index(n).c_str(), kKeys[n], 0, 0, "") != n + 1) {
            throw std::runtime_error(sx_LastErrorText());
        }
    }
    sx_Reindex();
    sx_Commit();
}

// Pack, the 13 indexes and the reindex, with the flushes of close and commit. The resident
// figures include the generated rows the benchmark holds (about 65 MB).
void BM_EnginePackIndexReindex(benchmark::State& state) {
    const BookFiles& files = BookFiles::Get();
    double openResident = 0;
    for (auto _ : state) {
        state.PauseTiming();
        sx_CloseAll();
        files.FreshCopy();
        state.ResumeTiming();
        StartUp(files);
        state.PauseTiming();
        openResident = ResidentMegabytes();
        state.ResumeTiming();
    }
    sx_CloseAll();
    state.counters["rss_open_MB"] = openResident;
    state.counters["peak_rss_MB"] = PeakResidentMegabytes();
}
BENCHMARK(BM_EnginePackIndexReindex)->Unit(benchmark::kMillisecond);

void OpenIndexed(const BookFiles& files) {
    sx_CloseAll();
    files.FreshCopy();
    StartUp(files);
}

void BM_EngineSeekNumber(benchmark::State& state) {
    const BookFiles& files = BookFiles::Get();
    OpenIndexed(files);
    sx_SetOrder(1);
    const std::vector<std::string>& numbers = LookupNumbers();
    std::size_t i = 0;
    int64_t found = 0;
    for (auto _ : state) {
        found += sx_Seek(numbers[i].c_str());
        i = i + 1 == numbers.size() ? 0 : i + 1;
    }
    state.counters["found"] = static_cast<double>(found) / static_cast<double>(state.iterations());
    sx_CloseAll();
}
BENCHMARK(BM_EngineSeekNumber);

// Each time a new filter, so that nothing is cached.
void BM_EngineFirstCountAfterFilter(benchmark::State& state) {
    const BookFiles& files = BookFiles::Get();
    OpenIndexed(files);
    sx_SetOrder(3);  // the program's windows count in one of their orders
    bool flip = false;
    for (auto _ : state) {
        sx_Query(flip ? "naam = 'Jansen'" : "plaats = 'Utrecht'");
        flip = !flip;
        benchmark::DoNotOptimize(sx_Count());
    }
    sx_CloseAll();
}
BENCHMARK(BM_EngineFirstCountAfterFilter)->Unit(benchmark::kMillisecond);

void BM_EngineCachedCount(benchmark::State& state) {
    const BookFiles& files = BookFiles::Get();
    OpenIndexed(files);
    sx_SetOrder(3);
    sx_Query("plaats = 'Utrecht'");
    benchmark::DoNotOptimize(sx_Count());
    for (auto _ : state) {
        benchmark::DoNotOptimize(sx_Count());
    }
    sx_CloseAll();
}
BENCHMARK(BM_EngineCachedCount)->Unit(benchmark::kMicrosecond);

// The console's report, and the mean time per iteration of each benchmark kept aside.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                Mean& m = means_[run.run_name.function_name];
                m.sum += run.GetAdjustedRealTime();
                ++m.count;
            }
        }
    }
    // Mean time per iteration of a benchmark, in its own unit (start-up in ms, lookups in ns).
    double Of(const std::string& name) const {
        const auto it = means_.find(name);
        return it == means_.end() || it->second.count == 0
                   ? 0
                   : it->second.sum / static_cast<double>(it->second.count);
    }

  private:
    struct Mean {
        double sum = 0;
        int count = 0;
    };
    std::map<std::string, Mean> means_;
};

}  // namespace
}  // namespace xb

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    xb::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double engine = reporter.Of("BM_EnginePackIndexReindex");
    const double sqlite = reporter.Of("BM_Sqlite13CreateIndex");
    if (engine > 0 && sqlite > 0) {
        std::printf("start-up %.1f ms, SQLite 13 CREATE INDEX %.1f ms: ratio %.3f\n", engine,
                    sqlite, engine / sqlite);
    }
    const double seek = reporter.Of("BM_EngineSeekNumber");
    const double lookup = reporter.Of("BM_SqliteLookupNumber");
    if (seek > 0 && lookup > 0) {
        std::printf("sx_Seek %.0f ns, SQLite lookup %.0f ns: ratio %.3f\n", seek, lookup,
                    seek / lookup);
    }
    benchmark::Shutdown();
    return 0;
}
