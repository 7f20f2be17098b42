// Runs of the search by fields and of the general search over a BaseSet:
// hit order, search area, results and flags, and the hit store.

#include "platform/cp1251.h"
#include "search/search_engine.h"
#include "support/base_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

namespace talsk {
namespace {

std::string cp(const char* utf8) {
    return utf8ToCp1251(utf8);
}

using Hit = std::tuple<int, TableKind, int>; // base, table, record

std::vector<Hit> hitsOf(const SearchState& st) {
    std::vector<Hit> out;
    for (const SearchHit& h : st.hits)
        out.emplace_back(h.base, h.table, h.record);
    return out;
}

constexpr TableKind kPop = TableKind::Population;
constexpr TableKind kOrg = TableKind::Organizations;
constexpr TableKind kCity = TableKind::CityCodes;

class SearchEngine : public ::testing::Test {
protected:
    ProgramSettings settings;
    BaseSet set;
    SearchState found;

    void SetUp() override {
        set.bases.resize(2);
        PhoneBase& a = set.bases[0];
        test::appendRecord(a, kPop, {"11", "Иванов А.Б.", "Ленина", "5", "1"});
        test::appendRecord(a, kPop, {"12", "Петров В.Г.", "Мира", "7"});
        test::appendRecord(a, kPop, {"13", "ИВАНОВА Д.Е.", "Ленина", "15"});
        test::appendRecord(a, kOrg, {"14", "Директор", "Ленина", "1", "", "Иванов и сыновья"});
        test::appendRecord(a, kCity, {"495", "Москва", "8-495-09"});
        PhoneBase& b = set.bases[1];
        test::appendRecord(b, kPop, {"21", "Иванов Ж.З.", "Садовая", "3"});
        test::appendRecord(b, kOrg, {"22", "Секретарь", "Мира", "2", "", "Школа"});
        for (PhoneBase& base : set.bases)
            base.connected = 1;
        found.fileMask[0] = 1;
        found.fileMask[1] = 1;
        found.tables = kMaskPopulationOrganizations;
    }

    int32_t field(RecordField f, const char* utf8) {
        FieldQueryText q;
        q.set(static_cast<int>(f), cp(utf8).c_str());
        return runFieldSearch(q, set, found, &settings);
    }
    int32_t general(const char* utf8, const FieldSelection* selection = nullptr) {
        return runGeneralSearch(cp(utf8).c_str(), set, found, selection, &settings);
    }
};

TEST_F(SearchEngine, HitsComeByBaseThenTableThenRecord) {
    found.dirty = 1;
    EXPECT_EQ(field(RecordField::Name, "иванов"), 3);
    EXPECT_EQ(hitsOf(found), (std::vector<Hit>{{0, kPop, 0}, {0, kPop, 2}, {1, kPop, 0}}));
    EXPECT_EQ(general("иванов"), 4);
    EXPECT_EQ(hitsOf(found),
              (std::vector<Hit>{{0, kPop, 0}, {0, kPop, 2}, {0, kOrg, 0}, {1, kPop, 0}}));
    EXPECT_EQ(found.populationHits, 3);
    EXPECT_EQ(found.organizationHits, 1);
    EXPECT_EQ(found.cityCodeHits, 0);
    EXPECT_EQ(hitTotal(found), 4);
    EXPECT_EQ(found.dirty, 0);
}

TEST_F(SearchEngine, FileMaskAndConnectionLimitTheBases) {
    found.fileMask[1] = 0;
    EXPECT_EQ(field(RecordField::Name, "иванов"), 2);
    found.fileMask[1] = 1;
    set.bases[0].connected = 0;
    EXPECT_EQ(field(RecordField::Name, "иванов"), 1);
    EXPECT_EQ(hitsOf(found), (std::vector<Hit>{{1, kPop, 0}}));
}

TEST_F(SearchEngine, CityCodesOnlyWhenTheMaskIsExactlyCityCodes) {
    // The panel's population slots are tested against city-code records.
    found.tables = kMaskAllTables;
    EXPECT_EQ(field(RecordField::Name, "моск"), 0);
    EXPECT_EQ(general("*"), 6); // population and organizations only
    found.tables = kMaskCityCodes;
    EXPECT_EQ(field(RecordField::Name, "моск"), 1);
    EXPECT_EQ(hitsOf(found), (std::vector<Hit>{{0, kCity, 0}}));
    EXPECT_EQ(found.cityCodeHits, 1);
    EXPECT_EQ(field(RecordField::Street, "8-495*"), 1);
    found.tables = kMaskPopulation;
    EXPECT_EQ(general("*"), 4);
    found.tables = kMaskOrganizations;
    EXPECT_EQ(general("*"), 2);
    found.tables = 0;
    EXPECT_EQ(general("*"), 0);
}

TEST_F(SearchEngine, FieldSearchNeedsEveryFilledField) {
    FieldQueryText q;
    q.set(2, cp("иванов").c_str());
    q.set(3, cp("ленина").c_str());
    EXPECT_EQ(runFieldSearch(q, set, found, &settings), 2);
    q.set(4, "15%");
    EXPECT_EQ(runFieldSearch(q, set, found, &settings), 1);
    EXPECT_EQ(hitsOf(found), (std::vector<Hit>{{0, kPop, 2}}));
    // A slot of operators only places no condition.
    q.set(4, "|");
    EXPECT_EQ(runFieldSearch(q, set, found, &settings), 2);
    // A condition on an empty field.
    q.set(5, "%");
    EXPECT_EQ(runFieldSearch(q, set, found, &settings), 1);
}

TEST_F(SearchEngine, EmptyInputsFindNothingAndClearDirty) {
    FieldQueryText empty;
    found.dirty = 1;
    EXPECT_EQ(runFieldSearch(empty, set, found, &settings), 0);
    EXPECT_EQ(found.dirty, 0);
    found.dirty = 1;
    EXPECT_EQ(field(RecordField::Name, " | & "), 0);
    EXPECT_EQ(found.dirty, 0);
    found.dirty = 1;
    EXPECT_EQ(general(""), 0);
    EXPECT_EQ(found.dirty, 0);
    EXPECT_TRUE(found.hits.empty());
}

TEST_F(SearchEngine, UncompilableQueriesReturnMinusTwoAndKeepDirty) {
    std::string many;
    for (int i = 0; i < 32; ++i)
        many += "x ";
    EXPECT_EQ(field(RecordField::Name, "иванов"), 3);
    for (uint8_t dirty : {0, 1}) {
        found.dirty = dirty;
        FieldQueryText q;
        q.set(2, cp("иванов").c_str());
        q.set(7, many.c_str());
        EXPECT_EQ(runFieldSearch(q, set, found, &settings), kSearchNotCompiled);
        EXPECT_EQ(hitTotal(found), 0);
        EXPECT_EQ(found.dirty, dirty);
        EXPECT_EQ(runGeneralSearch(many.c_str(), set, found, nullptr, &settings),
                  kSearchNotCompiled);
        EXPECT_EQ(found.dirty, dirty);
    }
    std::string segments = "a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a";
    EXPECT_EQ(runGeneralSearch(segments.c_str(), set, found, nullptr, &settings),
              kSearchNotCompiled);
}

TEST_F(SearchEngine, CancelledRunStopsAtOnceAndLeavesTheStateAlone) {
    std::atomic<uint8_t> cancel{1};
    SearchResults out;
    SearchRun run = foregroundRun(set, found, &settings);
    run.out = &out;
    run.cancel = &cancel;
    FieldQueryText q;
    q.set(static_cast<int>(RecordField::Name), cp("иванов").c_str());
    found.dirty = 1;
    EXPECT_EQ(runFieldSearch(q, run), kSearchCancelled);
    EXPECT_LE(out.hits.size(), 1u); // the flag is read after the first record
    EXPECT_EQ(runGeneralSearch(cp("иванов").c_str(), run, nullptr), kSearchCancelled);
    // An empty query is answered before any record is looked at.
    EXPECT_EQ(runGeneralSearch("", run, nullptr), 0);
    EXPECT_TRUE(found.hits.empty());
    EXPECT_EQ(found.dirty, 1);
}

TEST_F(SearchEngine, GeneralSearchLooksOnlyInTheSelectedFields) {
    PhoneBase& b = set.bases[1];
    test::appendRecord(b, kPop, {"31", "ab", "xab"});
    test::appendRecord(b, kPop, {"32", "ab", "x"});
    FieldSelection street{};
    street[2] = 1;
    EXPECT_EQ(general("ab", &street), 1); // found in the name first, then in the street
    EXPECT_EQ(hitsOf(found), (std::vector<Hit>{{1, kPop, 1}}));
    EXPECT_EQ(general("ленина", &street), 3);
    FieldSelection name{};
    name[1] = 1;
    EXPECT_EQ(general("ленина", &name), 0);
    EXPECT_EQ(general("Лен*", &street), 3);
    EXPECT_EQ(general("*", &name), 8);
    FieldSelection none{};
    EXPECT_EQ(general("*", &none), 0);
    FieldSelection organization{};
    organization[5] = 1;
    EXPECT_EQ(general("иванов", &organization), 1);
}

TEST_F(SearchEngine, GeneralTermsMayMatchDifferentFields) {
    EXPECT_EQ(general("Иванов & Ленина"), 3);
    EXPECT_EQ(field(RecordField::Name, "Иванов & Ленина"), 0);
    EXPECT_EQ(general("Садовая Школа"), 2);
}

TEST_F(SearchEngine, CaseAndSpacesComeFromTheSettings) {
    settings.caseSensitive = 1;
    EXPECT_EQ(field(RecordField::Name, "иванов"), 0);
    EXPECT_EQ(field(RecordField::Name, "Иванов"), 2);
    EXPECT_EQ(field(RecordField::Name, "ИВАНОВ"), 1);
    settings.caseSensitive = 0;
    test::appendRecord(set.bases[0], kPop, {"15", "Сидоров", "Ленина 5"});
    EXPECT_EQ(field(RecordField::Street, "Ленина 5"), 4); // Ленина or 5
    settings.spacesSignificant = 1;
    EXPECT_EQ(field(RecordField::Street, "Ленина 5"), 1);
}

TEST_F(SearchEngine, HitStoreGrowsWhenRecordsAreAdded) {
    set.totalPopulation = 1;
    sizeHitList(set, found);
    EXPECT_GE(found.hits.capacity(), 1u);
    for (int i = 0; i < 300; ++i)
        test::appendRecord(set.bases[1], kPop, {"99", "Новиков"});
    EXPECT_EQ(field(RecordField::Name, "новиков"), 300);
    ASSERT_EQ(found.hits.size(), 300u);
    EXPECT_EQ(found.hits.back().record, 300);
    EXPECT_EQ(general("*"), 306);
}

// Hundreds of hits in one table, through the record-by-record and the
// whole-pool paths: every hit kept, in record order.
TEST_F(SearchEngine, ManyHitsKeepEveryRecordInOrder) {
    found.fileMask[0] = 0;
    for (int i = 0; i < 700; ++i)
        test::appendRecord(set.bases[1], kPop, {"99", i % 3 ? "Петров" : "Новиков"});
    std::vector<Hit> expected; // record 0 is the fixture's own
    for (int i = 0; i < 700; i += 3)
        expected.emplace_back(1, kPop, i + 1);
    for (const char* pattern : {"Нов?ков", "новиков", "*иков"}) {
        EXPECT_EQ(field(RecordField::Name, pattern), 234) << pattern;
        EXPECT_EQ(hitsOf(found), expected) << pattern;
        EXPECT_EQ(general(pattern), 234) << pattern;
        EXPECT_EQ(hitsOf(found), expected) << pattern;
    }
}

TEST_F(SearchEngine, AllRecordsListsEveryRecordOfTheArea) {
    found.tables = kMaskAllTables;
    found.dirty = 0;
    EXPECT_EQ(fillAllRecords(set, found), 7);
    EXPECT_EQ(found.kind, SearchKind::AllRecords);
    EXPECT_EQ(found.dirty, 1);
    EXPECT_EQ(hitsOf(found), (std::vector<Hit>{{0, kPop, 0},
                                               {0, kPop, 1},
                                               {0, kPop, 2},
                                               {0, kOrg, 0},
                                               {0, kCity, 0},
                                               {1, kPop, 0},
                                               {1, kOrg, 0}}));
    EXPECT_EQ(hitTotal(found), 7);
    found.fileMask[0] = 0;
    found.tables = kMaskOrganizations;
    EXPECT_EQ(fillAllRecords(set, found), 1);
    EXPECT_EQ(hitsOf(found), (std::vector<Hit>{{1, kOrg, 0}}));
}

// The general search over random records against a per-field evaluation of
// the same text, for random field selections.
TEST(GeneralSearchReference, AgreesWithPerFieldEvaluation) {
    uint64_t state = 99;
    auto next = [&] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 33);
    };
    auto text = [&](const char* alphabet, int maxLength) {
        std::string s;
        const size_t n = std::strlen(alphabet);
        for (int i = static_cast<int>(next() % static_cast<uint32_t>(maxLength + 1)); i > 0; --i)
            s += alphabet[next() % n];
        return s;
    };
    ProgramSettings settings;
    BaseSet set;
    SearchState found;
    set.bases.resize(1);
    set.bases[0].connected = 1;
    found.fileMask[0] = 1;
    found.tables = kMaskPopulationOrganizations;
    BaseTable& t = set.bases[0].table(TableKind::Population);
    for (int i = 0; i < 300; ++i) {
        RecordFields r;
        for (int k = 1; k <= kFieldCount; ++k)
            r.set(k, text("abcAB ", std::min(30, kFieldMax[static_cast<size_t>(k)])).c_str());
        ASSERT_TRUE(putRecord(t, t.count, r));
    }
    int total = 0, fieldFound = 0;
    for (int round = 0; round < 400; ++round) {
        const std::string pattern = text("abcAB?*%|&", 7);
        settings.caseSensitive = static_cast<uint8_t>(next() % 2);
        FieldSelection selection{};
        for (auto& s : selection)
            s = static_cast<uint8_t>(next() % 3 != 0);
        const int32_t n = runGeneralSearch(pattern.c_str(), set, found, &selection, &settings);
        ASSERT_GE(n, 0);

        // Reference: split into or-groups of and-terms, each term compiled on its own.
        std::vector<int32_t> expected;
        CompiledPattern whole;
        ASSERT_TRUE(
            whole.compile(pattern.c_str(), MatchOptions{settings.caseSensitive != 0, false}));
        if (whole.terms().count != 0) {
            std::vector<std::vector<std::string>> groups(1);
            char normalizedText[kQuerySlot] = {};
            std::memcpy(normalizedText, pattern.c_str(), pattern.size());
            normalizeQuery(normalizedText, false);
            std::string term;
            for (const char* p = normalizedText;; ++p) {
                if (*p == '&' || *p == '|' || *p == '\0') {
                    groups.back().push_back(term);
                    term.clear();
                    if (*p == '|') groups.emplace_back();
                    if (*p == '\0') break;
                } else {
                    term += *p;
                }
            }
            for (int32_t i = 0; i < t.count; ++i) {
                FieldPointers f = fieldPointers(t, i);
                bool any = false;
                for (const auto& group : groups) {
                    bool all = true;
                    for (const std::string& g : group) {
                        bool inSome = false;
                        if (!g.empty()) {
                            CompiledPattern one;
                            // '%' and '*' keep their roles; no operator is left.
                            ASSERT_TRUE(one.compile(
                                g.c_str(), MatchOptions{settings.caseSensitive != 0, false}));
                            for (int k = 1; k <= kFieldCount; ++k)
                                inSome = inSome || (selection[static_cast<size_t>(k - 1)] &&
                                                    one.matches(f[k]));
                        }
                        all = all && inSome;
                    }
                    any = any || all;
                }
                if (any) expected.push_back(i);
            }
        }
        std::vector<int32_t> got;
        for (const SearchHit& h : found.hits)
            got.push_back(h.record);
        ASSERT_EQ(got, expected) << "pattern [" << pattern << "]";
        total += n;

        // The same text as a search by fields in one field, against the
        // field-by-field matcher.
        const int k = 1 + static_cast<int>(next() % kFieldCount);
        FieldQueryText q;
        q.set(k, pattern.c_str());
        ASSERT_GE(runFieldSearch(q, set, found, &settings), 0);
        std::vector<int32_t> fieldExpected;
        if (whole.terms().count != 0)
            for (int32_t i = 0; i < t.count; ++i)
                if (whole.matches(fieldPointers(t, i)[k])) fieldExpected.push_back(i);
        got.clear();
        for (const SearchHit& h : found.hits)
            got.push_back(h.record);
        ASSERT_EQ(got, fieldExpected) << "pattern [" << pattern << "] field " << k;
        fieldFound += static_cast<int>(got.size());
    }
    EXPECT_GT(total, 1000);
    EXPECT_GT(fieldFound, 1000);
}

} // namespace
} // namespace talsk
