#include "tools/merge_table.h"

#include <climits>
#include <cstring>

namespace talsk {

namespace {

constexpr uint64_t kFnvOffset = 14695981039346656037ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;

uint32_t fold(uint64_t h) {
    return static_cast<uint32_t>(h ^ (h >> 32));
}

bool isSet(const BaseDate& d) {
    return d.year != 0 || d.month != 0 || d.day != 0;
}

} // namespace

int compareDates(const BaseDate& a, const BaseDate& b) {
    if (a.year != b.year) return a.year < b.year ? -1 : 1;
    if (a.month != b.month) return a.month < b.month ? -1 : 1;
    if (a.day != b.day) return a.day < b.day ? -1 : 1;
    return 0;
}

MergedTable::MergedTable(MergeRepeats repeats) : repeats_(repeats), upper_(upperTable()) {}

uint32_t MergedTable::hashOf(const char* record, size_t length) const {
    const auto* p = reinterpret_cast<const unsigned char*>(record);
    uint64_t h = kFnvOffset;
    if (repeats_ == MergeRepeats::SamePhone) {
        for (; *p != 0; ++p)
            h = (h ^ *p) * kFnvPrime;
    } else {
        for (size_t i = 0; i < length; ++i)
            h = (h ^ upper_[p[i]]) * kFnvPrime;
        h = (h ^ length) * kFnvPrime;
    }
    return fold(h);
}

bool MergedTable::same(uint32_t kept, const char* record, size_t length) const {
    const char* other = pool_.data() + starts_[kept];
    if (repeats_ == MergeRepeats::SamePhone) return std::strcmp(other, record) == 0;
    const size_t end = kept + 1 < starts_.size() ? starts_[kept + 1] : pool_.size();
    if (end - starts_[kept] != length) return false;
    const auto* a = reinterpret_cast<const unsigned char*>(other);
    const auto* b = reinterpret_cast<const unsigned char*>(record);
    for (size_t i = 0; i < length; ++i)
        if (upper_[a[i]] != upper_[b[i]]) return false;
    return true;
}

// Keeps the slots at most half full, so that probes stay short.
void MergedTable::growSlots(size_t records) {
    size_t wanted = 64;
    while (wanted < records * 2)
        wanted *= 2;
    if (wanted <= slots_.size()) return;
    slots_.assign(wanted, 0);
    const size_t mask = wanted - 1;
    for (size_t r = 0; r < hashes_.size(); ++r) {
        size_t s = hashes_[r] & mask;
        while (slots_[s] != 0)
            s = (s + 1) & mask;
        slots_[s] = static_cast<uint32_t>(r + 1);
    }
}

int64_t MergedTable::findRepeat(uint32_t hash, const char* record, size_t length) const {
    const size_t mask = slots_.size() - 1;
    for (size_t s = hash & mask; slots_[s] != 0; s = (s + 1) & mask) {
        const uint32_t kept = slots_[s] - 1;
        if (hashes_[kept] == hash && same(kept, record, length)) return kept;
    }
    return -1;
}

void MergedTable::remember(uint32_t hash, uint32_t record) {
    const size_t mask = slots_.size() - 1;
    size_t s = hash & mask;
    while (slots_[s] != 0)
        s = (s + 1) & mask;
    slots_[s] = record + 1;
    hashes_.push_back(hash);
}

bool MergedTable::append(const BaseTable& source, const std::function<void()>& advance,
                         const std::atomic<bool>* cancel) {
    if (!source.loaded || source.count <= 0 || source.text.empty()) return true;
    const size_t incoming = static_cast<size_t>(source.count);
    // Room for every record at once; repeats only make it too much.
    if (pool_.size() + static_cast<size_t>(source.textSize) > static_cast<size_t>(INT32_MAX))
        return false;
    pool_.reserve(pool_.size() + static_cast<size_t>(source.textSize));
    starts_.reserve(starts_.size() + incoming);
    const bool search = repeats_ != MergeRepeats::Keep;
    if (search) {
        hashes_.reserve(hashes_.size() + incoming);
        growSlots(starts_.size() + incoming);
    }
    const RecordIndexEntry* entries = source.entries();
    const char* text = source.text.data();
    for (int32_t i = 0; i < source.count; ++i) {
        const char* record = text + entries[i].start;
        const size_t length = entries[i + 1].start - entries[i].start;
        bool keep = true;
        uint32_t hash = 0;
        if (search) {
            hash = hashOf(record, length);
            keep = findRepeat(hash, record, length) < 0;
        }
        if (keep) {
            if (search) remember(hash, static_cast<uint32_t>(starts_.size()));
            starts_.push_back(static_cast<uint32_t>(pool_.size()));
            pool_.append(record, length);
        } else {
            ++skipped_;
        }
        if (advance) advance();
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) return false;
    }
    return true;
}

void MergedTable::mergeDates(const BaseDate& created, const BaseDate& updated) {
    if (isSet(created) && (!isSet(created_) || compareDates(created, created_) < 0))
        created_ = created;
    if (compareDates(updated, updated_) > 0) updated_ = updated;
}

bool MergedTable::install(BaseTable& table) const {
    table.release();
    table.count = 0;
    table.textSize = 0;
    table.chunkSize = kChunkSize;
    table.loaded = 1;
    table.created = created_;
    table.updated = updated_;
    if (starts_.empty()) return true;
    if (!table.text.resize(pool_.size() + 1) ||
        !table.index.resizeZeroed((starts_.size() + 1) * sizeof(RecordIndexEntry))) {
        table.release();
        return false;
    }
    std::memcpy(table.text.data(), pool_.data(), pool_.size());
    table.text.data()[pool_.size()] = '\0';
    table.count = count();
    table.textSize = static_cast<int32_t>(pool_.size());
    return indexTable(table);
}

} // namespace talsk
