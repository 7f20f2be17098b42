#include "gui/search/find_steps.h"

#include <algorithm>

namespace talsk {

TableMask findTableMask(TableKind shown, bool bothTables) {
    if (shown == TableKind::CityCodes) return kMaskCityCodes;
    if (bothTables) return kMaskPopulationOrganizations;
    return shown == TableKind::Organizations ? kMaskOrganizations : kMaskPopulation;
}

int32_t findStartIndex(const SearchResults& hits, const SearchHit& at, bool up, bool allFiles,
                       int baseCount) {
    const int32_t n = std::min<int32_t>(hitTotal(hits), static_cast<int32_t>(hits.hits.size()));
    const int32_t fallback = up ? 0 : std::max<int32_t>(n - 1, 0);
    int base = at.base;
    for (;;) {
        if (up) {
            for (int32_t i = 0; i < n; ++i) {
                const SearchHit& h = hits.hits[size_t(i)];
                if (h.base == base && h.table == at.table && h.record >= at.record) return i;
            }
        } else {
            for (int32_t i = n - 1; i >= 0; --i) {
                const SearchHit& h = hits.hits[size_t(i)];
                if (h.base == base && h.table == at.table && h.record <= at.record) return i;
            }
        }
        if (!allFiles) return fallback;
        if (up && base < baseCount - 1)
            ++base;
        else if (!up && base >= 1)
            --base;
        else
            return fallback;
    }
}

int32_t nextFindPosition(int32_t position, bool up, int32_t total) {
    position += up ? 1 : -1;
    if (position >= total) return 0;
    if (position < 0) return total - 1;
    return position;
}

} // namespace talsk
