// Blocks of many chunks: decoded side by side and on two threads, the pool
// must be what walking the tree bit by bit over the chunks in order gives.

#include "base/codec.h"
#include "platform/memory_file.h"
#include "support/random_records.h"

#include <gtest/gtest.h>

using namespace talsk;
using namespace talsk::test;

namespace {

using Bytes = std::vector<unsigned char>;

void put16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<unsigned char>(v));
    b.push_back(static_cast<unsigned char>(v >> 8));
}

// The tree of a packed skewed pool: codes from 1 bit to well past 12.
std::vector<uint16_t> skewedTree(RecordGenerator& gen) {
    std::string pool;
    uint64_t w = 1;
    const int distinct = 20 + gen.below(200);
    for (int c = 0; c < distinct; ++c) {
        pool.append(static_cast<size_t>(w), static_cast<char>(c));
        w = std::min<uint64_t>(w * 2, 700 + static_cast<uint64_t>(gen.below(300)));
    }
    MemoryFile f;
    EXPECT_GT(packTable(f, "", pool.data(), static_cast<int32_t>(pool.size())), 0);
    const Bytes& b = f.bytes();
    std::vector<uint16_t> tree((b[8] | (b[9] << 8)) / 2);
    for (size_t e = 0; e < tree.size(); ++e)
        tree[e] = static_cast<uint16_t>(b[10 + 2 * e] | (b[11 + 2 * e] << 8));
    return tree;
}

// Random bits walked through the tree until `symbols` bytes came out: the
// chunk's bits end on a code boundary. Appends the chunk and the bytes.
void addChunk(const std::vector<uint16_t>& tree, bool withTree, size_t symbols,
              RecordGenerator& gen, Bytes& block, std::string& expected) {
    Bytes bits;
    uint32_t bitCount = 0;
    const size_t root = tree.size() - 2;
    size_t node = root;
    for (size_t made = 0; made < symbols; ++bitCount) {
        if (bitCount % 8 == 0) bits.push_back(static_cast<unsigned char>(gen.next()));
        const uint16_t v = tree[node + ((bits.back() >> (bitCount % 8)) & 1)];
        if (v >= 0xF000) {
            expected += static_cast<char>(v & 0xFF);
            ++made;
            node = root;
        } else {
            node = v;
        }
    }
    if (bitCount % 8 != 0) // bits past the count are not part of the chunk
        bits.back() &= static_cast<unsigned char>((1u << (bitCount % 8)) - 1);
    const uint32_t treeLength = withTree ? static_cast<uint32_t>(tree.size() * 2) : 0;
    put16(block, withTree ? treeLength + 8 : 6);
    put16(block, bitCount & 0xFFFF);
    put16(block, bitCount >> 16);
    block.push_back(0);
    block.push_back(withTree ? 1 : 0);
    if (withTree) {
        put16(block, treeLength);
        for (uint16_t e : tree)
            put16(block, e);
    }
    block.insert(block.end(), bits.begin(), bits.end());
}

bool unpack(const Bytes& block, size_t textSize, int32_t chunkSize, int threads, std::string& out) {
    MemoryFile f(block);
    Block pool;
    if (!unpackTable(f, "", static_cast<int32_t>(textSize), chunkSize, pool, threads)) return false;
    out.assign(pool.data(), textSize);
    return true;
}

} // namespace

TEST(CodecChunks, SideBySideAndTwoThreadsAgreeWithTheTreeWalk) {
    RecordGenerator gen(41);
    const int32_t chunkSize = 3000;
    for (int rep = 0; rep < 6; ++rep) {
        const std::vector<uint16_t> tree = skewedTree(gen);
        // Full chunks, one more than a multiple of the interleave, and a short last one.
        const int full = 7 + rep;
        const size_t last = 1 + static_cast<size_t>(gen.below(chunkSize));
        Bytes block;
        std::string expected;
        for (int c = 0; c < full; ++c)
            addChunk(tree, c == 0, chunkSize, gen, block, expected);
        addChunk(tree, false, last, gen, block, expected);
        for (int threads : {1, 2}) {
            std::string got;
            ASSERT_TRUE(unpack(block, expected.size(), chunkSize, threads, got))
                << "rep " << rep << " threads " << threads;
            EXPECT_TRUE(got == expected) << "rep " << rep << " threads " << threads;
            EXPECT_FALSE(unpack(block, expected.size() - 1, chunkSize, threads, got));
            EXPECT_FALSE(unpack(block, expected.size() + 1, chunkSize, threads, got));
            // Cut short in the last chunk, or in the middle, while a half is decoding.
            for (size_t keep : {block.size() - 1, block.size() / 2}) {
                const Bytes cut(block.begin(), block.begin() + static_cast<long>(keep));
                EXPECT_FALSE(unpack(cut, expected.size(), chunkSize, threads, got));
            }
        }
    }
}

// Chunks of 120-bit codes that end long before their place is full: decoding
// side by side must stop at the end of each chunk's bits (the sanitizers
// see any read past them) and the block fails.
TEST(CodecChunks, ShortChunksOfLongCodesFailWithoutReadingPastTheirBits) {
    // A chain: pair k holds a leaf and pair k - 1, so all-ones is a 120-bit code.
    std::vector<uint16_t> tree{0xF000, 0xF001};
    for (uint16_t k = 1; k < 120; ++k) {
        tree.push_back(static_cast<uint16_t>(0xF001 + k));
        tree.push_back(static_cast<uint16_t>(2 * (k - 1)));
    }
    const int32_t chunkSize = 4000;
    const uint32_t bitCount = 3000 * 8; // 200 codes for a place of 4000 bytes
    Bytes block;
    for (int c = 0; c < 9; ++c) {
        const bool withTree = c == 0;
        put16(block, withTree ? static_cast<uint32_t>(tree.size() * 2 + 8) : 6);
        put16(block, bitCount & 0xFFFF);
        put16(block, bitCount >> 16);
        block.push_back(0);
        block.push_back(withTree ? 1 : 0);
        if (withTree) {
            put16(block, static_cast<uint32_t>(tree.size() * 2));
            for (uint16_t e : tree)
                put16(block, e);
        }
        block.insert(block.end(), bitCount / 8, 0xFF);
    }
    for (int threads : {1, 2}) {
        std::string got;
        EXPECT_FALSE(unpack(block, 9 * chunkSize, chunkSize, threads, got)) << threads;
    }
}

// Chunks that do not each hold the chunk size still append one after another:
// the block is good when the total is right.
TEST(CodecChunks, UnevenChunksAppendInOrder) {
    RecordGenerator gen(43);
    const int32_t chunkSize = 2000;
    const std::vector<uint16_t> tree = skewedTree(gen);
    const size_t sizes[] = {2000, 2000, 1999, 2001, 2000, 2000, 2000, 10};
    Bytes block;
    std::string expected;
    for (size_t c = 0; c < std::size(sizes); ++c)
        addChunk(tree, c == 0, sizes[c], gen, block, expected);
    for (int threads : {1, 2}) {
        std::string got;
        ASSERT_TRUE(unpack(block, expected.size(), chunkSize, threads, got));
        EXPECT_TRUE(got == expected);
        EXPECT_FALSE(unpack(block, expected.size() - 1, chunkSize, threads, got));
    }
}

// A later chunk may bring a tree of its own, in force from there on.
TEST(CodecChunks, LaterTreeTakesOver) {
    RecordGenerator gen(47);
    const int32_t chunkSize = 1500;
    const std::vector<uint16_t> first = skewedTree(gen);
    const std::vector<uint16_t> second = skewedTree(gen);
    Bytes block;
    std::string expected;
    for (int c = 0; c < 8; ++c)
        addChunk(c < 4 ? first : second, c == 0 || c == 4, chunkSize, gen, block, expected);
    for (int threads : {1, 2}) {
        std::string got;
        ASSERT_TRUE(unpack(block, expected.size(), chunkSize, threads, got));
        EXPECT_TRUE(got == expected);
    }
}
