#pragma once
// The compression codec of table blocks: the pool is cut into chunks of
// 262,144 bytes, each coded with one prefix code built from the byte
// frequencies of the whole pool. The tree travels in the first chunk's
// header; every chunk header is enciphered with the file key.

#include "base/block.h"
#include "platform/file.h"

#include <cstdint>
#include <string>

namespace talsk {

constexpr int kMaxChunkHeader = 1080;
constexpr uint32_t kMaxChunkBits = 2097152;
constexpr int kTreeArea = 1024;

// Writes the table's chunks at the file's current position; returns the bytes
// written (0 for an empty pool), or -1 when writing failed or a chunk's code
// would not fit the reader's limits.
int64_t packTable(File& file, const std::string& fileKey, const char* pool, int32_t textSize);

// Reads textSize bytes of records from the block at the file's current
// position into pool (textSize rounded up to 4, plus room for a closing zero).
// Returns false on any damage, wrong key or read error. With threads >= 2
// the chunks are decoded on two threads (the result is the same).
[[nodiscard]] bool unpackTable(File& file, const std::string& fileKey, int32_t textSize,
                               int32_t chunkSize, Block& pool, int threads = 1);

// Frees the chunk buffers unpackTable keeps for this thread's next table.
void releaseChunkBuffers();

// Threads worth giving unpackTable while bases load: 2 where the processor has them.
int decodeThreadsForLoading();

} // namespace talsk
