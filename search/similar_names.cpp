#include "search/similar_names.h"

#include "base/char_tables.h"

#include <cstddef>
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

bool endsWith(const std::string& s, std::initializer_list<uchar> tail) {
    if (s.size() < tail.size() + 2) return false; // two letters stay before it
    size_t i = s.size() - tail.size();
    for (uchar c : tail)
        if (static_cast<uchar>(s[i++]) != c) return false;
    return true;
}

void commonEnding(std::string& s) {
    if (endsWith(s, {O, V, A}) || endsWith(s, {E, V, A}) || endsWith(s, {I, N, A}) ||
        endsWith(s, {Y, N, A})) {
        s.pop_back();
    } else if (endsWith(s, {A, YA}) || endsWith(s, {O, IJ})) {
        s[s.size() - 2] = static_cast<char>(I);
        s[s.size() - 1] = static_cast<char>(IJ);
    }
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
    std::string key, scratch;
    phoneticKeyInto(folded, key, scratch);
    return key;
}

void phoneticKeyInto(std::string_view folded, std::string& key, std::string& s) {
    s.clear();
    for (char ch : folded) {
        const auto c = static_cast<uchar>(ch);
        if (keeps(c) && c != SOFT && c != HARD) s += ch;
    }
    commonEnding(s);
    // Right to left, so that a devoiced letter devoices the one before it.
    for (size_t i = s.size(); i-- > 0;) {
        const auto c = static_cast<uchar>(s[i]);
        if (i + 1 == s.size() || unvoiced(static_cast<uchar>(s[i + 1])))
            s[i] = static_cast<char>(devoiced(c));
    }
    key.clear();
    for (size_t i = 0; i < s.size(); ++i) {
        auto c = static_cast<uchar>(s[i]);
        if (c == T && i + 1 < s.size() &&
            (static_cast<uchar>(s[i + 1]) == S || static_cast<uchar>(s[i + 1]) == TS)) {
            c = TS;
            ++i;
        }
        c = vowelGroup(c);
        if (key.empty() || static_cast<uchar>(key.back()) != c) key += static_cast<char>(c);
    }
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

SimilarMatcher::SimilarMatcher(std::string_view asked)
    : folded_(foldName(asked)), key_(phoneticKey(folded_)) {}

Likeness SimilarMatcher::rateFolded(std::string_view folded) const {
    if (folded == folded_) return Likeness::Spelling;
    const bool slip = withinOneSlip(folded_, folded);
    // Kept from call to call: a million names cost no allocation each.
    thread_local std::string other, scratch;
    phoneticKeyInto(folded, other, scratch);
    const bool key = !key_.empty() && other == key_;
    if (key) return slip ? Likeness::KeyAndSlip : Likeness::Key;
    return slip ? Likeness::Slip : Likeness::None;
}

} // namespace talsk
