// The call log's start-up after years of calls: 200,000 records (5% deleted), pack, its 9
// indexes and the reindex, against SQLite's 9 CREATE INDEX over the same rows in the same run.
// The rows are made one at a time from a seed, so that the process holds none of them.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/xbase32/dbf_table.h"
#include "platform/xbase32/expression_text.h"
#include "platform/xbase32/tests/resident_memory.h"
#include "platform/xbase32/xbase32.h"

namespace xb {
namespace {

constexpr uint32_t kCalls = 200000;

struct Index {
    const char* key;
    bool descending;
};
constexpr Index kIndexes[] = {{"datum", false},  {"datum", true},   {"nummer", false},
                              {"naam", false},   {"straat", false}, {"postcode", false},
                              {"plaats", false}, {"msn", false},    {"soort", false}};

std::vector<FieldDesc> Fields() {
    const std::pair<const char*, int> layout[] = {
        {"DATUM", 10},      {"TIJD", 10},       {"NUMMER", 20},     {"VOORNAAM", 20}, {"NAAM", 150},
        {"AANHANGSEL", 15}, {"STRAAT", 50},     {"POSTCODE", 7},    {"PLAATS", 50},   {"MSN", 15},
        {"SOORT", 25},      {"ZOEKSTATUS", 50}, {"CAPISTATUS", 50}, {"MEMO", 10}};
    std::vector<FieldDesc> fields;
    int offset = 1;
    for (const auto& [name, width] : layout) {
        fields.push_back(
            FieldDesc{name, std::string_view(name) == "MEMO" ? 'M' : 'C', width, 0, offset});
        offset += width;
    }
    return fields;
}

// Calls in the order they came in; visit gets each call's values (trimmed) and its deletion.
void EachCall(const std::function<void(const std::vector<std::string>&, bool)>& visit) {
    const char* first[] = {"Jan", "Piet", "Klaas", "Marie", "Anna", "Zoë", "", "Willem"};
    const char* last[] = {"Jansen", "de Vries", "van den Berg", "Bakker",  "Visser",
                          "",       "Smit",     "Meijer",       "de Boer", "Mulder"};
    const char* towns[] = {"Amsterdam", "Rotterdam", "Utrecht", "Groningen", "Zwolle", ""};
    const char* kinds[] = {"Inkomend gesprek", "Gemiste oproep", "Afgewezen", "Doorgeschakeld"};
    std::mt19937 rng(7);
    auto pick = [&](const auto& list) {
        return std::string(list[rng() % (sizeof list / sizeof list[0])]);
    };
    std::vector<std::string> v(13);
    for (uint32_t r = 0; r < kCalls; ++r) {
        const uint32_t day = r / 60;  // about sixty calls a day, some nine years
        char datum[16];
        std::snprintf(datum, sizeof datum, "%02u-%02u-%04u", 1 + day % 28, 1 + (day / 28) % 12,
                      2015 + day / 336);
        char tijd[16];
        const auto hour = static_cast<unsigned>(rng() % 24);
        const auto minute = static_cast<unsigned>(rng() % 60);
        const auto second = static_cast<unsigned>(rng() % 60);
        std::snprintf(tijd, sizeof tijd, "%02u:%02u:%02u", hour, minute, second);
        v[0] = datum;
        v[1] = tijd;
        v[2] = rng() % 8 == 0 ? "" : "0" + std::to_string(100000000 + rng() % 20000);
        v[3] = pick(first);
        v[4] = pick(last);
        v[5] = rng() % 10 == 0 ? "jr." : "";
        v[6] = v[4].empty() ? "" : "Dorpsstraat " + std::to_string(1 + rng() % 200);
        v[7] = v[4].empty() ? "" : std::to_string(1000 + rng() % 9000) + "AB";
        v[8] = v[4].empty() ? "" : pick(towns);
        v[9] = std::to_string(1234560 + rng() % 3);
        v[10] = pick(kinds);
        v[11] = v[4].empty() ? "Onbekend" : "Gevonden in het telefoonboek";
        v[12] = rng() % 30 == 0 ? "3301 Gesprek beëindigd" : "";
        visit(v, rng() % 20 == 0);
    }
}

class CallLogFiles {
  public:
    static CallLogFiles& Get() {
        static CallLogFiles files;
        return files;
    }
    ~CallLogFiles() { std::filesystem::remove_all(dir_); }

    std::string Table() const { return dir_ + "/belverinlog.DBF"; }
    std::string Index(std::size_t n) const { return dir_ + "/log" + std::to_string(n) + ".idx"; }
    void FreshCopy() const {
        for (const char* ext : {".DBF", ".FPT"}) {
            std::filesystem::copy_file(master_ + ext, dir_ + "/belverinlog" + ext,
                                       std::filesystem::copy_options::overwrite_existing);
        }
    }

  private:
    CallLogFiles() {
        char pattern[] = "/tmp/xbase32-calllog-bench-XXXXXX";
        dir_ = mkdtemp(pattern);
        master_ = dir_ + "/master";
        const std::vector<FieldDesc> fields = Fields();
        DbfTable::Create(master_ + ".DBF", fields, 64);
        sx_Use((master_ + ".DBF").c_str(), "master", SX_EXCLUSIVE, SX_FOX);
        std::string record;
        EachCall([&](const std::vector<std::string>& v, bool deleted) {
            record.assign(1, deleted ? '*' : ' ');
            for (std::size_t f = 0; f < v.size(); ++f) {
                std::string s = v[f];
                s.resize(static_cast<std::size_t>(fields[f].width), ' ');
                record += s;
            }
            record.append(10, ' ');  // no memo
            sx_AppendEx();
            sx_PutRecord(record.c_str());
        });
        sx_Close();
    }

    std::string dir_;
    std::string master_;
};

void StartUp(const CallLogFiles& files) {
    sx_Use(files.Table().c_str(), "log", SX_EXCLUSIVE, SX_FOX);
    sx_Pack();
    sx_Close();
    sx_Use(files.Table().c_str(), "log", SX_SHARED, SX_FOX);
    for (std::size_t n = 0; n < std::size(kIndexes); ++n) {
        if (sx_Index(files.Index(n).c_str(), kIndexes[n].key, 0, kIndexes[n].descending ? 1 : 0,
                     "") != static_cast<int32_t>(n + 1)) {
            throw std::runtime_error(sx_LastErrorText());
        }
    }
    sx_Reindex();
    sx_Commit();
}

void Check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        throw std::runtime_error(sqlite3_errmsg(db));
    }
}

// The kept calls in SQLite, and the 9 indexes made over them, timed.
double SqliteIndexSeconds() {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("calllog-sqlite-" + std::to_string(::getpid()) + ".db"))
                                 .string();
    std::filesystem::remove(path);
    sqlite3* db = nullptr;
    Check(sqlite3_open(path.c_str(), &db), db);
    const std::vector<FieldDesc> fields = Fields();
    std::string create = "CREATE TABLE log (";
    std::string insert = "INSERT INTO log VALUES (";
    for (std::size_t f = 0; f + 1 < fields.size(); ++f) {
        create += (f ? ", " : "") + fields[f].name + " TEXT";
        insert += f ? ", ?" : "?";
    }
    Check(sqlite3_exec(db, (create + ")").c_str(), nullptr, nullptr, nullptr), db);
    sqlite3_stmt* stmt = nullptr;
    Check(sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &stmt, nullptr), db);
    Check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    EachCall([&](const std::vector<std::string>& v, bool deleted) {
        if (deleted) {
            return;
        }
        for (std::size_t f = 0; f < v.size(); ++f) {
            sqlite3_bind_text(stmt, static_cast<int>(f) + 1, v[f].data(),
                              static_cast<int>(v[f].size()), SQLITE_TRANSIENT);
        }
        Check(sqlite3_step(stmt), db);
        sqlite3_reset(stmt);
    });
    Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    sqlite3_finalize(stmt);
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t n = 0; n < std::size(kIndexes); ++n) {
        const std::string sql = "CREATE INDEX log" + std::to_string(n) + " ON log (" +
                                kIndexes[n].key + (kIndexes[n].descending ? " DESC)" : ")");
        Check(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    sqlite3_close(db);
    std::filesystem::remove(path);
    return seconds;
}

// The engine's start-up is the timed figure; SQLite's indexes over the same rows are made
// beside it in every iteration, and the ratio of the two is reported.
void BM_CallLogStartUpAgainstSqlite(benchmark::State& state) {
    const CallLogFiles& files = CallLogFiles::Get();
    double engine = 0;
    double sqlite = 0;
    double openResident = 0;
    for (auto _ : state) {
        sx_CloseAll();
        files.FreshCopy();
        const auto start = std::chrono::steady_clock::now();
        StartUp(files);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        openResident = ResidentMegabytes();
        sx_CloseAll();
        state.SetIterationTime(seconds);
        engine += seconds;
        sqlite += SqliteIndexSeconds();
    }
    state.counters["sqlite_ms"] = sqlite * 1000 / static_cast<double>(state.iterations());
    state.counters["ratio"] = engine / sqlite;
    state.counters["rss_open_MB"] = openResident;
    state.counters["peak_rss_MB"] = PeakResidentMegabytes();
}
BENCHMARK(BM_CallLogStartUpAgainstSqlite)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

}  // namespace
}  // namespace xb

BENCHMARK_MAIN();
