// The phone-book window's start-up over 100,000 entries (one in twenty deleted), and a
// caller's lookup by number against the walk it replaces. Run from the release build.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "monitor/book/klapper_core.h"
#include "monitor/book/number_lookup.h"
#include "platform/db/field.h"
#include "platform/rtl/ini_file.h"
#include "xbase/engine_library.h"
#include "xbase/layer_state.h"
#include "xbase/message_sink.h"
#include "xbase/sessions.h"
#include "xbase/table.h"
#include "xbase/tests/bench_phonebook.h"
#include "xbase/work_area.h"
#include "xbase/xbase_component.h"

namespace book::bench {
namespace {

namespace fs = std::filesystem;

class QuietPort : public KlapperPort {
  public:
    bool AskYesCancel(const std::string&) override { return false; }
    void ErrorBox(const std::string&) override { ++boxes; }
    void Message(const std::string&) override { ++boxes; }
    void SplashStep(const std::string&) override {}
    void ShowMonitor() override {}
    void HideKlapper() override {}
    void Busy(bool) override {}
    void StateChanged() override {}
    int boxes = 0;
};

// The table, made once per run through the engine itself.
class Fixture {
  public:
    Fixture() {
#ifdef REAL_ENGINE_PATH
        std::string error;
        engine_ = xbase::EngineLibrary::Open(REAL_ENGINE_PATH, &error);
#endif
        if (!engine_) {
            return;
        }
        xbase::ResetLayerState();
        xbase::ClearAllWorkAreas();
        xbase::SetMessageSink([](const xbase::LayerMessage&) {});
        xbase::BindEngine(&engine_->Api());
        engine_->Api().sx_SetDeleted(1);
        char pattern[] = "/tmp/klapper-bench-XXXXXX";
        folder_ = std::string(mkdtemp(pattern)) + "/";
        pristine_ = folder_ + "pristine/";
        fs::create_directories(pristine_);
        xbase::testing::MakeBenchPhoneBook(engine_->Api(), pristine_ + "belverintel.DBF");
        xbase::Session().Open();
    }
    ~Fixture() {
        xbase::Session().Close();
        xbase::BindEngine(nullptr);
        engine_.reset();
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    bool Ready() const {
        return engine_ != nullptr;
    }

    // A program folder with a fresh copy of the table and no index files.
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
    std::unique_ptr<xbase::EngineLibrary> engine_;
    std::string folder_;
    std::string pristine_;
};

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

struct Book {
    explicit Book(const std::string& folder) : ini(folder + "belvo.ini"), core(port, ini, folder) {}
    QuietPort port;
    rtl::TIniFile ini;
    KlapperCore core;
};

void BM_KlapperStartUp(benchmark::State& state) {
    if (!Shared().Ready()) {
        state.SkipWithError("the build has no engine library");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto book = std::make_unique<Book>(Shared().FreshCopy());
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
    std::unique_ptr<Book> book;
    std::string number;
};

std::unique_ptr<Lookup>& LookupSlot() {
    static std::unique_ptr<Lookup> lookup;
    return lookup;
}

Lookup& StartedBook() {
    if (!LookupSlot()) {
        auto l = std::make_unique<Lookup>();
        l->book = std::make_unique<Book>(Shared().FreshCopy());
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
    SharedSlot().reset();
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
