#pragma once
// The search log dialog's OK rule: the selected entries joined field by field
// into one query, with '|' ("или") or '&' ("и").

#include "search/search_engine.h"
#include "search/search_log.h"

#include <vector>

namespace talsk {

// Characters a combined slot stays below, as the panel's inputs take them.
constexpr size_t kCombinedSlotLimit = 99;

// For each entry in the given order and each field k, appends the entry's
// text of field k and op to slot k while the slot's length plus the text's
// stays below 99; then squeezes runs of op and drops one leading and one
// trailing op. Entries outside the log are skipped.
void combineLogEntries(const SearchLog& log, const std::vector<int>& entries, char op,
                       FieldQueryText& out);

} // namespace talsk
