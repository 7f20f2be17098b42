// "Е и Ё не различать": the letters fold together in every kind of search,
// with wildcards and with either case rule, and nothing else changes.

#include "platform/cp1251.h"
#include "search/search_engine.h"
#include "search/search_session.h"
#include "support/base_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace talsk {
namespace {

std::string cp(const char* utf8) {
    return utf8ToCp1251(utf8);
}

enum class Kind { Field, General, Find };

class YoSearch : public ::testing::Test {
protected:
    ProgramSettings settings;
    BaseSet set;
    SearchArea area;
    SearchState found;

    void SetUp() override {
        set.bases.resize(1);
        PhoneBase& a = set.bases[0];
        test::appendRecord(a, TableKind::Population, {"11", "Фёдоров А.Б.", "пер. Озёрный", "5"});
        test::appendRecord(a, TableKind::Population, {"12", "ФЁДОРОВ В.Г.", "Мира", "7"});
        test::appendRecord(a, TableKind::Population, {"13", "Федоров Д.Е.", "Лесная", "15"});
        test::appendRecord(a, TableKind::Population,
                           {"14", "Ёлкина Ж.", "Лесная", "2", "", "", "всё"});
        test::appendRecord(a, TableKind::Organizations,
                           {"15", "Директор", "Мира", "1", "", "Молодёжная библиотека"});
        a.connected = 1;
        area.files[0] = 1;
        area.tables = kMaskPopulationOrganizations;
        found.fileMask = area.files;
        found.tables = area.tables;
    }

    int32_t run(Kind kind, const char* utf8) {
        const std::string text = cp(utf8);
        if (kind == Kind::Field) {
            FieldQueryText q;
            q.set(2, text.c_str());
            return runFieldSearch(q, set, found, &settings);
        }
        if (kind == Kind::General)
            return runGeneralSearch(text.c_str(), set, found, nullptr, &settings);
        SearchSession session(set, &settings);
        return session.findRecord(text.c_str(), area, kAllFields);
    }
};

TEST_F(YoSearch, FoldsInEverySearchWithWildcardsAndCase) {
    struct Case {
        Kind kind;
        const char* pattern;
        bool caseSensitive;
        int32_t off, on; // hits with the option off and on
    };
    const Case cases[] = {
        {Kind::Field, "Федоров", false, 1, 3},
        {Kind::Field, "фёдоров", false, 2, 3},
        {Kind::Field, "Федоров", true, 1, 2},
        {Kind::Field, "ФЕДОРОВ", true, 0, 1},
        {Kind::Field, "Фёдоров", true, 1, 2},
        {Kind::Field, "Фед*ров*", false, 1, 3},
        {Kind::Field, "Ф?дор*", false, 3, 3},
        {Kind::Field, "*ов д.е.", false, 1, 1},
        {Kind::Field, "фёдоров?а.б.", false, 1, 1},
        {Kind::Field, "федоров?а.б.", false, 0, 1},
        {Kind::Field, "елкина", false, 0, 1},
        {Kind::Field, "Федоров Елкина", false, 1, 4},
        {Kind::General, "федоров", false, 1, 3},
        {Kind::General, "озерный", false, 0, 1},
        {Kind::General, "озерный лесная", false, 2, 3},
        {Kind::General, "молодежн", false, 0, 1},
        {Kind::General, "все%", false, 0, 1},
        {Kind::General, "Всё", true, 0, 0},
        {Kind::General, "*Озерный & Фед*", false, 0, 1},
        {Kind::Find, "федоров", false, 1, 3},
        {Kind::Find, "Молодежная", true, 0, 1},
    };
    for (const Case& c : cases) {
        settings.caseSensitive = c.caseSensitive ? 1 : 0;
        for (const bool yo : {false, true}) {
            settings.yoAsYe = yo ? 1 : 0;
            EXPECT_EQ(run(c.kind, c.pattern), yo ? c.on : c.off)
                << static_cast<int>(c.kind) << " [" << c.pattern << "] case " << c.caseSensitive
                << " yo " << yo;
        }
    }
}

// Random texts over a, b, а, е, ё and their capitals: with the option on, a
// search gives what it gives with the option off over the same texts with ё
// written е; a pattern without е or ё finds what it found before.
TEST(YoSearchReference, AgreesWithTextsWrittenWithoutYo) {
    uint32_t state = 20261209;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    const std::string letters = "abAB" + cp("аАеЕёЁ");
    const std::string noYe = "abAB" + cp("аА");
    auto text = [&](const std::string& alphabet, size_t maxLength) {
        std::string s;
        const size_t n = next() % (maxLength + 1);
        for (size_t i = 0; i < n; ++i)
            s += alphabet[next() % alphabet.size()];
        return s;
    };
    auto withoutYo = [](std::string s) {
        for (char& c : s) {
            if (c == cp("ё")[0]) c = cp("е")[0];
            if (c == cp("Ё")[0]) c = cp("Е")[0];
        }
        return s;
    };

    ProgramSettings settings;
    BaseSet original, rewritten;
    for (BaseSet* set : {&original, &rewritten}) {
        set->bases.resize(1);
        set->bases[0].connected = 1;
    }
    SearchState result;
    result.fileMask[0] = 1;
    result.tables = kMaskPopulation;
    BaseTable& t1 = original.bases[0].table(TableKind::Population);
    BaseTable& t2 = rewritten.bases[0].table(TableKind::Population);
    for (int i = 0; i < 300; ++i) {
        RecordFields r, w;
        for (int k = 1; k <= kFieldCount; ++k) {
            // Long enough fields for the block-wise scans.
            const std::string f =
                text(letters + " ", std::min<size_t>(40, kFieldMax[static_cast<size_t>(k)]));
            r.set(k, f.c_str());
            w.set(k, withoutYo(f).c_str());
        }
        ASSERT_TRUE(putRecord(t1, t1.count, r));
        ASSERT_TRUE(putRecord(t2, t2.count, w));
    }
    auto records = [](const SearchState& st) {
        std::vector<int32_t> v;
        for (const SearchHit& h : st.hits)
            v.push_back(h.record);
        return v;
    };
    auto search = [&](BaseSet& set, const std::string& pattern, bool yo, int field) {
        settings.yoAsYe = yo ? 1 : 0;
        int32_t n;
        if (field == 0) {
            n = runGeneralSearch(pattern.c_str(), set, result, nullptr, &settings);
        } else {
            FieldQueryText q;
            q.set(field, pattern.c_str());
            n = runFieldSearch(q, set, result, &settings);
        }
        EXPECT_GE(n, 0) << pattern;
        return records(result);
    };

    int found = 0;
    for (int round = 0; round < 600; ++round) {
        settings.caseSensitive = static_cast<uint8_t>(next() % 2);
        const int field = static_cast<int>(next() % (kFieldCount + 1)); // 0: general
        // Mostly plain words, which take the fast scans; some with wildcards.
        const std::string ops = next() % 3 == 0 ? "?*%| " : "";
        const std::string p = text(letters + ops, 6);
        const std::vector<int32_t> on = search(original, p, true, field);
        ASSERT_EQ(on, search(rewritten, withoutYo(p), false, field))
            << "[" << cp1251ToUtf8(p) << "] field " << field;
        found += static_cast<int>(on.size());

        const std::string q = text(noYe + ops, 6);
        ASSERT_EQ(search(original, q, true, field), search(original, q, false, field))
            << "[" << cp1251ToUtf8(q) << "] field " << field;
    }
    EXPECT_GT(found, 3000);
}

} // namespace
} // namespace talsk
