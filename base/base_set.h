#pragma once
// The connected base files: every search runs over all of them and totals are
// summed over them.

#include "base/records.h"
#include "search/search_state.h"
#include "search/settings.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace talsk {

constexpr int kNoBase = 4095;

using LayoutTable = std::array<unsigned char, 256>;

struct BaseSet {
    std::string folder; // the program's folder
    int32_t totalPopulation = 0;
    int32_t totalOrganizations = 0;
    int32_t totalCityCodes = 0;
    int32_t total = 0;
    std::vector<PhoneBase> bases; // in settings order
    SearchState search;
    ProgramSettings* settings = nullptr;
    LayoutTable layout{};
    RecordFields copyBuffer;

    int16_t count() const { return static_cast<int16_t>(bases.size()); }
};

} // namespace talsk

namespace talsk {

class KeyStore;

// Connects one base: header, key (typed, or remembered in `keys` when autoKey
// is set and keys is given), tables. newPath, when given, replaces the path.
bool openBase(PhoneBase& base, const std::string* newPath, bool autoKey, bool allow20b,
              const KeyStore* keys);
// Index of the first base with this path (letter case ignored), or kNoBase.
int findBase(const BaseSet& set, const std::string& path);
// Adds every "*.btn" of the folder not yet known, sorted by name.
void scanFolder(BaseSet& set);
bool resizeBaseSet(BaseSet& set, int count);
void removeBase(BaseSet& set, int index);
void recountTotals(BaseSet& set);
// Resets connected bases whose loaded tables lack pool or index; false if any was reset.
bool verifyLoaded(BaseSet& set);

} // namespace talsk
