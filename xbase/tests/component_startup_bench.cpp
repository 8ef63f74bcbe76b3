// The engine component's part of the phone book's start-up over 100,000 records, on a
// stand-in data set that holds the engine area, and a caller's lookup in the engine by
// seek against the walk over the number order. The start-up through the table data set
// is the phone-book benchmark.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/db/data_source.h"
#include "xbase/engine_library.h"
#include "xbase/tests/area_table.h"
#include "xbase/tests/bench_phonebook.h"
#include "xbase/xbase_component.h"

namespace xbase::testing {
namespace {

namespace fs = std::filesystem;

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
        BindEngine(&engine_->Api());
        char pattern[] = "/tmp/xbcomp-bench-XXXXXX";
        folder_ = std::string(mkdtemp(pattern)) + "/";
        fs::create_directories(folder_ + "pristine");
        MakeBenchPhoneBook(engine_->Api(), folder_ + "pristine/belverintel.DBF");
    }
    ~Fixture() {
        if (engine_) {
            engine_->Api().sx_CloseAll();
        }
        BindEngine(nullptr);
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    bool Ready() const {
        return engine_ != nullptr;
    }
    const EngineApi& Api() const {
        return engine_->Api();
    }

    std::string FreshCopy() {
        const std::string work = folder_ + "work/";
        std::error_code ec;
        fs::remove_all(work, ec);
        fs::create_directories(work);
        for (const char* file : {"belverintel.DBF", "belverintel.FPT"}) {
            fs::copy_file(folder_ + "pristine/" + file, work + file);
        }
        return work;
    }

  private:
    std::unique_ptr<EngineLibrary> engine_;
    std::string folder_;
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

struct Book {
    explicit Book(const std::string& folder) : table(folder + "belverintel.DBF") {
        source.SetDataSet(&table);
        xbase.SetDataSource(&source);
    }
    AreaTable table;
    db::TDataSource source;
    TXbase xbase;
};

// Returns the order of the number index, 0 when an index was not made.
int StartUp(Book& book, const std::string& folder) {
    book.table.exclusive = true;
    book.table.Open();
    book.xbase.Pack();
    book.table.Close();
    book.table.exclusive = false;
    book.table.Open();
    int numberOrder = 0;
    for (int n = 0; n < static_cast<int>(kPhoneBookKeys.size()); ++n) {
        const int order =
            book.xbase.Index(folder + "tel" + std::to_string(n) + ".idx",
                             kPhoneBookKeys[static_cast<std::size_t>(n)], 0, false, "");
        if (order != n + 1) {
            return 0;
        }
        numberOrder = n == 0 ? order : numberOrder;
    }
    book.xbase.Reindex();
    return numberOrder;
}

void BM_ComponentStartUp(benchmark::State& state) {
    Fixture& f = Shared();
    if (!f.Ready()) {
        state.SkipWithError("the build has no engine library");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        const std::string folder = f.FreshCopy();
        auto book = std::make_unique<Book>(folder);
        state.ResumeTiming();
        if (StartUp(*book, folder) == 0) {
            state.SkipWithError("an index was not made");
        }
        state.PauseTiming();
        state.counters["records"] = book->xbase.Count();
        book.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ComponentStartUp)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

struct Started {
    std::unique_ptr<Book> book;
    int numberOrder = 0;
    std::string number;  // the last in the number order: the walk's longest way
};

Started& StartedBook() {
    static Started s = [] {
        Started r;
        const std::string folder = Shared().FreshCopy();
        r.book = std::make_unique<Book>(folder);
        r.numberOrder = StartUp(*r.book, folder);
        const EngineApi& e = Shared().Api();
        e.sx_Select(r.book->table.WorkArea());
        e.sx_SetOrder(r.numberOrder);
        e.sx_GoBottom();
        r.number = e.sx_GetTrimString("NUMMER");
        return r;
    }();
    return s;
}

void BM_EngineLookupBySeek(benchmark::State& state) {
    if (!Shared().Ready()) {
        state.SkipWithError("the build has no engine library");
        return;
    }
    Started& s = StartedBook();
    const EngineApi& e = Shared().Api();
    e.sx_Select(s.book->table.WorkArea());
    e.sx_SetOrder(s.numberOrder);
    int32_t found = 0;
    for (auto _ : state) {
        if (e.sx_Seek(s.number.c_str()) == 0) {
            state.SkipWithError("the seek found nothing");
            return;
        }
        found = e.sx_RecNo();
    }
    benchmark::DoNotOptimize(found);
}
BENCHMARK(BM_EngineLookupBySeek)->Unit(benchmark::kMicrosecond);

void BM_EngineLookupByWalk(benchmark::State& state) {
    if (!Shared().Ready()) {
        state.SkipWithError("the build has no engine library");
        return;
    }
    Started& s = StartedBook();
    const EngineApi& e = Shared().Api();
    e.sx_Select(s.book->table.WorkArea());
    e.sx_SetOrder(s.numberOrder);
    for (auto _ : state) {
        bool found = false;
        for (e.sx_GoTop(); e.sx_Eof() == 0; e.sx_Skip(1)) {
            if (s.number == e.sx_GetTrimString("NUMMER")) {
                found = true;
                break;
            }
        }
        if (!found) {
            state.SkipWithError("the walk found nothing");
            return;
        }
    }
}
BENCHMARK(BM_EngineLookupByWalk)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace xbase::testing

BENCHMARK_MAIN();
