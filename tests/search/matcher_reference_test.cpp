// The matcher against a plain reference written from the rules of the query
// language: thousands of random short patterns over random fields.
//
// The reference turns a term into an ordinary glob ('*' any run, '?' any one
// character) over the whole field and matches it by backtracking; a text is
// an or of and-groups of such terms.

#include "base/char_tables.h"
#include "base/pair_filter.h"
#include "base/table_builder.h"
#include "search/literal_scan.h"
#include "search/search_engine.h"
#include "search/wildcard_keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace talsk {
namespace {

// Case folding for the letters the random texts use, written out by hand.
unsigned char refUpper(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    switch (c) {
    case 0xE0: // а
        return 0xC0;
    case 0xFF: // я
        return 0xDF;
    case 0xB8: // ё
        return 0xA8;
    case 0xA2: // ў
        return 0xA1;
    default:
        return c;
    }
}

bool globMatch(const char* p, const char* s, bool caseSensitive) {
    if (*p == '\0') return *s == '\0';
    if (*p == '*') {
        for (;; ++s) {
            if (globMatch(p + 1, s, caseSensitive)) return true;
            if (*s == '\0') return false;
        }
    }
    if (*s == '\0') return false;
    const auto a = static_cast<unsigned char>(*p), b = static_cast<unsigned char>(*s);
    const bool same = caseSensitive ? a == b : refUpper(a) == refUpper(b);
    return (*p == '?' || same) && globMatch(p + 1, s + 1, caseSensitive);
}

std::string squeeze(const std::string& s, char c) {
    std::string out;
    for (char x : s)
        if (!(x == c && !out.empty() && out.back() == c)) out += x;
    return out;
}

std::string trimOne(std::string s, char c) {
    if (!s.empty() && s.back() == c) s.pop_back();
    if (!s.empty() && s.front() == c) s.erase(0, 1);
    return s;
}

bool isPad(char c) {
    return c == '%' || c == '&' || c == '|';
}

std::string refNormalize(std::string s, bool spaces) {
    for (char& c : s) {
        if (c == '+') c = '&';
        if (c == ';') c = '|';
    }
    if (!spaces) {
        s = trimOne(squeeze(s, ' '), ' ');
        std::string out;
        for (size_t i = 0; i < s.size(); ++i) {
            if (s[i] != ' ') {
                out += s[i];
            } else if (!isPad(s[i - 1]) && !isPad(s[i + 1])) {
                out += '|';
            }
        }
        s = out;
    }
    s = trimOne(squeeze(s, '|'), '|');
    s = trimOne(squeeze(s, '&'), '&');
    return squeeze(squeeze(s, '*'), '%');
}

// The whole-field glob of one term; false for an empty term, which never matches.
bool termToGlob(const std::string& term, std::string& glob) {
    if (term.empty()) return false;
    const size_t stars = static_cast<size_t>(std::count(term.begin(), term.end(), '*'));
    const bool leadStar = term[0] == '*';
    const size_t segments = stars + (leadStar ? 0 : 1);
    if (segments >= 2) {
        glob = term; // prefix, middle parts in order, suffix: a glob as written
    } else if (leadStar) {
        glob = term; // "*abc": ends with; "*": anything
    } else if (term.find('?') != std::string::npos || term.back() == '%') {
        glob = term.back() == '%' ? term.substr(0, term.size() - 1) : term; // whole field
    } else {
        glob = "*" + term + "*"; // contains
    }
    return true;
}

struct RefResult {
    bool compiles = true;
    bool matches = false;
};

RefResult refEvaluate(const std::string& pattern, const std::string& field, bool caseSensitive,
                      bool spaces) {
    RefResult r;
    const std::string text = refNormalize(pattern, spaces);
    if (text.empty()) return r; // no condition: the engine treats it as no term at all
    // Terms with the operator that follows each.
    std::vector<std::string> terms;
    std::vector<char> after;
    std::string current;
    for (char c : text) {
        if (c == '&' || c == '|') {
            terms.push_back(current);
            after.push_back(c);
            current.clear();
        } else {
            current += c;
        }
    }
    terms.push_back(current);
    after.push_back('|');
    if (terms.size() > 31) {
        r.compiles = false;
        return r;
    }
    for (const std::string& t : terms) {
        size_t segments = static_cast<size_t>(std::count(t.begin(), t.end(), '*'));
        if (!t.empty() && t[0] != '*') ++segments;
        if (segments > 19) {
            r.compiles = false;
            return r;
        }
    }
    // Or over groups, and within a group.
    bool groupOk = true;
    for (size_t i = 0; i < terms.size(); ++i) {
        std::string glob;
        const bool ok =
            termToGlob(terms[i], glob) && globMatch(glob.c_str(), field.c_str(), caseSensitive);
        groupOk = groupOk && ok;
        if (after[i] == '|') {
            if (groupOk) {
                r.matches = true;
                return r;
            }
            groupOk = true;
        }
    }
    return r;
}

class Random {
public:
    explicit Random(uint64_t seed) : s_(seed) {}
    uint32_t next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 7;
        s_ ^= s_ << 17;
        return static_cast<uint32_t>(s_);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }
    std::string text(const std::string& alphabet, int maxLength) {
        std::string s;
        const int n = below(maxLength + 1);
        for (int i = 0; i < n; ++i)
            s += alphabet[static_cast<size_t>(below(static_cast<int>(alphabet.size())))];
        return s;
    }

private:
    uint64_t s_;
};

const std::string kFieldLetters = "abAB\xE0\xC0\xB8\xA8\xA2\xA1%?* ";
const std::string kPatternLetters = "abAB\xE0\xC0\xB8\xA8\xA1??**%% |&+;";

TEST(MatcherReference, RandomPatternsAgreeWithTheReference) {
    Random rnd(20240611);
    int compared = 0, matched = 0;
    for (int round = 0; round < 6000; ++round) {
        const std::string pattern = rnd.text(kPatternLetters, 12);
        const bool caseSensitive = rnd.below(3) == 0;
        const bool spaces = rnd.below(4) == 0;
        CompiledPattern compiled;
        const bool ok = compiled.compile(pattern.c_str(), MatchOptions{caseSensitive, spaces});
        for (int f = 0; f < 8; ++f) {
            const std::string field = rnd.text(kFieldLetters, 10);
            const RefResult ref = refEvaluate(pattern, field, caseSensitive, spaces);
            ASSERT_EQ(ok, ref.compiles) << "pattern [" << pattern << "]";
            if (!ok) break;
            // An empty compiled list places no condition; the search treats it apart.
            if (compiled.terms().count == 0) continue;
            ASSERT_EQ(compiled.matches(field.c_str()), ref.matches)
                << "pattern [" << pattern << "] field [" << field << "] case " << caseSensitive
                << " spaces " << spaces;
            ++compared;
            matched += ref.matches ? 1 : 0;
        }
    }
    // The random texts must exercise both outcomes.
    EXPECT_GT(compared, 20000);
    EXPECT_GT(matched, compared / 20);
    EXPECT_LT(matched, compared - compared / 20);
}

TEST(MatcherReference, LongRandomFieldsAgreeWithTheReference) {
    // Longer fields and patterns reach the word-at-a-time start filter.
    Random rnd(77);
    const std::string fieldLetters = "ab\xE0\xC0 ";
    const std::string patternLetters = "ab\xE0\xC0?*";
    int matched = 0;
    for (int round = 0; round < 4000; ++round) {
        const std::string pattern = rnd.text(patternLetters, 6);
        const bool caseSensitive = rnd.below(2) == 0;
        CompiledPattern compiled;
        ASSERT_TRUE(compiled.compile(pattern.c_str(), MatchOptions{caseSensitive, true}));
        if (compiled.terms().count == 0) continue;
        const std::string field = rnd.text(fieldLetters, 40);
        const RefResult ref = refEvaluate(pattern, field, caseSensitive, true);
        ASSERT_EQ(compiled.matches(field.c_str()), ref.matches)
            << "pattern [" << pattern << "] field [" << field << "]";
        matched += ref.matches ? 1 : 0;
    }
    EXPECT_GT(matched, 100);
}

// The matching rules transcribed step by step (no start filter, no one-pass
// record scan): both sides go through the upper-case table when case is
// ignored, and the terms are those of the raw, not upper-cased, text.
struct LiteralMatcher {
    const unsigned char* upper = nullptr; // nullptr: case matters

    unsigned char map(char c) const {
        const auto u = static_cast<unsigned char>(c);
        return upper ? upper[u] : u;
    }

    bool term(const QueryTerm& t, const char* f) const {
        if (t.segmentCount == 0) return false;
        size_t p = 0;
        for (int i = 0; i < t.segmentCount; ++i) {
            const TermSegment& s = t.segments[i];
            const int n = s.length;
            if (s.anchored) {
                if (n == 0) return false;
                for (int k = 0; k < n; ++k) {
                    const unsigned char c = map(f[p + static_cast<size_t>(k)]), pc = map(s.text[k]);
                    if (pc == '?' ? c == 0 : pc != c) return false;
                }
                p += static_cast<size_t>(n);
            } else if (n != 0) {
                const unsigned char first = map(s.text[0]);
                for (size_t q = p;; ++q) {
                    while (map(f[q]) != 0 && first != '?' && map(f[q]) != first)
                        ++q;
                    if (map(f[q]) == 0) return false;
                    bool same = true;
                    for (int k = 1; k < n && same; ++k) {
                        const unsigned char c = map(f[q + static_cast<size_t>(k)]),
                                            pc = map(s.text[k]);
                        if (c == 0 && pc != 0) return false; // the field ended
                        same = pc == '?' || pc == c;
                    }
                    if (same) {
                        p = q + static_cast<size_t>(n);
                        break;
                    }
                }
            }
        }
        return true;
    }

    // An or of and-groups, each closed by the term that '|' or the end of
    // the text followed (groupEnd): from the language's rules, not from the
    // engine's links between groups.
    template <typename Test> static bool groups(const TermList& list, Test test) {
        bool wholeGroup = true;
        for (int i = 0; i < list.count; ++i) {
            wholeGroup = test(list.terms[i]) && wholeGroup;
            if (!list.terms[i].groupEnd) continue;
            if (wholeGroup) return true;
            wholeGroup = true;
        }
        return false;
    }
};

// Bases (two unless said) of population and organization records (150 a
// table unless said) of random fields.
void fillPools(BaseSet& set, Random& rnd, const std::string& letters, int longField, int bases = 2,
               int records = 150) {
    set.bases.resize(static_cast<size_t>(bases));
    for (int b = 0; b < bases; ++b) {
        set.bases[static_cast<size_t>(b)].connected = 1;
        for (TableKind kind : {TableKind::Population, TableKind::Organizations}) {
            TableBuilder builder;
            RecordFields r;
            for (int i = 0; i < records; ++i) {
                for (int k = 1; k <= kFieldCount; ++k)
                    r.set(k, rnd.text(letters, std::min(kFieldMax[static_cast<size_t>(k)],
                                                        i % 3 ? 12 : longField))
                                 .c_str());
                ASSERT_TRUE(builder.add(r));
            }
            ASSERT_TRUE(builder.install(set.bases[static_cast<size_t>(b)].table(kind), BaseDate{}));
        }
    }
}

// Runs the pattern as a general search (over a random selection) or a field
// search, whole or in pieces on two threads, and compares the hits with the
// literal rules applied record by record. Returns the number of hits.
int32_t expectSearchAgrees(BaseSet& set, ProgramSettings& settings, Random& rnd,
                           const std::string& pattern) {
    char raw[kQuerySlot] = {};
    std::memcpy(raw, pattern.data(), pattern.size());
    TermList list;
    EXPECT_TRUE(compileTerms(raw, settings.spacesSignificant != 0, list)) << pattern;
    // The engine's own fold tables: ё as е, with or without case.
    const unsigned char* fold = settings.yoAsYe
                                    ? (settings.caseSensitive ? yoTable() : upperYoTable()).data()
                                    : (settings.caseSensitive ? nullptr : upperTable().data());
    const LiteralMatcher literal{fold};

    const bool general = rnd.below(2) == 0;
    FieldSelection selection = kAllFields;
    if (rnd.below(2) == 0)
        for (auto& s : selection)
            s = static_cast<uint8_t>(rnd.below(2));
    const int field = 1 + rnd.below(kFieldCount);
    FieldQueryText query;
    query.set(field, pattern.c_str());
    // Every base's population and organizations, the area cut into pieces
    // searched on two threads, or not at all.
    SearchState found;
    std::fill_n(found.fileMask.begin(), set.count(), 1);
    found.tables = kMaskPopulationOrganizations;
    SearchRun run = foregroundRun(set, found, &settings);
    run.splitRecords = rnd.below(2) ? 0 : 1 + rnd.below(100);
    const int32_t n =
        general ? runGeneralSearch(pattern.c_str(), run, &selection) : runFieldSearch(query, run);

    std::vector<std::tuple<int, int, int>> expected, got;
    for (int b = 0; b < set.count() && list.count != 0; ++b)
        for (TableKind kind : {TableKind::Population, TableKind::Organizations}) {
            const BaseTable& t = set.bases[static_cast<size_t>(b)].table(kind);
            for (int32_t i = 0; i < t.count; ++i) {
                const FieldPointers f = fieldPointers(t, i);
                const bool match = LiteralMatcher::groups(list, [&](const QueryTerm& term) {
                    if (!general) return literal.term(term, f[field]);
                    for (int k = 1; k <= kFieldCount; ++k)
                        if (selection[static_cast<size_t>(k - 1)] && literal.term(term, f[k]))
                            return true;
                    return false;
                });
                if (match) expected.emplace_back(b, static_cast<int>(kind), i);
            }
        }
    for (const SearchHit& h : found.hits)
        got.emplace_back(h.base, static_cast<int>(h.table), h.record);
    EXPECT_EQ(n, static_cast<int32_t>(got.size()));
    EXPECT_EQ(got, expected) << (general ? "general" : "field") << " pattern [" << pattern
                             << "] case " << int{settings.caseSensitive} << " spaces "
                             << int{settings.spacesSignificant};
    return n;
}

TEST(MatcherReference, SearchesOverPoolsAgreeWithTheLiteralRules) {
    // Every cased letter pair of the code page, letters whose cases differ in
    // more than bit 0x20, and bytes that equal letters once 0x20 is or-ed in.
    const std::string fieldLetters = "aAbB\xE0\xC0\xFF\xDF\xB8\xA8\xA2\xA1\x83\x81\x90\x80"
                                     "\xBC\xA3\xB3\xB2\xB5\x40\x60\x01\x21 %?*1";
    const std::string patternLetters = fieldLetters + "??**%|&+; ";
    Random rnd(4242);
    ProgramSettings settings;
    BaseSet set;
    fillPools(set, rnd, fieldLetters, 60);

    int64_t found = 0;
    for (int round = 0; round < 1500; ++round) {
        // Words alone and as alternatives take the engine's direct paths.
        const std::string pattern = round % 4 == 0 ? rnd.text("aB\xE0\xC0\xA8\xB8\x81\x83", 3) +
                                                         " " + rnd.text("b\xDF\xFF\x80\x90", 3)
                                                   : rnd.text(patternLetters, round % 3 ? 8 : 30);
        settings.caseSensitive = static_cast<uint8_t>(rnd.below(2));
        settings.spacesSignificant = static_cast<uint8_t>(rnd.below(3) == 0);
        found += expectSearchAgrees(set, settings, rnd, pattern);
        if (HasFailure()) return;
    }
    EXPECT_GT(found, 10000);
}

// Queries of literal words («ова», «иванов*», «*ова», «иванов%», a few words)
// are looked for over the whole pool at once; long fields put matches, false
// candidates and record ends at every position of the vector blocks.
TEST(MatcherReference, LiteralWordsOverWholePoolsAgreeWithTheLiteralRules) {
    const std::string fieldLetters = "aAbB\xE0\xC0\xFF\xDF\x40\x60\x01\x21\xB8 ";
    const std::string wordLetters = "aAbB\xE0\xC0\xFF\xDF\x40\x60\x21";
    Random rnd(5151);
    ProgramSettings settings;
    BaseSet set;
    fillPools(set, rnd, fieldLetters, 100);

    int64_t found = 0;
    int literal = 0, exact = 0;
    for (int round = 0; round < 1200; ++round) {
        std::string pattern;
        const int words = 1 + rnd.below(kMaxLiteralWords);
        for (int w = 0; w < words; ++w) {
            std::string word = rnd.text(wordLetters, 3);
            word += static_cast<char>(wordLetters[static_cast<size_t>(rnd.below(4))]);
            const char* forms[] = {"", "*", "%", "lead"};
            const std::string form = forms[rnd.below(4)];
            pattern += (w ? " " : "") + (form == "lead" ? "*" + word : word + form);
        }
        settings.caseSensitive = static_cast<uint8_t>(rnd.below(2));
        settings.spacesSignificant = 0;
        CompiledPattern compiled;
        ASSERT_TRUE(compiled.compile(pattern.c_str(), MatchOptions{settings.caseSensitive != 0}));
        LiteralPlan plan;
        literal += planLiterals(compiled.terms(),
                                settings.caseSensitive ? nullptr : upperTable().data(), plan);
        exact += plan.exact;
        found += expectSearchAgrees(set, settings, rnd, pattern);
        if (HasFailure()) return;
    }
    EXPECT_GT(literal, 1000); // the patterns do take the whole-pool path
    EXPECT_GT(exact, 1000);   // and so does the whole-word compare
    EXPECT_GT(found, 5000);
}

// Sixty-four small files: the pieces of a split run cross table and file
// edges, a piece may hold a single record, and the second thread's hits must
// land after the first's in base, table and record order.
TEST(MatcherReference, SixtyFourFilesAgreeWithTheLiteralRules) {
    const std::string fieldLetters = "aAbB\xE0\xC0\xFF\xDF\xB8\xA8\x40\x60 ";
    const std::string wordLetters = "aAbB\xE0\xC0\xFF\xDF\xB8\xA8";
    Random rnd(6464);
    ProgramSettings settings;
    BaseSet set;
    fillPools(set, rnd, fieldLetters, 40, kMaxFiles, 12);

    int64_t found = 0;
    for (int round = 0; round < 600; ++round) {
        // Literal words of one to six letters (short and long paths of the
        // field search), or anything the language allows.
        std::string pattern;
        if (round % 3 == 0) {
            pattern = rnd.text(kPatternLetters, 10);
        } else {
            const int words = 1 + rnd.below(2);
            for (int w = 0; w < words; ++w) {
                std::string word(1, wordLetters[static_cast<size_t>(rnd.below(10))]);
                word += rnd.text(wordLetters, 5);
                pattern += (w ? " " : "") + word + (rnd.below(3) == 0 ? "*" : "");
            }
        }
        settings.caseSensitive = static_cast<uint8_t>(rnd.below(2));
        settings.spacesSignificant = 0;
        found += expectSearchAgrees(set, settings, rnd, pattern);
        if (HasFailure()) return;
    }
    EXPECT_GT(found, 20000);
}

// A wildcard word: rare letters (the ones keys are made of), common ones and
// '?', now and then a '*' inside, in one of the language's forms.
std::string wildcardWord(Random& rnd, const std::string& rare, const std::string& common) {
    std::string word;
    const int length = 1 + rnd.below(4);
    for (int k = 0; k < length; ++k) {
        const int kind = rnd.below(10);
        const std::string& from = kind < 3 ? rare : common;
        word +=
            kind >= 6 ? '?' : from[static_cast<size_t>(rnd.below(static_cast<int>(from.size())))];
    }
    if (length > 1 && rnd.below(3) == 0)
        word.insert(static_cast<size_t>(1 + rnd.below(length - 1)), "*");
    const char* forms[] = {"", "", "*", "%", "lead"};
    const std::string form = forms[rnd.below(5)];
    return form == "lead" ? "*" + word : word + form;
}

// Wildcard queries («?x», «x*y», «*?x», «??») over pools where some letters
// are rare: the engine looks for keys over the pool (the zero before a
// field, letters, the zero after it), or only at the fields' lengths.
// Short fields put field starts and ends at every position of the vector
// blocks; the first record of a pool has no zero before it; split runs
// start keys in the middle of a table.
TEST(MatcherReference, WildcardKeysOverWholePoolsAgreeWithTheLiteralRules) {
    const std::string rare = "xY\xFF\xDF\xB8\xA8"; // x Y я Я ё Ё
    const std::string common = "ab\xE0\xC0 1";     // a b а А, space, 1
    Random rnd(9191);
    ProgramSettings settings;
    BaseSet set;
    fillPools(set, rnd, common + common + common + common + rare, 14, 3, 200);

    int64_t found = 0;
    int keyed = 0, whole = 0, lengths = 0;
    for (int round = 0; round < 1500; ++round) {
        std::string pattern = wildcardWord(rnd, rare, common);
        if (rnd.below(4) == 0)
            pattern += (rnd.below(2) ? " " : "&") + wildcardWord(rnd, rare, common);
        settings.caseSensitive = static_cast<uint8_t>(rnd.below(2));
        settings.spacesSignificant = 0;
        settings.yoAsYe = static_cast<uint8_t>(rnd.below(2));
        const MatchOptions options{settings.caseSensitive != 0, false, settings.yoAsYe != 0};
        CompiledPattern compiled;
        ASSERT_TRUE(compiled.compile(pattern.c_str(), options)) << pattern;
        KeyPlan plan;
        if (planKeys(compiled.terms(), foldTable(options), nullptr, plan)) {
            ++keyed;
            whole += plan.whole;
        }
        bool onlyLengths = compiled.terms().count != 0;
        for (int t = 0; t < compiled.terms().count; ++t)
            onlyLengths = onlyLengths && compiled.terms().terms[t].lengthOnly;
        lengths += onlyLengths;
        found += expectSearchAgrees(set, settings, rnd, pattern);
        if (HasFailure()) return;
    }
    // The patterns do take the key path, whole keys and the lengths alone.
    EXPECT_GT(keyed, 1000);
    EXPECT_GT(whole, 200);
    EXPECT_GT(lengths, 30);
    EXPECT_GT(found, 20000);
}

// A word is compared whole in the vector step only when every character's
// cases are told apart by bit 0x20 alone (or case matters) and it is short.
TEST(MatcherReference, WholeWordCompareOnlyWhereBitFoldIsExact) {
    struct Case {
        const char* pattern;
        bool caseSensitive;
        bool exact;
    } cases[] = {
        {"\xEE\xE2\xE0", false, true},       // ова
        {"\xEE\xE2\xE0 ab*", false, true},   // and a second word
        {"\xEB\xB8\xE4", false, false},      // лёд: ё and Ё differ in 0x10
        {"\xEB\xB8\xE4", true, true},        // unless case matters
        {"a@1", false, true},                // @ and ` stay apart
        {"abcdefghijklmnopq", false, false}, // 17 characters
        {"abcdefghijklmnop", false, true},
    };
    for (const Case& c : cases) {
        CompiledPattern compiled;
        ASSERT_TRUE(compiled.compile(c.pattern, MatchOptions{c.caseSensitive})) << c.pattern;
        LiteralPlan plan;
        ASSERT_TRUE(
            planLiterals(compiled.terms(), c.caseSensitive ? nullptr : upperTable().data(), plan))
            << c.pattern;
        EXPECT_EQ(plan.exact, c.exact) << c.pattern;
    }
}

// The vector pass and the byte walk give the same candidates.
TEST(MatcherReference, LiteralCandidateWalksAgree) {
    Random rnd(6161);
    std::string pool;
    for (int i = 0; i < 5000; ++i)
        pool += "aAbB\xE0\xC0\x40\x60 \0"[rnd.below(10)];
    const auto* p = reinterpret_cast<const unsigned char*>(pool.data());
    for (int round = 0; round < 300; ++round) {
        const std::string pattern = rnd.text("aAbB\xE0\xC0\x40", 4) + "b" +
                                    (rnd.below(2) ? " " + rnd.text("aB\xE0", 3) + "A" : "");
        CompiledPattern compiled;
        ASSERT_TRUE(compiled.compile(pattern.c_str(), MatchOptions{rnd.below(2) == 0, false}));
        LiteralPlan plan;
        ASSERT_TRUE(planLiterals(compiled.terms(),
                                 compiled.caseSensitive() ? nullptr : upperTable().data(), plan));
        const size_t from = static_cast<size_t>(rnd.below(100));
        const size_t limit = pool.size() - static_cast<size_t>(rnd.below(40));
        int candidates = 0;
        for (const unsigned char* q = p + from;; ++q) {
            const unsigned char* fast = nextLiteralCandidate(plan, q, p + limit, p + limit);
            const unsigned char* slow = nextLiteralCandidatePortable(plan, q, p + limit, p + limit);
            ASSERT_EQ(fast, slow) << "pattern [" << pattern << "]";
            if (fast == nullptr) break;
            q = fast;
            ++candidates;
        }
        EXPECT_GT(candidates, 0) << "pattern [" << pattern << "]";
    }
}

// ---- the letter-pair filter ------------------------------------------------

// Letters of four groups, a group for every run of 45 records from a random
// start: the runs end inside the filter's blocks, so that a block may hold
// one or two records of a group, and a word of one group is missing from
// most blocks. Cases, ё and Ё, '?', '*', '%' and spaces lie in the records too.
const std::string kZoneLetters[] = {
    "\xE0\xE1\xE2\xC0\xC1\xC2 ",     // а б в А Б В
    "\xE5\xB8\xA8\xC5\xE6\xC6\xE0 ", // е ё Ё Е ж Ж а
    "\xE8\xEA\xEB\xC8\xCA\xCB?*%",   // и к л И К Л
    "abcABC1 ",
};

void fillZonedPools(BaseSet& set, Random& rnd, int bases, int records) {
    set.bases.resize(static_cast<size_t>(bases));
    for (int b = 0; b < bases; ++b) {
        set.bases[static_cast<size_t>(b)].connected = 1;
        for (TableKind kind : {TableKind::Population, TableKind::Organizations}) {
            TableBuilder builder;
            RecordFields r;
            const int offset = rnd.below(45);
            for (int i = 0; i < records; ++i) {
                const std::string& letters =
                    kZoneLetters[static_cast<size_t>(((i + offset) / 45 + b) % 4)];
                for (int k = 1; k <= kFieldCount; ++k)
                    r.set(
                        k,
                        rnd.text(letters, std::min(kFieldMax[static_cast<size_t>(k)], 9)).c_str());
                ASSERT_TRUE(builder.add(r));
            }
            ASSERT_TRUE(builder.install(set.bases[static_cast<size_t>(b)].table(kind), BaseDate{}));
        }
    }
}

// Literal words of three to six letters, mostly of one group so that they
// match somewhere, with the forms of the language and now and then a '?'.
std::string zonedPattern(Random& rnd) {
    std::string pattern;
    const int words = 1 + rnd.below(3);
    for (int w = 0; w < words; ++w) {
        std::string letters = kZoneLetters[static_cast<size_t>(rnd.below(4))];
        if (rnd.below(5) == 0) letters += kZoneLetters[static_cast<size_t>(rnd.below(4))];
        letters.erase(std::remove(letters.begin(), letters.end(), ' '), letters.end());
        std::string word;
        const int length = 3 + rnd.below(4);
        for (int k = 0; k < length; ++k)
            word += letters[static_cast<size_t>(rnd.below(static_cast<int>(letters.size())))];
        if (rnd.below(8) == 0) word[static_cast<size_t>(rnd.below(length))] = '?';
        if (rnd.below(8) == 0) word.insert(static_cast<size_t>(1 + rnd.below(length - 1)), " ");
        const char* forms[] = {"", "", "*", "%", "lead"};
        const std::string form = forms[rnd.below(5)];
        pattern += (w ? " " : "") + (form == "lead" ? "*" + word : word + form);
    }
    return pattern;
}

struct ZonedRounds {
    int64_t found = 0;
    int64_t blocks = 0;  // blocks the filter was asked about
    int64_t skipped = 0; // of them, those it let the search pass over
};

// Random literal patterns under every case, ё and spaces rule, compared with
// the literal rules record by record; counts what the filter skips.
ZonedRounds zonedRounds(int bases, int records, int rounds, uint64_t seed) {
    Random rnd(seed);
    ProgramSettings settings;
    BaseSet set;
    fillZonedPools(set, rnd, bases, records);
    ZonedRounds out;
    for (int round = 0; round < rounds && !::testing::Test::HasFailure(); ++round) {
        const std::string pattern = zonedPattern(rnd);
        settings.caseSensitive = static_cast<uint8_t>(rnd.below(2));
        settings.spacesSignificant = static_cast<uint8_t>(rnd.below(2));
        settings.yoAsYe = static_cast<uint8_t>(rnd.below(2));
        const MatchOptions options{settings.caseSensitive != 0, settings.spacesSignificant != 0,
                                   settings.yoAsYe != 0};
        CompiledPattern compiled;
        LiteralPlan plan;
        if (compiled.compile(pattern.c_str(), options) &&
            planLiterals(compiled.terms(), foldTable(options), plan)) {
            PairQuery query;
            for (int j = 0; j < plan.count; ++j)
                query.addWord(plan.words[j].text, plan.words[j].length);
            for (const PhoneBase& base : set.bases)
                for (TableKind kind : {TableKind::Population, TableKind::Organizations}) {
                    const BaseTable& t = base.table(kind);
                    EXPECT_TRUE(t.pairs.covers(t));
                    for (int32_t b = 0; query.useful() && b * kPairBlockRecords < t.count; ++b) {
                        ++out.blocks;
                        out.skipped += query.mayHold(t.pairs.block(b)) ? 0 : 1;
                    }
                }
        }
        out.found += expectSearchAgrees(set, settings, rnd, pattern);
    }
    return out;
}

TEST(PairFilterReference, WordsAcrossBlockEdgesAgreeWithTheLiteralRules) {
    const ZonedRounds r = zonedRounds(2, 300, 700, 3131);
    EXPECT_GT(r.found, 3000);
    // The filter is in play: it passes over a good share of the blocks.
    EXPECT_GT(r.skipped, r.blocks / 4);
    EXPECT_LT(r.skipped, r.blocks);
}

TEST(PairFilterReference, SixtyFourSmallFilesAgreeWithTheLiteralRules) {
    const ZonedRounds r = zonedRounds(kMaxFiles, 70, 200, 6565);
    EXPECT_GT(r.found, 3000);
    EXPECT_GT(r.skipped, r.blocks / 4);
}

// Each of the search's folds only merges bytes that the filter's own fold
// merges too: a pair of bytes that match the pattern's pair has its bit.
TEST(PairFilterReference, EverySearchFoldKeepsThePairBits) {
    for (const bool caseSensitive : {false, true})
        for (const bool yo : {false, true}) {
            const unsigned char* fold = foldTable(MatchOptions{caseSensitive, false, yo});
            if (fold == nullptr) continue;
            for (int a = 0; a < 256; ++a)
                for (int b = 0; b < 256; ++b)
                    ASSERT_EQ(pairBit(fold[a], fold[b]),
                              pairBit(static_cast<unsigned char>(a), static_cast<unsigned char>(b)))
                        << a << " " << b << " case " << caseSensitive << " yo " << yo;
        }
}

// One connected base whose population table the search looks at.
struct OneTable {
    ProgramSettings settings;
    BaseSet set;
    SearchState state;
    OneTable() {
        set.bases.resize(1);
        set.bases[0].connected = 1;
        state.fileMask[0] = 1;
        state.tables = kMaskPopulation;
    }
};

// One table with a known record behind 40 others (in the second block) and
// patterns under the fold, wildcard and space rules: the counts are those
// of the records as written.
TEST(PairFilterReference, FoldWildcardAndSpaceCases) {
    OneTable one;
    auto& [settings, set, state] = one;
    TableBuilder builder;
    RecordFields r;
    for (int i = 0; i < 40; ++i) {
        r.set(2, "\xCF\xE5\xF2\xF0\xEE\xE2 \xCF.\xCF."); // Петров П.П.
        r.set(3, "\xD1\xE0\xE4\xEE\xE2\xE0\xFF");        // Садовая
        ASSERT_TRUE(builder.add(r));
    }
    r.set(2, "\xD1\xE5\xEC\xB8\xED\xEE\xE2 \xC8.\xC8."); // Семёнов И.И.
    r.set(3, "\xCB\xE5\xED\xE8\xED\xE0 5");              // Ленина 5
    ASSERT_TRUE(builder.add(r));
    ASSERT_TRUE(builder.install(set.bases[0].table(TableKind::Population), BaseDate{}));

    struct Case {
        const char* pattern;
        int field;
        bool caseSensitive, yo, spaces;
        int32_t fieldHits, allHits;
    } cases[] = {
        {"\xF1\xE5\xEC\xE5\xED\xEE\xE2", 2, false, true, false, 1, 1},  // семенов, ё as е
        {"\xF1\xE5\xEC\xE5\xED\xEE\xE2", 2, false, false, false, 0, 0}, // ё told from е
        {"\xD1\xC5\xCC\xA8\xCD\xCE\xC2", 2, false, false, false, 1, 1}, // СЕМЁНОВ
        {"\xD1\xE5\xEC\xE5\xED\xEE\xE2", 2, true, true, false, 1, 1},   // Семенов, case kept
        {"\xF1\xE5\xEC\xB8\xED\xEE\xE2", 2, true, false, false, 0, 0},  // семёнов, case kept
        {"\xB8\xED\xEE", 2, false, true, false, 1, 1},                  // ёно, ё as е
        {"\xF1\xE5\xEC?\xED\xEE\xE2*", 2, false, false, false, 1, 1},   // сем?нов*
        {"*\xB8\xED\xEE\xE2 \xC8.\xC8.", 2, false, false, true, 1, 1},  // *ёнов И.И.
        {"\xE5\xED\xE8\xED\xE0 5", 3, false, false, true, 1, 1},        // енина 5, one word
        {"\xE5\xED\xE8\xED\xE0  5", 3, false, false, true, 0, 0},       // two spaces
        {"\xE5\xED\xE8\xED\xE0"
         "5",
         3, false, false, true, 0, 0},                                        // енина5
        {"\xE5\xED\xE8\xED\xE0 \xF2\xF0\xEE", 3, false, false, false, 1, 41}, // енина or тро
        {"\xEC\xB8\xED \xE0\xE4\xEE", 3, false, false, false, 40, 41},        // мён or адо
        {"\xEC\xB8\xED%", 2, false, false, false, 0, 0},                      // whole field мён
    };
    for (const Case& c : cases) {
        settings.caseSensitive = c.caseSensitive;
        settings.yoAsYe = c.yo;
        settings.spacesSignificant = c.spaces;
        FieldQueryText q;
        q.set(c.field, c.pattern);
        EXPECT_EQ(runFieldSearch(q, foregroundRun(set, state, &settings)), c.fieldHits)
            << "field [" << c.pattern << "]";
        EXPECT_EQ(runGeneralSearch(c.pattern, foregroundRun(set, state, &settings), nullptr),
                  c.allHits)
            << "all fields [" << c.pattern << "]";
    }
}

// An edit leaves no stale summary behind: a word put into a record that had
// none of its pairs is found at once, and a deleted one is gone.
TEST(PairFilterReference, EditedRecordsAreFoundAtOnce) {
    OneTable one;
    auto& [settings, set, state] = one;
    TableBuilder builder;
    RecordFields r;
    r.set(2, "\xCF\xE5\xF2\xF0\xEE\xE2"); // Петров
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(builder.add(r));
    BaseTable& t = set.bases[0].table(TableKind::Population);
    ASSERT_TRUE(builder.install(t, BaseDate{}));
    const char* word = "\xE8\xE2\xE0\xED\xEE\xE2"; // иванов
    FieldQueryText q;
    q.set(2, word);
    EXPECT_EQ(runFieldSearch(q, foregroundRun(set, state, &settings)), 0);

    r.set(2, "\xC8\xE2\xE0\xED\xEE\xE2"); // Иванов, same length as Петров
    ASSERT_TRUE(putRecord(t, 50, r));
    EXPECT_EQ(runFieldSearch(q, foregroundRun(set, state, &settings)), 1);
    EXPECT_EQ(runGeneralSearch(word, foregroundRun(set, state, &settings), nullptr), 1);
    ASSERT_TRUE(putRecord(t, t.count, r));
    EXPECT_EQ(runFieldSearch(q, foregroundRun(set, state, &settings)), 2);
    ASSERT_TRUE(deleteRecord(t, 50));
    EXPECT_EQ(runFieldSearch(q, foregroundRun(set, state, &settings)), 1);
    ASSERT_TRUE(indexTable(t)); // as a save does: the summary comes back
    EXPECT_TRUE(t.pairs.covers(t));
    EXPECT_EQ(runGeneralSearch(word, foregroundRun(set, state, &settings), nullptr), 1);
}

} // namespace
} // namespace talsk
