// A grid over the 100,000-record phone book after the window's start-up, with deleted records
// hidden as the program runs: the first screen, a jump to the middle, to the end, and a screen
// down by the scroll bar, in natural and name order, with a filter and with deleted records.
// "reads" is the records the engine read from the table for the step.

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QScrollBar>

#include <functional>
#include <memory>
#include <string>

#include "monitor/book/tests/bench_tables.h"
#include "platform/db/data_source.h"
#include "platform/ui/db_grid.h"
#include "xbase/sessions.h"
#include "xbase/tests/bench_phonebook.h"
#include "xbase/tests/phonebook_startup.h"

namespace xbase::testing {
namespace {

enum View { kNatural, kName, kFiltered, kWithDeleted };
enum Step { kFirstScreen, kMiddle, kEnd, kScreenDown };

struct Book {
    db::TComponent form;
    TTable* table = nullptr;
    db::TDataSource* source = nullptr;
    TXbase* xbase = nullptr;
    StartUp started;
};

class Fixture {
  public:
    // Deleted records are hidden once the window has started, as the program does.
    Fixture() : engine_({.name = "grid-bench", .hideDeleted = false}) {
        if (!engine_.Ready()) {
            return;
        }
        const std::string& folder = engine_.Folder();
        MakeBenchPhoneBook(engine_.Api(), folder + "belverintel.DBF");
        Session().Open();
        book_.table = new TTable(&book_.form);
        book_.source = new db::TDataSource(&book_.form);
        book_.source->SetDataSet(book_.table);
        book_.xbase = new TXbase(&book_.form);
        book_.xbase->SetDataSource(book_.source);
        book_.table->SetDatabaseName(folder);
        book_.table->SetTableName(folder + "belverintel.DBF");
        book_.table->SetTableType(ttSXFOX);
        book_.started = StartPhoneBook(*book_.table, *book_.xbase, folder);
        Engine().sx_SetDeleted(1);
        grid_ = std::make_unique<ui::TDBGrid>();
        for (const char* name : {"NUMMER", "VOORNAAM", "NAAM", "PLAATS", "MEMO"}) {
            grid_->Columns().Add().SetFieldName(name);
        }
        grid_->resize(800, 600);
        grid_->SetDataSource(book_.source);
        grid_->show();
    }
    ~Fixture() {
        if (!engine_.Ready()) {
            return;
        }
        grid_.reset();
        book_.table->Close();
        Session().Close();
    }

    bool Ready() const { return engine_.Ready(); }
    Book& book() { return book_; }
    ui::TDBGrid& grid() { return *grid_; }

    void Show(View view) {
        TTable& table = *book_.table;
        table.SetFiltered(false);
        book_.xbase->SetOrder(view == kName ? book_.started.orders[2] : 0);
        if (view == kFiltered) {
            table.SetFilter("PLAATS = 'Plaats1'");
            table.SetFiltered(true);
        }
        if (view == kWithDeleted && !deleted_) {
            // A few records deleted while the program runs: now records can be hidden.
            table.First();
            for (int i = 0; i < 5; ++i) {
                table.MoveBy(997);
                table.Delete();
            }
            deleted_ = true;
        }
        table.First();
        grid_->Repaint();
        grid_->grab();
    }

  private:
    // First, so it goes last.
    book::bench::BenchEngine engine_;
    Book book_;
    std::unique_ptr<ui::TDBGrid> grid_;
    bool deleted_ = false;
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

void BM_Grid(benchmark::State& state) {
    Fixture& f = Shared();
    if (!f.Ready()) {
        state.SkipWithError("the build has no engine library");
        return;
    }
    const auto view = static_cast<View>(state.range(0));
    const auto step = static_cast<Step>(state.range(1));
    TTable& table = *f.book().table;
    ui::TDBGrid& grid = f.grid();
    intptr_t reads = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.Show(view);
        const intptr_t before = Engine().sx_SysProp(65100, 0);
        state.ResumeTiming();
        switch (step) {
            case kFirstScreen:
                grid.Repaint();
                break;
            case kMiddle:
                table.GotoBookmark(table.BookmarkAt(table.RowCount() / 2));
                break;
            case kEnd:
                table.Last();
                break;
            case kScreenDown:
                grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->value() +
                                                   grid.verticalScrollBar()->pageStep());
                break;
        }
        grid.grab();
        state.PauseTiming();
        reads = Engine().sx_SysProp(65100, 0) - before;
        state.ResumeTiming();
    }
    state.counters["reads"] = static_cast<double>(reads);
    state.counters["rows"] = table.RowCount();
}
BENCHMARK(BM_Grid)
    ->ArgsProduct({{kNatural, kName, kFiltered, kWithDeleted},
                   {kFirstScreen, kMiddle, kEnd, kScreenDown}})
    ->ArgNames({"view", "step"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

}  // namespace

void EndGridBenchmark() {
    SharedSlot().reset();
}

}  // namespace xbase::testing

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    xbase::testing::EndGridBenchmark();
    benchmark::Shutdown();
    return 0;
}
