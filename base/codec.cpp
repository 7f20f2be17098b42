#include "base/codec.h"

#include "base/cipher.h"
#include "platform/little_endian.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <thread>
#include <vector>

namespace talsk {

namespace {

constexpr uint16_t kLeafMark = 0xF000;
constexpr int kPackChunk = 262144;
constexpr int kMaxCodeLength = 64;

// ---- building the tree ----------------------------------------------------

struct Item {
    uint64_t weight;
    bool leaf;
    uint16_t value; // byte value of a leaf, or the first entry index of an internal node
};

// Heaviest items go to both ends, alternating in groups of five (back first).
void arrange(std::vector<Item>& items) {
    size_t lo = 0;
    size_t hi = items.size();
    for (size_t placed = 0; lo < hi; ++placed) {
        size_t best = lo;
        for (size_t j = lo + 1; j < hi; ++j)
            if (items[j].weight > items[best].weight) best = j;
        bool toBack = (placed / 5) % 2 == 0;
        size_t target = toBack ? hi - 1 : lo;
        std::swap(items[best], items[target]);
        if (toBack)
            --hi;
        else
            ++lo;
    }
}

std::vector<uint16_t> buildTree(const uint64_t (&freq)[256]) {
    std::vector<Item> items;
    for (int c = 0; c < 256; ++c)
        if (freq[c] != 0) items.push_back(Item{freq[c], true, static_cast<uint16_t>(c)});
    std::vector<uint16_t> tree;
    if (items.size() == 1) {
        // One distinct byte: one pair whose two entries are the same leaf, so
        // that every byte still costs one bit and the reader can count them.
        uint16_t leaf = static_cast<uint16_t>(kLeafMark + items[0].value);
        tree = {leaf, leaf};
        return tree;
    }
    arrange(items);
    auto entryOf = [](const Item& it) {
        return it.leaf ? static_cast<uint16_t>(kLeafMark + it.value) : it.value;
    };
    while (items.size() > 1) {
        size_t j = 0;
        for (size_t k = 1; k < items.size(); ++k)
            if (items[k].weight < items[j].weight) j = k;
        size_t a;
        if (j == 0)
            a = 0;
        else if (j + 1 < items.size() && items[j + 1].weight <= items[j - 1].weight)
            a = j;
        else
            a = j - 1;
        uint16_t first = static_cast<uint16_t>(tree.size());
        tree.push_back(entryOf(items[a]));
        tree.push_back(entryOf(items[a + 1]));
        items[a] = Item{items[a].weight + items[a + 1].weight, false, first};
        items.erase(items.begin() + static_cast<std::ptrdiff_t>(a) + 1);
    }
    return tree;
}

struct Code {
    uint64_t bits = 0;
    int length = 0;
};

// Codes from the stored tree: from each leaf up to the root; bit 0 is the
// choice at the root. Returns false when a code would be longer than 64 bits.
bool assignCodes(const std::vector<uint16_t>& tree, std::array<Code, 256>& codes) {
    for (size_t e = 0; e < tree.size(); ++e) {
        if (tree[e] < kLeafMark) continue;
        uint64_t bits = e % 2;
        int length = 1;
        size_t current = e & ~size_t(1);
        for (size_t f = current + 2; f < tree.size(); ++f) {
            if (tree[f] < kLeafMark && tree[f] == current) {
                if (length >= kMaxCodeLength) return false;
                bits = (bits << 1) | (f % 2);
                ++length;
                current = f & ~size_t(1);
            }
        }
        codes[tree[e] & 0xFF] = Code{bits, length};
    }
    return true;
}

// ---- writing ------------------------------------------------------------

class BitWriter {
public:
    explicit BitWriter(unsigned char* out) : out_(out) {}
    void put(uint64_t bits, int length) {
        if (length > 32) {
            put32(static_cast<uint32_t>(bits), 32);
            put32(static_cast<uint32_t>(bits >> 32), length - 32);
        } else {
            put32(static_cast<uint32_t>(bits), length);
        }
    }
    // Without a branch on the word being full: the low word is stored every
    // time and kept only when 32 bits were reached.
    void put32(uint32_t bits, int length) {
        acc_ |= static_cast<uint64_t>(bits) << count_;
        count_ += length;
        putU32(out_ + written_, static_cast<uint32_t>(acc_));
        const int full = count_ >> 5;
        written_ += static_cast<size_t>(full) * 4;
        acc_ >>= full * 32;
        count_ -= full * 32;
    }
    void finish() {
        if (count_ > 0) {
            putU32(out_ + written_, static_cast<uint32_t>(acc_));
            written_ += 4;
            acc_ = 0;
            count_ = 0;
        }
    }

private:
    unsigned char* out_;
    size_t written_ = 0;
    uint64_t acc_ = 0;
    int count_ = 0;
};

// Codes of at most 56 / PerFlush bits: PerFlush codes gathered in a 64-bit
// word, then its whole bytes stored at once (8 bytes are written, so the
// output has 8 bytes of room past the bits). The bits come out as the 32-bit
// word packing gives them on a little-endian host.
template <int PerFlush>
void packShortCodes(const unsigned char* in, size_t n, const uint32_t* bits, const uint8_t* length,
                    unsigned char* out) {
    uint64_t acc = 0;
    unsigned count = 0;
    size_t i = 0;
    auto flush = [&] {
        std::memcpy(out, &acc, sizeof acc);
        out += count >> 3;
        acc >>= count & ~7u; // at most 56: count stays below 64
        count &= 7;
    };
    for (; i + PerFlush <= n; i += PerFlush) {
        for (int k = 0; k < PerFlush; ++k) {
            acc |= static_cast<uint64_t>(bits[in[i + k]]) << count;
            count += length[in[i + k]];
        }
        flush();
    }
    for (; i < n; ++i) {
        acc |= static_cast<uint64_t>(bits[in[i]]) << count;
        count += length[in[i]];
        flush();
    }
    std::memcpy(out, &acc, sizeof acc); // the last, partial byte
}

// Counts the bytes of [begin, end) into four tables in turn, so that runs of
// one byte value do not wait on each other's increments, then sums them.
void countBytes(const unsigned char* begin, const unsigned char* end, uint32_t* out) {
    uint32_t part[4][256] = {};
    const unsigned char* p = begin;
    for (; end - p >= 4; p += 4) {
        ++part[0][p[0]];
        ++part[1][p[1]];
        ++part[2][p[2]];
        ++part[3][p[3]];
    }
    for (; p < end; ++p)
        ++part[0][*p];
    for (int b = 0; b < 256; ++b)
        out[b] = part[0][b] + part[1][b] + part[2][b] + part[3][b];
}

} // namespace

int64_t packTable(File& file, const std::string& fileKey, const char* pool, int32_t textSize) {
    if (textSize <= 0) return 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(pool);
    // Byte counts per chunk: their sum builds the tree, and each chunk's bit
    // count follows from its own counts without another pass over the pool.
    const size_t chunkCount = (static_cast<size_t>(textSize) + kPackChunk - 1) / kPackChunk;
    std::vector<std::array<uint32_t, 256>> chunkFreq(chunkCount);
    uint64_t freq[256] = {};
    for (size_t c = 0; c < chunkCount; ++c) {
        std::array<uint32_t, 256>& f = chunkFreq[c];
        f.fill(0);
        const size_t begin = c * kPackChunk;
        const size_t end = std::min(begin + kPackChunk, static_cast<size_t>(textSize));
        countBytes(bytes + begin, bytes + end, f.data());
        for (int b = 0; b < 256; ++b)
            freq[b] += f[static_cast<size_t>(b)];
    }
    std::vector<uint16_t> tree = buildTree(freq);
    std::array<Code, 256> codes{};
    if (!assignCodes(tree, codes)) return -1;
    const int treeLength = static_cast<int>(tree.size() * 2);
    // Compact copies of the codes for the common case that all fit 32 bits.
    int longest = 0;
    uint32_t shortBits[256];
    uint8_t shortLength[256];
    for (size_t b = 0; b < 256; ++b) {
        longest = std::max(longest, codes[b].length);
        shortBits[b] = static_cast<uint32_t>(codes[b].bits);
        shortLength[b] = static_cast<uint8_t>(codes[b].length);
    }

    std::vector<unsigned char> bitBuffer(kMaxChunkBits / 8 + 8);
    int64_t total = 0;
    for (int64_t start = 0; start < textSize; start += kPackChunk) {
        const int64_t length = std::min<int64_t>(kPackChunk, textSize - start);
        const unsigned char* in = bytes + start;
        uint64_t bitCount = 0;
        const std::array<uint32_t, 256>& f = chunkFreq[static_cast<size_t>(start / kPackChunk)];
        for (int b = 0; b < 256; ++b)
            bitCount += uint64_t(f[static_cast<size_t>(b)]) *
                        static_cast<uint64_t>(codes[static_cast<size_t>(b)].length);
        if (bitCount > kMaxChunkBits) return -1; // the reader could not take it back
        const auto n = static_cast<size_t>(length);
        unsigned char* coded = bitBuffer.data();
        if (longest <= 14) {
            packShortCodes<4>(in, n, shortBits, shortLength, coded);
        } else if (longest <= 18) {
            packShortCodes<3>(in, n, shortBits, shortLength, coded);
        } else if (longest <= 28) {
            packShortCodes<2>(in, n, shortBits, shortLength, coded);
        } else {
            BitWriter writer(coded);
            for (int64_t i = 0; i < length; ++i)
                writer.put(codes[in[i]].bits, codes[in[i]].length);
            writer.finish();
        }

        const bool first = start == 0;
        unsigned char header[2 + kMaxChunkHeader] = {};
        const int headerLength = first ? treeLength + 8 : 6;
        putU16(header, static_cast<uint16_t>(headerLength));
        unsigned char* h = header + 2;
        putU32(h, static_cast<uint32_t>(bitCount));
        h[4] = 0;
        h[5] = first ? 1 : 0;
        if (first) {
            putU16(h + 6, static_cast<uint16_t>(treeLength));
            for (size_t e = 0; e < tree.size(); ++e)
                putU16(h + 8 + 2 * e, tree[e]);
        }
        encipher(h, static_cast<size_t>(headerLength), fileKey.c_str());
        const int64_t codedBytes = static_cast<int64_t>((bitCount + 7) / 8);
        if (!file.write(header, 2 + headerLength) || !file.write(bitBuffer.data(), codedBytes))
            return -1;
        total += 2 + headerLength + codedBytes;
    }
    return total;
}

// ---- reading ------------------------------------------------------------

namespace {

// Decoding looks up 14 bits at a time: one entry gives the one, two or three
// whole codes that start the window, or, for a code longer than the window, the
// pair reached, from which the tree is walked bit by bit. The result is the
// same as walking the tree for every bit.
constexpr int kLookupBits = 14;
constexpr uint32_t kLookupMask = (1u << kLookupBits) - 1;
// Look-ups taken from one 64-bit load: 4 x 14 bits fit the 57 bits a load
// at any bit position is sure to hold.
constexpr int kLookupsPerLoad = 4;
constexpr uint64_t kStepBits = kLookupsPerLoad * kLookupBits;
// Chunks decoded side by side in one thread: their bit streams do not depend
// on each other, so the look-ups of one fill the wait on those of another.
constexpr size_t kInterleave = 4;
// Chunks the two-thread decoder holds at once (a table of 16 GB in chunks of 262,144 bytes).
constexpr size_t kMaxHeldChunks = 65536;

// One look-up in 32 bits, so that a single store writes its bytes: bits 0-23
// the bytes decoded (for a long code, the pair reached), bits 24-27 the bits
// consumed, bits 28-29 the bytes decoded (1 to 3; 0 for a long code).
struct Lookup {
    uint32_t word = 0;

    int count() const { return static_cast<int>(word >> 28); }
    int bits() const { return static_cast<int>((word >> 24) & 15); }
    unsigned char symbol(int k) const { return static_cast<unsigned char>(word >> (8 * k)); }
    int pair() const { return static_cast<int>(word & 0xFFFF); }
};

inline uint64_t load64(const unsigned char* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v; // little-endian hosts only, as the file format itself
}

// One chunk being decoded: its bits (followed by 8 zero bytes) and the part
// of the pool it may write.
struct Stream {
    const unsigned char* in = nullptr;
    uint64_t pos = 0;
    uint64_t bitCount = 0;
    unsigned char* out = nullptr;
    unsigned char* end = nullptr;

    // Room for a whole step: the bits of all its look-ups and 8 output bytes.
    bool roomForStep() const { return pos + kStepBits <= bitCount && end - out >= 16; }
    // Steps in a row that have that room, as long as none meets a long code
    // (which may take more bits): each takes at most kStepBits bits and
    // moves out by at most 3 bytes a look-up.
    uint64_t roomySteps() const {
        if (!roomForStep()) return 0;
        const auto byOut = static_cast<uint64_t>((end - out - 16) / (3 * kLookupsPerLoad) + 1);
        return std::min<uint64_t>((bitCount - pos) / kStepBits, byOut);
    }
};

// What a step met.
constexpr unsigned kStepShort = 0; // short codes only
constexpr unsigned kStepLong = 1;  // a long code, walked to its end
constexpr unsigned kStepFailed = 2;

class Decoder {
public:
    // Checks the tree: entries in pairs, first entry a leaf, references even
    // and below the referring entry (so a walk always stays inside the tree),
    // and the chain of pairs from the first pair ends in the last pair.
    bool setTree(const unsigned char* bytes, int treeLength) {
        if (treeLength < 4 || treeLength % 4 != 0 || treeLength > kTreeArea) return false;
        const int entries = treeLength / 2;
        tree_.resize(static_cast<size_t>(entries));
        for (int e = 0; e < entries; ++e)
            tree_[static_cast<size_t>(e)] = getU16(bytes + 2 * e);
        if (tree_[0] < kLeafMark || tree_[1] < kLeafMark) return false;
        for (int e = 2; e < entries; ++e) {
            uint16_t v = tree_[static_cast<size_t>(e)];
            if (v >= kLeafMark) continue;
            if (v % 2 != 0 || v >= (e & ~1)) return false;
        }
        int current = 0;
        for (int f = 2; f < entries; ++f)
            if (tree_[static_cast<size_t>(f)] == current) current = f & ~1;
        if (current != entries - 2) return false;
        root_ = entries - 2;
        buildLookup();
        return true;
    }
    bool hasTree() const { return !tree_.empty(); }

    // Decodes the whole stream; fails when the output would pass its end. A
    // code cut off by the end of the bits is dropped.
    bool decode(Stream& s) const {
        while (s.roomForStep())
            if (step(s) == kStepFailed) return false;
        return finish(s);
    }

    // K streams in lock step while each has room for a whole step, then each
    // to its end. The room is reckoned for a run of steps at once; a long
    // code ends the run.
    template <size_t K> bool decodeSideBySide(Stream (&s)[K]) const {
        for (;;) {
            uint64_t run = s[0].roomySteps();
            for (size_t j = 1; j < K; ++j)
                run = std::min(run, s[j].roomySteps());
            if (run == 0) break;
            for (; run > 0; --run) {
                unsigned met = kStepShort;
                for (size_t j = 0; j < K; ++j)
                    met |= step(s[j]);
                if (met & kStepFailed) return false;
                if (met != kStepShort) break;
            }
        }
        for (size_t j = 0; j < K; ++j)
            if (!decode(s[j])) return false;
        return true;
    }

private:
    static unsigned bit(const unsigned char* in, uint64_t pos) {
        return (in[pos >> 3] >> (pos & 7)) & 1;
    }

    // Up to four look-ups from one load, without a branch on the bit
    // position; the caller has checked roomForStep.
    unsigned step(Stream& s) const {
        // Locals: a store through out could otherwise alias the stream.
        uint64_t pos = s.pos;
        unsigned char* out = s.out;
        uint64_t window = load64(s.in + (pos >> 3)) >> (pos & 7);
        for (int k = 0; k < kLookupsPerLoad; ++k) {
            const Lookup l = lookup_[window & kLookupMask];
            if (l.count() == 0) {
                s.pos = pos;
                s.out = out;
                return walkLongCode(l, s) ? kStepLong : kStepFailed;
            }
            std::memcpy(out, &l.word, 4); // the byte past the symbols is written over next
            out += l.count();
            pos += static_cast<unsigned>(l.bits());
            window >>= l.bits();
        }
        s.pos = pos;
        s.out = out;
        return kStepShort;
    }

    // Whole look-ups while their bits are there, then the last bits one at a time.
    bool finish(Stream& s) const {
        while (s.pos + kLookupBits <= s.bitCount) {
            const Lookup& l = lookup_[(load64(s.in + (s.pos >> 3)) >> (s.pos & 7)) & kLookupMask];
            if (l.count() == 0) {
                if (!walkLongCode(l, s)) return false;
                continue;
            }
            if (s.end - s.out < l.count()) return false;
            for (int k = 0; k < l.count(); ++k)
                s.out[k] = l.symbol(k);
            s.out += l.count();
            s.pos += static_cast<unsigned>(l.bits());
        }
        int node = root_;
        for (; s.pos < s.bitCount; ++s.pos) {
            uint16_t v = tree_[static_cast<size_t>(node) + bit(s.in, s.pos)];
            if (v >= kLeafMark) {
                if (s.out == s.end) return false;
                *s.out++ = static_cast<unsigned char>(v);
                node = root_;
            } else {
                node = v;
            }
        }
        return true;
    }

    // A code longer than the lookup: on from the pair the lookup reached. At
    // the end of the bits the cut code is dropped (pos ends at bitCount).
    bool walkLongCode(const Lookup& l, Stream& s) const {
        s.pos += static_cast<unsigned>(l.bits());
        int node = l.pair();
        while (s.pos < s.bitCount) {
            uint16_t v = tree_[static_cast<size_t>(node) + bit(s.in, s.pos)];
            ++s.pos;
            if (v >= kLeafMark) {
                if (s.out == s.end) return false;
                *s.out++ = static_cast<unsigned char>(v);
                return true;
            }
            node = v;
        }
        return true;
    }

    // Fills the lookup by walking the tree once: every path of up to 14 bits
    // from the root, then from each leaf reached the paths of the next code
    // in the bits left, up to three codes. Each entry is written once.
    void buildLookup() { fillCodes(root_, 0, 0, {}, 0, 0); }

    static Lookup entry(uint32_t symbols, int count, int bits) {
        return Lookup{symbols | static_cast<uint32_t>(bits) << 24 |
                      static_cast<uint32_t>(count) << 28};
    }

    // `code` holds the `depth` bits taken so far, bit 0 first; `done` codes
    // of `doneBits` bits are whole, their bytes in `symbols`; node is where
    // the next code has got to.
    void fillCodes(int node, uint32_t code, int depth, uint32_t symbols, int done, int doneBits) {
        for (uint32_t b = 0; b < 2; ++b) {
            const uint16_t v = tree_[static_cast<size_t>(node) + b];
            const uint32_t next = code | (b << depth);
            const int used = depth + 1;
            if (v >= kLeafMark) {
                const uint32_t withThis = symbols | static_cast<uint32_t>(v & 0xFF) << (8 * done);
                if (done + 1 == 3 || used == kLookupBits) {
                    // Whatever bits follow, the entry is the same.
                    const Lookup l = entry(withThis, done + 1, used);
                    for (uint32_t high = 0; high < (1u << (kLookupBits - used)); ++high)
                        lookup_[next | (high << used)] = l;
                } else {
                    fillCodes(root_, next, used, withThis, done + 1, used);
                }
            } else if (used == kLookupBits) {
                // A code that does not end in the window: the whole ones
                // before it, or the pair reached when it is the first.
                lookup_[next] =
                    done > 0 ? entry(symbols, done, doneBits) : entry(v, 0, kLookupBits);
            } else {
                fillCodes(v, next, used, symbols, done, doneBits);
            }
        }
    }

    std::vector<uint16_t> tree_;
    int root_ = 0;
    std::array<Lookup, kLookupMask + 1> lookup_{};
};

// One chunk as read: its coded bits (8 zero bytes after them) and, when it
// carries one, the tree that is in force from it on.
struct ReadChunk {
    unsigned char* bits = nullptr; // owned, or a part of a larger block
    std::unique_ptr<unsigned char[]> owned;
    size_t room = 0; // bytes the bits buffer holds
    uint32_t bitCount = 0;
    std::vector<unsigned char> tree;
};

// Reads one chunk's header and bits; the buffer is kept when large enough.
// A tree is only taken apart here, the decoder checks it.
bool readChunk(File& file, const std::string& fileKey, size_t bitBufferSize, ReadChunk& chunk) {
    unsigned char lengthBytes[2];
    if (!file.readExact(lengthBytes, 2)) return false;
    const int headerLength = getU16(lengthBytes);
    if (headerLength > kMaxChunkHeader) return false;
    unsigned char header[kMaxChunkHeader] = {};
    if (!file.readExact(header, headerLength)) return false;
    decipher(header, static_cast<size_t>(headerLength), fileKey.c_str());
    chunk.bitCount = getU32(header);
    if (chunk.bitCount > kMaxChunkBits) return false;
    chunk.tree.clear();
    if (header[5] == 1) {
        const int treeLength = static_cast<int16_t>(getU16(header + 6));
        if (treeLength < 0 || 8 + treeLength > headerLength) return false;
        chunk.tree.assign(header + 8, header + 8 + treeLength);
    } else if (headerLength > 6) {
        return false;
    }
    const size_t codedBytes = (static_cast<size_t>(chunk.bitCount) + 7) / 8;
    if (codedBytes > bitBufferSize) return false;
    if (chunk.room < codedBytes + 8) {
        // Room for any chunk of the table at once: the buffer is kept for the next.
        const size_t room = std::max(codedBytes, bitBufferSize) + 8;
        chunk.owned.reset(new (std::nothrow) unsigned char[room]);
        chunk.bits = chunk.owned.get();
        chunk.room = chunk.bits ? room : 0;
        if (!chunk.bits) return false;
    }
    // The decoder reads whole words: zero bytes after the coded ones.
    std::memset(chunk.bits + codedBytes, 0, 8);
    return file.readExact(chunk.bits, static_cast<int64_t>(codedBytes));
}

// The chunk buffers of one-thread decoding stay with the thread from table to
// table and file to file, until releaseChunkBuffers.
ReadChunk (&heldChunks())[kInterleave] {
    thread_local ReadChunk group[kInterleave];
    return group;
}

Stream streamOf(const ReadChunk& chunk, unsigned char* out, unsigned char* end) {
    Stream s;
    s.in = chunk.bits;
    s.bitCount = chunk.bitCount;
    s.out = out;
    s.end = end;
    return s;
}

// Where the chunks go in the pool.
struct Placement {
    unsigned char* pool;
    size_t textSize;
    size_t chunkSize;

    unsigned char* begin(size_t c) const { return pool + c * chunkSize; }
    unsigned char* end(size_t c) const { return pool + std::min(textSize, (c + 1) * chunkSize); }
};

// Chunks [first, last) of `chunks` (chunk c of the table at chunks[c - base])
// each into its own place, a few side by side. False when a chunk fails or
// does not fill exactly its place.
bool decodeInPlace(const Decoder& decoder, const ReadChunk* chunks, size_t base, size_t first,
                   size_t last, const Placement& at) {
    size_t c = first;
    for (; c + kInterleave <= last; c += kInterleave) {
        Stream s[kInterleave];
        for (size_t j = 0; j < kInterleave; ++j)
            s[j] = streamOf(chunks[c + j - base], at.begin(c + j), at.end(c + j));
        if (!decoder.decodeSideBySide(s)) return false;
        for (size_t j = 0; j < kInterleave; ++j)
            if (s[j].out != at.end(c + j)) return false;
    }
    for (; c < last; ++c) {
        Stream s = streamOf(chunks[c - base], at.begin(c), at.end(c));
        if (!decoder.decode(s) || s.out != at.end(c)) return false;
    }
    return true;
}

// The chunks one after another, each appending where the last one stopped,
// with the tree of each chunk that carries one. This is what a block means;
// placing chunks chunkSize apart is the same whenever each fills its place.
bool decodeInOrder(Decoder& decoder, const ReadChunk* chunks, size_t count, unsigned char* pool,
                   size_t textSize, size_t& produced) {
    for (size_t j = 0; j < count; ++j) {
        const ReadChunk& chunk = chunks[j];
        if (!chunk.tree.empty() &&
            !decoder.setTree(chunk.tree.data(), static_cast<int>(chunk.tree.size())))
            return false;
        if (!decoder.hasTree()) return false;
        Stream s = streamOf(chunk, pool + produced, pool + textSize);
        if (!decoder.decode(s)) return false;
        produced = static_cast<size_t>(s.out - pool);
    }
    return true;
}

bool anyTreeAfterFirst(const ReadChunk* chunks, size_t count) {
    for (size_t j = 1; j < count; ++j)
        if (!chunks[j].tree.empty()) return true;
    return false;
}

bool anyTree(const ReadChunk* chunks, size_t count) {
    return count > 0 && (!chunks[0].tree.empty() || anyTreeAfterFirst(chunks, count));
}

// One thread: a few chunks read, then decoded side by side in their places,
// with the same few buffers over and over.
bool unpackStreaming(File& file, const std::string& fileKey, size_t chunks, size_t bitBufferSize,
                     const Placement& at) {
    Decoder decoder;
    ReadChunk(&group)[kInterleave] = heldChunks();
    size_t produced = 0;
    for (size_t c = 0; c < chunks; c += kInterleave) {
        const size_t k = std::min<size_t>(kInterleave, chunks - c);
        for (size_t j = 0; j < k; ++j)
            if (!readChunk(file, fileKey, bitBufferSize, group[j])) return false;
        const bool inPlace = produced == c * at.chunkSize && !anyTreeAfterFirst(group, k);
        if (inPlace && !group[0].tree.empty() &&
            !decoder.setTree(group[0].tree.data(), static_cast<int>(group[0].tree.size())))
            return false;
        if (!decoder.hasTree()) return false;
        if (inPlace && decodeInPlace(decoder, group, c, c, c + k, at)) {
            produced = static_cast<size_t>(at.end(c + k - 1) - at.pool);
            continue;
        }
        if (!decodeInOrder(decoder, group, k, at.pool, at.textSize, produced)) return false;
    }
    return produced == at.textSize;
}

// Two threads: the first half of the chunks is read, then decoded on a
// second thread while this one reads and decodes the rest. The bits stay in
// one block until the end, for the rare block whose chunks do not each fill
// their place.
bool unpackTwoThreads(File& file, const std::string& fileKey, size_t chunks, size_t bitBufferSize,
                      const Placement& at) {
    const size_t stride = bitBufferSize + 8;
    Block held; // one large block: few page faults
    if (!held.resize(chunks * stride)) return false;
    std::vector<ReadChunk> read(chunks);
    for (size_t c = 0; c < chunks; ++c) {
        read[c].bits = reinterpret_cast<unsigned char*>(held.data()) + c * stride;
        read[c].room = stride;
    }
    const size_t half = chunks / 2;
    for (size_t c = 0; c < half; ++c)
        if (!readChunk(file, fileKey, bitBufferSize, read[c])) return false;
    Decoder decoder;
    if (!read[0].tree.empty() &&
        !decoder.setTree(read[0].tree.data(), static_cast<int>(read[0].tree.size())))
        return false;
    if (!decoder.hasTree()) return false;
    bool firstOk = false;
    std::thread first([&] {
        firstOk = !anyTreeAfterFirst(read.data(), half) &&
                  decodeInPlace(decoder, read.data(), 0, 0, half, at);
    });
    bool readOk = true;
    for (size_t c = half; c < chunks && readOk; ++c)
        readOk = readChunk(file, fileKey, bitBufferSize, read[c]);
    const bool secondOk = readOk && !anyTree(read.data() + half, chunks - half) &&
                          decodeInPlace(decoder, read.data(), 0, half, chunks, at);
    first.join();
    if (!readOk) return false;
    if (firstOk && secondOk) return true;
    size_t produced = 0;
    return decodeInOrder(decoder, read.data(), chunks, at.pool, at.textSize, produced) &&
           produced == at.textSize;
}

} // namespace

void releaseChunkBuffers() {
    for (ReadChunk& chunk : heldChunks()) {
        chunk.owned.reset();
        chunk.bits = nullptr;
        chunk.room = 0;
        std::vector<unsigned char>().swap(chunk.tree);
    }
}

int decodeThreadsForLoading() {
    return std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

bool unpackTable(File& file, const std::string& fileKey, int32_t textSize, int32_t chunkSize,
                 Block& pool, int threads) {
    if (textSize < 0 || chunkSize <= 0) return false;
    // Not zeroed: decoding writes every byte before the pool is used.
    Block out;
    if (!out.resize(static_cast<size_t>(textSize) + 1)) return false;
    const auto chunks =
        static_cast<size_t>((static_cast<int64_t>(textSize) + chunkSize - 1) / chunkSize);
    // The coded bits of one chunk never exceed 2,097,152 bits, nor the chunk size.
    const size_t bitBufferSize =
        std::min<size_t>((static_cast<size_t>(chunkSize) + 3) & ~size_t(3), kMaxChunkBits / 8);
    auto* dst = reinterpret_cast<unsigned char*>(out.data());
    const Placement at{dst, static_cast<size_t>(textSize), static_cast<size_t>(chunkSize)};
    // Two threads only where each has a few chunks to itself, and not for a
    // chunk count that only a damaged header claims.
    const bool ok = threads >= 2 && chunks >= 2 * kInterleave && chunks <= kMaxHeldChunks
                        ? unpackTwoThreads(file, fileKey, chunks, bitBufferSize, at)
                        : unpackStreaming(file, fileKey, chunks, bitBufferSize, at);
    if (!ok) return false;
    dst[textSize] = 0;
    pool = std::move(out);
    return true;
}

} // namespace talsk
