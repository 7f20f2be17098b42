#pragma once
// The hits of the last search with their counters, and what the next search
// is to look at.

#include "base/records.h"
#include "search/search_thread.h"
#include "search/settings.h"

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

struct SearchState {
    std::vector<SearchHit> hits; // grows on demand; never overflows
    int32_t populationHits = 0;
    int32_t organizationHits = 0;
    int32_t cityCodeHits = 0;
    TableMask tables = 0;
    FileMask fileMask{};
    SearchKind kind = SearchKind::None;
    std::atomic<uint8_t> dirty{1};
    std::atomic<uint8_t> cancel{0};
    // The background search, if one was started and not yet released. Last,
    // so that it stops before the hits and flags it writes go away.
    SearchThread worker;
};

inline int32_t hitTotal(const SearchState& s) {
    return s.populationHits + s.organizationHits + s.cityCodeHits;
}

} // namespace talsk
