// Names like the searched one over a million records, made when a search
// finds nothing: the goal is 50 ms. Once over the demo base (its surnames
// repeat), once over residents with some 100,000 distinct surnames.

#include "base/char_tables.h"
#include "base/table_builder.h"
#include "platform/cp1251.h"
#include "search/similar_search.h"
#include "search_data.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace talsk;
using namespace talsk::bench;

namespace {

struct ManyNames {
    BaseSet set;
    bool ok = false;
    std::string asked; // the first surname with one letter changed
};

// 1,000,000 residents whose surnames are three syllables and an ending.
ManyNames& manyNames() {
    static ManyNames* d = [] {
        auto* m = new ManyNames;
        m->set.bases.resize(1);
        // 26 syllables, three to a name, and six endings: some 100,000 names.
        const char* syllables[] = {"ба", "во", "ге",  "ди",  "жу",  "за",  "ки",  "ло", "ма",
                                   "не", "по", "ру",  "са",  "то",  "фи",  "ха",  "це", "чу",
                                   "ша", "ян", "бор", "вет", "гол", "дер", "кар", "лип"};
        const char* endings[] = {"ов", "ова", "ин", "ина", "ский", "ская"};
        std::vector<std::string> s, e;
        for (const char* x : syllables)
            s.push_back(utf8ToCp1251(x));
        for (const char* x : endings)
            e.push_back(utf8ToCp1251(x));
        uint32_t r = 7;
        auto next = [&r](size_t n) {
            r = r * 1664525u + 1013904223u;
            return (r >> 8) % n;
        };
        TableBuilder b;
        b.reserve(1000000u * 40u);
        RecordFields f;
        std::string name;
        for (int i = 0; i < 1000000; ++i) {
            name = s[next(s.size())] + s[next(s.size())] + s[next(s.size())] + e[next(e.size())];
            name[0] = static_cast<char>(upperTable()[static_cast<unsigned char>(name[0])]);
            if (i == 0) {
                m->asked = name;
                m->asked[1] = utf8ToCp1251("ы")[0];
            }
            name += " A.B.";
            f.clear();
            f.set(1, "123456");
            f.set(2, name.c_str());
            f.set(3, "Street");
            if (!b.add(f)) return m;
        }
        PhoneBase& base = m->set.bases[0];
        m->ok = b.install(base.table(TableKind::Population), BaseDate{});
        base.connected = 1;
        return m;
    }();
    return *d;
}

void similar(benchmark::State& state, const BaseSet& set, bool ok, const std::string& word) {
    FileMask files{};
    files[0] = 1;
    const SimilarRequest request{word, NameSource::Surnames};
    size_t found = 0;
    for (auto _ : state) {
        const std::vector<SimilarName> names = findSimilarNames(set, files, request);
        found = names.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["names"] = static_cast<double>(found);
    if (!ok || found == 0) state.SkipWithError("no similar names");
}

void BM_SimilarNamesDemo(benchmark::State& state) {
    SearchData& d = searchData();
    similar(state, d.set, d.ok, utf8ToCp1251("Федоров"));
}

void BM_SimilarNamesManyDistinct(benchmark::State& state) {
    ManyNames& m = manyNames();
    similar(state, m.set, m.ok, m.asked);
}

} // namespace

BENCHMARK(BM_SimilarNamesDemo)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SimilarNamesManyDistinct)->UseRealTime()->Unit(benchmark::kMillisecond);
