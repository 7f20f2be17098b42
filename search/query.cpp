#include "search/query.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace talsk {

namespace {

// Runs of c shrink to one c.
void squeezeRuns(char* text, char c) {
    char* w = text;
    for (const char* r = text; *r; ++r) {
        if (*r == c && w > text && w[-1] == c) continue;
        *w++ = *r;
    }
    *w = '\0';
}

// One leading and one trailing c are removed.
void trimOne(char* text, char c) {
    size_t n = std::strlen(text);
    if (n > 0 && text[n - 1] == c) text[--n] = '\0';
    if (n > 0 && text[0] == c) std::memmove(text, text + 1, n); // n bytes: the rest and its zero
}

bool besideOperator(char c) {
    return c == '%' || c == '&' || c == '|';
}

// Without significant spaces a space separates alternatives, unless it only
// pads an operator or a '%'.
void spacesToOperators(char* text) {
    squeezeRuns(text, ' ');
    trimOne(text, ' ');
    char* w = text;
    char previous = '\0';
    for (const char* r = text; *r; ++r) {
        char c = *r;
        if (c == ' ') {
            // Spaces are single and inside now: both neighbours are other characters.
            if (!besideOperator(previous) && !besideOperator(r[1])) *w++ = '|';
        } else {
            *w++ = c;
        }
        previous = c;
    }
    *w = '\0';
}

// Cuts the term [begin, end) (end holds a zero) into segments and finishes it.
bool cutSegments(char* begin, char* end, QueryTerm& term) {
    int n = 0;
    char* k = begin;
    while (k < end) {
        char* next = k + 1;
        while (next < end && *next != '*')
            ++next;
        if (n == kMaxSegments) return false;
        TermSegment& s = term.segments[n++];
        s.lead = static_cast<uint8_t>(*k);
        s.anchored = 0;
        if (*k == '*') {
            *k = '\0';
            s.text = k + 1;
            s.length = static_cast<int16_t>(next - (k + 1));
        } else {
            s.text = k;
            s.length = static_cast<int16_t>(next - k);
        }
        k = next;
    }
    term.segmentCount = static_cast<uint8_t>(n);
    if (n == 0) return true; // an empty term never matches

    TermSegment& first = term.segments[0];
    if (n == 1) {
        if (first.lead == '*') {
            // "*abc": the field must end with the text, so its zero is compared too.
            if (first.length != 0) ++first.length;
            return true;
        }
        char* text = const_cast<char*>(first.text);
        bool wildcard = std::memchr(text, '?', static_cast<size_t>(first.length)) != nullptr;
        bool finalPercent = text[first.length - 1] == '%';
        if (wildcard || finalPercent) {
            // The whole field must match: compare up to and including its zero.
            first.anchored = 1;
            if (finalPercent)
                text[first.length - 1] = '\0';
            else
                ++first.length;
        }
        return true;
    }

    TermSegment& last = term.segments[n - 1];
    if (last.length == 0)
        term.segmentCount = static_cast<uint8_t>(n - 1); // ended with '*'
    else
        ++last.length; // the field must end with the last segment
    first.anchored = first.lead != '*';
    return true;
}

// Every character but the zero that stands for the field's end takes one
// character of the field, and segments never overlap.
void measureTerm(QueryTerm& term) {
    int chars = 0;
    bool wildOnly = true;
    for (int i = 0; i < term.segmentCount; ++i) {
        TermSegment& s = term.segments[i];
        for (int k = 0; k < s.length; ++k) {
            chars += s.text[k] != '\0' ? 1 : 0;
            wildOnly = wildOnly && (s.text[k] == '?' || s.text[k] == '\0');
        }
        int skip = 0;
        while (skip < s.length && s.text[skip] == '?')
            ++skip;
        s.skip = static_cast<uint8_t>(skip);
    }
    term.minLength = static_cast<uint8_t>(std::min(chars, 255));
    const TermSegment& first = term.segments[0];
    term.exactLength = term.segmentCount == 1 && first.anchored && first.length > 0 &&
                       first.text[first.length - 1] == '\0';
    term.lengthOnly = term.segmentCount != 0 && wildOnly && chars < 255;
}

} // namespace

void normalizeQuery(char* text, bool spacesSignificant) {
    for (char* p = text; *p; ++p) {
        if (*p == '+')
            *p = '&';
        else if (*p == ';')
            *p = '|';
    }
    if (!spacesSignificant) spacesToOperators(text);
    squeezeRuns(text, '|');
    trimOne(text, '|');
    squeezeRuns(text, '&');
    trimOne(text, '&');
    squeezeRuns(text, '*');
    squeezeRuns(text, '%');
}

bool compileTerms(char* text, bool spacesSignificant, QueryTerm* terms, uint8_t& count,
                  CompileError* error) {
    count = 0;
    if (error) *error = CompileError::None;
    if (text == nullptr || *text == '\0') return true;
    normalizeQuery(text, spacesSignificant);
    if (*text == '\0') return true;

    int n = 0;
    char* p = text;
    while (true) {
        char* begin = p;
        while (*p && *p != '&' && *p != '|')
            ++p;
        const char cut = *p;
        if (n == kMaxTerms) {
            if (error) *error = CompileError::TooManyTerms;
            return false;
        }
        QueryTerm& term = terms[n];
        term.segmentCount = 0;
        term.groupEnd = cut != '&';
        term.nextGroup = kNoGroup;
        *p = '\0';
        if (!cutSegments(begin, p, term)) {
            if (error) *error = CompileError::TooManySegments;
            return false;
        }
        measureTerm(term);
        ++n;
        if (cut == '\0') break;
        ++p;
    }

    // Each term learns where its or-group ends, so that a failing term can
    // skip to the first term of the next group.
    int16_t running = kNoGroup;
    for (int i = n - 1; i >= 0; --i) {
        if (terms[i].groupEnd && i != n - 1) running = static_cast<int16_t>(i);
        terms[i].nextGroup = running;
    }
    count = static_cast<uint8_t>(n);
    return true;
}

namespace {

// Every byte whose upper-case form is c gives the same value when or-ed with fold.
bool foldKeepsCandidates(unsigned char c, unsigned char fold, const unsigned char* upper) {
    if (upper == nullptr) return true; // case matters: only c itself matches c
    for (int b = 0; b < 256; ++b)
        if (upper[b] == c && (static_cast<unsigned char>(b) | fold) != (c | fold)) return false;
    return true;
}

} // namespace

void prepareScan(TermList& list, const unsigned char* upper) {
    // The filter reads machine words in memory order.
    constexpr bool wordsUsable = std::endian::native == std::endian::little;
    // Or-ing 0x20 makes the two cases of a-z and of а-я one value.
    const unsigned char fold = upper ? 0x20 : 0;
    for (int t = 0; t < list.count; ++t) {
        QueryTerm& term = list.terms[t];
        for (int i = 0; i < term.segmentCount; ++i) {
            TermSegment& s = term.segments[i];
            s.scanCount = 0;
            if (!wordsUsable || s.anchored || s.length <= s.skip) continue;
            const auto* text = reinterpret_cast<const unsigned char*>(s.text) + s.skip;
            const int length = s.length - s.skip;
            if (text[0] == 0) continue;
            int n = 0;
            while (n < 3 && n < length && text[n] != '?' &&
                   foldKeepsCandidates(text[n], fold, upper)) {
                s.scanChars[n] = static_cast<unsigned char>(text[n] | fold);
                ++n;
            }
            s.scanCount = static_cast<uint8_t>(n);
        }
    }
}

} // namespace talsk
