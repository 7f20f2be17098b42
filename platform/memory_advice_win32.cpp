#include "platform/memory_advice.h"

namespace talsk {

// Large pages on Windows need a privilege that ordinary users lack and memory
// reserved for them up front; an ordinary allocation is used as it is.
void adviseLargeBlock(void* data, size_t size) {
    (void)data;
    (void)size;
}

// The system heap keeps freed blocks on its own.
void keepFreedLargeBlocks() {}

// Blocks as large as pools are the system's own allocations, released when freed.
void returnFreedMemory() {}

} // namespace talsk
