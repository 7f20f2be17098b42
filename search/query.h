#pragma once
// The query language: a pattern text is normalized, then cut into terms joined
// by and ('&') and or ('|'), each term into wildcard segments split at '*'.
// A compiled term list points into the normalized text, which compilation
// changes in place; the text must outlive the list.

#include <cstdint>

namespace talsk {

constexpr int kTermRoom = 32;    // terms a list has room for
constexpr int kMaxTerms = 31;    // terms a text may have
constexpr int kSegmentRoom = 20; // segments a term has room for
constexpr int kMaxSegments = 19; // segments a term may have
constexpr int16_t kNoGroup = 4095;

// Characters of one pattern text, and the slot that holds it with its zero.
constexpr int kQueryTextMax = 100;
constexpr int kQuerySlot = 104;

struct TermSegment {
    const char* text = nullptr;
    int16_t length = 0;   // characters compared; may include the text's zero
    uint8_t anchored = 0; // must match exactly at the current position
    uint8_t lead = 0;     // the character the segment began with; '*' after a star
    // Leading '?' characters: a floating segment is looked for from its first
    // other character, which is `skip` characters into the match.
    uint8_t skip = 0;
    // A word-at-a-time filter for the start of a floating segment, past its
    // skipped characters (see prepareScan): the field bytes there, or-ed with 0x20 when
    // case is ignored, equal the first scanCount of scanChars. 0: no filter.
    uint8_t scanCount = 0;
    uint8_t scanChars[3] = {};
};

struct QueryTerm {
    TermSegment segments[kSegmentRoom];
    uint8_t segmentCount = 0;
    // Characters a field needs for the term to match ('?' and letters each
    // take one, a star none), and whether it needs exactly that many (one
    // segment compared up to the field's end): a field of another length is
    // passed over without reading it.
    uint8_t minLength = 0;
    bool exactLength = false;
    // No character but '?': the field's length alone decides.
    bool lengthOnly = false;
    uint8_t groupEnd = 0;         // followed by '|' or by the end of the text
    int16_t nextGroup = kNoGroup; // last term of this or-group; kNoGroup in the last group
};

// One compiled text: its terms and how many are used.
struct TermList {
    QueryTerm terms[kTermRoom];
    uint8_t count = 0;
};

enum class CompileError : uint8_t { None, TooManyTerms, TooManySegments };

// Rewrites a zero-terminated pattern text in place: '+' -> '&', ';' -> '|',
// spaces to or-operators (unless significant), runs of operators squeezed.
void normalizeQuery(char* text, bool spacesSignificant);

// Normalizes the text and fills terms (room for kTermRoom) and count. Fails on
// 32 terms or on 20 segments in a term; error, when given, says which.
[[nodiscard]] bool compileTerms(char* text, bool spacesSignificant, QueryTerm* terms,
                                uint8_t& count, CompileError* error = nullptr);

inline bool compileTerms(char* text, bool spacesSignificant, TermList& list,
                         CompileError* error = nullptr) {
    return compileTerms(text, spacesSignificant, list.terms, list.count, error);
}

// Chooses the start filter of every floating segment from its first
// characters. upper: the fold table the text went through before
// compilation (upper-casing, maybe with Ё as Е; or Ё as Е alone), nullptr
// when bytes compare as they are. A character
// whose cases the filter cannot tell apart ends it; a segment without one is
// scanned byte by byte.
void prepareScan(TermList& list, const unsigned char* upper);

} // namespace talsk
