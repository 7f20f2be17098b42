// Loading a base of a million demo records from disk as connecting does:
// open, read the header, unpack and index the three tables.

#include "base/base_file.h"
#include "base/load_status.h"
#include "bench_data.h"

#include <benchmark/benchmark.h>

using namespace talsk;
using namespace talsk::bench;

namespace {

void BM_LoadBase(benchmark::State& state) {
    const int32_t records = static_cast<int32_t>(state.range(0));
    const std::string& path = demoBaseFile(records);
    double poolBytes = 0, indexBytes = 0, textSize = 0;
    for (auto _ : state) {
        PhoneBase base;
        base.path = path;
        if (!readHeader(base) || !loadTables(base, kMaskAllTables) ||
            base.status != StatusConnected || base.recordCount() != records) {
            state.SkipWithError("the base did not load");
            return;
        }
        state.PauseTiming();
        poolBytes = indexBytes = textSize = 0;
        for (const BaseTable& t : base.tables) {
            poolBytes += static_cast<double>(t.text.size());
            indexBytes += static_cast<double>(t.index.size());
            textSize += t.textSize;
        }
        closeBase(base);
        state.ResumeTiming();
    }
    // Memory held by the loaded base against its budget: the pools plus 12
    // bytes per record plus 1 MB.
    const double budget = textSize + 12.0 * records + 1048576.0;
    state.counters["records"] = records;
    state.counters["poolMB"] = poolBytes / 1e6;
    state.counters["indexMB"] = indexBytes / 1e6;
    state.counters["memMB"] = (poolBytes + indexBytes) / 1e6;
    state.counters["budgetMB"] = budget / 1e6;
}
BENCHMARK(BM_LoadBase)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// The parts of a load: indexing alone, on the largest table.
void BM_IndexTable(benchmark::State& state) {
    PhoneBase base;
    base.path = demoBaseFile(1000000);
    if (!readHeader(base) || !loadTables(base, kMaskAllTables)) {
        state.SkipWithError("the base did not load");
        return;
    }
    BaseTable& t = base.tables[0];
    for (auto _ : state) {
        bool ok = indexTable(t);
        benchmark::DoNotOptimize(ok);
    }
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(t.textSize) *
                                                    static_cast<double>(state.iterations()) / 1e6,
                                                benchmark::Counter::kIsRate);
}
BENCHMARK(BM_IndexTable)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
