// Start-up work of the phone book's indexes: 100,000 records, 13 single-field keys.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/xbase32/expression_key.h"
#include "platform/xbase32/expression_text.h"
#include "platform/xbase32/key_index.h"
#include "platform/xbase32/key_index_file.h"
#include "platform/xbase32/tests/key_index_benchmark_data.h"

namespace xb {
namespace {

KeyIndex BuildIndex(const PhoneBook& book, const KeyExpression& key) {
    std::string keys;
    keys.reserve(key.KeyLength() * kRecords);
    std::vector<uint32_t> recnos;
    recnos.reserve(kRecords);
    const EvalSettings settings;
    for (uint32_t r = 1; r <= kRecords; ++r) {
        key.AppendKeyOf(RecordRef{book.Record(r), r}, settings, keys);
        recnos.push_back(r);
    }
    KeyIndex index(key.KeyLength(), false);
    index.Build(keys, recnos);
    return index;
}

std::vector<KeyExpression> CompileKeys(const PhoneBook& book) {
    std::vector<KeyExpression> keys;
    for (const char* k : kKeys) {
        keys.push_back(KeyExpression::Compile(k, book.fields));
    }
    return keys;
}

void BM_Build13Indexes(benchmark::State& state) {
    const PhoneBook& book = Book();
    const std::vector<KeyExpression> keys = CompileKeys(book);
    for (auto _ : state) {
        for (const KeyExpression& k : keys) {
            KeyIndex index = BuildIndex(book, k);
            benchmark::DoNotOptimize(index.Size());
        }
    }
}
BENCHMARK(BM_Build13Indexes)->Unit(benchmark::kMillisecond);

// As a reindex of every open order can: one pass over the records for all keys.
void BM_Rebuild13IndexesInOnePass(benchmark::State& state) {
    const PhoneBook& book = Book();
    const std::vector<KeyExpression> keys = CompileKeys(book);
    for (auto _ : state) {
        std::vector<std::string> packed(keys.size());
        for (std::size_t i = 0; i < keys.size(); ++i) {
            packed[i].reserve(keys[i].KeyLength() * kRecords);
        }
        std::vector<uint32_t> recnos;
        recnos.reserve(kRecords);
        const EvalSettings settings;
        for (uint32_t r = 1; r <= kRecords; ++r) {
            const RecordRef record{book.Record(r), r};
            for (std::size_t i = 0; i < keys.size(); ++i) {
                keys[i].AppendKeyOf(record, settings, packed[i]);
            }
            recnos.push_back(r);
        }
        for (std::size_t i = 0; i < keys.size(); ++i) {
            KeyIndex index(keys[i].KeyLength(), false);
            index.Build(packed[i], recnos);
            benchmark::DoNotOptimize(index.Size());
        }
    }
}
BENCHMARK(BM_Rebuild13IndexesInOnePass)->Unit(benchmark::kMillisecond);

}  // namespace

std::filesystem::path BenchDir() {
    static const std::filesystem::path dir = [] {
        auto d =
            std::filesystem::temp_directory_path() / ("keyidx-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

namespace {

void BM_Build13IndexesAndSave(benchmark::State& state) {
    const PhoneBook& book = Book();
    const std::vector<KeyExpression> keys = CompileKeys(book);
    for (auto _ : state) {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            KeyIndex index = BuildIndex(book, keys[i]);
            SaveKeyIndexFile((BenchDir() / ("tel" + std::to_string(i) + ".idx")).string(),
                             IndexFileInfo{kKeys[i], "", 'C', false, kRecords, 1u}, index);
        }
    }
}
BENCHMARK(BM_Build13IndexesAndSave)->Unit(benchmark::kMillisecond);

void BM_Load13Indexes(benchmark::State& state) {
    const PhoneBook& book = Book();
    const std::vector<KeyExpression> keys = CompileKeys(book);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        SaveKeyIndexFile((BenchDir() / ("tel" + std::to_string(i) + ".idx")).string(),
                         IndexFileInfo{kKeys[i], "", 'C', false, kRecords, 1u},
                         BuildIndex(book, keys[i]));
    }
    for (auto _ : state) {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            LoadedKeyIndex loaded =
                LoadKeyIndexFile((BenchDir() / ("tel" + std::to_string(i) + ".idx")).string());
            benchmark::DoNotOptimize(loaded.index.Size());
        }
    }
}
BENCHMARK(BM_Load13Indexes)->Unit(benchmark::kMillisecond);

void BM_SeekNumber(benchmark::State& state) {
    const PhoneBook& book = Book();
    const KeyExpression key = KeyExpression::Compile("nummer", book.fields);
    const KeyIndex index = BuildIndex(book, key);
    std::vector<std::string> wanted;
    for (uint32_t r = 1; r <= kRecords; r += 997) {
        wanted.push_back(std::string(TrimRight(book.Record(r).substr(1, 20))));
    }
    EvalSettings exact;
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string k = key.SeekKey(wanted[i++ % wanted.size()], exact);
        const std::size_t p = index.Seek(k);
        benchmark::DoNotOptimize(index.KeyMatches(p, k));
    }
}
BENCHMARK(BM_SeekNumber);

void BM_ChangeOneRecordIn13Indexes(benchmark::State& state) {
    const PhoneBook& book = Book();
    const std::vector<KeyExpression> keys = CompileKeys(book);
    std::vector<KeyIndex> indexes;
    for (const KeyExpression& k : keys) {
        indexes.push_back(BuildIndex(book, k));
    }
    uint32_t r = 1;
    for (auto _ : state) {
        std::string record(book.Record(r));
        std::string changed = record;
        changed.replace(1, 20, "0201234567          ");
        changed.replace(42, 6, "Zzzzzz");
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const std::string before = keys[i].KeyOf(RecordRef{record, r}, {});
            const std::string after = keys[i].KeyOf(RecordRef{changed, r}, {});
            indexes[i].Update(before, after, r);
            indexes[i].Update(after, before, r);
        }
        r = r % kRecords + 1;
    }
}
BENCHMARK(BM_ChangeOneRecordIn13Indexes)->Unit(benchmark::kMicrosecond);

void BM_FilterOverAllRecords(benchmark::State& state) {
    const PhoneBook& book = Book();
    const Expression filter = Expression::Compile("NAAM = 'Jansen'", book.fields);
    for (auto _ : state) {
        uint32_t count = 0;
        for (uint32_t r = 1; r <= kRecords; ++r) {
            count += filter.EvaluateLogical(RecordRef{book.Record(r), r}, {}) ? 1 : 0;
        }
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK(BM_FilterOverAllRecords)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace xb

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(xb::BenchDir());
    return 0;
}
