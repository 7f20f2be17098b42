#pragma once
// Hints about large memory blocks (text pools of big tables).

#include <cstddef>

namespace talsk {

// Asks the system to back a large block with big pages, so that filling it
// takes a few page faults instead of one per 4 KB; a block in the heap the
// threads share, from it to the heap's end, where the next blocks go. Best
// effort: nothing happens where the system has no such facility.
void adviseLargeBlock(void* data, size_t size);

// Asks the allocator, where it can be told, to keep the large blocks it is
// given back instead of returning them to the system at once: a reload then
// fills memory that is already paged in, and the peak stays what the
// largest set held at once needs. Best called before any thread starts;
// calls after the first change nothing.
void keepFreedLargeBlocks();

// Gives the system back the free memory the allocator keeps: once a load has
// finished, what it freed and did not take again (files closed for good) is
// not wanted by the next one either.
void returnFreedMemory();

} // namespace talsk
