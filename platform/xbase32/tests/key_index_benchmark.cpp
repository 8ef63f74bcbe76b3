// Start-up work of the phone book's indexes: 100,000 records, 13 single-field keys.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/xbase32/expression_key.h"
#include "platform/xbase32/expression_text.h"
#include "platform/xbase32/key_index.h"
#include "platform/xbase32/key_index_file.h"

namespace xb {
namespace {

constexpr uint32_t kRecords = 100000;

struct PhoneBook {
    std::vector<FieldDesc> fields;
    std::size_t recordSize = 1;
    std::string data;  // kRecords records, one after the other

    std::string_view Record(uint32_t recno) const {
        return std::string_view(data).substr((recno - 1) * recordSize, recordSize);
    }
};

const PhoneBook& Book() {
    static const PhoneBook book = [] {
        PhoneBook b;
        const std::pair<const char*, int> layout[] = {
            {"NUMMER", 20},  {"VOORNAAM", 20},  {"NAAM", 150}, {"AANHANGSEL", 15}, {"STRAAT", 50},
            {"POSTCODE", 7}, {"PLAATS", 50},    {"EXTRA", 50}, {"AFWIJZEN", 10},   {"GELUID", 20},
            {"TIJD", 10},    {"CMDLINE", 100},  {"KLEUR", 20}, {"FONTKLEUR", 20},  {"OMSCHR", 50},
            {"MEMO", 10},    {"ZOEKSTATUS", 50}};
        for (const auto& [name, width] : layout) {
            b.fields.push_back(FieldDesc{name, std::string_view(name) == "MEMO" ? 'M' : 'C', width,
                                         0, static_cast<int>(b.recordSize)});
            b.recordSize += static_cast<std::size_t>(width);
        }
        const char* first[] = {"Jan",   "Piet", "Klaas", "Marie", "Anna",  "Sanne", "Joost",
                               "Femke", "Daan", "Zoë",   "Bram",  "Lotte", "",      "Willem"};
        const char* last[] = {"Jansen", "de Vries", "van den Berg", "Bakker",   "Visser", "Smit",
                              "Meijer", "de Boer",  "Mulder",       "de Groot", "Bos",    "Vos",
                              "Peters", "Hendriks", "van Dijk",     "Dekker"};
        const char* streets[] = {"Dorpsstraat", "Kerkweg",      "Molenlaan", "Stationsplein",
                                 "Beukenlaan",  "Schoolstraat", "Julianaweg"};
        const char* towns[] = {"Amsterdam", "Rotterdam",  "Utrecht",    "Groningen", "Zwolle",
                               "Eindhoven", "Leeuwarden", "Maastricht", "Delft"};
        const char* status[] = {"", "Gekopieerd vanuit de Monitor", "Gevonden via de CD",
                                "Geimporteerd", "Gekopieerd vanuit het Log-bestand"};
        std::mt19937 rng(42);
        auto pick = [&](const auto& list) {
            return std::string(list[rng() % (sizeof list / sizeof list[0])]);
        };
        b.data.reserve(b.recordSize * kRecords);
        for (uint32_t r = 1; r <= kRecords; ++r) {
            std::vector<std::string> v(b.fields.size());
            v[0] = "0" + std::to_string(100000000 + rng() % 900000000);
            v[1] = pick(first);
            v[2] = pick(last) + (rng() % 4 == 0 ? " " + std::to_string(rng() % 1000) : "");
            v[3] = rng() % 10 == 0 ? "jr." : "";
            v[4] = pick(streets) + " " + std::to_string(1 + rng() % 200);
            v[5] = std::to_string(1000 + rng() % 9000) + "AB";
            v[6] = pick(towns);
            v[7] = rng() % 5 == 0 ? "werk" : "";
            v[8] = rng() % 20 == 0 ? "1000000000" : "0000000000";
            v[9] = rng() % 10 == 0 ? "bel.wav" : "Geen";
            v[10] = rng() % 10 == 0 ? "2111111111" : "1111111111";
            v[11] = rng() % 50 == 0 ? "notepad %t" : "-";
            v[14] = rng() % 3 == 0 ? "?" : "klant " + std::to_string(rng() % 5000);
            v[16] = pick(status);
            std::string record(1, rng() % 10 == 0 ? '*' : ' ');
            for (std::size_t f = 0; f < b.fields.size(); ++f) {
                std::string s = v[f];
                s.resize(static_cast<std::size_t>(b.fields[f].width), ' ');
                record += s;
            }
            b.data += record;
        }
        return b;
    }();
    return book;
}

const char* const kKeys[] = {"nummer",   "voornaam",   "naam",    "omschr", "straat",
                             "postcode", "plaats",     "extra",   "geluid", "tijd",
                             "cmdline",  "zoekstatus", "afwijzen"};

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
                             IndexFileInfo{kKeys[i], "", 'C', false, kRecords}, index);
        }
    }
}
BENCHMARK(BM_Build13IndexesAndSave)->Unit(benchmark::kMillisecond);

void BM_Load13Indexes(benchmark::State& state) {
    const PhoneBook& book = Book();
    const std::vector<KeyExpression> keys = CompileKeys(book);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        SaveKeyIndexFile((BenchDir() / ("tel" + std::to_string(i) + ".idx")).string(),
                         IndexFileInfo{kKeys[i], "", 'C', false, kRecords},
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
