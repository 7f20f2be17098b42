#include "base/legacy_scramble.h"

#include "base/cipher.h"

#include <cstring>

namespace talsk {

namespace {

// The built-in keys are computed from the byte position alone.
constexpr unsigned char builtinByte(BuiltinScrambleKey which, int i) {
    switch (which) {
    case BuiltinScrambleKey::Body10:
        return static_cast<unsigned char>((i * 53 + 0x2D) ^ 0x6C);
    case BuiltinScrambleKey::Body12:
        return static_cast<unsigned char>((i * 91 + 0x17) ^ 0xA5);
    default:
        return static_cast<unsigned char>((i * 29 + 0x4B) ^ 0x3E);
    }
}

struct Distances {
    unsigned hi;
    unsigned lo;
    unsigned d;
};

Distances distancesOf(const ScrambleKey& key, uint32_t n) {
    unsigned hi = key.k[2] & 0xF0u;
    unsigned lo = key.k[2] & 0x0Fu;
    if (hi == 0) hi = lo / 2;
    if (lo == 0) lo = hi / 2;
    unsigned d = (key.k[1] + 5u) & 0xFFu;
    if (d == 0) d = hi;
    d = (d + n) & 0xFFu;
    return {hi, lo, d};
}

constexpr bool builtinKeysReversible() {
    // Distances hi and lo come from byte 2 alone: it must not be 0 or 1.
    for (auto which :
         {BuiltinScrambleKey::Body10, BuiltinScrambleKey::Body12, BuiltinScrambleKey::Header12})
        if (builtinByte(which, 2) < 2) return false;
    // The header block always has 96 bytes.
    unsigned d = (builtinByte(BuiltinScrambleKey::Header12, 1) + 5u) & 0xFFu;
    return ((d + 96u) & 0xFFu) != 0 && d != 0;
}
static_assert(builtinKeysReversible(), "a built-in scramble key must not give a distance of 0");

struct BlockParams {
    Distances dist;
    unsigned char x, s0, t0, p, q;
};

void scrambleBlock(unsigned char* b, size_t size, size_t end, const BlockParams& pr) {
    const size_t hi = pr.dist.hi, lo = pr.dist.lo, d = pr.dist.d;
    for (size_t i = 0; i < size; ++i) {
        const size_t back = end - i; // E - i, taken modulo 256 below
        const auto s = static_cast<unsigned char>(pr.s0 - back * pr.p);
        const auto t = static_cast<unsigned char>(pr.t0 - back * pr.q);
        unsigned char v = b[i];
        v ^= static_cast<unsigned char>(i);
        if (i + hi < size) v = static_cast<unsigned char>(v + b[i + hi]);
        v ^= t;
        if (i >= lo) v = static_cast<unsigned char>(v - b[i - lo]);
        v ^= s;
        if (i + d < size) v = static_cast<unsigned char>(v + b[i + d]);
        v ^= pr.x;
        b[i] = v;
    }
}

void unscrambleBlock(unsigned char* b, size_t size, size_t end, const BlockParams& pr) {
    const size_t hi = pr.dist.hi, lo = pr.dist.lo, d = pr.dist.d;
    for (size_t i = size; i-- > 0;) {
        const size_t back = end - i;
        const auto s = static_cast<unsigned char>(pr.s0 - back * pr.p);
        const auto t = static_cast<unsigned char>(pr.t0 - back * pr.q);
        unsigned char v = b[i];
        v ^= pr.x;
        if (i + d < size) v = static_cast<unsigned char>(v - b[i + d]);
        v ^= s;
        if (i >= lo) v = static_cast<unsigned char>(v + b[i - lo]);
        v ^= t;
        if (i + hi < size) v = static_cast<unsigned char>(v - b[i + hi]);
        v ^= static_cast<unsigned char>(i);
        b[i] = v;
    }
}

} // namespace

ScrambleKey builtinScrambleKey(BuiltinScrambleKey which) {
    ScrambleKey key;
    for (int i = 0; i < 8; ++i)
        key.k[i] = builtinByte(which, i);
    return key;
}

ScrambleKey scrambleKeyOf(const std::string& typed) {
    ScrambleKey key;
    const size_t length = strnlen(typed.c_str(), typed.size());
    for (size_t i = 0; i < 8; ++i)
        key.k[i] = i < length ? static_cast<unsigned char>(typed[i]) : ' ';
    return key;
}

uint32_t scrambleBlockSize(const ScrambleKey& key, LegacyVersion version) {
    if (version == LegacyVersion::V12) return 8u * key.k[0] + 1000u;
    int k = static_cast<signed char>(key.k[0]);
    if (8 * k + 1000 == 0) k = -75;
    return static_cast<uint16_t>(8 * k + 1000);
}

bool scrambleIsReversible(const ScrambleKey& key, uint32_t n) {
    const Distances dist = distancesOf(key, n);
    return dist.hi != 0 && dist.lo != 0 && dist.d != 0;
}

void scrambleBlocks(unsigned char* buffer, size_t size, uint32_t n, const ScrambleKey& key,
                    LegacyVersion version, bool unscramble) {
    const uint32_t blockSize = scrambleBlockSize(key, version);
    BlockParams pr;
    pr.dist = distancesOf(key, n);
    pr.x = static_cast<unsigned char>(key.k[7] + 19);
    pr.s0 = static_cast<unsigned char>(2 * key.k[3] + n);
    pr.t0 = static_cast<unsigned char>(3 * key.k[5] + n);
    pr.p = static_cast<unsigned char>(3 * key.k[4]);
    pr.q = static_cast<unsigned char>(2 * key.k[6]);
    // Blocks are laid out over the n bytes; only those within `size` exist here.
    const size_t total = size < n ? size : n;
    size_t start = 0;
    while (start < n) {
        size_t end = start + blockSize < n ? start + blockSize : n;
        if (end > total) break; // the caller holds only part of this block
        if (unscramble)
            unscrambleBlock(buffer + start, end - start, end, pr);
        else
            scrambleBlock(buffer + start, end - start, end, pr);
        start = end;
    }
}

std::vector<std::string> typedKeysOfFileKey(const std::string& fileKey) {
    std::vector<std::string> found;
    const size_t length = fileKey.size();
    if (length == 0) {
        found.emplace_back();
        return found;
    }
    for (unsigned start = 0; start < 256; ++start) {
        std::string typed(length, '\0');
        unsigned char s = static_cast<unsigned char>(start);
        unsigned char sum = 0;
        for (size_t i = 0; i < length; ++i) {
            const auto out = static_cast<unsigned char>(fileKey[i]);
            // A typed byte equal to the running byte is stored as that byte.
            const auto c = out == s ? s : static_cast<unsigned char>(out ^ s);
            typed[i] = static_cast<char>(c);
            sum = static_cast<unsigned char>(sum + c);
            s = static_cast<unsigned char>(s + length);
        }
        if (sum == start && deriveFileKey(typed) == fileKey) found.push_back(std::move(typed));
    }
    return found;
}

} // namespace talsk
