// The query language: normalization, compilation limits and term shapes, and
// what each pattern form matches.

#include "platform/cp1251.h"
#include "search/query.h"
#include "search/search_engine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace talsk {
namespace {

std::string cp(const char* utf8) {
    return utf8ToCp1251(utf8);
}

std::string normalized(const std::string& text, bool spaces) {
    char buffer[256] = {};
    std::memcpy(buffer, text.data(), text.size());
    normalizeQuery(buffer, spaces);
    return buffer;
}

// Does the pattern (UTF-8) match the field (UTF-8)?
bool matches(const char* pattern, const char* field, bool caseSensitive = false,
             bool spaces = false) {
    CompiledPattern p;
    EXPECT_TRUE(p.compile(cp(pattern).c_str(), MatchOptions{caseSensitive, spaces})) << pattern;
    return p.matches(cp(field).c_str());
}

TEST(NormalizeQuery, OperatorsSpacesAndRuns) {
    EXPECT_EQ(normalized("a+b;c", false), "a&b|c");
    EXPECT_EQ(normalized("a+b;c", true), "a&b|c");
    EXPECT_EQ(normalized("  a   b  ", false), "a|b");
    EXPECT_EQ(normalized("a & b", false), "a&b");
    EXPECT_EQ(normalized("a | b", false), "a|b");
    EXPECT_EQ(normalized("a % b", false), "a%b");
    EXPECT_EQ(normalized("|abc&", false), "abc");
    EXPECT_EQ(normalized("||a|||b||", false), "a|b");
    EXPECT_EQ(normalized("a&&&b", false), "a&b");
    EXPECT_EQ(normalized("a***b%%%", false), "a*b%");
    // The '|' pass runs before the '&' pass, so a '|' uncovered by the
    // second stays.
    EXPECT_EQ(normalized("a|&", false), "a|");
    EXPECT_EQ(normalized(" ", false), "");
}

struct Compiled {
    char text[kQuerySlot] = {};
    TermList list;
    bool ok = false;
    CompileError error = CompileError::None;
    explicit Compiled(const std::string& source, bool spaces = false) {
        std::memcpy(text, source.data(), std::min(source.size(), sizeof(text) - 1));
        ok = compileTerms(text, spaces, list, &error);
    }
};

std::string words(int n, char separator) {
    std::string s;
    for (int i = 0; i < n; ++i) {
        if (i) s += separator;
        s += static_cast<char>('a' + i % 26);
    }
    return s;
}

TEST(CompileTerms, EmptyTextsGiveNoTerms) {
    EXPECT_TRUE(Compiled("").ok);
    EXPECT_EQ(Compiled("").list.count, 0);
    Compiled onlyOperators("| & ;");
    EXPECT_TRUE(onlyOperators.ok);
    EXPECT_EQ(onlyOperators.list.count, 0);
}

TEST(CompileTerms, AtMost31Terms) {
    for (char sep : {' ', '|', '&', '+', ';'}) {
        Compiled ok31(words(31, sep));
        EXPECT_TRUE(ok31.ok) << sep;
        EXPECT_EQ(ok31.list.count, 31);
        Compiled fail32(words(32, sep));
        EXPECT_FALSE(fail32.ok) << sep;
        EXPECT_EQ(fail32.error, CompileError::TooManyTerms);
        EXPECT_EQ(fail32.list.count, 0);
    }
    // Empty terms count too.
    EXPECT_FALSE(Compiled(std::string(words(16, '&')) + "|&" + words(15, '&')).ok);
}

TEST(CompileTerms, AtMost19Segments) {
    const std::string nineteen = words(19, '*');
    Compiled ok19(nineteen);
    EXPECT_TRUE(ok19.ok);
    EXPECT_EQ(ok19.list.terms[0].segmentCount, 19);
    Compiled fail20(words(20, '*'));
    EXPECT_FALSE(fail20.ok);
    EXPECT_EQ(fail20.error, CompileError::TooManySegments);
    // A trailing star opens a twentieth segment before it is dropped.
    EXPECT_FALSE(Compiled(nineteen + "*").ok);
    // A leading star does not open a segment of its own.
    EXPECT_TRUE(Compiled("*" + nineteen).ok);
}

TEST(CompileTerms, TermShapes) {
    Compiled floating("abc");
    ASSERT_EQ(floating.list.count, 1);
    const QueryTerm& f = floating.list.terms[0];
    EXPECT_EQ(f.segmentCount, 1);
    EXPECT_EQ(f.segments[0].anchored, 0);
    EXPECT_EQ(f.segments[0].length, 3);

    Compiled suffix("*abc");
    const TermSegment& s = suffix.list.terms[0].segments[0];
    EXPECT_EQ(s.lead, '*');
    EXPECT_EQ(s.anchored, 0);
    EXPECT_EQ(s.length, 4); // with the field's zero
    EXPECT_EQ(std::string(s.text), "abc");

    Compiled exact("abc%");
    const TermSegment& e = exact.list.terms[0].segments[0];
    EXPECT_EQ(e.anchored, 1);
    EXPECT_EQ(e.length, 4);
    EXPECT_EQ(e.text[3], '\0'); // the '%' became the zero

    Compiled both("ab*cd");
    const QueryTerm& b = both.list.terms[0];
    ASSERT_EQ(b.segmentCount, 2);
    EXPECT_EQ(b.segments[0].anchored, 1);
    EXPECT_EQ(b.segments[0].length, 2);
    EXPECT_EQ(b.segments[1].anchored, 0);
    EXPECT_EQ(b.segments[1].length, 3);
}

TEST(CompileTerms, GroupLinks) {
    Compiled c("a&|b");
    ASSERT_EQ(c.list.count, 3);
    EXPECT_EQ(c.list.terms[0].groupEnd, 0);
    EXPECT_EQ(c.list.terms[1].groupEnd, 1);
    EXPECT_EQ(c.list.terms[1].segmentCount, 0); // the empty term
    EXPECT_EQ(c.list.terms[2].groupEnd, 1);
    EXPECT_EQ(c.list.terms[0].nextGroup, 1);
    EXPECT_EQ(c.list.terms[1].nextGroup, 1);
    EXPECT_EQ(c.list.terms[2].nextGroup, kNoGroup);

    Compiled d("a&b|c|d&e");
    ASSERT_EQ(d.list.count, 5);
    const int16_t expected[] = {1, 1, 2, kNoGroup, kNoGroup};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(d.list.terms[i].nextGroup, expected[i]) << i;
}

TEST(PatternMatch, ContainsPrefixSuffixAndBoth) {
    EXPECT_TRUE(matches("Иванов", "Иванов"));
    EXPECT_TRUE(matches("Иванов", "Петров-Иванова"));
    EXPECT_FALSE(matches("Иванов", "Иванв"));

    EXPECT_TRUE(matches("Иванов*", "Иванова А.Б."));
    EXPECT_FALSE(matches("Иванов*", "Петров-Иванов"));

    EXPECT_TRUE(matches("*ов", "Петров"));
    EXPECT_FALSE(matches("*ов", "Петрова"));
    EXPECT_TRUE(matches("*ов", "Ов")); // case ignored

    EXPECT_TRUE(matches("Ив*ов", "Ивов"));
    EXPECT_TRUE(matches("Ив*ов", "Иванов"));
    EXPECT_FALSE(matches("Ив*ов", "Иванова"));
    EXPECT_FALSE(matches("Ив*ов", "Ив")); // the segments may not overlap
    EXPECT_TRUE(matches("*ан*ов", "Сиванов"));
    EXPECT_TRUE(matches("а*б*в", "абабв"));

    EXPECT_TRUE(matches("*", ""));
    EXPECT_TRUE(matches("*", "любое"));
}

TEST(PatternMatch, WholeFieldForms) {
    EXPECT_TRUE(matches("Иванов%", "Иванов"));
    EXPECT_FALSE(matches("Иванов%", "Иванова"));
    EXPECT_FALSE(matches("Иванов%", "Иванов "));
    EXPECT_TRUE(matches("%", ""));
    EXPECT_FALSE(matches("%", "a"));
    EXPECT_TRUE(matches("Ив?нов", "Иванов"));
    EXPECT_TRUE(matches("Ив?нов", "Ивинов"));
    EXPECT_FALSE(matches("Ив?нов", "Иванова"));
    EXPECT_FALSE(matches("Ив?нов", "Петр Иванов"));
    EXPECT_FALSE(matches("Ив?нов", "Ивнов"));
    EXPECT_TRUE(matches("??", "ab"));
    EXPECT_FALSE(matches("??", "a"));
    EXPECT_FALSE(matches("??", "abc"));
    EXPECT_TRUE(matches("?", "%"));
}

TEST(PatternMatch, PercentIsOrdinaryOutsideItsRole) {
    EXPECT_TRUE(matches("5%5", "15%50")); // not final: contains
    EXPECT_TRUE(matches("*5%", "скидка 5%"));
    EXPECT_FALSE(matches("*5%", "скидка 5"));
    EXPECT_TRUE(matches("a*b%", "axb%"));
    EXPECT_FALSE(matches("a*b%", "axb"));
}

TEST(PatternMatch, FloatingSegmentsResumeAfterPartialMatches) {
    EXPECT_TRUE(matches("aab", "aaab"));
    EXPECT_TRUE(matches("*ab", "abab"));
    EXPECT_FALSE(matches("*ab", "aba"));
    EXPECT_TRUE(matches("*a?", "xaab"));
    EXPECT_TRUE(matches("x*?b", "xaab"));
    EXPECT_FALSE(matches("x*?b", "xb"));
    EXPECT_TRUE(matches("*?", "a"));
    EXPECT_FALSE(matches("*?", ""));
}

TEST(PatternMatch, AndOrGroups) {
    EXPECT_TRUE(matches("Ленина 5", "ул. Ленина"));
    EXPECT_TRUE(matches("Ленина 5", "5"));
    EXPECT_FALSE(matches("Ленина 5", "Мира 7"));
    for (const char* both : {"Ленина+5", "Ленина & 5", "Ленина&5"}) {
        EXPECT_TRUE(matches(both, "Ленина 5")) << both;
        EXPECT_FALSE(matches(both, "Ленина 7")) << both;
        EXPECT_FALSE(matches(both, "Мира 5")) << both;
    }
    EXPECT_TRUE(matches("a;b", "b"));
    EXPECT_FALSE(matches("a;b", "c"));
    EXPECT_TRUE(matches("|abc&", "xabcx"));
    EXPECT_TRUE(matches("a&|b", "b"));
    EXPECT_FALSE(matches("a&|b", "a"));
    EXPECT_TRUE(matches("a&b|c&d", "cd"));
    EXPECT_FALSE(matches("a&b|c&d", "ad"));
}

TEST(PatternMatch, SignificantSpaces) {
    EXPECT_TRUE(matches("Ленина 5", "Ленина 5", false, true));
    EXPECT_FALSE(matches("Ленина 5", "Ленина", false, true));
    EXPECT_FALSE(matches("Ленина 5", "Ленина  5", false, true));
    EXPECT_TRUE(matches(" ", "a b", false, true));
}

TEST(PatternMatch, CaseThroughTheUpperTable) {
    EXPECT_TRUE(matches("иванов", "ИВАНОВ"));
    EXPECT_TRUE(matches("иванов", "Иванов"));
    EXPECT_FALSE(matches("иванов", "ИВАНОВ", true));
    EXPECT_FALSE(matches("иванов", "Иванов", true));
    EXPECT_TRUE(matches("иванов", "иванов", true));
    EXPECT_TRUE(matches("семёнов", "СЕМЁНОВ"));
    EXPECT_TRUE(matches("ўі", "ЎІ"));
    EXPECT_TRUE(matches("*ЁВ", "королёв"));
    EXPECT_TRUE(matches("smith", "SMITH"));
    EXPECT_FALSE(matches("ё", "е")); // ё is its own letter
}

} // namespace
} // namespace talsk
