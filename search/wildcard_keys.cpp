#include "search/wildcard_keys.h"

#include <algorithm>

namespace talsk {

namespace {

// A rough share of a directory's pool bytes that match pattern byte c:
// fields average eight characters, names and streets are mostly Cyrillic
// letters with a few common vowels, numbers fill the phone, house and unit
// fields. Enough to prefer one key to another.
double byteShare(unsigned char c) {
    if (c == 0) return 0.12;
    if (c == ' ') return 0.06;
    if (c == '.') return 0.04;
    if (c >= '0' && c <= '9') return 0.02;
    if (c >= 0xC0) {
        const unsigned char capital = c & 0xDF;
        // А Е И О
        return capital == 0xC0 || capital == 0xC5 || capital == 0xC8 || capital == 0xCE ? 0.06
                                                                                        : 0.02;
    }
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') return 0.005;
    return 0.003;
}

// What a candidate costs: the look at its frame, and, when the frame
// holds, the test of its record (nanoseconds, measured roughly).
constexpr double kFrameCheckNs = 3;
constexpr double kRecordTestNs = 25;
// When the frame is the whole query, a record it holds in is only found
// and stored.
constexpr double kWholeHitNs = 8;
// The share of bytes that are not a zero.
constexpr double kNonZeroShare = 0.88;

// One way to look for a segment, weighed.
struct KeyOption {
    double estimate = 0;
    double cost = 0;    // the estimate, or what a sample of the pools says
    bool whole = false; // the frame is the segment whole, every byte told
    Key key;
};

// The options of a group with the lowest estimates, the lowest first.
constexpr int kShortlist = 6;
struct Shortlist {
    KeyOption options[kShortlist];
    int count = 0;

    bool wants(double estimate) const {
        return count < kShortlist || estimate < options[count - 1].estimate;
    }
    void add(const KeyOption& option) {
        int i = count < kShortlist ? count++ : kShortlist - 1;
        while (i > 0 && options[i - 1].estimate > option.estimate) {
            options[i] = options[i - 1];
            --i;
        }
        options[i] = option;
    }
};

// The options of one segment, one for each character a candidate may
// stand on. Its frame is its text, after the zero that precedes the field
// when the segment is anchored there; the text's own zero (when it must
// end the field) is its last byte.
void keysOf(const TermSegment& seg, const unsigned char* upper, bool alone, Shortlist& list) {
    unsigned char frame[kQuerySlot + 1];
    int n = 0;
    if (seg.anchored) frame[n++] = 0;
    const auto* text = reinterpret_cast<const unsigned char*>(seg.text);
    for (int k = 0; k < seg.length && n < static_cast<int>(sizeof frame); ++k)
        frame[n++] = text[k];
    int folds[sizeof frame];
    int exact[sizeof frame];
    double share[sizeof frame];
    for (int k = 0; k < n; ++k) {
        const bool any = frame[k] == '?';
        folds[k] = any ? -1 : foldOf(frame[k], upper);
        exact[k] = any ? -1 : exactFoldOf(frame[k], upper);
        share[k] = any ? kNonZeroShare : folds[k] >= 0 ? byteShare(frame[k]) : 1;
    }
    for (int a = 0; a < n; ++a) {
        if (folds[a] < 0) continue;
        const int frameEnd = std::min(n, a + kKeyFrame);
        KeyOption option;
        Key& key = option.key;
        // The share of places where the frame from a holds.
        double holds = 1;
        bool told = true;
        for (int k = a; k < frameEnd; ++k) {
            const bool any = frame[k] == '?';
            holds *= any || exact[k] >= 0 ? share[k] : 1;
            told = told && (any || exact[k] >= 0);
            const int i = k - a;
            if (any) {
                key.frame.nonZero[i] = 0xFF;
            } else if (exact[k] >= 0) {
                key.frame.care[i] = 0xFF;
                key.frame.fold[i] = static_cast<unsigned char>(exact[k]);
                key.frame.value[i] = static_cast<unsigned char>(frame[k] | exact[k]);
            }
        }
        key.frame.length = frameEnd - a;
        option.whole = alone && a == 0 && frameEnd == n && told;
        // The checks: the character at a, then the rarest others of the
        // frame that a check can tell.
        bool used[kKeyFrame] = {};
        double candidates = 1;
        for (int c = 0; c < kKeyChecks; ++c) {
            int pick = -1;
            for (int k = a; k < frameEnd; ++k) {
                if (used[k - a] || folds[k] < 0 || (c == 0 && k != a)) continue;
                if (pick < 0 || share[k] < share[pick]) pick = k;
            }
            if (pick < 0) break;
            used[pick - a] = true;
            KeyCheck& check = key.checks[key.checkCount++];
            check.offset = pick - a;
            check.fold = static_cast<unsigned char>(folds[pick]);
            check.value = static_cast<unsigned char>(frame[pick] | folds[pick]);
            key.span = std::max(key.span, check.offset + 1);
            candidates *= share[pick];
        }
        option.estimate = option.cost =
            kFrameCheckNs * candidates + (option.whole ? kWholeHitNs : kRecordTestNs) * holds;
        if (list.wants(option.estimate)) list.add(option);
    }
}

// What an option's candidates cost over the sample, per byte.
double sampledCost(const KeyOption& option, const KeySample& sample) {
    const Key& key = option.key;
    double candidates = 0, held = 0, bytes = 0;
    for (int i = 0; i < sample.count; ++i) {
        const unsigned char* begin = sample.begin[i];
        const unsigned char* end = sample.end[i];
        bytes += static_cast<double>(end - begin);
        for (const unsigned char* c = begin; end - c >= key.span; ++c) {
            if (!checksHold(key, c)) continue;
            ++candidates;
            held += frameHolds(key.frame, c, end) ? 1 : 0;
        }
    }
    if (bytes == 0) return option.estimate;
    return (kFrameCheckNs * candidates + (option.whole ? kWholeHitNs : kRecordTestNs) * held) /
           bytes;
}

// Adds the pairs of the group's terms, each segment apart (a zero between
// them holds no pair); '?' holds none either.
void addGroupPairs(const QueryTerm* terms, int count, PairQuery& pairs) {
    unsigned char joined[kQuerySlot * 2];
    int n = 0;
    for (int i = 0; i < count; ++i)
        for (int s = 0; s < terms[i].segmentCount; ++s) {
            const TermSegment& seg = terms[i].segments[s];
            if (n + seg.length + 1 > static_cast<int>(sizeof joined)) break;
            std::copy_n(reinterpret_cast<const unsigned char*>(seg.text), seg.length, joined + n);
            n += seg.length;
            joined[n++] = 0;
        }
    pairs.addWord(joined, n);
}

} // namespace

bool planKeys(const TermList& list, const unsigned char* upper, const KeySample* sample,
              KeyPlan& plan) {
    plan = KeyPlan{};
    int groupStart = 0;
    int blockChecks = kKeyChecks;
    for (int i = 0; i < list.count; ++i) {
        if (!list.terms[i].groupEnd) continue;
        // Terms [groupStart, i] must all match; one that never does (no
        // segment) drops the group.
        Shortlist shortlist;
        bool possible = true;
        for (int t = groupStart; t <= i; ++t) {
            const QueryTerm& term = list.terms[t];
            possible = possible && term.segmentCount != 0;
            const bool alone = list.count == 1 && term.segmentCount == 1;
            for (int s = 0; s < term.segmentCount; ++s)
                keysOf(term.segments[s], upper, alone, shortlist);
        }
        if (possible) {
            if (shortlist.count == 0 || plan.count == kMaxLiteralWords) return false;
            // The sample decides; the estimate parts options it cannot tell apart.
            int chosen = 0;
            for (int k = 0; k < shortlist.count && sample != nullptr; ++k) {
                KeyOption& option = shortlist.options[k];
                option.cost = sampledCost(option, *sample);
                if (option.cost < shortlist.options[chosen].cost) chosen = k;
            }
            const KeyOption& best = shortlist.options[chosen];
            plan.whole = best.whole;
            plan.keys[plan.count++] = best.key;
            blockChecks = std::min(blockChecks, best.key.checkCount);
            plan.cost += best.cost;
            addGroupPairs(list.terms + groupStart, i - groupStart + 1, plan.pairs);
        }
        groupStart = i + 1;
    }
    plan.blockChecks = std::max(2, blockChecks);
    return plan.count != 0;
}

} // namespace talsk
