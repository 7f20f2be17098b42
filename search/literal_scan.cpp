#include "search/literal_scan.h"

#include <initializer_list>

namespace talsk {

namespace {

bool fitsAt(const LiteralWord& w, const unsigned char* q, const unsigned char* limit) {
    return q + w.length <= limit && (q[0] | w.firstFold) == w.first &&
           (q[w.length - 1] | w.lastFold) == w.last;
}

} // namespace

int foldOf(unsigned char c, const unsigned char* upper) {
    if (upper == nullptr) return 0;
    bool alone = true, byBit = true;
    for (int b = 0; b < 256; ++b) {
        if (upper[b] != c) continue;
        alone = alone && b == c;
        byBit = byBit && (b | 0x20) == (c | 0x20);
    }
    return alone ? 0 : byBit ? 0x20 : -1;
}

int exactFoldOf(unsigned char c, const unsigned char* upper) {
    if (upper == nullptr) return 0;
    for (const int fold : {0, 0x20}) {
        bool same = true;
        for (int b = 0; b < 256 && same; ++b)
            same = (upper[b] == c) == ((b | fold) == (c | fold));
        if (same) return fold;
    }
    return -1;
}

bool planLiterals(const TermList& list, const unsigned char* upper, LiteralPlan& plan) {
    plan = LiteralPlan{};
    if (list.count < 1 || list.count > kMaxLiteralWords) return false;
    for (int i = 0; i < list.count; ++i) {
        const QueryTerm& t = list.terms[i];
        if (t.segmentCount != 1 || !t.groupEnd) return false;
        const TermSegment& seg = t.segments[0];
        const auto* text = reinterpret_cast<const unsigned char*>(seg.text);
        const int n = seg.length;
        if (n < 1 || text[0] == 0) return false;
        for (int k = 0; k < n; ++k)
            if (text[k] == '?' || (text[k] == 0 && k != n - 1)) return false;
        const int firstFold = foldOf(text[0], upper), lastFold = foldOf(text[n - 1], upper);
        if (firstFold < 0 || lastFold < 0) return false;
        LiteralWord& w = plan.words[i];
        w.text = text;
        w.length = n;
        w.anchored = seg.anchored != 0;
        w.firstFold = static_cast<unsigned char>(firstFold);
        w.lastFold = static_cast<unsigned char>(lastFold);
        w.first = static_cast<unsigned char>(text[0] | firstFold);
        w.last = static_cast<unsigned char>(text[n - 1] | lastFold);
        plan.longest = n > plan.longest ? n : plan.longest;
    }
    plan.count = list.count;
    plan.exact = plan.longest <= 16;
    for (int i = 0; i < plan.count && plan.exact; ++i) {
        LiteralWord& w = plan.words[i];
        for (int k = 0; k < w.length && plan.exact; ++k) {
            const int fold = exactFoldOf(w.text[k], upper);
            plan.exact = fold >= 0;
            w.folds[k] = static_cast<unsigned char>(fold < 0 ? 0 : fold);
        }
    }
    return true;
}

const unsigned char* nextLiteralCandidatePortable(const LiteralPlan& plan,
                                                  const unsigned char* from,
                                                  const unsigned char* to,
                                                  const unsigned char* limit) {
    for (const unsigned char* q = from; q < to; ++q)
        for (int j = 0; j < plan.count; ++j)
            if (fitsAt(plan.words[j], q, limit)) return q;
    return nullptr;
}

const unsigned char* nextLiteralCandidate(const LiteralPlan& plan, const unsigned char* from,
                                          const unsigned char* to, const unsigned char* limit) {
    switch (plan.count) {
    case 1:
        return LiteralFinder<1>(plan).next(from, to, limit);
    case 2:
        return LiteralFinder<2>(plan).next(from, to, limit);
    case 3:
        return LiteralFinder<3>(plan).next(from, to, limit);
    default:
        return LiteralFinder<4>(plan).next(from, to, limit);
    }
}

} // namespace talsk
