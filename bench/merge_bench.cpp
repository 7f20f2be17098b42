// Merging two base files of 500,000 demo records each with repeat search,
// whole (load, merge, save) and the repeat search alone; and the plain
// quadratic search (every record against every record kept) on a small input,
// to extrapolate from.

#include "base/base_file.h"
#include "base/char_tables.h"
#include "bench_data.h"
#include "tools/demo_data.h"
#include "tools/merge.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>

using namespace talsk;
using namespace talsk::bench;

namespace {

constexpr int32_t kHalf = 500000;

// A second file of other demo records, beside the first.
const std::string& secondFile() {
    static const std::string path = [] {
        PhoneBase base;
        base.path =
            (std::filesystem::path(demoBaseFile(kHalf)).parent_path() / "second.btn").string();
        DemoOptions o;
        o.cityCodes = 150;
        o.organizations = (kHalf - 150) * 15 / 100;
        o.residents = kHalf - 150 - o.organizations;
        o.seed = 7;
        if (!fillDemoBase(base, o) || !saveBase(base, kMaskAllTables)) std::abort();
        closeBase(base);
        return base.path;
    }();
    return path;
}

MergeRepeats rule(int64_t arg) {
    return arg == 0   ? MergeRepeats::Keep
           : arg == 1 ? MergeRepeats::SameRecord
                      : MergeRepeats::SamePhone;
}

void loadBoth(PhoneBase (&bases)[2]) {
    const std::string paths[2] = {demoBaseFile(kHalf), secondFile()};
    for (int i = 0; i < 2; ++i) {
        bases[i].path = paths[i];
        if (!readHeader(bases[i]) || !loadTables(bases[i], kMaskAllTables)) std::abort();
    }
}

void BM_MergeFiles(benchmark::State& state) {
    const std::vector<MergeSource> sources = {{demoBaseFile(kHalf), {}}, {secondFile(), {}}};
    const std::string out =
        (std::filesystem::path(secondFile()).parent_path() / "merged.btn").string();
    MergeResult r;
    for (auto _ : state) {
        r = mergeFiles(sources, out, {rule(state.range(0)), {}}, {});
        if (r.outcome != MergeOutcome::Done) {
            state.SkipWithError("the merge failed");
            return;
        }
    }
    state.counters["kept"] = static_cast<double>(r.kept);
    state.counters["skipped"] = static_cast<double>(r.skipped);
}
BENCHMARK(BM_MergeFiles)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The repeat search alone, on the loaded tables.
void BM_MergeTables(benchmark::State& state) {
    PhoneBase bases[2];
    loadBoth(bases);
    int64_t skipped = 0;
    for (auto _ : state) {
        skipped = 0;
        for (int k = 0; k < kTableCount; ++k) {
            MergedTable t(rule(state.range(0)));
            for (const PhoneBase& b : bases)
                if (!t.append(b.tables[static_cast<size_t>(k)], {}, nullptr)) std::abort();
            skipped += t.skipped();
        }
    }
    state.counters["skipped"] = static_cast<double>(skipped);
    state.counters["records"] =
        static_cast<double>(bases[0].recordCount() + bases[1].recordCount());
}
BENCHMARK(BM_MergeTables)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The rule read literally: each record against every record kept before it,
// on the first n residents of each file. Time grows with n squared.
void BM_QuadraticRepeats(benchmark::State& state) {
    PhoneBase bases[2];
    loadBoth(bases);
    const int32_t n = static_cast<int32_t>(state.range(1));
    const bool phone = rule(state.range(0)) == MergeRepeats::SamePhone;
    const UpperTable& up = upperTable();
    struct Image {
        const unsigned char* p;
        size_t n;
    };
    std::vector<Image> kept;
    for (auto _ : state) {
        kept.clear();
        for (const PhoneBase& b : bases) {
            const BaseTable& t = b.tables[0];
            for (int32_t i = 0; i < n && i < t.count; ++i) {
                const Image r{reinterpret_cast<const unsigned char*>(t.text.data()) +
                                  t.entries()[i].start,
                              static_cast<size_t>(recordLength(t, i))};
                bool seen = false;
                for (const Image& k : kept) {
                    if (phone) {
                        seen = std::strcmp(reinterpret_cast<const char*>(k.p),
                                           reinterpret_cast<const char*>(r.p)) == 0;
                    } else if (k.n == r.n) {
                        size_t j = 0;
                        while (j < r.n && up[k.p[j]] == up[r.p[j]])
                            ++j;
                        seen = j == r.n;
                    }
                    if (seen) break;
                }
                if (!seen) kept.push_back(r);
            }
        }
        benchmark::DoNotOptimize(kept.data());
    }
    state.counters["kept"] = static_cast<double>(kept.size());
}
BENCHMARK(BM_QuadraticRepeats)
    ->Args({1, 5000})
    ->Args({2, 5000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
