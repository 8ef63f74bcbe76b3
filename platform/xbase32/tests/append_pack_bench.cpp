#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/xbase32/dbf_table.h"
#include "platform/xbase32/xbase32.h"

namespace {

constexpr int kRecords = 100000;

const char* kPhoneBook =
    "NUMMER:C:20 VOORNAAM:C:20 NAAM:C:150 AANHANGSEL:C:15 STRAAT:C:50 POSTCODE:C:7 "
    "PLAATS:C:50 EXTRA:C:50 AFWIJZEN:C:10 GELUID:C:20 TIJD:C:10 CMDLINE:C:100 KLEUR:C:20 "
    "FONTKLEUR:C:20 OMSCHR:C:50 MEMO:M ZOEKSTATUS:C:50";

std::vector<xb::FieldDesc> PhoneBookFields() {
    std::vector<xb::FieldDesc> fields;
    std::string list = kPhoneBook;
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(' ', start);
        std::string spec = list.substr(start, end == std::string::npos ? end : end - start);
        start = end == std::string::npos ? list.size() : end + 1;
        xb::FieldDesc f;
        f.name = spec.substr(0, spec.find(':'));
        f.type = spec[spec.find(':') + 1];
        f.width = f.type == 'M' ? 10 : std::stoi(spec.substr(spec.rfind(':') + 1));
        fields.push_back(f);
    }
    return fields;
}

struct TempTable {
    TempTable() {
        char pattern[] = "/tmp/xbase32-bench-XXXXXX";
        dir = mkdtemp(pattern);
        path = dir + "/belverintel.DBF";
        xb::DbfTable::Create(path, PhoneBookFields(), 64);
    }
    ~TempTable() { std::filesystem::remove_all(dir); }
    std::string dir, path;
};

// One phone-book record as the monitor writes it: the record through the buffer, a memo
// on every tenth.
void AppendPhoneBook(int n, benchmark::State& state) {
    std::string record(static_cast<size_t>(sx_RecSize()), ' ');
    for (int i = 0; i < n; ++i) {
        if (sx_AppendEx() != 0) {
            state.SkipWithError(sx_LastErrorText());
            return;
        }
        const std::string number = "0" + std::to_string(201000000 + i);
        record.replace(static_cast<size_t>(sx_FieldOffset("NUMMER") - 1), number.size(), number);
        record.replace(static_cast<size_t>(sx_FieldOffset("NAAM") - 1), 9, "Janssen  ");
        record.replace(static_cast<size_t>(sx_FieldOffset("AFWIJZEN") - 1), 10, "0000000000");
        record.replace(static_cast<size_t>(sx_FieldOffset("TIJD") - 1), 10, "1111111111");
        record[0] = i % 3 == 0 ? '*' : ' ';
        if (!sx_PutRecord(record.data()) ||
            (i % 10 == 0 && !sx_Replace("MEMO", SX_R_MEMO, "Belt meestal 's avonds."))) {
            state.SkipWithError(sx_LastErrorText());
            return;
        }
    }
}

void BM_Append100k(benchmark::State& state) {
    const auto mode = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        TempTable t;
        sx_Use(t.path.c_str(), nullptr, mode, SX_FOX);
        state.ResumeTiming();
        AppendPhoneBook(kRecords, state);
        state.PauseTiming();
        sx_CloseAll();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_Append100k)->Arg(SX_EXCLUSIVE)->Arg(SX_SHARED)->Unit(benchmark::kMillisecond);

void BM_Pack100k(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        TempTable t;
        sx_Use(t.path.c_str(), nullptr, SX_EXCLUSIVE, SX_FOX);
        AppendPhoneBook(kRecords, state);
        state.ResumeTiming();
        if (!sx_Pack()) {
            state.SkipWithError(sx_LastErrorText());
        }
        state.PauseTiming();
        if (sx_RecCount() != kRecords - (kRecords + 2) / 3) {
            state.SkipWithError("pack kept the wrong records");
        }
        sx_CloseAll();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_Pack100k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
