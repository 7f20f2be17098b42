#pragma once
// Hints about large memory blocks (text pools of big tables).

#include <cstddef>

namespace talsk {

// Asks the system to back a large block with big pages, so that filling it
// takes a few page faults instead of one per 4 KB. Best effort: nothing
// happens where the system has no such facility.
void adviseLargeBlock(void* data, size_t size);

} // namespace talsk
