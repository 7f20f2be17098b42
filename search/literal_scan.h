#pragma once
// Queries made of literal words (the common case: «ова», «иванов*», two
// words) are looked for over a whole text pool at once instead of record by
// record: a vector pass finds the positions where the first and the last
// byte of a word fit, in both letter cases, and the caller maps each such
// candidate to its record and field through the index and checks it there.

#include "search/query.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <bit>

namespace talsk {

constexpr int kMaxLiteralWords = 4;

// One term of a single segment without '?': floating (contains, or ends with
// when the text's zero is its last character) or anchored (begins with, or
// is, when its last character is the zero).
struct LiteralWord {
    const unsigned char* text = nullptr; // as compiled: upper-cased when case is ignored
    int length = 0;                      // >= 1; a zero may only be the last character
    bool anchored = false;               // only at the start of a field
    unsigned char first = 0, last = 0;   // the first and last character, or-ed with their fold
    unsigned char firstFold = 0, lastFold = 0; // 0x20 where the cases differ in that bit only
    // Every character's fold, when the plan is exact.
    unsigned char folds[16] = {};
};

// The words of a query whose every term is a literal word closing its own
// or-group: the query matches a field when one of the words does.
struct LiteralPlan {
    LiteralWord words[kMaxLiteralWords];
    int count = 0;
    int longest = 0;
    // Every word is at most 16 characters and each of its characters matches
    // exactly the bytes that equal it once its fold is or-ed in: a vector
    // compare of the whole word needs no check after it.
    bool exact = false;
};

// The fold of pattern character c (as compiled, through upper): 0 when only
// c itself matches c, 0x20 when all the bytes that match it agree with it
// once 0x20 is or-ed in; -1 when neither holds.
int foldOf(unsigned char c, const unsigned char* upper);
// Like foldOf, but only a fold under which the bytes that equal c once
// or-ed with it are exactly those that match c; -1 when none is.
int exactFoldOf(unsigned char c, const unsigned char* upper);

// upper: the upper-case table when case is ignored, nullptr when it matters.
// False when the query is not of that kind or a word's cases cannot be told
// by bit 0x20 alone.
[[nodiscard]] bool planLiterals(const TermList& list, const unsigned char* upper,
                                LiteralPlan& plan);

// The first position q in [from, to) where, for some word, the byte at q and
// the byte at q + length - 1 (each or-ed with its fold) equal the word's
// first and last; nothing is read at or past limit. Every position where a
// word matches is returned, others are weeded out by the caller. nullptr:
// none.
const unsigned char* nextLiteralCandidate(const LiteralPlan& plan, const unsigned char* from,
                                          const unsigned char* to, const unsigned char* limit);

// The same a byte at a time, for processors without the vector path (and to
// check it against).
const unsigned char* nextLiteralCandidatePortable(const LiteralPlan& plan,
                                                  const unsigned char* from,
                                                  const unsigned char* to,
                                                  const unsigned char* limit);

// nextLiteralCandidate for a plan of N words, with its constants set up
// once per search.
template <int N> class LiteralFinder {
public:
    explicit LiteralFinder(const LiteralPlan& plan) : plan_(&plan) {
#if defined(__SSE2__)
        for (int j = 0; j < N; ++j) {
            const LiteralWord& w = plan.words[j];
            first_[j] = _mm_set1_epi8(static_cast<char>(w.first));
            last_[j] = _mm_set1_epi8(static_cast<char>(w.last));
            firstFold_[j] = _mm_set1_epi8(static_cast<char>(w.firstFold));
            lastFold_[j] = _mm_set1_epi8(static_cast<char>(w.lastFold));
            lastAt_[j] = w.length - 1;
            anchoredBits_[j] = w.anchored ? 1u : 0xffffu;
            if (plan.exact)
                for (int k = 0; k < w.length; ++k) {
                    chars_[j][k] = _mm_set1_epi8(static_cast<char>(w.text[k] | w.folds[k]));
                    folds_[j][k] = _mm_set1_epi8(static_cast<char>(w.folds[k]));
                }
        }
#endif
    }

    const unsigned char* next(const unsigned char* q, const unsigned char* to,
                              const unsigned char* limit) const {
#if defined(__SSE2__)
        // 16 positions at a time while all the bytes they look at lie below limit.
        while (q < to && limit - q >= 16 + plan_->longest - 1) {
            unsigned mask = blockMask(q);
            if (to - q < 16) mask &= (1u << (to - q)) - 1;
            if (mask != 0) return q + std::countr_zero(mask);
            q += 16;
        }
        if (q >= to) return nullptr;
#endif
        return nextLiteralCandidatePortable(*plan_, q, to, limit);
    }

#if defined(__SSE2__)
    // Bit i: position q + i is a candidate. Reads the bytes [q, q + reach()).
    unsigned blockMask(const unsigned char* q) const {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
        unsigned mask = 0;
        for (int j = 0; j < N; ++j) {
            const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + lastAt_[j]));
            const __m128i a = _mm_cmpeq_epi8(_mm_or_si128(here, firstFold_[j]), first_[j]);
            const __m128i b = _mm_cmpeq_epi8(_mm_or_si128(tail, lastFold_[j]), last_[j]);
            mask |= static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(a, b)));
        }
        return mask;
    }
    // For an exact plan: bit i set when a word matches at q + i, anchored
    // words only at q itself. Reads the bytes [q, q + reach()).
    unsigned wordMask(const unsigned char* q) const {
        unsigned mask = 0;
        for (int j = 0; j < N; ++j) {
            __m128i all = _mm_set1_epi8(-1);
            for (int k = 0; k <= lastAt_[j]; ++k) {
                const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + k));
                all =
                    _mm_and_si128(all, _mm_cmpeq_epi8(_mm_or_si128(b, folds_[j][k]), chars_[j][k]));
            }
            mask |= static_cast<unsigned>(_mm_movemask_epi8(all)) & anchoredBits_[j];
        }
        return mask;
    }
    int reach() const {
        return 16 + plan_->longest - 1;
    }
#endif

private:
    const LiteralPlan* plan_;
#if defined(__SSE2__)
    __m128i first_[N], last_[N], firstFold_[N], lastFold_[N];
    __m128i chars_[N][16], folds_[N][16];
    int lastAt_[N];
    unsigned anchoredBits_[N];
#endif
};

} // namespace talsk
