#pragma once
// The base the search benchmarks share: 1,000,000 demo records (800,000
// residents, 200,000 organization records) and 150 city codes, made once.

#include "base/base_set.h"
#include "base/search_state.h"
#include "base/settings.h"

namespace benchmark {
class State;
}

namespace talsk::bench {

struct SearchData {
    ProgramSettings settings;
    BaseSet set;
    SearchState state; // over residents and organizations
    bool ok = false;
};

SearchData& searchData();

// Residents plus organization records: what one search goes through.
int64_t searchRecordCount();

// Times one word (UTF-8) in the name field or in all fields, ignoring case,
// over the area of hits; the hits are the "hits" counter.
void timeWordSearch(benchmark::State& state, const BaseSet& set, SearchState& hits,
                    ProgramSettings& settings, const char* utf8Word, bool allFields);

} // namespace talsk::bench
