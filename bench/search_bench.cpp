// Search speed over a base of 1,000,000 demo records (800,000 residents,
// 200,000 organization records), single thread, with plain byte loops over
// the same records as the yardstick.

#include "base/char_tables.h"
#include "search/search_engine.h"
#include "search/search_session.h"
#include "search_data.h"
#include "tools/demo_data.h"

#include "platform/cp1251.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

using namespace talsk;
using namespace talsk::bench;

namespace {

SearchData& data() {
    return searchData();
}

int64_t recordCount() {
    return searchRecordCount();
}

// Median and 90th percentile of per-iteration times, in microseconds.
void reportSpread(benchmark::State& state, std::vector<double>& seconds) {
    if (seconds.empty()) return;
    std::sort(seconds.begin(), seconds.end());
    state.counters["p50_us"] = seconds[seconds.size() / 2] * 1e6;
    state.counters["p90_us"] = seconds[seconds.size() * 9 / 10] * 1e6;
    state.counters["max_us"] = seconds.back() * 1e6;
}

void finish(benchmark::State& state, int32_t hits) {
    state.counters["hits"] = hits;
    state.SetItemsProcessed(state.iterations() * recordCount());
    if (!data().ok || hits < 0) state.SkipWithError("search failed");
}

// Arg 0: case ignored (the default), 1: case sensitive; 2 and 3 the same
// with "Е и Ё не различать".
void setOptions(benchmark::State& state) {
    data().settings.caseSensitive = static_cast<uint8_t>(state.range(0) & 1);
    data().settings.yoAsYe = static_cast<uint8_t>(state.range(0) >> 1);
}

void fieldSearch(benchmark::State& state, int field, const char* utf8Pattern) {
    SearchData& d = data();
    setOptions(state);
    FieldQueryText q;
    q.set(field, utf8ToCp1251(utf8Pattern).c_str());
    int32_t hits = 0;
    for (auto _ : state) {
        hits = runFieldSearch(q, d.set, d.state, &d.settings);
        benchmark::DoNotOptimize(hits);
    }
    finish(state, hits);
}

void BM_FieldSubstring(benchmark::State& state) {
    fieldSearch(state, 2, "ова");
}
void BM_FieldPrefix(benchmark::State& state) {
    fieldSearch(state, 2, "Иван*");
}
void BM_FieldWildcard(benchmark::State& state) {
    fieldSearch(state, 2, "Ив?нов*");
}
void BM_FieldStreetAndHouse(benchmark::State& state) {
    SearchData& d = data();
    setOptions(state);
    FieldQueryText q;
    q.set(3, utf8ToCp1251("ленин").c_str());
    q.set(4, "1*");
    int32_t hits = 0;
    for (auto _ : state) {
        hits = runFieldSearch(q, d.set, d.state, &d.settings);
        benchmark::DoNotOptimize(hits);
    }
    finish(state, hits);
}

void generalSearch(benchmark::State& state, const char* utf8Pattern) {
    SearchData& d = data();
    setOptions(state);
    const std::string text = utf8ToCp1251(utf8Pattern);
    int32_t hits = 0;
    for (auto _ : state) {
        hits = runGeneralSearch(text.c_str(), d.set, d.state, nullptr, &d.settings);
        benchmark::DoNotOptimize(hits);
    }
    finish(state, hits);
}

// Words with е, which the option folds with ё.
void BM_FieldWithYe(benchmark::State& state) {
    fieldSearch(state, 2, "Семенов");
}
void BM_GeneralWithYe(benchmark::State& state) {
    generalSearch(state, "Молодежная");
}

void BM_GeneralSubstring(benchmark::State& state) {
    generalSearch(state, "ова");
}
void BM_GeneralTwoWords(benchmark::State& state) {
    generalSearch(state, "Иванов Тальская");
}
void BM_GeneralSuffix(benchmark::State& state) {
    generalSearch(state, "*ова");
}

// The three figures of a search on one thread only (no table cut in two):
// 0 one field, 1 all fields, 2 two words over all fields; case ignored.
void BM_OneThread(benchmark::State& state) {
    SearchData& d = data();
    d.settings.caseSensitive = 0;
    d.settings.yoAsYe = 0;
    SearchRun run = foregroundRun(d.set, d.state, &d.settings);
    run.splitRecords = 0;
    FieldQueryText q;
    q.set(2, utf8ToCp1251("ова").c_str());
    const std::string text = utf8ToCp1251(state.range(0) == 2 ? "Иванов Тальская" : "ова");
    int32_t hits = 0;
    for (auto _ : state) {
        hits = state.range(0) == 0 ? runFieldSearch(q, run)
                                   : runGeneralSearch(text.c_str(), run, nullptr);
        benchmark::DoNotOptimize(hits);
    }
    finish(state, hits);
}

// The yardstick: the simplest loop that finds a three-letter text in a field
// of every record, case folded through the same table.
void BM_BaselineFieldByteLoop(benchmark::State& state) {
    SearchData& d = data();
    const std::string p = utf8ToCp1251("ОВА");
    const auto* u = upperTable().data();
    const auto p0 = static_cast<unsigned char>(p[0]), p1 = static_cast<unsigned char>(p[1]),
               p2 = static_cast<unsigned char>(p[2]);
    const bool all = state.range(0) != 0; // 1: the whole record, all seven fields
    int32_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (int k = 0; k < 2; ++k) {
            const BaseTable& t = d.set.bases[0].tables[static_cast<size_t>(k)];
            const auto* pool = reinterpret_cast<const unsigned char*>(t.text.data());
            const RecordIndexEntry* e = t.entries();
            for (int32_t i = 0; i < t.count; ++i) {
                const unsigned char* f = pool + e[i].start + (all ? 0 : e[i].offset[0]);
                const unsigned char* end = all ? pool + e[i + 1].start : nullptr;
                for (; all ? f + 2 < end : *f != 0; ++f)
                    if (u[f[0]] == p0 && u[f[1]] == p1 && u[f[2]] == p2) {
                        ++hits;
                        break;
                    }
            }
        }
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = hits;
    state.SetItemsProcessed(state.iterations() * recordCount());
}

// Time from the cancel request to the worker's end, while it runs a general
// search over the million records.
void BM_CancelLatency(benchmark::State& state) {
    SearchData& d = data();
    d.settings.caseSensitive = 0;
    d.settings.yoAsYe = 0;
    SearchRequest request;
    request.kind = SearchKind::GeneralSearch;
    std::string text = utf8ToCp1251("ова");
    std::memcpy(request.generalText, text.c_str(), text.size() + 1);
    const SearchArea area{d.state.fileMask, d.state.tables};
    SearchSession session(d.set, &d.settings);
    std::vector<double> seconds;
    for (auto _ : state) {
        if (session.startBackground(request, area, nullptr) == 0) {
            state.SkipWithError("worker did not start");
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        auto t0 = std::chrono::steady_clock::now();
        bool stopped = session.cancel();
        auto t1 = std::chrono::steady_clock::now();
        seconds.push_back(std::chrono::duration<double>(t1 - t0).count());
        state.SetIterationTime(seconds.back());
        if (!stopped) state.SkipWithError("worker did not stop");
    }
    reportSpread(state, seconds);
}

// Time from setting the cancel flag to the run's return, on a thread of its
// own: how soon a run notices the flag.
void BM_CancelReaction(benchmark::State& state) {
    SearchData& d = data();
    d.settings.caseSensitive = 0;
    d.settings.yoAsYe = 0;
    const std::string text = utf8ToCp1251("ова");
    std::vector<double> seconds;
    for (auto _ : state) {
        std::atomic<bool> started{false};
        std::atomic<uint8_t> cancel{0};
        std::chrono::steady_clock::time_point returned;
        int32_t result = 0;
        SearchResults out;
        SearchRun run = foregroundRun(d.set, d.state, &d.settings);
        run.out = &out;
        run.cancel = &cancel;
        std::thread runner([&] {
            started = true;
            result = runGeneralSearch(text.c_str(), run, nullptr);
            returned = std::chrono::steady_clock::now();
        });
        while (!started)
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        const auto flagged = std::chrono::steady_clock::now();
        cancel = 1;
        runner.join();
        seconds.push_back(std::chrono::duration<double>(returned - flagged).count());
        state.SetIterationTime(seconds.back());
        if (result != kSearchCancelled)
            state.SkipWithError("the run ended before the flag was set");
    }
    reportSpread(state, seconds);
}

} // namespace

// A large table is searched on two threads: the rate is the real time's, not
// the main thread's CPU time.
BENCHMARK(BM_FieldSubstring)->DenseRange(0, 3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FieldPrefix)->DenseRange(0, 3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FieldWildcard)->DenseRange(0, 3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FieldStreetAndHouse)->DenseRange(0, 3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeneralSubstring)->DenseRange(0, 3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeneralTwoWords)->DenseRange(0, 3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeneralSuffix)->DenseRange(0, 3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FieldWithYe)->DenseRange(0, 3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeneralWithYe)->DenseRange(0, 3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneThread)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineFieldByteLoop)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CancelLatency)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(50);
BENCHMARK(BM_CancelReaction)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(50);
