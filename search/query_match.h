#pragma once
// Matching compiled terms against field texts read in place. Fold = true is
// the case-insensitive form: the field's characters go through the upper-case
// table (one look-up each) and the pattern text must have been upper-cased
// before it was compiled.
//
// A field is [f, end) with its zero at end; `limit` bounds what may be read
// (at least end + 1): the start of a floating segment is looked for a machine
// word at a time, and such a word may reach past the field into the records
// that follow it in the pool, never past limit.

#include "search/query.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace talsk::match {

using uchar = unsigned char;

template <bool Fold> inline uchar fold(const uchar* upper, uchar c) {
    if constexpr (Fold)
        return upper[c];
    else {
        (void)upper;
        return c;
    }
}

enum Compared { Mismatch = 0, Matched = 1, FieldEnded = -1 };

// Compares n pattern characters with the field at f; '?' is any character but
// the field's zero. Never reads past the field's zero.
template <bool Fold>
inline Compared compareAt(const uchar* f, const uchar* s, int n, const uchar* upper) {
    for (int k = 0; k < n; ++k) {
        const uchar c = fold<Fold>(upper, f[k]);
        const uchar p = s[k];
        if (p == '?') {
            if (c == 0) return FieldEnded;
        } else if (p != c) {
            return c == 0 ? FieldEnded : Mismatch;
        }
    }
    return Matched;
}

// The first position in [q, end) whose character is `first`, or nullptr.
template <bool Fold>
inline const uchar* scanFirst(const uchar* q, const uchar* end, uchar first, const uchar* upper) {
    if constexpr (Fold) {
        while (q < end && upper[*q] != first)
            ++q;
        return q < end ? q : nullptr;
    } else {
        (void)upper;
        return q < end
                   ? static_cast<const uchar*>(std::memchr(q, first, static_cast<size_t>(end - q)))
                   : nullptr;
    }
}

inline uint64_t load64(const uchar* p) {
    uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}
inline uint64_t broadcast(uchar c) {
    return 0x0101010101010101ull * c;
}
// 0x80 in every byte of v that is zero, 0 elsewhere.
inline uint64_t zeroBytes(uint64_t v) {
    constexpr uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
    return ~(((v & low7) + low7) | v | low7);
}

// The first position in [q, end) where the start filter of at least one of
// n segments holds (a superset of the positions where one of them may
// start), or nullptr. fold: 0x20 when case is ignored.
template <int N>
inline const uchar* filterStartAny(const TermSegment* const* segs, const uchar* q, const uchar* end,
                                   const uchar* limit, uchar fold) {
    const uint64_t fw = broadcast(fold);
    uint64_t c[N][3];
    int k[N];
    int kMax = 1;
    for (int j = 0; j < N; ++j) {
        k[j] = segs[j]->scanCount;
        kMax = k[j] > kMax ? k[j] : kMax;
        for (int i = 0; i < 3; ++i)
            c[j][i] = broadcast(segs[j]->scanChars[i]);
    }
    // A word yields starts for its first 9 - k bytes only (the others need
    // bytes of the next word), so single words overlap by k - 1 bytes. Two
    // words at a time cover 17 - k starts, which takes most fields in one go.
    while (q < end) {
        const ptrdiff_t span = end - q;
        if (limit - q >= 16) {
            const uint64_t w1 = load64(q) | fw;
            const uint64_t w2 = load64(q + 8) | fw;
            uint64_t m1 = 0, m2 = 0;
            for (int j = 0; j < N; ++j) {
                uint64_t a1 = zeroBytes(w1 ^ c[j][0]);
                uint64_t a2 = zeroBytes(w2 ^ c[j][0]);
                if (k[j] >= 2) {
                    const uint64_t n1 = zeroBytes(w1 ^ c[j][1]), n2 = zeroBytes(w2 ^ c[j][1]);
                    a1 &= (n1 >> 8) | (n2 << 56);
                    a2 &= n2 >> 8;
                }
                if (k[j] >= 3) {
                    const uint64_t n1 = zeroBytes(w1 ^ c[j][2]), n2 = zeroBytes(w2 ^ c[j][2]);
                    a1 &= (n1 >> 16) | (n2 << 48);
                    a2 &= n2 >> 16;
                }
                m1 |= a1;
                m2 |= a2;
            }
            if (span < 16) {
                if (span <= 8) {
                    m1 &= span == 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * span)) - 1;
                    m2 = 0;
                } else {
                    m2 &= (uint64_t{1} << (8 * (span - 8))) - 1;
                }
            }
            if (m1) return q + (std::countr_zero(m1) >> 3);
            if (m2) return q + 8 + (std::countr_zero(m2) >> 3);
            q += 17 - kMax;
        } else if (limit - q >= 8) {
            const uint64_t w = load64(q) | fw;
            uint64_t m = 0;
            for (int j = 0; j < N; ++j) {
                uint64_t a = zeroBytes(w ^ c[j][0]);
                if (k[j] >= 2) a &= zeroBytes(w ^ c[j][1]) >> 8;
                if (k[j] >= 3) a &= zeroBytes(w ^ c[j][2]) >> 16;
                m |= a;
            }
            if (span < 8) m &= (uint64_t{1} << (8 * span)) - 1;
            if (m) return q + (std::countr_zero(m) >> 3);
            q += 9 - kMax;
        } else {
            // Near the end of what may be read: byte by byte, never past limit.
            for (; q < end; ++q) {
                for (int j = 0; j < N; ++j) {
                    bool possible = true;
                    for (int i = 0; i < k[j] && possible && q + i < limit; ++i)
                        possible = static_cast<uchar>(q[i] | fold) == segs[j]->scanChars[i];
                    if (possible) return q;
                }
            }
            return nullptr;
        }
    }
    return nullptr;
}

inline const uchar* filterStart(const TermSegment& seg, const uchar* q, const uchar* end,
                                const uchar* limit, uchar fold) {
    const TermSegment* one = &seg;
    return filterStartAny<1>(&one, q, end, limit, fold);
}

// The next position in [q, end) where the segment's characters past its
// skipped ones (the first neither '?' nor zero) may start: every true start
// is returned, false ones are weeded out by the caller's comparison.
template <bool Fold>
inline const uchar* nextStart(const TermSegment& seg, const uchar* q, const uchar* end,
                              const uchar* limit, const uchar* upper) {
    if constexpr (std::endian::native == std::endian::little) {
        if (seg.scanCount != 0) return filterStart(seg, q, end, limit, Fold ? 0x20 : 0);
    }
    (void)limit;
    return scanFirst<Fold>(q, end, static_cast<uchar>(seg.text[seg.skip]), upper);
}

// A floating segment (length > 0) from p. Returns the position after the
// match, or nullptr. Its leading '?' take any characters but the zero, so
// the rest is looked for `skip` characters further on.
template <bool Fold>
inline const uchar* findFloating(const TermSegment& seg, const uchar* p, const uchar* end,
                                 const uchar* limit, const uchar* upper) {
    const int skip = seg.skip;
    if (end - p < skip) return nullptr;
    p += skip;
    const auto* s = reinterpret_cast<const uchar*>(seg.text) + skip;
    const int n = seg.length - skip;
    if (n == 0) return p;
    const uchar first = s[0];
    if (first == 0) // only the field's end itself
        return n == 1 ? end + 1 : nullptr;
    for (const uchar* q = p;; ++q) {
        q = nextStart<Fold>(seg, q, end, limit, upper);
        if (q == nullptr) return nullptr;
        // Once the field ends inside the comparison, no later start can fit.
        Compared r = compareAt<Fold>(q, s, n, upper);
        if (r == Matched) return q + n;
        if (r == FieldEnded) return nullptr;
    }
}

// One term against one field [f, end), *end == 0.
template <bool Fold>
inline bool matchTerm(const QueryTerm& term, const uchar* f, const uchar* end, const uchar* limit,
                      const uchar* upper) {
    if (term.segmentCount == 0) return false;
    const ptrdiff_t length = end - f;
    if (length < term.minLength || (term.exactLength && length != term.minLength)) return false;
    const uchar* p = f;
    for (int i = 0; i < term.segmentCount; ++i) {
        const TermSegment& seg = term.segments[i];
        if (seg.anchored) {
            if (seg.length == 0 || compareAt<Fold>(p, reinterpret_cast<const uchar*>(seg.text),
                                                   seg.length, upper) != Matched)
                return false;
            p += seg.length;
        } else if (seg.length != 0) {
            p = findFloating<Fold>(seg, p, end, limit, upper);
            if (p == nullptr) return false;
        }
    }
    return true;
}

// The or-group walk: a matching term leads to the next, a matching group end
// is success; a failing term skips to the first term of the next group.
template <typename TermTest>
inline bool walkGroups(const QueryTerm* terms, int count, TermTest&& test) {
    int i = 0;
    while (i < count) {
        const QueryTerm& t = terms[i];
        if (test(t)) {
            if (t.groupEnd) return true;
            ++i;
        } else {
            if (t.nextGroup == kNoGroup) return false;
            i = t.nextGroup + 1;
        }
    }
    return false;
}

template <bool Fold>
inline bool matchList(const TermList& list, const uchar* f, const uchar* end, const uchar* limit,
                      const uchar* upper) {
    return walkGroups(list.terms, list.count,
                      [&](const QueryTerm& t) { return matchTerm<Fold>(t, f, end, limit, upper); });
}

} // namespace talsk::match
