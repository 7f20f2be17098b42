// Names that sound alike or are one slip apart, the word a search offers
// names for, and the list made from the records of a set of files.

#include "platform/cp1251.h"
#include "search/similar_names.h"
#include "search/similar_search.h"
#include "support/base_fixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talsk {
namespace {

std::string cp(const char* utf8) {
    return utf8ToCp1251(utf8);
}

TEST(SimilarNames, RealSurnamePairs) {
    struct Case {
        const char* asked;
        const char* name;
        Likeness expected;
    };
    const Case cases[] = {
        // Heard, not seen.
        {"Шварцман", "Шварцьман", Likeness::KeyAndSlip},
        {"Ковальчюк", "Ковальчук", Likeness::KeyAndSlip},
        {"Голкина", "Галкина", Likeness::KeyAndSlip},
        {"Федоров", "Фёдоров", Likeness::Spelling},
        {"ПОНОМАРЕВ", "Пономарёв", Likeness::Spelling},
        {"Петрова", "Петров", Likeness::KeyAndSlip},
        {"Тальская", "Тальский", Likeness::Key},
        {"Толстая", "Толстой", Likeness::Key},
        {"Касиров", "Кассиров", Likeness::KeyAndSlip},
        {"Маиоров", "Майоров", Likeness::KeyAndSlip},
        {"Брацкий", "Братский", Likeness::Key},
        {"Дуп", "Дуб", Likeness::KeyAndSlip},
        {"Давидов", "Давыдов", Likeness::KeyAndSlip},
        {"Артемев", "Артемьев", Likeness::KeyAndSlip},
        {"Кофтун", "Ковтун", Likeness::KeyAndSlip},
        // One slip, another sound.
        {"Сидорво", "Сидоров", Likeness::Slip},
        {"Кудрявцов", "Кудрявцев", Likeness::Slip},
        {"Федотов", "Федоров", Likeness::Slip},
        // Neither.
        {"Иванов", "Петров", Likeness::None},
        {"Смирнов", "Смирницкий", Likeness::None},
        {"Кузнецов", "Кузьмин", Likeness::None},
        {"Волков", "Волгин", Likeness::None},
        {"Гаврилов", "Гаврилин", Likeness::None},
        {"Орлов", "Орехов", Likeness::None},
        {"Соколов", "Сокольников", Likeness::None},
        {"Михайлов", "Михеев", Likeness::None},
        {"Зайцев", "Зайченко", Likeness::None},
        {"Котов", "Крылов", Likeness::None},
    };
    for (const Case& c : cases) {
        const SimilarMatcher m(cp(c.asked));
        EXPECT_EQ(m.rate(cp(c.name)), c.expected) << c.asked << " / " << c.name;
        // The relation does not depend on which of the two was asked for.
        EXPECT_EQ(SimilarMatcher(cp(c.name)).rate(cp(c.asked)), c.expected)
            << c.name << " / " << c.asked;
        if (c.expected != Likeness::None) {
            EXPECT_TRUE(mayBeAlike(soundBits(cp(c.asked)), soundBits(cp(c.name))))
                << c.asked << " / " << c.name;
        }
    }
}

// The quick test on sound bits never turns away a name that is alike:
// random names against variants made by the rules and by slips.
TEST(SimilarNames, SoundBitsKeepEveryAlikeName) {
    uint32_t state = 42;
    auto next = [&state](size_t n) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % n;
    };
    const std::string letters = cp("абвгдеёжзийклмнопрстуфхцчшщъыьэюяАБВЕЁОЬ-");
    const std::vector<std::string> tails = {cp("ова"), cp("ов"), cp("ая"), cp("ой"), cp("ий"),
                                            cp("ина"), cp("тс"), cp("ц"),  cp("дз"), ""};
    int alike = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string a;
        for (size_t n = 2 + next(8); n > 0; --n)
            a += letters[next(letters.size())];
        std::string b = a;
        const size_t at = next(b.size() + 1);
        switch (next(5)) {
        case 0: // one slip
            b.insert(at, 1, letters[next(letters.size())]);
            break;
        case 1:
            if (at < b.size()) b[at] = letters[next(letters.size())];
            break;
        case 2: // a letter doubled, or a soft sign put in
            if (at < b.size()) b.insert(at, 1, next(2) ? b[at] : cp("ь")[0]);
            break;
        default: // endings and letter pairs the key treats alike
            a += tails[next(tails.size())];
            b += tails[next(tails.size())];
            break;
        }
        const Likeness l = SimilarMatcher(a).rate(b);
        if (l == Likeness::None) continue;
        ++alike;
        ASSERT_TRUE(mayBeAlike(soundBits(a), soundBits(b)))
            << cp1251ToUtf8(a) << " / " << cp1251ToUtf8(b);
    }
    EXPECT_GT(alike, 1000);
}

TEST(SimilarNames, OneSlipIsOneEditOrOneSwap) {
    struct Case {
        const char* a;
        const char* b;
        bool expected;
    };
    const Case cases[] = {
        {"abcd", "abcd", false}, {"abcd", "abxcd", true}, {"abcd", "abd", true},
        {"abcd", "abxd", true},  {"abcd", "bacd", true},  {"abcd", "abdc", true},
        {"abcd", "badc", false}, {"abcd", "axcy", false}, {"abcd", "ab", false},
        {"", "a", true},         {"a", "", true},         {"abcd", "dabc", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(withinOneSlip(c.a, c.b), c.expected) << c.a << " / " << c.b;
}

TEST(SimilarNames, WordAndSourceOfASearch) {
    struct WordCase {
        const char* pattern;
        const char* word;
    };
    const WordCase words[] = {
        {"  Иванов* ", "Иванов"},
        {"*Иванов", "Иванов"},
        {"Иванов%", "Иванов"},
        {"Ив?нов", ""},
        {"Иванов Петров", ""},
        {"Иванов|Петров", ""},
        {"Ив*ов", ""},
        {"*ов", ""},
        {"", ""},
    };
    for (const WordCase& c : words)
        EXPECT_EQ(similarWord(cp(c.pattern)), cp(c.word)) << c.pattern;

    FieldQueryText q;
    q.set(static_cast<int>(RecordField::Name), cp("Федоров").c_str());
    q.set(static_cast<int>(RecordField::Street), cp("Ленина").c_str());
    SimilarRequest r;
    ASSERT_TRUE(similarRequest(q, kMaskPopulationOrganizations, r));
    EXPECT_EQ(r.word, cp("Федоров"));
    EXPECT_EQ(r.source, NameSource::Surnames);
    // In organizations the surname slot holds positions.
    EXPECT_FALSE(similarRequest(q, kMaskOrganizations, r));
    q.set(static_cast<int>(RecordField::Organization), cp("Водаканал").c_str());
    ASSERT_TRUE(similarRequest(q, kMaskOrganizations, r));
    EXPECT_EQ(r.word, cp("Водаканал"));
    EXPECT_EQ(r.source, NameSource::Organizations);
    EXPECT_FALSE(similarRequest(q, kMaskCityCodes, r));

    ASSERT_TRUE(similarRequest(cp("Федоров").c_str(), kMaskPopulationOrganizations, r));
    EXPECT_EQ(r.source, NameSource::Surnames);
    ASSERT_TRUE(similarRequest(cp("Федоров").c_str(), kMaskOrganizations, r));
    EXPECT_EQ(r.source, NameSource::Organizations);
    EXPECT_FALSE(similarRequest(cp("Федоров").c_str(), kMaskCityCodes, r));
    EXPECT_FALSE(similarRequest(cp("Федоров & Ленина").c_str(), kMaskPopulation, r));
}

class SimilarSearch : public ::testing::Test {
protected:
    BaseSet set;
    FileMask files{};

    void SetUp() override {
        set.bases.resize(2);
        PhoneBase& a = set.bases[0];
        for (const char* name : {"Фёдоров А.Б.", "Фёдоров В.Г.", "ФЁДОРОВ Д.", "Федорова Е.Ж.",
                                 "Федотов И.", "Федотов К.Л.", "Федоров М.", "Иванов Н."})
            test::appendRecord(a, TableKind::Population, {"1", name, "Ленина"});
        test::appendRecord(a, TableKind::Organizations,
                           {"2", "Диспетчер", "Мира", "1", "", "Водоканал"});
        test::appendRecord(a, TableKind::Organizations,
                           {"3", "Федорова", "Мира", "1", "", "Водоканал"});
        // The second file adds its records only while it is searched.
        test::appendRecord(set.bases[1], TableKind::Population, {"4", "Федотов О.", "Мира"});
        for (PhoneBase& base : set.bases)
            base.connected = 1;
        files[0] = 1;
    }

    std::vector<std::pair<std::string, int>> similar(const char* word, NameSource source,
                                                     size_t limit = kSimilarLimit) {
        std::vector<std::pair<std::string, int>> out;
        for (const SimilarName& n : findSimilarNames(set, files, {cp(word), source}, limit))
            out.emplace_back(cp1251ToUtf8(n.name), n.records);
        return out;
    }
};

TEST_F(SimilarSearch, LikeliestFirstWithRecordCounts) {
    using List = std::vector<std::pair<std::string, int>>;
    // "Федоров" itself is not offered; Фёдоров and ФЁДОРОВ are one name.
    EXPECT_EQ(similar("Федоров", NameSource::Surnames),
              (List{{"Фёдоров", 3}, {"Федорова", 1}, {"Федотов", 2}}));
    files[1] = 1;
    EXPECT_EQ(similar("Федоров", NameSource::Surnames),
              (List{{"Фёдоров", 3}, {"Федорова", 1}, {"Федотов", 3}}));
    EXPECT_EQ(similar("Федоров", NameSource::Surnames, 2), (List{{"Фёдоров", 3}, {"Федорова", 1}}));
    EXPECT_EQ(similar("Водаканал", NameSource::Organizations), (List{{"Водоканал", 2}}));
    EXPECT_EQ(similar("Петров", NameSource::Surnames), List{});
    set.bases[0].connected = 0;
    EXPECT_EQ(similar("Федоров", NameSource::Surnames), (List{{"Федотов", 1}}));
}

TEST_F(SimilarSearch, AtMostTheLimitOfManyNames) {
    PhoneBase& a = set.bases[0];
    const std::string letters = cp("абвгдежзиклмнпрстуфх");
    for (size_t i = 0; i < letters.size(); ++i) {
        std::string name = cp("Сидоро");
        name += letters[i]; // one letter changed: Сидороа, Сидороб, ...
        RecordFields f;
        f.set(1, "5");
        f.set(2, name.c_str());
        ASSERT_TRUE(
            putRecord(a.table(TableKind::Population), a.table(TableKind::Population).count, f));
    }
    const auto list = similar("Сидоров", NameSource::Surnames);
    ASSERT_EQ(list.size(), kSimilarLimit);
    EXPECT_EQ(list[0].first, "Сидороф"); // sounds the same
    EXPECT_EQ(list[1].first, "Сидороа"); // the others alike: by name
    EXPECT_EQ(list[9].first, "Сидорок");
}

} // namespace
} // namespace talsk
