// The call-log grid's report over 20,000 rows of its 14 columns in the grid's widths and font:
// building and preparing the report (every row read once, real font metrics), painting every
// page to a PDF file, and both together as the user waits for them.

#include <benchmark/benchmark.h>
#include <QApplication>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "monitor/book/grid_print.h"
#include "platform/db/field.h"
#include "platform/db/memory_data_set.h"
#include "platform/ui/report/report_render.h"

namespace book {
namespace {

constexpr int kRows = 20000;

struct LogColumn {
    const char* field;
    int size;
    int width;
};
constexpr std::array<LogColumn, 14> kLogColumns = {{
    {"DATUM", 10, 67},
    {"TIJD", 10, 57},
    {"NUMMER", 20, 72},
    {"VOORNAAM", 20, 87},
    {"NAAM", 150, 122},
    {"AANHANGSEL", 15, 99},
    {"STRAAT", 50, 114},
    {"POSTCODE", 7, 64},
    {"PLAATS", 50, 162},
    {"MSN", 15, 84},
    {"SOORT", 25, 100},
    {"ZOEKSTATUS", 50, 136},
    {"CAPISTATUS", 50, 119},
    {"MEMO", 50, 64},
}};

std::unique_ptr<db::TMemoryDataSet> LogRows() {
    auto log = std::make_unique<db::TMemoryDataSet>();
    for (const LogColumn& c : kLogColumns) {
        log->FieldDefs().Add(c.field, db::ftString, c.size);
    }
    log->Open();
    for (int i = 0; i < kRows; ++i) {
        const std::string n = std::to_string(i);
        const std::string values[] = {"2024-03-" + std::to_string(1 + i % 28),
                                      "12:" + std::to_string(10 + i % 50) + ":00",
                                      "0201" + n,
                                      "Voornaam" + n,
                                      "Achternaam van beller " + n,
                                      "jr",
                                      "Dorpsstraat " + std::to_string(i % 300),
                                      "1234 AB",
                                      "Zo\xC3\xAB"
                                      "terwoude-Rijndijk",
                                      "0201111111",
                                      "Telefonie 3,1 kHz",
                                      "Gevonden in de KPN-cdfoongids",
                                      "",
                                      ""};
        log->Append();
        for (std::size_t c = 0; c < kLogColumns.size(); ++c) {
            log->FieldByName(kLogColumns[c].field).SetAsString(values[c]);
        }
        log->Post();
    }
    log->First();
    return log;
}

GridReportRequest Request() {
    GridReportRequest request;
    request.title = "Telefoonlog";
    request.subtitle = "ISDN Belverin";
    report::ReportFont font;
    font.size = 8;
    request.reportFont = font;
    for (const LogColumn& c : kLogColumns) {
        PrintColumn column;
        column.title = c.field;
        column.field = c.field;
        column.width = c.width;
        column.cellFont = font;
        column.titleFont = font;
        request.columns.push_back(column);
        request.selected.push_back(c.field);
    }
    return request;
}

db::TMemoryDataSet& Log() {
    static std::unique_ptr<db::TMemoryDataSet> log = LogRows();
    return *log;
}

report::PreparedReport PrepareLog() {
    const report::QtTextMeasurer measure;
    const report::RowScanner rows = report::DataSetRows(Log());
    const GridReport built = BuildGridReport(Request(), rows, measure);
    return report::Prepare(built.definition, rows, measure, "2024-03-01", "12:00");
}

std::string PdfPath() {
    return (std::filesystem::temp_directory_path() / "belverin-grid-print-bench.pdf").string();
}

void BM_Prepare(benchmark::State& state) {
    std::size_t pages = 0;
    for (auto _ : state) {
        const report::PreparedReport prepared = PrepareLog();
        pages = prepared.pages.size();
        benchmark::DoNotOptimize(pages);
    }
    state.counters["pages"] = static_cast<double>(pages);
}

void BM_PaintPdf(benchmark::State& state) {
    const report::PreparedReport prepared = PrepareLog();
    for (auto _ : state) {
        if (!report::WritePdf(prepared, PdfPath())) {
            state.SkipWithError("the PDF could not be written");
            break;
        }
    }
    state.counters["pages"] = static_cast<double>(prepared.pages.size());
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(PdfPath())) / 1e6;
}

void BM_PrepareAndPaint(benchmark::State& state) {
    for (auto _ : state) {
        const report::PreparedReport prepared = PrepareLog();
        if (!report::WritePdf(prepared, PdfPath())) {
            state.SkipWithError("the PDF could not be written");
            break;
        }
    }
}

BENCHMARK(BM_Prepare)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PaintPdf)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PrepareAndPaint)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace book

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(book::PdfPath().c_str());
    return 0;
}
