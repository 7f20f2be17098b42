#pragma once
// Matching compiled terms against field texts read in place. Fold = true is
// the case-insensitive form: the field's characters go through the upper-case
// table (one look-up each) and the pattern text must have been upper-cased
// before it was compiled.

#include "search/query.h"

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

// A floating segment (s, n > 0) from p; the field's zero is at end. Returns
// the position after the match, or nullptr.
template <bool Fold>
inline const uchar* findFloating(const uchar* s, int n, const uchar* p, const uchar* end,
                                 const uchar* upper) {
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
        q = scanFirst<Fold>(q, end, first, upper);
        if (q == nullptr) return nullptr;
        Compared r = compareAt<Fold>(q + 1, s + 1, n - 1, upper);
        if (r == Matched) return q + n;
        if (r == FieldEnded) return nullptr;
    }
}

// One term against one field [f, end), *end == 0.
template <bool Fold>
inline bool matchTerm(const QueryTerm& term, const uchar* f, const uchar* end, const uchar* upper) {
    if (term.segmentCount == 0) return false;
    const uchar* p = f;
    for (int i = 0; i < term.segmentCount; ++i) {
        const TermSegment& seg = term.segments[i];
        const auto* s = reinterpret_cast<const uchar*>(seg.text);
        if (seg.anchored) {
            if (seg.length == 0 || compareAt<Fold>(p, s, seg.length, upper) != Matched)
                return false;
            p += seg.length;
        } else if (seg.length != 0) {
            p = findFloating<Fold>(s, seg.length, p, end, upper);
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
inline bool matchList(const TermList& list, const uchar* f, const uchar* end, const uchar* upper) {
    return walkGroups(list.terms, list.count,
                      [&](const QueryTerm& t) { return matchTerm<Fold>(t, f, end, upper); });
}

} // namespace talsk::match
