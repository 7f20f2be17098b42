#pragma once
// Wildcard queries («?в», «и*в», «1?», «иван?в*») have no literal word to
// look for over the pool, yet every match holds known bytes at fixed
// distances: characters of one segment, the zero that ends its field or,
// for a segment at the field's start, the zero before it. A key is a few
// such bytes, looked for over the pool 16 positions at a time; the record
// that holds a candidate is tested whole (or not at all, when the key is
// the whole query). Keys are weighed on a sample of the pools, so that
// candidates are few; a query whose best key is common is better tested
// record by record.

#include "base/pair_filter.h"
#include "search/literal_scan.h"
#include "search/query.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <bit>

namespace talsk {

// Bytes a candidate's frame covers, and the bytes a key looks at.
constexpr int kKeyFrame = 16;
constexpr int kKeyChecks = 3;

// What the bytes from a candidate on must hold: byte k, or-ed with fold[k],
// equals value[k] where care[k] is set, and is not a zero where nonZero[k]
// is ('?').
struct KeyFrame {
    int length = 0; // bytes that lie in the field (or just before it)
    unsigned char value[kKeyFrame] = {};
    unsigned char fold[kKeyFrame] = {};
    unsigned char care[kKeyFrame] = {};
    unsigned char nonZero[kKeyFrame] = {};
};

// One byte a key looks at, `offset` bytes from the candidate: its value
// once or-ed with fold.
struct KeyCheck {
    int offset = 0;
    unsigned char value = 0, fold = 0;
};

struct Key {
    KeyCheck checks[kKeyChecks];
    int checkCount = 0;
    int span = 1; // bytes from the candidate that the checks reach
    // The rest of the segment, checked at each candidate the checks let by.
    KeyFrame frame;
};

struct KeyPlan {
    // One key for each or-group of the query: a record without any of them
    // cannot match. A key may begin with the zero before its field, so a
    // candidate's record is the one holding the byte after it (which for
    // other keys lies in the same field).
    Key keys[kMaxLiteralWords];
    int count = 0;
    // Nanoseconds per pool byte that the candidates cost, by the sample or
    // by estimate, summed over the keys (the scan itself not counted).
    double cost = 0;
    // Checks each key makes 16 positions at a time (2 or 3; a key with
    // fewer repeats its first): the third costs a little on every block.
    int blockChecks = 2;
    // The query is one term of one segment, and the frame of its only key
    // is that segment whole: where it holds, the field matches, and the
    // record needs no test.
    bool whole = false;
    // The letter pairs each or-group's terms hold, for the blocks' filter.
    PairQuery pairs;
};

// A few stretches of the pools to be searched: how often a key turns up
// there decides between keys better than any estimate (a street's «ая» at
// the end, the «1» that begins most numbers).
struct KeySample {
    static constexpr int kRoom = 4;
    const unsigned char* begin[kRoom] = {};
    const unsigned char* end[kRoom] = {};
    int count = 0;
};

// upper: the fold the text was compiled through, nullptr when bytes compare
// as they are; sample: may be nullptr, the choice is then by estimate.
// False when an or-group has no key (no character but '?' in its terms),
// the query has more than kMaxLiteralWords or-groups, or it cannot match
// at all.
[[nodiscard]] bool planKeys(const TermList& list, const unsigned char* upper,
                            const KeySample* sample, KeyPlan& plan);

// Whether a key's checks hold at c, which has at least key.span bytes
// before limit.
inline bool checksHold(const Key& key, const unsigned char* c) {
    for (int i = 0; i < key.checkCount; ++i) {
        const KeyCheck& k = key.checks[i];
        if ((c[k.offset] | k.fold) != k.value) return false;
    }
    return true;
}

// Whether a key's frame holds at c; nothing at or past limit is read, and
// a frame that would reach there does not hold.
inline bool frameHolds(const KeyFrame& f, const unsigned char* c, const unsigned char* limit) {
    if (limit - c < f.length) return false;
#if defined(__SSE2__)
    if (limit - c >= kKeyFrame) {
        const auto load = [](const unsigned char* a) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
        };
        const __m128i v = load(c);
        const __m128i differ = _mm_andnot_si128(
            _mm_cmpeq_epi8(_mm_or_si128(v, load(f.fold)), load(f.value)), load(f.care));
        const __m128i zero = _mm_and_si128(_mm_cmpeq_epi8(v, _mm_setzero_si128()), load(f.nonZero));
        return _mm_movemask_epi8(_mm_or_si128(differ, zero)) == 0;
    }
#endif
    for (int k = 0; k < f.length; ++k) {
        if (f.care[k] && (c[k] | f.fold[k]) != f.value[k]) return false;
        if (f.nonZero[k] && c[k] == 0) return false;
    }
    return true;
}

// The keys of a plan of N, C checks a block, with their constants set up
// once per search.
template <int N, int C> class KeyFinder {
public:
    explicit KeyFinder(const KeyPlan& plan) : plan_(&plan) {
        for (int j = 0; j < N; ++j)
            reach_ = plan.keys[j].span + 15 > reach_ ? plan.keys[j].span + 15 : reach_;
#if defined(__SSE2__)
        for (int j = 0; j < N; ++j) {
            const Key& key = plan.keys[j];
            for (int i = 0; i < C; ++i) {
                const KeyCheck& k = key.checks[i < key.checkCount ? i : 0];
                offset_[j][i] = k.offset;
                value_[j][i] = _mm_set1_epi8(static_cast<char>(k.value));
                fold_[j][i] = _mm_set1_epi8(static_cast<char>(k.fold));
            }
        }
#endif
    }

    // Bytes from a block's first position that blockMask reads.
    int reach() const {
        return reach_;
    }

#if defined(__SSE2__)
    // Bit i: a key's checks hold at q + i. Reads [q, q + reach()).
    unsigned blockMask(const unsigned char* q) const {
        unsigned mask = 0;
        for (int j = 0; j < N; ++j) {
            __m128i all = _mm_set1_epi8(-1);
            for (int i = 0; i < C; ++i) {
                const __m128i b =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + offset_[j][i]));
                all =
                    _mm_and_si128(all, _mm_cmpeq_epi8(_mm_or_si128(b, fold_[j][i]), value_[j][i]));
            }
            mask |= static_cast<unsigned>(_mm_movemask_epi8(all));
        }
        return mask;
    }
#endif

    // The first position in [q, to) where a key's checks hold, or nullptr;
    // nothing at or past limit is read.
    const unsigned char* next(const unsigned char* q, const unsigned char* to,
                              const unsigned char* limit) const {
        for (; q < to; ++q)
            for (int j = 0; j < N; ++j)
                if (limit - q >= plan_->keys[j].span && checksHold(plan_->keys[j], q)) return q;
        return nullptr;
    }

private:
    const KeyPlan* plan_;
    int reach_ = 16;
#if defined(__SSE2__)
    int offset_[N][C];
    __m128i value_[N][C], fold_[N][C];
#endif
};

} // namespace talsk
