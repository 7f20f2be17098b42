// The search-area bar's plain rules: its list items, the masks read back
// from the chosen items and the totals of the area; and the general search
// bar's history list.

#include "platform/cp1251.h"
#include "search/search_area.h"
#include "search/search_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talsk {
namespace {

std::string cp(const char* utf8) {
    return utf8ToCp1251(utf8);
}

TEST(SearchArea, TablesListFollowsTheTotals) {
    struct Case {
        int p, o, c;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {0, 0, 0, {kPopOrgItem}},
        {5, 0, 0, {kPopulationItem}},
        {0, 3, 0, {kOrganizationsItem}},
        {0, 0, 2, {kCityCodesItem}},
        {5, 3, 2, {kPopOrgItem, kPopulationItem, kOrganizationsItem, kCityCodesItem}},
        {5, 0, 2, {kPopulationItem, kCityCodesItem}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tablesListItems(c.p, c.o, c.c), c.items) << c.p << c.o << c.c;
    EXPECT_EQ(tableMaskFromText(kPopOrgItem), kMaskPopulationOrganizations);
    EXPECT_EQ(tableMaskFromText(kCityCodesItem), kMaskCityCodes);
    EXPECT_EQ(tableMaskFromText("Население "), 0u);
}

class SearchAreaSet : public testing::Test {
protected:
    void SetUp() override {
        set.bases.resize(3);
        const char* names[] = {"a.btn", "b.btn", "c.btn"};
        const int counts[3][3] = {{10, 4, 2}, {7, 0, 1}, {100, 100, 100}};
        for (int i = 0; i < 3; ++i) {
            set.bases[i].path = names[i];
            set.bases[i].connected = i < 2 ? 1 : 0;
            for (int k = 0; k < 3; ++k)
                set.bases[i].tables[k].count = counts[i][k];
        }
        chosen[1] = 1;
    }
    BaseSet set;
    FileMask chosen{};
};

TEST_F(SearchAreaSet, FilesListAndMasksAndTotals) {
    EXPECT_EQ(filesListItems(set),
              (std::vector<std::string>{kAllFilesItem, kChooseFilesItem, "a.btn", "b.btn"}));
    struct Case {
        std::string files;
        TableMask m;
        AreaTotals expected;
    };
    const Case cases[] = {
        {kAllFilesItem, kMaskPopulationOrganizations, {17, 4, 0}},
        {kAllFilesItem, kMaskPopulation, {17, 0, 0}},
        {kAllFilesItem, kMaskCityCodes, {0, 0, 3}},
        {kChooseFilesItem, kMaskPopulationOrganizations, {7, 0, 0}},
        {"a.btn", kMaskOrganizations, {0, 4, 0}},
        {"c.btn", kMaskPopulation, {0, 0, 0}},    // listed but not connected
        {"gone.btn", kMaskPopulation, {0, 0, 0}}, // no longer in the set
        {kAllFilesItem, 0, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        const AreaTotals t = areaTotals(set, fileMaskFromText(set, c.files, chosen), c.m);
        EXPECT_EQ(t.population, c.expected.population) << c.files << c.m;
        EXPECT_EQ(t.organizations, c.expected.organizations) << c.files << c.m;
        EXPECT_EQ(t.cityCodes, c.expected.cityCodes) << c.files << c.m;
    }
    EXPECT_EQ(counterText(0), "-");
    EXPECT_EQ(counterText(12), "12");
    EXPECT_EQ(totalsPaneText(0), "Всего записей - 0");
    EXPECT_EQ(listChoice(3, 3), 0);
    EXPECT_EQ(listChoice(2, 3), 2);
}

TEST(SearchHistory, MostRecentFirstDistinctAndLimited) {
    SearchHistory h;
    h.add(cp("завод"));
    h.add(cp("школа"));
    h.add(cp("ЗАВОД")); // the same text in other letters moves to the top
    EXPECT_EQ(h.items(), (std::vector<std::string>{cp("ЗАВОД"), cp("школа")}));
    h.add(cp("ЗАВ")); // the top item starts with it: nothing inserted
    EXPECT_EQ(h.items().size(), 2u);
    h.add(cp("шко")); // a longer item further down stays, the text goes on top
    EXPECT_EQ(h.items(), (std::vector<std::string>{cp("шко"), cp("ЗАВОД"), cp("школа")}));
    EXPECT_TRUE(h.changed());
    for (int i = 0; i < 120; ++i)
        h.add("t" + std::to_string(i) + "x");
    ASSERT_EQ(h.items().size(), kHistoryLimit);
    EXPECT_EQ(h.items().front(), "t119x");
    EXPECT_EQ(h.items().back(), "t20x");
    h.load({"a", "b"});
    EXPECT_FALSE(h.changed());
}

} // namespace
} // namespace talsk
