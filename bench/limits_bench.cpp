// What the searches compare with, over the same records: one memchr pass
// over the pools (reading the data once, the limit of any search) and, when
// the benchmark was built with SQLite, the same searches as LIKE queries over
// an in-memory database.

#include "platform/cp1251.h"
#include "search/search_engine.h"
#include "search_data.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#if defined(TALSK_BENCH_SQLITE)
#include <sqlite3.h>
#endif

using namespace talsk;
using namespace talsk::bench;

namespace {

// A byte that no record holds: memchr reads the whole pool.
void BM_MemchrPass(benchmark::State& state) {
    SearchData& d = searchData();
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (int k = 0; k < 2; ++k) {
            const BaseTable& t = d.set.bases[0].tables[static_cast<size_t>(k)];
            const void* found = std::memchr(t.text.data(), 0x01, static_cast<size_t>(t.textSize));
            benchmark::DoNotOptimize(found);
            bytes += static_cast<size_t>(t.textSize);
        }
    }
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(bytes) *
                                                    static_cast<double>(state.iterations()) / 1e6,
                                                benchmark::Counter::kIsRate);
    state.SetItemsProcessed(state.iterations() * searchRecordCount());
}
BENCHMARK(BM_MemchrPass)->Unit(benchmark::kMillisecond);

// The rare word over the same million records, beside the indexed yardstick.
void searchRare(benchmark::State& state, bool allFields) {
    SearchData& d = searchData();
    if (!d.ok) {
        state.SkipWithError("the records could not be made");
        return;
    }
    timeWordSearch(state, d.set, d.state, d.settings, "иванов", allFields);
}
void BM_SearchLimit1M_field_rare(benchmark::State& state) {
    searchRare(state, false);
}
void BM_SearchLimit1M_all_rare(benchmark::State& state) {
    searchRare(state, true);
}
BENCHMARK(BM_SearchLimit1M_field_rare)
    ->Name("BM_SearchLimit1M/field_rare")
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchLimit1M_all_rare)
    ->Name("BM_SearchLimit1M/all_rare")
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

#if defined(TALSK_BENCH_SQLITE)

// The residents and organization records in one table of seven text columns
// (UTF-8, as SQLite keeps text), made once.
sqlite3* database() {
    static sqlite3* db = [] {
        sqlite3* h = nullptr;
        if (sqlite3_open(":memory:", &h) != SQLITE_OK) return static_cast<sqlite3*>(nullptr);
        sqlite3_exec(h,
                     "CREATE TABLE r(phone TEXT, name TEXT, street TEXT, house TEXT, unit TEXT, "
                     "org TEXT, comment TEXT); BEGIN;",
                     nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(h, "INSERT INTO r VALUES(?,?,?,?,?,?,?)", -1, &insert, nullptr);
        const PhoneBase& base = searchData().set.bases[0];
        for (int k = 0; k < 2; ++k) {
            const BaseTable& t = base.tables[static_cast<size_t>(k)];
            for (int32_t i = 0; i < t.count; ++i) {
                const FieldPointers f = fieldPointers(t, i);
                for (int c = 1; c <= kFieldCount; ++c) {
                    const std::string text = cp1251ToUtf8(f[c]);
                    sqlite3_bind_text(insert, c, text.c_str(), static_cast<int>(text.size()),
                                      SQLITE_TRANSIENT);
                }
                sqlite3_step(insert);
                sqlite3_reset(insert);
            }
        }
        sqlite3_finalize(insert);
        sqlite3_exec(h, "COMMIT;", nullptr, nullptr, nullptr);
        // The indexed yardstick: the same rows in a trigram full-text table.
        sqlite3_exec(h,
                     "CREATE VIRTUAL TABLE t USING fts5(phone, name, street, house, unit, org, "
                     "comment, tokenize='trigram'); INSERT INTO t SELECT * FROM r;",
                     nullptr, nullptr, nullptr);
        return h;
    }();
    return db;
}

// Steps through the matching rows as a hit list would.
void sqliteSearch(benchmark::State& state, const char* where, const char* table = "r") {
    sqlite3* db = database();
    sqlite3_stmt* query = nullptr;
    const std::string sql = std::string("SELECT rowid FROM ") + table + " WHERE " + where;
    if (db == nullptr || sqlite3_prepare_v2(db, sql.c_str(), -1, &query, nullptr) != SQLITE_OK) {
        state.SkipWithError("SQLite did not take the query");
        return;
    }
    int64_t rows = 0;
    for (auto _ : state) {
        rows = 0;
        while (sqlite3_step(query) == SQLITE_ROW)
            rows += sqlite3_column_int64(query, 0) > 0;
        sqlite3_reset(query);
    }
    sqlite3_finalize(query);
    state.counters["hits"] = static_cast<double>(rows);
    state.SetItemsProcessed(state.iterations() * searchRecordCount());
}

// LIKE folds the case of Latin letters only: «ова» misses «ОВА» here.
void BM_SqliteFieldLike(benchmark::State& state) {
    sqliteSearch(state, "name LIKE '%ова%'");
}
BENCHMARK(BM_SqliteFieldLike)->Unit(benchmark::kMillisecond);

void BM_SqliteAllFieldsLike(benchmark::State& state) {
    sqliteSearch(state, "phone LIKE '%ова%' OR name LIKE '%ова%' OR street LIKE '%ова%' OR "
                        "house LIKE '%ова%' OR unit LIKE '%ова%' OR org LIKE '%ова%' OR "
                        "comment LIKE '%ова%'");
}
BENCHMARK(BM_SqliteAllFieldsLike)->Unit(benchmark::kMillisecond);

void BM_SqliteTwoWordsLike(benchmark::State& state) {
    std::string where;
    for (const char* word : {"Иванов", "Тальская"})
        for (const char* column : {"phone", "name", "street", "house", "unit", "org", "comment"})
            where += std::string(where.empty() ? "" : " OR ") + column + " LIKE '%" + word + "%'";
    sqliteSearch(state, where.c_str());
}
BENCHMARK(BM_SqliteTwoWordsLike)->Unit(benchmark::kMillisecond);

// A rare word through the trigram index, over all seven columns.
void BM_Fts5Trigram_rare(benchmark::State& state) {
    sqliteSearch(state, "t MATCH 'иванов'", "t");
}
BENCHMARK(BM_Fts5Trigram_rare)->Name("BM_Fts5Trigram/rare")->Unit(benchmark::kMillisecond);

#endif

} // namespace
