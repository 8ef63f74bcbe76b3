// The phone book's start-up through the table data set and the engine component over
// 100,000 records, and a caller's lookup by seek against the walk over the number order.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/db/data_source.h"
#include "platform/xbase32/table_tool.h"
#include "xbase/engine_library.h"
#include "xbase/layer_state.h"
#include "xbase/message_sink.h"
#include "xbase/sessions.h"
#include "xbase/tests/bench_phonebook.h"
#include "xbase/tests/phonebook_startup.h"
#include "xbase/work_area.h"

namespace xbase::testing {
namespace {

namespace fs = std::filesystem;

// A phone book of kRecords records, made once per run through the engine itself, which
// stays bound without a log.
class Fixture {
  public:
    Fixture() {
#ifdef REAL_ENGINE_PATH
        std::string error;
        engine_ = EngineLibrary::Open(REAL_ENGINE_PATH, &error);
#endif
        if (!engine_) {
            return;
        }
        ResetLayerState();
        ClearAllWorkAreas();
        SetMessageSink([](const LayerMessage&) {});
        BindEngine(&engine_->Api());
        char pattern[] = "/tmp/xbcomp-bench-XXXXXX";
        folder_ = std::string(mkdtemp(pattern)) + "/";
        pristine_ = folder_ + "pristine/";
        fs::create_directories(pristine_);
        MakeBenchPhoneBook(engine_->Api(), pristine_ + "belverintel.DBF");
        Session().Open();
    }
    ~Fixture() {
        Session().Close();
        BindEngine(nullptr);
        engine_.reset();
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }

    bool Ready() const {
        return engine_ != nullptr;
    }

    // A fresh copy of the table without index files; returns its folder.
    std::string FreshCopy() {
        const std::string work = folder_ + "work/";
        std::error_code ec;
        fs::remove_all(work, ec);
        fs::create_directories(work);
        for (const char* file : {"belverintel.DBF", "belverintel.FPT"}) {
            fs::copy_file(pristine_ + file, work + file);
        }
        return work;
    }

  private:
    std::unique_ptr<EngineLibrary> engine_;
    std::string folder_;
    std::string pristine_;
};

// Made on first use and ended by main before the program's thread-local layer state goes.
std::unique_ptr<Fixture>& SharedSlot() {
    static std::unique_ptr<Fixture> fixture;
    return fixture;
}

Fixture& Shared() {
    if (!SharedSlot()) {
        SharedSlot() = std::make_unique<Fixture>();
    }
    return *SharedSlot();
}

// The window's three components.
struct PhoneBook {
    explicit PhoneBook(const std::string& folder) {
        table = new TTable(&form);
        source = new db::TDataSource(&form);
        source->SetDataSet(table);
        xbase = new TXbase(&form);
        xbase->SetDataSource(source);
        table->SetDatabaseName(folder);
        table->SetTableName(folder + "belverintel.DBF");
        table->SetTableType(ttSXFOX);
    }
    ~PhoneBook() { table->Close(); }
    db::TComponent form;
    TTable* table;
    db::TDataSource* source;
    TXbase* xbase;
};

// Resident memory in megabytes from /proc/self/status: "VmRSS", "RssAnon" (the process's own)
// or "RssFile" (file pages it maps: the table's, which a pread would have left in the page
// cache unmapped, and the program's code).
double ResidentMegabytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field + ":", 0) == 0) {
            return std::stod(line.substr(field.size() + 1)) / 1024;  // given in kB
        }
    }
    return 0;
}

double PeakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

void BM_PhoneBookStartUp(benchmark::State& state) {
    Fixture& f = Shared();
    if (!f.Ready()) {
        state.SkipWithError("the build has no engine library");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        const std::string folder = f.FreshCopy();
        auto book = std::make_unique<PhoneBook>(folder);
        state.ResumeTiming();
        const StartUp started = StartPhoneBook(*book->table, *book->xbase, folder);
        state.PauseTiming();
        for (int n = 0; n < kPhoneBookIndexes; ++n) {
            if (started.orders[static_cast<std::size_t>(n)] != n + 1) {
                state.SkipWithError("an index was not made");
            }
        }
        state.counters["records"] = book->xbase->Count();
        state.counters["rss_open_MB"] = ResidentMegabytes("VmRSS");
        book.reset();
        state.ResumeTiming();
    }
    // The phone book open with its 13 indexes built is the most this process has held so far.
    state.counters["peak_rss_MB"] = PeakResidentMegabytes();
}
BENCHMARK(BM_PhoneBookStartUp)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The caller whose number comes last in the number order: the walk's longest way.
struct Lookup {
    std::unique_ptr<PhoneBook> book;
    int numberOrder = 0;
    std::string number;
};

std::unique_ptr<Lookup>& LookupSlot() {
    static std::unique_ptr<Lookup> lookup;
    return lookup;
}

Lookup& StartedBook() {
    if (LookupSlot()) {
        return *LookupSlot();
    }
    LookupSlot() = std::make_unique<Lookup>([] {
        Lookup l;
        const std::string folder = Shared().FreshCopy();
        l.book = std::make_unique<PhoneBook>(folder);
        l.numberOrder = StartPhoneBook(*l.book->table, *l.book->xbase, folder).orders[0];
        l.book->xbase->SetOrder(l.numberOrder);
        l.book->table->Last();
        l.number = l.book->table->FieldByName("NUMMER").AsString();
        return l;
    }());
    return *LookupSlot();
}

void BM_LookupBySeek(benchmark::State& state) {
    if (!Shared().Ready()) {
        state.SkipWithError("the build has no engine library");
        return;
    }
    Lookup& l = StartedBook();
    if (!WalkLookup(*l.book->table, *l.book->xbase, l.numberOrder, l.number)) {
        state.SkipWithError("the walk found nothing");
        return;
    }
    const int walked = l.book->table->RecNo();
    for (auto _ : state) {
        if (!SeekLookup(*l.book->table, *l.book->xbase, l.numberOrder, l.number)) {
            state.SkipWithError("the seek found nothing");
            return;
        }
    }
    if (l.book->table->RecNo() != walked) {
        state.SkipWithError("the seek found another record than the walk");
    }
    // The memory of a process that holds the phone book open with its indexes.
    // Random lookups map the pages of the records they read: the table's share shows apart.
    state.counters["rss_MB"] = ResidentMegabytes("VmRSS");
    state.counters["rss_anon_MB"] = ResidentMegabytes("RssAnon");
    state.counters["rss_file_MB"] = ResidentMegabytes("RssFile");
    state.counters["peak_rss_MB"] = PeakResidentMegabytes();
}
BENCHMARK(BM_LookupBySeek)->Unit(benchmark::kMicrosecond);

void BM_LookupByWalk(benchmark::State& state) {
    if (!Shared().Ready()) {
        state.SkipWithError("the build has no engine library");
        return;
    }
    Lookup& l = StartedBook();
    for (auto _ : state) {
        if (!WalkLookup(*l.book->table, *l.book->xbase, l.numberOrder, l.number)) {
            state.SkipWithError("the walk found nothing");
            return;
        }
    }
}
BENCHMARK(BM_LookupByWalk)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

void EndBenchmarkTables() {
    LookupSlot().reset();
    SharedSlot().reset();
}

}  // namespace xbase::testing

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    xbase::testing::EndBenchmarkTables();
    benchmark::Shutdown();
    return 0;
}
