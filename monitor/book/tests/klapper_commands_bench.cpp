// The phone-book commands over 100,000 entries: deleting 10,000 marked rows, and the export of
// every entry as comma-separated text. Run from the release build.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "monitor/book/klapper_core.h"
#include "monitor/book/marked_rows.h"
#include "monitor/book/table_export.h"
#include "monitor/settings.h"
#include "platform/db/bookmark_list.h"
#include "platform/db/data_link.h"
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

constexpr int kEntries = 100000;
constexpr int kMarkEvery = 10;

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

// The engine and a pristine table, made once per run.
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
        char pattern[] = "/tmp/klapper-commands-bench-XXXXXX";
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
    const std::string& Folder() const {
        return folder_;
    }

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

// A started phone book of kEntries entries, sorted by name.
struct Book {
    explicit Book(const std::string& folder) : ini(folder + "belvo.ini"), core(port, ini, folder) {
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
    QuietPort port;
    rtl::TIniFile ini;
    KlapperCore core;
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
    book::bench::SharedSlot().reset();
    return 0;
}
