#pragma once
// The base the search benchmarks share: 1,000,000 demo records (800,000
// residents, 200,000 organization records) and 150 city codes, made once.

#include "base/base_set.h"
#include "base/search_state.h"
#include "base/settings.h"

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

} // namespace talsk::bench
