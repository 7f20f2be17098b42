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

// The first position in [q, end) where the segment's filter holds (a
// superset of the positions where it may start), or nullptr. fold: 0x20 when
// case is ignored.
inline const uchar* filterStart(const TermSegment& seg, const uchar* q, const uchar* end,
                                const uchar* limit, uchar fold) {
    const int k = seg.scanCount;
    const uint64_t fw = broadcast(fold);
    const uint64_t c0 = broadcast(seg.scanChars[0]);
    const uint64_t c1 = broadcast(seg.scanChars[1]);
    const uint64_t c2 = broadcast(seg.scanChars[2]);
    // A word yields starts for its first 9 - k bytes only (the others need
    // bytes of the next word), so single words overlap by k - 1 bytes. Two
    // words at a time cover 17 - k starts, which takes most fields in one go.
    while (q < end) {
        const ptrdiff_t span = end - q;
        if (limit - q >= 16) {
            const uint64_t w1 = load64(q) | fw;
            const uint64_t w2 = load64(q + 8) | fw;
            uint64_t m1 = zeroBytes(w1 ^ c0);
            uint64_t m2 = zeroBytes(w2 ^ c0);
            if (k >= 2) {
                const uint64_t n1 = zeroBytes(w1 ^ c1), n2 = zeroBytes(w2 ^ c1);
                m1 &= (n1 >> 8) | (n2 << 56);
                m2 &= n2 >> 8;
            }
            if (k >= 3) {
                const uint64_t n1 = zeroBytes(w1 ^ c2), n2 = zeroBytes(w2 ^ c2);
                m1 &= (n1 >> 16) | (n2 << 48);
                m2 &= n2 >> 16;
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
            q += 17 - k;
        } else if (limit - q >= 8) {
            const uint64_t w = load64(q) | fw;
            uint64_t m = zeroBytes(w ^ c0);
            if (k >= 2) m &= zeroBytes(w ^ c1) >> 8;
            if (k >= 3) m &= zeroBytes(w ^ c2) >> 16;
            if (span < 8) m &= (uint64_t{1} << (8 * span)) - 1;
            if (m) return q + (std::countr_zero(m) >> 3);
            q += 9 - k;
        } else {
            // Near the end of what may be read: byte by byte, never past limit.
            for (; q < end; ++q) {
                bool possible = true;
                for (int j = 0; j < k && possible && q + j < limit; ++j)
                    possible = static_cast<uchar>(q[j] | fold) == seg.scanChars[j];
                if (possible) return q;
            }
            return nullptr;
        }
    }
    return nullptr;
}

// The next position in [q, end) where the segment (first character neither
// '?' nor zero) may start: every true start is returned, false ones are
// weeded out by the caller's comparison.
template <bool Fold>
inline const uchar* nextStart(const TermSegment& seg, const uchar* q, const uchar* end,
                              const uchar* limit, const uchar* upper) {
    if constexpr (std::endian::native == std::endian::little) {
        if (seg.scanCount != 0) return filterStart(seg, q, end, limit, Fold ? 0x20 : 0);
    }
    (void)limit;
    return scanFirst<Fold>(q, end, static_cast<uchar>(seg.text[0]), upper);
}

// A floating segment (length > 0) from p. Returns the position after the
// match, or nullptr.
template <bool Fold>
inline const uchar* findFloating(const TermSegment& seg, const uchar* p, const uchar* end,
                                 const uchar* limit, const uchar* upper) {
    const auto* s = reinterpret_cast<const uchar*>(seg.text);
    const int n = seg.length;
    const uchar first = s[0];
    if (first == '?') {
        for (const uchar* q = p; q < end; ++q) {
            Compared r = compareAt<Fold>(q + 1, s + 1, n - 1, upper);
            if (r == Matched) return q + n;
            if (r == FieldEnded) return nullptr;
        }
        return nullptr;
    }
    if (first == 0) // only the field's end itself
        return n == 1 && p <= end ? end + 1 : nullptr;
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
