#pragma once
// The search area as the search-area bar chooses it: the items of its two
// lists, the file and table masks read back from the chosen items, and the
// record totals of that area. Texts are UTF-8 (the lists show them as they
// are); file names go back to Windows-1251 to be looked up.

#include "base/base_set.h"

#include <string>
#include <vector>

namespace talsk {

constexpr const char* kAllFilesItem = "Поиск по всем файлам";
constexpr const char* kChooseFilesItem = "Выбрать ...";
constexpr const char* kPopOrgItem = "Население и организации";
constexpr const char* kPopulationItem = "Население";
constexpr const char* kOrganizationsItem = "Организации";
constexpr const char* kCityCodesItem = "Коды городов";

// The files list: all files, choose, then every connected file in set order.
std::vector<std::string> filesListItems(const BaseSet& set);
// The tables list for the set's totals.
std::vector<std::string> tablesListItems(int32_t population, int32_t organizations,
                                         int32_t cityCodes);
TableMask tableMaskFromText(const std::string& text);
// One byte per file of the set, 1 = searched; `chosen` serves "Выбрать ...".
FileMask fileMaskFromText(const BaseSet& set, const std::string& text, const FileMask& chosen);

struct AreaTotals {
    int32_t population = 0;
    int32_t organizations = 0;
    int32_t cityCodes = 0;

    int32_t sum() const { return population + organizations + cityCodes; }
};
// Records of the connected files of the mask in the tables of m; city codes
// count only when they are searched alone.
AreaTotals areaTotals(const BaseSet& set, const FileMask& files, TableMask m);

// A saved list index, or 0 when the list is shorter.
int listChoice(int saved, int itemCount);
// A counter of the panel: the number, or "-" for 0.
std::string counterText(int32_t n);
// Status pane 3.
std::string totalsPaneText(int32_t n);

} // namespace talsk
