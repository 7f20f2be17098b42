#include "base/base_set.h"

#include "base/base_file.h"
#include "base/char_tables.h"
#include "base/key_store.h"
#include "base/load_status.h"
#include "base/named_files.h"
#include "platform/file.h"

#include <algorithm>

namespace talsk {

namespace {

// A table that claims records must have them in memory, with an index that
// covers every record and the closing entry.
bool tableIntact(const BaseTable& t) {
    if (!t.loaded || t.count <= 0) return true;
    return !t.text.empty() && !t.index.empty() &&
           t.entryCapacity() >= static_cast<size_t>(t.count) + 1;
}

} // namespace

bool beginOpen(PhoneBase& base, const std::string* newPath, const OpenOptions& options) {
    closeBase(base);
    if (newPath != nullptr) base.path = *newPath;
    if (!readHeader(base,
                    {.fromDisk = true, .allow20b = options.allow20b, .access = options.access}))
        return false;
    if (!base.keyed) {
        base.key.clear();
    } else if (base.key.empty()) {
        if (options.autoKey && options.keys != nullptr)
            base.key = options.keys->lookupKey(base.path);
        if (base.key.empty()) {
            base.status = StatusKeyMissing;
            base.connected = 0;
            // Not connected: the file is not held either.
            closeBase(base);
            return false;
        }
    }
    return true;
}

bool finishOpen(PhoneBase& base, int decodeThreads, bool pairFilters) {
    if (!loadTables(base, kMaskAllTables, decodeThreads, pairFilters)) {
        base.key.clear();
        return false;
    }
    return true;
}

bool openBase(PhoneBase& base, const std::string* newPath, const OpenOptions& options) {
    return beginOpen(base, newPath, options) && finishOpen(base, 0, options.pairFilters);
}

bool buildNextPairFilter(BaseSet& set) {
    for (PhoneBase& base : set.bases) {
        if (!base.connected) continue;
        for (BaseTable& t : base.tables) {
            if (!t.loaded || t.count <= 0 || t.pairs.covers(t)) continue;
            t.pairs.build(t);
            // Without memory for it: no more are tried now.
            return t.pairs.covers(t);
        }
    }
    return false;
}

int findBase(const BaseSet& set, const std::string& path) {
    if (path.empty()) return kNoBase;
    for (size_t i = 0; i < set.bases.size(); ++i)
        if (samePath(set.bases[i].path, path)) return static_cast<int>(i);
    return kNoBase;
}

std::string fullBasePath(const BaseSet& set, const std::string& path) {
    return pathInFolder(set.folder, path);
}

int scanFolder(BaseSet& set, ProgramSettings* settings, FolderScanSkips* skipped) {
    std::vector<std::string> names;
    if (!fileSystem().listFolder(set.folder, names)) return 0;
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::string& n) { return !endsWithBtn(n); }),
                names.end());
    std::sort(names.begin(), names.end());
    int added = 0;
    FolderScanSkips left;
    for (const std::string& name : names) {
        if (findBase(set, name) != kNoBase) continue;
        // The list of connected files holds at most 64 names of 260
        // Windows-1251 characters.
        std::vector<std::string>* leftOut = nullptr;
        if (!storablePath(name))
            leftOut = &left.unstorable;
        else if (!pathWithinLimit(name))
            leftOut = &left.tooLong;
        else if (set.bases.size() >= static_cast<size_t>(kMaxFiles))
            leftOut = &left.overLimit;
        if (leftOut != nullptr) {
            leftOut->push_back(name);
            continue;
        }
        PhoneBase base;
        base.path = name;
        base.folder = set.folder;
        set.bases.push_back(std::move(base));
        if (settings != nullptr) {
            settings->filePaths[set.bases.size() - 1] = name;
            settings->fileCount = set.count();
        }
        ++added;
    }
    if (skipped != nullptr) *skipped = std::move(left);
    return added;
}

std::string folderScanMessage(const FolderScanSkips& skipped) {
    std::string text;
    auto line = [&text](const std::string& s) { text += (text.empty() ? "" : "\n") + s; };
    for (const std::string& name : skipped.unstorable)
        line(unstorablePathMessage(name));
    for (const std::string& name : skipped.tooLong)
        line("Длина файла не должна превышать 260 символов: " + name);
    if (!skipped.overLimit.empty()) {
        line("Подключается не более 64 файлов. Не подключены файлы каталога программы:");
        for (const std::string& name : skipped.overLimit)
            line("  " + name);
    }
    return text;
}

bool resizeBaseSet(BaseSet& set, int count) {
    if (count < 0 || count > kMaxFiles) return false;
    if (static_cast<size_t>(count) < set.bases.size())
        for (size_t i = static_cast<size_t>(count); i < set.bases.size(); ++i)
            closeBase(set.bases[i]);
    set.bases.resize(static_cast<size_t>(count));
    return true;
}

void removeBase(BaseSet& set, ProgramSettings* settings, int index) {
    if (index < 0 || static_cast<size_t>(index) >= set.bases.size()) return;
    if (ProgramSettings* s = settings) {
        const int n = std::min<int>(s->fileCount, kMaxFiles);
        if (index < n) {
            for (int i = index; i + 1 < n; ++i)
                s->filePaths[static_cast<size_t>(i)] =
                    std::move(s->filePaths[static_cast<size_t>(i + 1)]);
            s->filePaths[static_cast<size_t>(n - 1)].clear();
            s->fileCount = static_cast<int16_t>(n - 1);
        }
    }
    resetBase(set.bases[static_cast<size_t>(index)]);
    set.bases.erase(set.bases.begin() + index);
    recountTotals(set);
}

void recountTotals(BaseSet& set) {
    int64_t sums[kTableCount] = {0, 0, 0};
    for (const PhoneBase& base : set.bases) {
        if (!base.connected) continue;
        for (int k = 0; k < kTableCount; ++k)
            sums[k] += base.tables[static_cast<size_t>(k)].count;
    }
    auto clamp = [](int64_t v) { return static_cast<int32_t>(std::min<int64_t>(v, INT32_MAX)); };
    set.totalPopulation = clamp(sums[0]);
    set.totalOrganizations = clamp(sums[1]);
    set.totalCityCodes = clamp(sums[2]);
    set.total = clamp(sums[0] + sums[1] + sums[2]);
}

bool verifyLoaded(BaseSet& set) {
    bool allSound = true;
    for (PhoneBase& base : set.bases) {
        if (!base.connected) continue;
        const bool intact = std::all_of(base.tables.begin(), base.tables.end(),
                                        [](const BaseTable& t) { return tableIntact(t); });
        if (!intact) {
            resetBase(base);
            base.status = StatusLoadFailed;
            allSound = false;
        }
    }
    recountTotals(set);
    return allSound;
}

} // namespace talsk
