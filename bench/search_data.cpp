#include "search_data.h"

#include "platform/cp1251.h"
#include "search/search_engine.h"
#include "tools/demo_data.h"

#include <benchmark/benchmark.h>

#include <string>

namespace talsk::bench {

SearchData& searchData() {
    static SearchData* d = [] {
        auto* s = new SearchData;
        s->set.bases.resize(1);
        PhoneBase& base = s->set.bases[0];
        DemoOptions options;
        options.residents = 800000;
        options.organizations = 200000;
        options.cityCodes = 150;
        s->ok = fillDemoBase(base, options);
        base.connected = 1;
        s->set.totalPopulation = base.tables[0].count;
        s->set.totalOrganizations = base.tables[1].count;
        s->set.totalCityCodes = base.tables[2].count;
        s->state.fileMask[0] = 1;
        s->state.tables = kMaskPopulationOrganizations;
        sizeHitList(s->set, s->state);
        return s;
    }();
    return *d;
}

int64_t searchRecordCount() {
    const PhoneBase& b = searchData().set.bases[0];
    return b.tables[0].count + b.tables[1].count;
}

void timeWordSearch(benchmark::State& state, const BaseSet& set, SearchState& hits,
                    ProgramSettings& settings, const char* utf8Word, bool allFields) {
    settings.caseSensitive = 0;
    const std::string text = utf8ToCp1251(utf8Word);
    FieldQueryText q;
    q.set(2, text.c_str());
    int32_t n = 0;
    for (auto _ : state) {
        n = allFields ? runGeneralSearch(text.c_str(), set, hits, nullptr, &settings)
                      : runFieldSearch(q, set, hits, &settings);
        benchmark::DoNotOptimize(n);
    }
    state.counters["hits"] = n;
    if (n < 0) state.SkipWithError("search failed");
}

} // namespace talsk::bench
