#pragma once
// The merge window's list of files: up to 16 entries in merge order, each
// with what its header says and the key set for it, and the checks made
// before a merge starts.

#include "tools/destination.h"
#include "tools/merge.h"

#include <cstdint>
#include <string>
#include <vector>

namespace talsk {

struct MergeEntry {
    std::string path; // Windows-1251
    bool keyed = false;
    std::string fileKey; // derived; empty while none is set
    int64_t records = 0; // as the header announces
};

class MergeList {
public:
    const std::vector<MergeEntry>& entries() const { return entries_; }
    int size() const { return static_cast<int>(entries_.size()); }
    bool canAdd() const { return entries_.size() < kMaxMergeSources; }

    // Reads the file's header and appends it. False (nothing added) when the
    // list is full or the header cannot be read: status says why (versions
    // other than 2.0 give 7).
    bool add(const std::string& path, int32_t& status);
    // Removes entry i; returns the entry to select next (-1 when none is left).
    int remove(int i);
    // Swaps entry i with its neighbour; returns the moved entry's new place.
    int moveUp(int i);
    int moveDown(int i);
    void setKey(int i, const std::string& fileKey);

    // The first keyed entry without a key, or -1.
    int firstWithoutKey() const;
    int64_t announcedRecords() const;
    std::vector<MergeSource> sources() const;

private:
    bool valid(int i) const { return i >= 0 && i < size(); }
    std::vector<MergeEntry> entries_;
};

} // namespace talsk
