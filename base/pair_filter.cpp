#include "base/pair_filter.h"

#include "base/char_tables.h"
#include "base/records.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace talsk {

namespace {

int hashPair(unsigned char a, unsigned char b) {
    const UpperTable& fold = upperYoTable();
    const unsigned char x = fold[a], y = fold[b];
    if (x == 0 || y == 0 || x == ' ' || y == ' ') return -1;
    const uint32_t pair = uint32_t{x} << 8 | y;
    return static_cast<int>((pair * 0x9E3779B1u) >> (32 - 9)) & (kPairBits - 1);
}

// Entry (b << 8 | a), the two bytes as one little-endian load reads them:
// the pair's bit, or kPairBits for a pair left out. One look-up a byte while
// building.
using PairTable = std::array<uint16_t, 65536>;

const PairTable& pairTable() {
    static const PairTable table = [] {
        PairTable t{};
        for (int a = 0; a < 256; ++a)
            for (int b = 0; b < 256; ++b) {
                const int bit =
                    hashPair(static_cast<unsigned char>(a), static_cast<unsigned char>(b));
                t[static_cast<size_t>(b << 8 | a)] =
                    static_cast<uint16_t>(bit < 0 ? kPairBits : bit);
            }
        return t;
    }();
    return table;
}

uint16_t pairAt(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// seen[i] != 0 becomes bit i of out.
void packSeen(const uint8_t* seen, uint64_t* out) {
    for (int k = 0; k < kPairWords; ++k) {
        uint64_t word = 0;
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        for (int j = 0; j < 4; ++j) {
            const __m128i v =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(seen + k * 64 + j * 16));
            const auto unset = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)));
            word |= uint64_t{~unset & 0xffffu} << (16 * j);
        }
#else
        for (int j = 0; j < 64; ++j)
            word |= uint64_t{seen[k * 64 + j] != 0} << j;
#endif
        out[k] = word;
    }
}

} // namespace

int pairBit(unsigned char a, unsigned char b) {
    const uint16_t bit = pairTable()[static_cast<size_t>(b << 8 | a)];
    return bit == kPairBits ? -1 : bit;
}

void PairQuery::addWord(const unsigned char* text, int length) {
    if (count_ == kMaxWords) {
        useful_ = false;
        return;
    }
    uint64_t* mask = masks_[count_++];
    int pairs = 0;
    for (int k = 0; k + 1 < length; ++k) {
        if (text[k] == '?' || text[k + 1] == '?') continue; // any character
        const int bit = pairBit(text[k], text[k + 1]);
        if (bit < 0) continue;
        mask[bit / 64] |= uint64_t{1} << (bit % 64);
        ++pairs;
    }
    if (pairs < 2) useful_ = false;
}

void PairFilter::clear() {
    bits_.reset();
    records_ = 0;
    textSize_ = 0;
}

bool PairFilter::covers(const BaseTable& table) const {
    return !bits_.empty() && records_ == table.count && textSize_ == table.textSize;
}

void PairFilter::build(const BaseTable& table) {
    clear();
    const int32_t count = table.count;
    if (count <= 0 || table.text.empty() || table.entryCapacity() < size_t(count) + 1) return;
    const size_t blocks = (size_t(count) + kPairBlockRecords - 1) / kPairBlockRecords;
    if (!bits_.resize(blocks * kPairWords * sizeof(uint64_t))) return;
    const PairTable& pairs = pairTable();
    const auto* pool = reinterpret_cast<const unsigned char*>(table.text.data());
    const RecordIndexEntry* e = table.entries();
    auto* out = reinterpret_cast<uint64_t*>(bits_.data());
    // Byte flags, not bits: setting one is a store with nothing to wait for.
    // The last is where the pairs left out go.
    uint8_t seen[kPairBits + 1] = {};
    for (size_t b = 0; b < blocks; ++b) {
        const uint32_t from = e[b * kPairBlockRecords].start;
        const uint32_t to = e[std::min<size_t>(size_t(count), (b + 1) * kPairBlockRecords)].start;
        // A record's first byte follows a zero, which no pair holds: the
        // pairs start at the block's second byte.
        for (uint32_t q = from + 1; q < to; ++q)
            seen[pairs[pairAt(pool + q - 1)]] = 1;
        packSeen(seen, out + b * kPairWords);
        std::memset(seen, 0, sizeof seen);
    }
    records_ = count;
    textSize_ = table.textSize;
}

} // namespace talsk
