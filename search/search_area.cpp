#include "search/search_area.h"

#include <algorithm>

namespace talsk {

std::vector<std::string> filesListItems(const BaseSet& set) {
    std::vector<std::string> items = {kAllFilesItem, kChooseFilesItem};
    for (const PhoneBase& b : set.bases)
        if (b.connected == 1) items.push_back(b.path);
    return items;
}

std::vector<std::string> tablesListItems(int32_t p, int32_t o, int32_t c) {
    std::vector<std::string> items;
    if ((p > 0 && o > 0) || (p == 0 && o == 0 && c == 0)) items.push_back(kPopOrgItem);
    if (p > 0) items.push_back(kPopulationItem);
    if (o > 0) items.push_back(kOrganizationsItem);
    if (c > 0) items.push_back(kCityCodesItem);
    return items;
}

TableMask tableMaskFromText(const std::string& text) {
    if (text == kPopOrgItem) return kMaskPopulationOrganizations;
    if (text == kPopulationItem) return kMaskPopulation;
    if (text == kOrganizationsItem) return kMaskOrganizations;
    if (text == kCityCodesItem) return kMaskCityCodes;
    return 0;
}

FileMask fileMaskFromText(const BaseSet& set, const std::string& text, const FileMask& chosen) {
    FileMask mask{};
    const size_t n = std::min<size_t>(set.bases.size(), mask.size());
    if (text == kAllFilesItem) {
        for (size_t i = 0; i < n; ++i)
            mask[i] = 1;
    } else if (text == kChooseFilesItem) {
        for (size_t i = 0; i < n; ++i)
            mask[i] = chosen[i];
    } else {
        int j = findBase(set, text);
        if (j != kNoBase && j >= 0 && static_cast<size_t>(j) < n) mask[j] = 1;
    }
    return mask;
}

AreaTotals areaTotals(const BaseSet& set, const FileMask& files, TableMask m) {
    AreaTotals t;
    for (size_t i = 0; i < set.bases.size() && i < files.size(); ++i) {
        const PhoneBase& b = set.bases[i];
        if (files[i] != 1 || b.connected != 1) continue;
        if (m & kMaskPopulation) t.population += b.table(TableKind::Population).count;
        if (m & kMaskOrganizations) t.organizations += b.table(TableKind::Organizations).count;
        if (m == kMaskCityCodes) t.cityCodes += b.table(TableKind::CityCodes).count;
    }
    return t;
}

int listChoice(int saved, int itemCount) {
    return saved >= 0 && saved < itemCount ? saved : 0;
}

std::string counterText(int32_t n) {
    return n == 0 ? "-" : std::to_string(n);
}

std::string totalsPaneText(int32_t n) {
    return "Всего записей - " + std::to_string(n);
}

} // namespace talsk
