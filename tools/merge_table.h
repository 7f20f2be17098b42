#pragma once
// One table of a merge: the records of several tables appended in turn,
// optionally without repeats. A repeat is found through a hash of each kept
// record's key (open addressing over record numbers, no allocation per
// record); records with equal hashes are then compared exactly.

#include "base/char_tables.h"
#include "base/records.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace talsk {

enum class MergeRepeats {
    Keep,       // every record is copied
    SameRecord, // same stored length and equal after upper-casing
    SamePhone,  // same first string, byte for byte
};

class MergedTable {
public:
    explicit MergedTable(MergeRepeats repeats);

    // Appends the records of a loaded table in order, each unless it repeats
    // one already kept. advance() is called after every record; a set cancel
    // flag stops after the current record and returns false. Also false when
    // the records would no longer fit one table.
    [[nodiscard]] bool append(const BaseTable& source, const std::function<void()>& advance,
                              const std::atomic<bool>* cancel);
    // Takes the other table's dates in: the earlier creation (a never-set
    // date does not count) and the later change.
    void mergeDates(const BaseDate& created, const BaseDate& updated);

    int32_t count() const { return static_cast<int32_t>(starts_.size()); }
    int64_t skipped() const { return skipped_; }
    // Replaces the table's records and dates by the merged ones; false when
    // memory cannot be had.
    [[nodiscard]] bool install(BaseTable& table) const;

private:
    uint32_t hashOf(const char* record, size_t length) const;
    bool same(uint32_t kept, const char* record, size_t length) const;
    void growSlots(size_t records);
    // The kept record that this one repeats, or -1.
    int64_t findRepeat(uint32_t hash, const char* record, size_t length) const;
    void remember(uint32_t hash, uint32_t record);

    MergeRepeats repeats_;
    const UpperTable& upper_;
    std::string pool_;
    std::vector<uint32_t> starts_; // each kept record's start in the pool
    std::vector<uint32_t> hashes_; // each kept record's hash (repeat search only)
    std::vector<uint32_t> slots_;  // record number + 1, 0 for a free slot
    int64_t skipped_ = 0;
    BaseDate created_;
    BaseDate updated_;
};

// Dates compared by year, then month, then day.
int compareDates(const BaseDate& a, const BaseDate& b);

} // namespace talsk
