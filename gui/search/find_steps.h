#pragma once
// The arithmetic of the find tool: which tables it looks in and which hit it
// shows first and next. Plain functions, so the dialog only binds controls.

#include "base/search_state.h"

#include <cstdint>

namespace talsk {

// City codes alone, both other tables when asked, else the shown one.
TableMask findTableMask(TableKind shown, bool bothTables);

// The hit to show first for the record the editor shows. Up: the first hit
// of that base and table at or after the record; down: the last at or
// before it. With allFiles, the following (up) or preceding (down) bases are
// tried with the same record bound; otherwise, or when none qualifies, the
// first (up) or last (down) hit.
int32_t findStartIndex(const SearchResults& hits, const SearchHit& at, bool up, bool allFiles,
                       int baseCount);

// The hit after position in the direction, wrapping around at both ends.
int32_t nextFindPosition(int32_t position, bool up, int32_t total);

} // namespace talsk
