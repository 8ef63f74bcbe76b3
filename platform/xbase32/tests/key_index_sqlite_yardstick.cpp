// The same phone-book work in SQLite, as a yardstick for the index figures: load, 13 CREATE
// INDEX, one lookup.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "platform/xbase32/expression_text.h"
#include "platform/xbase32/tests/key_index_benchmark_data.h"

namespace xb {
namespace {

void Check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        throw std::runtime_error(sqlite3_errmsg(db));
    }
}

void Exec(sqlite3* db, const std::string& sql) {
    Check(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db);
}

struct Db {
    sqlite3* db = nullptr;
    std::string path;
    Db() {
        path = (std::filesystem::temp_directory_path() /
                ("keyidx-sqlite-" + std::to_string(::getpid()) + ".db"))
                   .string();
        std::filesystem::remove(path);
        Check(sqlite3_open(path.c_str(), &db), db);
    }
    ~Db() {
        sqlite3_close(db);
        std::filesystem::remove(path);
    }
};

void Load(const PhoneBook& book, sqlite3* db) {
    std::string create = "CREATE TABLE book (";
    std::string insert = "INSERT INTO book VALUES (";
    for (std::size_t f = 0; f < book.fields.size(); ++f) {
        create += (f ? ", " : "") + book.fields[f].name + " TEXT";
        insert += f ? ", ?" : "?";
    }
    Exec(db, create + ")");
    sqlite3_stmt* stmt = nullptr;
    Check(sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &stmt, nullptr), db);
    Exec(db, "BEGIN");
    for (uint32_t r = 1; r <= kRecords; ++r) {
        const std::string_view record = book.Record(r);
        for (std::size_t f = 0; f < book.fields.size(); ++f) {
            const FieldDesc& d = book.fields[f];
            const std::string_view v = TrimRight(record.substr(static_cast<std::size_t>(d.offset),
                                                               static_cast<std::size_t>(d.width)));
            sqlite3_bind_text(stmt, static_cast<int>(f) + 1, v.data(), static_cast<int>(v.size()),
                              SQLITE_STATIC);
        }
        Check(sqlite3_step(stmt), db);
        sqlite3_reset(stmt);
    }
    Exec(db, "COMMIT");
    sqlite3_finalize(stmt);
}

void CreateIndexes(sqlite3* db) {
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
        Exec(db, "CREATE INDEX tel" + std::to_string(i) + " ON book (" + kKeys[i] + ")");
    }
}

void BM_SqliteLoad(benchmark::State& state) {
    const PhoneBook& book = Book();
    for (auto _ : state) {
        Db db;
        Load(book, db.db);
    }
}
BENCHMARK(BM_SqliteLoad)->Unit(benchmark::kMillisecond);

void BM_Sqlite13CreateIndex(benchmark::State& state) {
    const PhoneBook& book = Book();
    for (auto _ : state) {
        state.PauseTiming();
        Db db;
        Load(book, db.db);
        state.ResumeTiming();
        CreateIndexes(db.db);
    }
}
BENCHMARK(BM_Sqlite13CreateIndex)->Unit(benchmark::kMillisecond);

void BM_SqliteLookupNumber(benchmark::State& state) {
    const PhoneBook& book = Book();
    Db db;
    Load(book, db.db);
    CreateIndexes(db.db);
    sqlite3_stmt* stmt = nullptr;
    Check(sqlite3_prepare_v2(db.db, "SELECT rowid FROM book WHERE nummer = ?", -1, &stmt, nullptr),
          db.db);
    const std::vector<std::string>& numbers = LookupNumbers();
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string& n = numbers[i];
        sqlite3_bind_text(stmt, 1, n.data(), static_cast<int>(n.size()), SQLITE_STATIC);
        benchmark::DoNotOptimize(sqlite3_step(stmt));
        sqlite3_reset(stmt);
        i = i + 1 == numbers.size() ? 0 : i + 1;
    }
    sqlite3_finalize(stmt);
}
BENCHMARK(BM_SqliteLookupNumber);

}  // namespace
}  // namespace xb
