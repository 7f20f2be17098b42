// Throughput of the table codec on a realistic 64 MB pool of demo records.

#include "base/codec.h"
#include "bench_data.h"
#include "platform/memory_file.h"

#include <benchmark/benchmark.h>

using namespace talsk;
using namespace talsk::bench;

namespace {

constexpr size_t kPoolBytes = 64u << 20;

void setThroughput(benchmark::State& state, size_t bytes) {
    // MB/s of pool text, MB = 1,000,000 bytes.
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(bytes) *
                                                    static_cast<double>(state.iterations()) / 1e6,
                                                benchmark::Counter::kIsRate);
}

void BM_PackTable(benchmark::State& state) {
    const std::vector<char>& pool = demoPool(kPoolBytes);
    MemoryFile out;
    out.bytes().reserve(pool.size());
    int64_t stored = 0;
    for (auto _ : state) {
        out.truncate(0);
        out.seek(0);
        stored = packTable(out, "", pool.data(), static_cast<int32_t>(pool.size()));
        benchmark::DoNotOptimize(stored);
    }
    if (stored <= 0) state.SkipWithError("packTable failed");
    setThroughput(state, pool.size());
    state.counters["ratio%"] =
        100.0 * static_cast<double>(stored) / static_cast<double>(pool.size());
}
BENCHMARK(BM_PackTable)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_UnpackTable(benchmark::State& state) {
    const std::vector<char>& pool = demoPool(kPoolBytes);
    const std::string key = state.range(0) ? "\x91\x12\x43\x7f\x05\xee" : "";
    MemoryFile packed;
    if (packTable(packed, key, pool.data(), static_cast<int32_t>(pool.size())) <= 0) {
        state.SkipWithError("packTable failed");
        return;
    }
    bool ok = true;
    for (auto _ : state) {
        packed.seek(0);
        Block out;
        ok = unpackTable(packed, key, static_cast<int32_t>(pool.size()), kChunkSize, out,
                         static_cast<int>(state.range(1))) &&
             ok;
        benchmark::DoNotOptimize(out.data());
    }
    if (!ok) state.SkipWithError("unpackTable failed");
    setThroughput(state, pool.size());
}
// Args: with a file key; decoding threads (loading uses two).
BENCHMARK(BM_UnpackTable)
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 2})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();

} // namespace
