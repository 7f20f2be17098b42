#include "base/cipher.h"
#include "base/codec.h"
#include "platform/memory_file.h"
#include "support/random_records.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

using namespace talsk;
using namespace talsk::test;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes pack(const std::string& pool, const std::string& key = "") {
    MemoryFile f;
    int64_t n = packTable(f, key, pool.data(), static_cast<int32_t>(pool.size()));
    EXPECT_EQ(n, static_cast<int64_t>(f.bytes().size()));
    return f.bytes();
}

bool unpack(const Bytes& bytes, std::string& out, int32_t textSize, const std::string& key = "",
            int32_t chunkSize = kChunkSize) {
    MemoryFile f(bytes);
    Block pool;
    if (!unpackTable(f, key, textSize, chunkSize, pool)) return false;
    out.assign(pool.data(), static_cast<size_t>(textSize));
    return true;
}

void expectRoundTrip(const std::string& pool, const std::string& key = "") {
    Bytes packed = pack(pool, key);
    ASSERT_FALSE(packed.empty());
    std::string back;
    ASSERT_TRUE(unpack(packed, back, static_cast<int32_t>(pool.size()), key));
    EXPECT_TRUE(back == pool);
}

uint16_t u16(const Bytes& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
uint32_t u32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16) |
           (uint32_t(b[at + 3]) << 24);
}

// Longest code of the tree in a key-less first chunk header.
int maxCodeLength(const Bytes& b) {
    const size_t entries = u16(b, 8) / 2;
    std::vector<int> depth(entries, 0); // depth of each pair, by first entry
    int longest = 0;
    for (size_t e = entries; e-- > 0;) {
        const int here = depth[e & ~size_t(1)] + 1;
        const uint16_t v = u16(b, 10 + 2 * e);
        if (v >= 0xF000)
            longest = std::max(longest, here);
        else
            depth[v] = here;
    }
    return longest;
}

// Edits the (plain, key-less) header of the chunk at `at`.
void setU16(Bytes& b, size_t at, uint16_t v) {
    b[at] = static_cast<unsigned char>(v);
    b[at + 1] = static_cast<unsigned char>(v >> 8);
}
void setU32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<size_t>(i)] = static_cast<unsigned char>(v >> (8 * i));
}

} // namespace

// a:5 b:1 c:2 d:3. Arranged (all five placements to the back): b1 c2 d3 a5.
// Merges: (b,c) -> pair 0; (pair 0, d) -> pair 2 (first of equal weights);
// (pair 2, a) -> root pair 4 (a has no right neighbour).
// Codes, root choice first: a = 1, d = 01, b = 000, c = 001.
TEST(Codec, HandComputedTreeAndBits) {
    const std::string pool = "aaaaabccddd";
    const Bytes expected = {
        20,   0,                                     // headerLength
        20,   0,    0,    0,    0,    1,    12,   0, // bits, 0, tree flag, length
        0x62, 0xF0, 0x63, 0xF0, 0x00, 0x00, 0x64, 0xF0, 0x02, 0x00, 0x61, 0xF0, // tree
        0x1F, 0xA4, 0x0A}; // 11111 000 001 001 01 01 01
    EXPECT_EQ(pack(pool), expected);
    std::string back;
    ASSERT_TRUE(unpack(expected, back, 11));
    EXPECT_EQ(back, pool);
}

TEST(Codec, EmptyPoolWritesNothing) {
    MemoryFile f;
    EXPECT_EQ(packTable(f, "k", "", 0), 0);
    EXPECT_TRUE(f.bytes().empty());
    std::string back;
    EXPECT_TRUE(unpack({}, back, 0));
}

TEST(Codec, TwoDistinctBytesGiveOnePairAndOneBitCodes) {
    std::string pool = "xyyxyxxxyy";
    Bytes b = pack(pool);
    EXPECT_EQ(u16(b, 0), 12);  // 4-byte tree
    EXPECT_EQ(u32(b, 2), 10u); // one bit a byte
    EXPECT_EQ(u16(b, 8), 4);   // treeLength
    EXPECT_EQ(b.size(), 2u + 12 + 2);
    expectRoundTrip(pool);
}

TEST(Codec, OneDistinctByte) {
    for (size_t n : {size_t(1), size_t(7), size_t(262144), size_t(262145), size_t(600000)}) {
        std::string pool(n, '\0');
        Bytes b = pack(pool);
        EXPECT_EQ(u16(b, 0), 12); // one pair: the same leaf twice
        EXPECT_EQ(u16(b, 10), 0xF000);
        EXPECT_EQ(u16(b, 12), 0xF000);
        expectRoundTrip(pool);
        expectRoundTrip(std::string(n, '\xFF'), "key");
    }
}

TEST(Codec, ChunkBoundaries) {
    RecordGenerator gen(3);
    std::string pool(262145, ' ');
    for (char& c : pool)
        c = "abcdefgh\0"[gen.below(9)];
    // Exactly one chunk.
    Bytes one = pack(pool.substr(0, 262144));
    const size_t firstEnd = 2 + u16(one, 0) + (u32(one, 2) + 7) / 8;
    EXPECT_EQ(firstEnd, one.size());
    expectRoundTrip(pool.substr(0, 262144));
    // One byte more: a second chunk coding that byte, with a 6-byte header.
    Bytes two = pack(pool);
    const size_t second = 2 + u16(two, 0) + (u32(two, 2) + 7) / 8;
    ASSERT_LT(second, two.size());
    EXPECT_EQ(u16(two, second), 6);
    EXPECT_EQ(two[second + 2 + 5], 0); // no tree
    EXPECT_GE(u32(two, second + 2), 1u);
    EXPECT_LE(u32(two, second + 2), 8u);
    EXPECT_EQ(second + 2 + 6 + (u32(two, second + 2) + 7) / 8, two.size());
    expectRoundTrip(pool);
    expectRoundTrip(pool, "\x01\x02\x03");
}

TEST(Codec, PlainHeadersWithoutKeyEncipheredWithKey) {
    std::string pool(300000, 'a');
    for (size_t i = 0; i < pool.size(); i += 3)
        pool[i] = 'b';
    Bytes plain = pack(pool);
    Bytes keyed = pack(pool, "secret");
    ASSERT_EQ(plain.size(), keyed.size());
    EXPECT_EQ(u16(keyed, 0), u16(plain, 0)); // headerLength stays plain
    EXPECT_EQ(u32(plain, 2), 262144u);       // bit count at offset 2
    EXPECT_EQ(plain[7], 1);
    const size_t headerLength = u16(plain, 0);
    EXPECT_NE(std::memcmp(plain.data() + 2, keyed.data() + 2, headerLength), 0);
    Bytes h(keyed.begin() + 2, keyed.begin() + 2 + static_cast<long>(headerLength));
    decipher(h.data(), h.size(), "secret");
    EXPECT_TRUE(std::equal(h.begin(), h.end(), plain.begin() + 2));
    // The coded bits of the first chunk are the same.
    const long bits = 2 + static_cast<long>(headerLength);
    EXPECT_TRUE(
        std::equal(plain.begin() + bits, plain.begin() + bits + 262144 / 8, keyed.begin() + bits));
    std::string back;
    EXPECT_FALSE(unpack(keyed, back, static_cast<int32_t>(pool.size()), "secreT"));
    EXPECT_FALSE(unpack(keyed, back, static_cast<int32_t>(pool.size()), ""));
    EXPECT_TRUE(unpack(keyed, back, static_cast<int32_t>(pool.size()), "secret"));
}

TEST(Codec, RandomPoolsRoundTrip) {
    RecordGenerator gen(17);
    for (int rep = 0; rep < 60; ++rep) {
        const int distinct = 1 + gen.below(256);
        const size_t n = 1 + static_cast<size_t>(gen.below(rep % 10 == 0 ? 700000 : 5000));
        std::string pool(n, ' ');
        for (char& c : pool)
            c = static_cast<char>(gen.below(distinct) * gen.below(distinct) / distinct);
        expectRoundTrip(pool, gen.key(gen.below(33)));
    }
}

// Weights that grow like Fibonacci numbers give codes far longer than the
// decoder's lookup width, so the tree walk for long codes is exercised.
TEST(Codec, LongCodesRoundTrip) {
    std::string pool;
    uint64_t a = 1, b = 1;
    for (int c = 0; c < 27; ++c) {
        pool.append(static_cast<size_t>(a), static_cast<char>('A' + c));
        uint64_t next = a + b;
        a = b;
        b = next;
    }
    // Mixed order, so long and short codes alternate in the stream.
    RecordGenerator gen(23);
    for (size_t i = pool.size(); i > 1; --i)
        std::swap(pool[i - 1], pool[static_cast<size_t>(gen.below(static_cast<int>(i)))]);
    EXPECT_GT(maxCodeLength(pack(pool)), 16);
    expectRoundTrip(pool);
    expectRoundTrip(pool, "k");
}

// The writer gathers several short codes per store and takes longer codes
// one at a time; pools whose longest code falls in each band round-trip.
TEST(Codec, EveryCodeLengthBandRoundTrips) {
    RecordGenerator gen(37);
    for (int symbols : {12, 17, 22, 31}) {
        std::string pool;
        uint64_t a = 1, b = 1;
        for (int c = 0; c < symbols; ++c) {
            pool.append(static_cast<size_t>(a), static_cast<char>('A' + c));
            const uint64_t next = a + b;
            a = b;
            b = next;
        }
        for (size_t i = pool.size(); i > 1; --i)
            std::swap(pool[i - 1], pool[static_cast<size_t>(gen.below(static_cast<int>(i)))]);
        EXPECT_GE(maxCodeLength(pack(pool)), symbols - 2) << symbols;
        expectRoundTrip(pool);
    }
}

TEST(Codec, AllByteValues) {
    std::string pool;
    for (int rep = 0; rep < 3; ++rep)
        for (int c = 0; c < 256; ++c)
            pool += static_cast<char>(c);
    Bytes b = pack(pool);
    EXPECT_EQ(u16(b, 0), 1020 + 8); // 255 pairs
    EXPECT_EQ(maxCodeLength(b), 8); // equal weights: a balanced tree
    expectRoundTrip(pool);
}

// A chunk that only holds bytes rare in the whole pool gets long codes: more
// than 2,097,152 bits, which no reader takes back. The writer refuses.
TEST(Codec, ChunkOverTheBitLimitIsRefused) {
    std::string pool(262144 * 8, 'A');
    for (size_t i = 0; i < pool.size(); i += 5)
        pool[i] = '\0';
    std::string rare(262144, ' ');
    for (size_t i = 0; i < rare.size(); ++i)
        rare[i] = static_cast<char>(1 + i % 255);
    MemoryFile f;
    EXPECT_EQ(
        packTable(f, "", (pool + rare).data(), static_cast<int32_t>(pool.size() + rare.size())),
        -1);
    // The same bytes spread over all chunks code fine.
    std::string mixed;
    for (size_t i = 0; i < rare.size(); ++i)
        mixed.append(pool, i * 8, 8).push_back(rare[i]);
    expectRoundTrip(mixed);
}

TEST(Codec, DamagedChunksFail) {
    std::string pool(270000, ' ');
    RecordGenerator gen(29);
    for (char& c : pool)
        c = static_cast<char>('a' + gen.below(20));
    const Bytes good = pack(pool);
    const int32_t size = static_cast<int32_t>(pool.size());
    const size_t h = u16(good, 0);
    const size_t second = 2 + h + (u32(good, 2) + 7) / 8;
    std::string back;
    ASSERT_TRUE(unpack(good, back, size));

    auto fails = [&](const Bytes& b, int32_t textSize = -1, int32_t chunkSize = kChunkSize) {
        std::string out;
        return !unpack(b, out, textSize < 0 ? size : textSize, "", chunkSize);
    };
    Bytes b = good;
    setU16(b, 0, 1081); // header longer than 1080
    EXPECT_TRUE(fails(b));
    b = good;
    setU32(b, 2, 2097153); // bit count over the limit
    EXPECT_TRUE(fails(b));
    b = good;
    setU32(b, 2, u32(good, 2) + 8); // more bits than the chunk has: runs into the next chunk
    EXPECT_TRUE(fails(b));
    b = good;
    setU16(b, 8, static_cast<uint16_t>(u16(good, 8) + 2)); // tree length past the header
    EXPECT_TRUE(fails(b));
    b = good;
    setU16(b, 8, 0xFFFF); // negative tree length
    EXPECT_TRUE(fails(b));
    b = good;
    setU16(b, 8, 2); // half a pair
    EXPECT_TRUE(fails(b));
    b = good;
    setU16(b, 10, 0x0000); // first entry not a leaf
    EXPECT_TRUE(fails(b));
    b = good;
    setU16(b, 10 + h - 8 - 4, 0x0400); // a root reference beyond the tree
    EXPECT_TRUE(fails(b));
    b = good;
    setU16(b, 10 + h - 8 - 4, static_cast<uint16_t>(h - 8 - 4) / 2); // root refers to itself
    EXPECT_TRUE(fails(b));
    b = good;
    b[7] = 0; // first chunk without a tree, header still long
    EXPECT_TRUE(fails(b));
    b = good;
    b[second + 2 + 5] = 1; // a later chunk claims a tree it does not carry
    EXPECT_TRUE(fails(b));
    b = good;
    b.resize(b.size() - 1); // coded bits cut short
    EXPECT_TRUE(fails(b));
    EXPECT_TRUE(fails(good, size + 1)); // fewer bytes than claimed
    EXPECT_TRUE(fails(good, size - 1)); // more bytes than room
    EXPECT_TRUE(fails(good, size, 0));  // no chunk size
    EXPECT_TRUE(fails(good, size, -5));
    EXPECT_TRUE(fails(good, size, 100)); // other chunking: bits overrun the buffer
}

namespace {

// The decoding rule stated plainly: one bit at a time from the root pair;
// a leaf emits its byte and goes back to the root; a code cut off by the end
// of the bits is dropped.
std::string walkTree(const std::vector<uint16_t>& tree, const Bytes& bits, uint32_t bitCount) {
    std::string out;
    size_t node = tree.size() - 2;
    for (uint32_t pos = 0; pos < bitCount; ++pos) {
        uint16_t v = tree[node + ((bits[pos >> 3] >> (pos & 7)) & 1)];
        if (v >= 0xF000) {
            out += static_cast<char>(v & 0xFF);
            node = tree.size() - 2;
        } else {
            node = v;
        }
    }
    return out;
}

} // namespace

// The table-driven decoder against the plain tree walk, on trees with short
// and long codes and on arbitrary bit streams (which end inside codes).
TEST(Codec, DecoderAgreesWithTreeWalk) {
    RecordGenerator gen(31);
    int longTrees = 0;
    for (int rep = 0; rep < 40; ++rep) {
        // A tree from a skewed pool: some codes well past the lookup width.
        std::string pool;
        const int distinct = 2 + gen.below(255);
        uint64_t w = 1;
        for (int c = 0; c < distinct; ++c) {
            pool.append(static_cast<size_t>(w), static_cast<char>(c));
            w = rep % 2 ? w + 1 + gen.below(3) : std::min<uint64_t>(w * 2, 900);
        }
        Bytes first = pack(pool);
        if (maxCodeLength(first) > 14) ++longTrees;
        const size_t treeLength = u16(first, 8);
        std::vector<uint16_t> tree(treeLength / 2);
        for (size_t e = 0; e < tree.size(); ++e)
            tree[e] = u16(first, 10 + 2 * e);

        const uint32_t bitCount = static_cast<uint32_t>(gen.below(40000));
        Bytes stream((bitCount + 7) / 8);
        for (auto& c : stream)
            c = static_cast<unsigned char>(gen.next());
        const std::string expected = walkTree(tree, stream, bitCount);

        Bytes chunk(first.begin(), first.begin() + 2 + static_cast<long>(u16(first, 0)));
        setU32(chunk, 2, bitCount);
        chunk.insert(chunk.end(), stream.begin(), stream.end());
        std::string got;
        ASSERT_TRUE(unpack(chunk, got, static_cast<int32_t>(expected.size()))) << "rep " << rep;
        EXPECT_TRUE(got == expected) << "rep " << rep;
        if (!expected.empty()) {
            EXPECT_FALSE(unpack(chunk, got, static_cast<int32_t>(expected.size()) - 1));
        }
    }
    EXPECT_GE(longTrees, 10);
}
