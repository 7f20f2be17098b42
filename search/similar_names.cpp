#include "search/similar_names.h"

#include "base/char_tables.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <initializer_list>

namespace talsk {

namespace {

using uchar = unsigned char;

// Capital Cyrillic letters in Windows-1251.
constexpr uchar A = 0xC0, B = 0xC1, V = 0xC2, G = 0xC3, D = 0xC4, E = 0xC5, ZH = 0xC6, Z = 0xC7,
                I = 0xC8, IJ = 0xC9, K = 0xCA, N = 0xCD, O = 0xCE, P = 0xCF, S = 0xD1, T = 0xD2,
                U = 0xD3, F = 0xD4, KH = 0xD5, TS = 0xD6, CH = 0xD7, SH = 0xD8, SHCH = 0xD9,
                HARD = 0xDA, Y = 0xDB, SOFT = 0xDC, EH = 0xDD, YU = 0xDE, YA = 0xDF;

bool isCyrillic(uchar c) {
    return c >= A && c <= YA;
}

bool keeps(uchar c) {
    return isCyrillic(c) || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool unvoiced(uchar c) {
    switch (c) {
    case P:
    case F:
    case K:
    case T:
    case SH:
    case S:
    case KH:
    case TS:
    case CH:
    case SHCH:
        return true;
    default:
        return false;
    }
}

// The unvoiced pair of a voiced consonant, or c itself.
uchar devoiced(uchar c) {
    switch (c) {
    case B:
        return P;
    case V:
        return F;
    case G:
        return K;
    case D:
        return T;
    case ZH:
        return SH;
    case Z:
        return S;
    default:
        return c;
    }
}

uchar vowelGroup(uchar c) {
    switch (c) {
    case O:
        return A;
    case E:
    case EH:
    case Y:
    case YA:
    case IJ:
        return I;
    case YU:
        return U;
    default:
        return c;
    }
}

// Room for the letters of a name; the rest of a longer one is not looked at.
constexpr size_t kKeyRoom = 128;

bool endsWith(const uchar* s, size_t n, std::initializer_list<uchar> tail) {
    if (n < tail.size() + 2) return false; // two letters stay before it
    size_t i = n - tail.size();
    for (uchar c : tail)
        if (s[i++] != c) return false;
    return true;
}

// The letters' new count.
size_t commonEnding(uchar* s, size_t n) {
    if (endsWith(s, n, {O, V, A}) || endsWith(s, n, {E, V, A}) || endsWith(s, n, {I, N, A}) ||
        endsWith(s, n, {Y, N, A}))
        return n - 1;
    if (endsWith(s, n, {A, YA}) || endsWith(s, n, {O, IJ})) {
        s[n - 2] = I;
        s[n - 1] = IJ;
    }
    return n;
}

// The key of a folded name into out (room for kKeyRoom); its length.
size_t keyOf(std::string_view folded, uchar* out) {
    uchar s[kKeyRoom];
    size_t n = 0;
    for (char ch : folded) {
        const auto c = static_cast<uchar>(ch);
        if (n < kKeyRoom && keeps(c) && c != SOFT && c != HARD) s[n++] = c;
    }
    n = commonEnding(s, n);
    // Right to left, so that a devoiced letter devoices the one before it.
    for (size_t i = n; i-- > 0;)
        if (i + 1 == n || unvoiced(s[i + 1])) s[i] = devoiced(s[i]);
    size_t k = 0;
    for (size_t i = 0; i < n; ++i) {
        uchar c = s[i];
        if (c == T && i + 1 < n && (s[i + 1] == S || s[i + 1] == TS)) {
            c = TS;
            ++i;
        }
        c = vowelGroup(c);
        if (k == 0 || out[k - 1] != c) out[k++] = c;
    }
    return k;
}

bool sameFrom(std::string_view a, size_t i, std::string_view b, size_t j) {
    return a.substr(i) == b.substr(j);
}

} // namespace

void foldNameInto(std::string_view name, std::string& out) {
    const UpperTable& fold = upperYoTable();
    out.resize(name.size());
    for (size_t i = 0; i < name.size(); ++i)
        out[i] = static_cast<char>(fold[static_cast<uchar>(name[i])]);
}

std::string foldName(std::string_view name) {
    std::string out;
    foldNameInto(name, out);
    return out;
}

std::string phoneticKey(std::string_view folded) {
    uchar key[kKeyRoom];
    return std::string(reinterpret_cast<const char*>(key), keyOf(folded, key));
}

bool withinOneSlip(std::string_view a, std::string_view b) {
    if (a.size() > b.size()) return withinOneSlip(b, a);
    if (b.size() - a.size() > 1) return false;
    size_t i = 0;
    while (i < a.size() && a[i] == b[i])
        ++i;
    if (a.size() == b.size()) {
        if (i == a.size()) return false;               // equal
        if (sameFrom(a, i + 1, b, i + 1)) return true; // changed
        return i + 1 < a.size() && a[i] == b[i + 1] && a[i + 1] == b[i] &&
               sameFrom(a, i + 2, b, i + 2); // swapped
    }
    return sameFrom(a, i, b, i + 1); // one added to a
}

const std::array<uint32_t, 256>& soundBitTable() {
    static const std::array<uint32_t, 256> table = [] {
        // Letters of one class share a bit; the class of А О is bit 0.
        const uchar classes[][8] = {{A, O}, {E, EH, I, Y, YA, IJ}, {U, YU}, {B, P}, {V, F},
                                    {G, K}, {D, T, Z, S, TS},      {ZH, SH}};
        std::array<uint32_t, 256> byLetter{};
        uint32_t bit = 0;
        for (const auto& group : classes) {
            for (uchar c : group)
                if (c != 0) byLetter[c] = 1u << bit;
            ++bit;
        }
        for (int c = 0; c < 256; ++c) {
            const auto u = static_cast<uchar>(c);
            if (byLetter[u] == 0 && keeps(u) && u != SOFT && u != HARD)
                byLetter[u] = 1u << (bit + static_cast<uint32_t>(c) % (32 - bit));
        }
        std::array<uint32_t, 256> t{};
        const UpperTable& fold = upperYoTable();
        for (int c = 0; c < 256; ++c)
            t[static_cast<size_t>(c)] = byLetter[fold[static_cast<size_t>(c)]];
        return t;
    }();
    return table;
}

uint32_t soundBits(std::string_view name) {
    const std::array<uint32_t, 256>& t = soundBitTable();
    uint32_t bits = 0;
    for (char c : name)
        bits |= t[static_cast<uchar>(c)];
    return bits;
}

bool mayBeAlike(uint32_t a, uint32_t b) {
    return std::popcount((a ^ b) & ~1u) <= 2;
}

SimilarMatcher::SimilarMatcher(std::string_view asked)
    : folded_(foldName(asked)), key_(phoneticKey(folded_)), bits_(soundBits(folded_)) {}

Likeness SimilarMatcher::rateFolded(std::string_view folded) const {
    if (folded == folded_) return Likeness::Spelling;
    const bool slip = withinOneSlip(folded_, folded);
    uchar other[kKeyRoom];
    const size_t n = keyOf(folded, other);
    const bool key = !key_.empty() && n == key_.size() && std::memcmp(other, key_.data(), n) == 0;
    if (key) return slip ? Likeness::KeyAndSlip : Likeness::Key;
    return slip ? Likeness::Slip : Likeness::None;
}

} // namespace talsk
