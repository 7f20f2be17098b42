#pragma once
// The hits of the last search with their counters, and what the next search
// is to look at. The search layer's session holds one and fills it.

#include "base/records.h"
#include "base/settings.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace talsk {

enum class SearchKind : int32_t {
    None = 0,
    FieldSearch = 1,
    GeneralSearch = 2,
    FindRecord = 3,
    AllRecords = 4
};

struct SearchHit {
    int32_t record = 0;
    int16_t base = 0;
    TableKind table = TableKind::Population;
};

// What one run produces: its hits in base, table and record order, and how
// many of them fall into each table.
struct SearchResults {
    std::vector<SearchHit> hits; // grows on demand; never overflows
    int32_t populationHits = 0;
    int32_t organizationHits = 0;
    int32_t cityCodeHits = 0;

    void clearCounters() { populationHits = organizationHits = cityCodeHits = 0; }
};

struct SearchState : SearchResults {
    TableMask tables = 0;
    FileMask fileMask{};
    SearchKind kind = SearchKind::None;
    std::atomic<uint8_t> dirty{1};
};

inline int32_t hitTotal(const SearchResults& s) {
    return s.populationHits + s.organizationHits + s.cityCodeHits;
}

} // namespace talsk
