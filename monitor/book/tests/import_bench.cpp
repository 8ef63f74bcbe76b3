// Importing 100,000 generated rows (UTF-8 with a byte-order mark, quoted, a header line, a
// memo with line breaks in every fifth row, all seventeen columns mapped) with the index
// rebuild, and a search through them that finds nothing. Run from the release build.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "monitor/book/csv_line.h"
#include "monitor/book/csv_reader.h"
#include "monitor/book/klapper_core.h"
#include "monitor/book/klapper_import.h"
#include "monitor/book/tests/bench_tables.h"
#include "monitor/book/zoeken.h"
#include "platform/rtl/ini_file.h"
#include "xbase/sessions.h"
#include "xbase/table.h"
#include "xbase/xbase_component.h"

namespace book::bench {
namespace {

constexpr int kRows = 100000;

class QuietImportPort : public KlapperPort, public ImportPort, public ZoekPort {
  public:
    bool AskYesCancel(const std::string&) override { return false; }
    void ErrorBox(const std::string&) override { ++boxes; }
    void Message(const std::string& text) override { last = text; }
    void SplashStep(const std::string&) override {}
    void ShowMonitor() override {}
    void HideKlapper() override {}
    void Busy(bool) override {}
    void StateChanged() override {}
    void Progress(int) override {}
    int boxes = 0;
    std::string last;
};

std::string GeneratedCsv() {
    std::string csv = "\xEF\xBB\xBF";
    csv +=
        "nummer,voornaam,naam,aanhangsel,straat,postcode,plaats,extra,afwijzen,geluid,tijd,"
        "cmdline,kleur,fontkleur,omschr,memo,zoekstatus\r\n";
    for (int n = 0; n < kRows; ++n) {
        const std::string i = std::to_string(n);
        csv += "\"020-" + std::to_string(1000000 + n) + "\",\"Voornaam" + i + "\",\"Achternaam " +
               i + "\",\"van\",\"Straatweg " + i + "\",\"1234AB\",\"Plaats " +
               std::to_string(n % 500) + "\",\"extra\",\"0000000000\",\"Geen\",\"1111111111\"," +
               "\"-\",\"clWindow\",\"clBlack\",\"Caf\xC3\xA9 \"\"De Hoek\"\"\",\"" +
               (n % 5 == 0 ? "eerste regel\r\ntweede regel" : "memo") + "\",\"gevonden\"\r\n";
    }
    return csv;
}

class Fixture {
  public:
    Fixture() : engine_({.name = "import-bench"}) {
        if (!engine_.Ready()) {
            return;
        }
        const std::string& folder = engine_.Folder();
        CopyFiles(std::string(BELVERIN_PROGRAM_DIR) + "/", folder,
                  {"belverintel.DBF", "belverintel.FPT"});
        csv_ = GeneratedCsv();
        xbase::Session().Open();
        ini_ = std::make_unique<rtl::TIniFile>(folder + "belvo.ini");
        core_ = std::make_unique<KlapperCore>(port_, *ini_, folder);
        core_->Create();
    }
    ~Fixture() {
        if (!engine_.Ready()) {
            return;
        }
        core_.reset();
        xbase::Session().Close();
    }
    bool Ready() const { return engine_.Ready(); }

    KlapperCore& Core() { return *core_; }
    QuietImportPort& Port() { return port_; }
    const std::string& Csv() const { return csv_; }

  private:
    // First, so it goes last.
    BenchEngine engine_;
    std::string csv_;
    QuietImportPort port_;
    std::unique_ptr<rtl::TIniFile> ini_;
    std::unique_ptr<KlapperCore> core_;
};

// Ended before main returns: the engine's and the layer's own statics must outlive it.
std::unique_ptr<Fixture> fixture;

Fixture& TheFixture() {
    if (!fixture) {
        fixture = std::make_unique<Fixture>();
    }
    return *fixture;
}

void BM_Import100000(benchmark::State& state) {
    Fixture& f = TheFixture();
    if (!f.Ready()) {
        state.SkipWithError("no engine library");
        return;
    }
    ImportMapping mapping;
    for (int t = 0; t < kImportTargets; ++t) {
        // Columns in the table's field order, which the header line follows.
        static const char* const kOrder[] = {
            "nummer", "voornaam",  "naam",     "aanhangsel", "straat",    "postcode",
            "plaats", "extra",     "afwijzen", "geluid",     "tijd",      "cmdline",
            "kleur",  "fontkleur", "omschr",   "memo",       "zoekstatus"};
        for (int c = 0; c < kImportTargets; ++c) {
            if (std::string(kOrder[c]) == kImportTarget[static_cast<std::size_t>(t)].field) {
                mapping.Set(t, c + 1);
            }
        }
    }
    for (auto _ : state) {
        const CsvFile file = ReadCsv(f.Csv(), ',');
        std::vector<std::string> lines;
        lines.reserve(file.records.size());
        for (const std::string& record : file.records) {
            lines.push_back(CsvLine::Rewrite(record, ','));
        }
        KlapperImport run(f.Core(), f.Port());
        const ImportOutcome outcome = run.Run(lines, ',', mapping);
        if (outcome.stored != kRows + 1 || f.Port().boxes != 0) {
            state.SkipWithError("the import did not store every row");
        }
    }
}
BENCHMARK(BM_Import100000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_SearchFindsNothing(benchmark::State& state) {
    Fixture& f = TheFixture();
    if (!f.Ready()) {
        state.SkipWithError("no engine library");
        return;
    }
    zoeken().SetDoel({&f.Core().t2(), {}});
    for (auto _ : state) {
        if (zoeken().Zoek("niet aanwezig", true, true, f.Port())) {
            state.SkipWithError("found what is not there");
        }
    }
    state.counters["records"] = f.Core().a2().Count();
}
BENCHMARK(BM_SearchFindsNothing)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

void EndFixture() {
    zoeken().SetDoel({});
    fixture.reset();
}

}  // namespace book::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    book::bench::EndFixture();
    benchmark::Shutdown();
    return 0;
}
