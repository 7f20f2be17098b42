#include "tools/merge_list.h"

#include "base/base_file.h"

#include <utility>

namespace talsk {

bool MergeList::add(const std::string& path, int32_t& status) {
    if (!canAdd()) return false;
    PhoneBase base;
    base.path = path;
    const bool read = readHeader(base, {.access = BaseAccess::Reader});
    status = base.status;
    closeBase(base);
    if (!read) return false;
    MergeEntry e;
    e.path = path;
    e.keyed = base.keyed != 0;
    for (const BaseTable& t : base.tables)
        e.records += t.count > 0 ? t.count : 0;
    entries_.push_back(std::move(e));
    return true;
}

int MergeList::remove(int i) {
    if (!valid(i)) return size() - 1;
    entries_.erase(entries_.begin() + i);
    return i < size() ? i : size() - 1;
}

int MergeList::moveUp(int i) {
    if (!valid(i) || i == 0) return i;
    std::swap(entries_[static_cast<size_t>(i)], entries_[static_cast<size_t>(i - 1)]);
    return i - 1;
}

int MergeList::moveDown(int i) {
    if (!valid(i) || i + 1 >= size()) return i;
    std::swap(entries_[static_cast<size_t>(i)], entries_[static_cast<size_t>(i + 1)]);
    return i + 1;
}

void MergeList::setKey(int i, const std::string& fileKey) {
    if (valid(i)) entries_[static_cast<size_t>(i)].fileKey = fileKey;
}

int MergeList::firstWithoutKey() const {
    for (int i = 0; i < size(); ++i) {
        const MergeEntry& e = entries_[static_cast<size_t>(i)];
        if (e.keyed && e.fileKey.empty()) return i;
    }
    return -1;
}

int64_t MergeList::announcedRecords() const {
    int64_t total = 0;
    for (const MergeEntry& e : entries_)
        total += e.records;
    return total;
}

std::vector<MergeSource> MergeList::sources() const {
    std::vector<MergeSource> out;
    for (const MergeEntry& e : entries_)
        out.push_back({e.path, e.keyed ? e.fileKey : std::string()});
    return out;
}

} // namespace talsk
