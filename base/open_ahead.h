#pragma once
// Connecting many files at once: the headers are read one after another in
// the set's order, so that writer locks go as they would file by file; then
// the tables of the files are decoded on two threads, each file taken by
// whichever thread is free. Every base ends as openBase leaves it.

#include "base/base_set.h"

#include <cstdint>
#include <vector>

namespace talsk {

// Opens, as openBase would one after another, the bases from index `first`
// on that are not connected, and sets attempted[i] (sized to the set) for
// each. Stops after a file of an older version: converting it may change
// what the files after it hold.
void openAhead(BaseSet& set, size_t first, const OpenOptions& options,
               std::vector<uint8_t>& attempted);

} // namespace talsk
