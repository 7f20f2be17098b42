#pragma once
// The connected base files: every search runs over all of them and totals are
// summed over them.

#include "base/base_file.h"
#include "base/char_tables.h"
#include "base/records.h"
#include "base/settings.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace talsk {

constexpr int kNoBase = 4095;

struct BaseSet {
    std::string folder; // the program's folder
    int32_t totalPopulation = 0;
    int32_t totalOrganizations = 0;
    int32_t totalCityCodes = 0;
    int32_t total = 0;
    std::vector<PhoneBase> bases; // in settings order
    LayoutTable layout{};

    int16_t count() const { return static_cast<int16_t>(bases.size()); }
};

} // namespace talsk

namespace talsk {

class KeyStore;

struct OpenOptions {
    bool autoKey = false;           // a keyed file without key asks `keys`
    const KeyStore* keys = nullptr; // the remembered keys, if any
    bool allow20b = false;
    BaseAccess access = BaseAccess::Writer;
    // false: the tables' pair filters are left for buildNextPairFilter, so
    // that the files connect sooner (the window builds them while idle; a
    // single search of the command line would not repay them).
    bool pairFilters = true;
};

// Connects one base: closes it, takes newPath when given, reads the header,
// takes the key (an unkeyed file gets an empty key; a keyed file without one
// asks the key store when autoKey is set and one is given, else status 6)
// and loads the tables. A failure to load empties the key. Returns connected.
[[nodiscard]] bool openBase(PhoneBase& base, const std::string* newPath,
                            const OpenOptions& options = {});
// The two halves of openBase. beginOpen closes the base, takes newPath,
// reads the header and takes the key: true when the tables are to be loaded.
// finishOpen loads them (decodeThreads 0: as many as loading gives one file)
// and returns connected. The second half of several bases may run at once.
[[nodiscard]] bool beginOpen(PhoneBase& base, const std::string* newPath,
                             const OpenOptions& options = {});
[[nodiscard]] bool finishOpen(PhoneBase& base, int decodeThreads = 0, bool pairFilters = true);
// Builds the pair filter of the first loaded table of a connected base that
// lacks one; false when every table has its own (or there was no memory
// for it). A search never needs one, it only skips less without it.
// Nothing else may read the set meanwhile.
bool buildNextPairFilter(BaseSet& set);
// Index of the first base with this path, compared as the file system
// compares names (samePath), or kNoBase for an empty path or no match.
int findBase(const BaseSet& set, const std::string& path);
// The path to open for a name of the list: a name without a folder lies in
// the set's folder.
std::string fullBasePath(const BaseSet& set, const std::string& path);
// Files of the folder that scanFolder left out.
struct FolderScanSkips {
    std::vector<std::string> overLimit;  // the list already held 64 files
    std::vector<std::string> unstorable; // the settings cannot hold the name
    std::vector<std::string> tooLong;    // more than 260 characters
    bool empty() const { return overLimit.empty() && unstorable.empty() && tooLong.empty(); }
};
// Adds every "*.btn" of the folder (any letter case) that findBase does not
// know yet, sorted by name, as new bases at the end and at the end of the
// settings' list when given, up to 64 files; names the settings file cannot
// hold are left out. What was left out goes into *skipped when given.
// Returns the number added.
int scanFolder(BaseSet& set, ProgramSettings* settings, FolderScanSkips* skipped = nullptr);
// Says which files were left out and why (UTF-8); empty when none were.
std::string folderScanMessage(const FolderScanSkips& skipped);
// count bases; entries added are empty. False for a count outside 0..64.
[[nodiscard]] bool resizeBaseSet(BaseSet& set, int count);
// Drops base and settings name (when given) at index; the following ones
// move down.
void removeBase(BaseSet& set, ProgramSettings* settings, int index);
void recountTotals(BaseSet& set);
// Resets connected bases whose loaded tables lack pool or index (status 5),
// then recounts; false if any was reset.
bool verifyLoaded(BaseSet& set);

} // namespace talsk
