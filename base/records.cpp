#include "base/records.h"
#include "base/record_index.h"

#include "platform/file.h"

#include "platform/local_date.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <type_traits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace talsk {

namespace {
constexpr size_t kPoolGrowth = 8192;
constexpr size_t kFirstIndexEntries = 64;
} // namespace

char* RecordFields::field(int k) {
    switch (k) {
    case 1:
        return phone;
    case 2:
        return name;
    case 3:
        return street;
    case 4:
        return house;
    case 5:
        return unit;
    case 6:
        return organization;
    default:
        return comment;
    }
}

const char* RecordFields::field(int k) const {
    return const_cast<RecordFields*>(this)->field(k);
}

void RecordFields::set(int k, const char* text) {
    char* dst = field(k);
    size_t cap = static_cast<size_t>(capacity(k));
    size_t n = std::strlen(text);
    if (n >= cap) n = cap - 1;
    std::memcpy(dst, text, n);
    dst[n] = '\0';
}

void RecordFields::clear() {
    *this = RecordFields{};
}

std::string formatBaseDate(const BaseDate& date) {
    if (date.day >= 32 || date.year <= 0) return "-";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%u.%02u.%d", unsigned(date.day), unsigned(date.month),
                  int(date.year));
    return buf;
}

BaseDate todayBaseDate() {
    LocalDate d = today();
    return BaseDate{d.year, d.month, d.day};
}

void BaseTable::release() {
    text.reset();
    index.reset();
    pairs.clear();
}

namespace {

enum class IndexWalk { Done, Fail, Walk };

// What every walk checks first: an empty table is indexed at once; an index
// without room for the closing entry, or a pool smaller than textSize, fails.
IndexWalk beginIndex(BaseTable& table) {
    if (table.count <= 0) {
        table.textSize = 0;
        return IndexWalk::Done;
    }
    if (table.entryCapacity() < static_cast<size_t>(table.count) + 1 || table.text.empty() ||
        table.textSize < 0 || static_cast<size_t>(table.textSize) > table.text.size())
        return IndexWalk::Fail;
    return IndexWalk::Walk;
}

bool endIndex(BaseTable& table, size_t p) {
    RecordIndexEntry& closing = table.entries()[table.count];
    closing.start = static_cast<uint32_t>(p);
    std::memset(closing.offset, 0, sizeof closing.offset);
    table.textSize = static_cast<int32_t>(p);
    return true;
}

// Record i at pool position p, byte by byte: fills its entry field by field
// and returns the position after it, or 0 when a field is longer than its
// maximum or the pool ends inside the record (a record is never empty).
size_t indexRecordBytes(const char* pool, size_t end, const FieldOrder& order, size_t p,
                        RecordIndexEntry& e) {
    e.start = static_cast<uint32_t>(p);
    size_t q = p;
    for (int slot = 0; slot < kFieldCount; ++slot) {
        int k = order[slot];
        size_t limit = static_cast<size_t>(kFieldMax[k]);
        size_t available = end - q;
        size_t scan = available < limit + 1 ? available : limit + 1;
        const void* zero = std::memchr(pool + q, 0, scan);
        if (zero == nullptr) return 0;
        if (k > 1) e.offset[k - 2] = static_cast<uint8_t>(q - p);
        q = static_cast<size_t>(static_cast<const char*>(zero) - pool) + 1;
    }
    return q;
}

// Records `first` on, from pool position p.
bool walkBytes(BaseTable& table, const FieldOrder& order, int32_t first, size_t p) {
    const char* pool = table.text.data();
    const size_t end = static_cast<size_t>(table.textSize);
    RecordIndexEntry* entries = table.entries();
    for (int32_t i = first; i < table.count; ++i) {
        p = indexRecordBytes(pool, end, order, p, entries[i]);
        if (p == 0) return false;
    }
    return endIndex(table, p);
}

#if defined(__SSE2__)

// Bit j set when byte j of the 64 at s is zero; n: how many are.
inline uint64_t zeroBits64(const char* s, size_t& n) {
    const __m128i zero = _mm_setzero_si128();
    __m128i eq[4];
    for (int j = 0; j < 4; ++j)
        eq[j] = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16 * j)), zero);
    // Each equal byte is -1: subtracting the four gives a count per byte lane.
    __m128i perLane = _mm_sub_epi8(_mm_sub_epi8(zero, eq[0]), eq[1]);
    perLane = _mm_sub_epi8(_mm_sub_epi8(perLane, eq[2]), eq[3]);
    const __m128i sums = _mm_sad_epu8(perLane, zero);
    n = static_cast<size_t>(_mm_cvtsi128_si32(sums) +
                            _mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums)));
    uint64_t bits = 0;
    for (int j = 0; j < 4; ++j)
        bits |= uint64_t{static_cast<uint32_t>(_mm_movemask_epi8(eq[j]))} << 16 * j;
    return bits;
}

// Writes the positions of the n set bits of mask (bit j: base + j) to out.
// Sixteen are written whatever n is, which keeps the usual chunk free of
// branches; out has room for them.
inline void flattenZeros(uint32_t* out, uint32_t base, uint64_t mask, size_t n) {
    for (int j = 0; j < 16; ++j) {
        out[j] = base + static_cast<uint32_t>(std::countr_zero(mask));
        mask &= mask - 1;
    }
    for (size_t j = 16; j < n; ++j) {
        out[j] = base + static_cast<uint32_t>(std::countr_zero(mask));
        mask &= mask - 1;
    }
}

// Two passes per 4 KB of pool: the positions of its zero bytes first, then
// the records, seven zeros each, checked and turned into offsets four fields
// at a time. Neither pass waits for the end of one record to find the next,
// so the processor overlaps the work. A damaged record, or one the pool ends
// inside, is left to the byte walk, which fills the entries exactly as it
// would alone.
template <FieldOrder kOrder> bool walkSse2(BaseTable& table) {
    constexpr size_t kBatch = 4096;
    // The hardware prefetcher alone leaves the zero pass waiting on memory; a
    // prefetch is only a hint, so it may look past the pool's end (as an
    // address, never as a pointer).
    constexpr size_t kPrefetchBytes = 1024;
    const char* pool = table.text.data();
    const size_t end = static_cast<size_t>(table.textSize);
    RecordIndexEntry* entries = table.entries();
    const int32_t count = table.count;
    // zeros[-1] is the zero before the record at hand (p - 1, wrapping for the
    // first); then a batch's zeros after the unfinished record's carried over,
    // and the spare writes of flattenZeros.
    uint32_t buffer[1 + kFieldCount + kBatch + 64] = {};
    uint32_t* zeros = buffer + 1;
    zeros[-1] = ~uint32_t{0};
    const __m128i limits0 = _mm_setr_epi32(kFieldMax[kOrder[0]], kFieldMax[kOrder[1]],
                                           kFieldMax[kOrder[2]], kFieldMax[kOrder[3]]);
    const __m128i limits1 =
        _mm_setr_epi32(kFieldMax[kOrder[4]], kFieldMax[kOrder[5]], kFieldMax[kOrder[6]], INT32_MAX);
    const __m128i one = _mm_set1_epi32(1);
    size_t have = 0;
    size_t scanned = 0;
    size_t p = 0;
    int32_t i = 0;
    while (i < count && scanned < end) {
        const size_t stop = end - scanned > kBatch ? scanned + kBatch : end;
        for (; stop - scanned >= 64; scanned += 64) {
            __builtin_prefetch(reinterpret_cast<const void*>(reinterpret_cast<uintptr_t>(pool) +
                                                             scanned + kPrefetchBytes));
            size_t n;
            const uint64_t mask = zeroBits64(pool + scanned, n);
            flattenZeros(zeros + have, static_cast<uint32_t>(scanned), mask, n);
            have += n;
        }
        if (scanned < stop) { // the pool's last bytes: nothing is read past end
            uint64_t mask = 0;
            size_t n = 0;
            for (size_t j = 0; j < stop - scanned; ++j)
                if (pool[scanned + j] == 0) {
                    mask |= uint64_t{1} << j;
                    ++n;
                }
            flattenZeros(zeros + have, static_cast<uint32_t>(scanned), mask, n);
            have += n;
            scanned = stop;
        }
        size_t used = 0;
        for (; i < count && have - used >= kFieldCount; ++i, used += kFieldCount) {
            // Field s ends at z[s] and starts after z[s - 1].
            const uint32_t* z = zeros + used;
            auto load = [](const uint32_t* at) {
                return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            };
            const __m128i starts0 = _mm_add_epi32(load(z - 1), one);
            const __m128i starts1 = _mm_add_epi32(load(z + 3), one);
            const __m128i over =
                _mm_or_si128(_mm_cmpgt_epi32(_mm_sub_epi32(load(z), starts0), limits0),
                             _mm_cmpgt_epi32(_mm_sub_epi32(load(z + 4), starts1), limits1));
            if (_mm_movemask_epi8(over) != 0) return walkBytes(table, kOrder, i, p);
            // The fields' offsets from the record's start, a byte per stored slot.
            const __m128i at = _mm_set1_epi32(static_cast<int>(p));
            __m128i slotBytes =
                _mm_packs_epi32(_mm_sub_epi32(starts0, at), _mm_sub_epi32(starts1, at));
            slotBytes = _mm_packus_epi16(slotBytes, slotBytes);
            const auto slots = static_cast<uint64_t>(_mm_cvtsi128_si64(slotBytes));
            uint64_t offsets = 0; // fields 2..7 (x86 is little-endian)
            if constexpr (kOrder == kFieldOrder20) {
                offsets = slots >> 8;
            } else {
                [&]<int... kSlot>(std::integer_sequence<int, kSlot...>) {
                    ((offsets |= kOrder[kSlot] > 1
                                     ? (slots >> 8 * kSlot & 0xff) << 8 * (kOrder[kSlot] - 2)
                                     : 0),
                     ...);
                }
                (std::make_integer_sequence<int, kFieldCount>{});
            }
            RecordIndexEntry& e = entries[i];
            e.start = static_cast<uint32_t>(p);
            std::memcpy(e.offset, &offsets, sizeof e.offset);
            p = size_t{z[kFieldCount - 1]} + 1;
        }
        if (used > 0) {
            const uint32_t before = zeros[used - 1];
            std::memmove(zeros, zeros + used, (have - used) * sizeof zeros[0]);
            zeros[-1] = before;
            have -= used;
        }
    }
    if (i < count) return walkBytes(table, kOrder, i, p);
    return endIndex(table, p);
}

bool indexTableSse2(BaseTable& table, const FieldOrder& order) {
    if (IndexWalk w = beginIndex(table); w != IndexWalk::Walk) return w == IndexWalk::Done;
    if (order == kFieldOrder20) return walkSse2<kFieldOrder20>(table);
    if (order == kFieldOrder20b) return walkSse2<kFieldOrder20b>(table);
    return walkBytes(table, order, 0, 0);
}

#endif

} // namespace

namespace {

bool indexBytes(BaseTable& table, const FieldOrder& order) {
    if (IndexWalk w = beginIndex(table); w != IndexWalk::Walk) return w == IndexWalk::Done;
    return walkBytes(table, order, 0, 0);
}

} // namespace

bool indexTablePortable(BaseTable& table, const FieldOrder& order) {
    table.pairs.clear();
    if (!indexBytes(table, order)) return false;
    table.pairs.build(table);
    return true;
}

bool indexTable(BaseTable& table, const FieldOrder& order, bool withPairs) {
    table.pairs.clear();
#if defined(__SSE2__)
    if (!indexTableSse2(table, order)) return false;
#else
    if (!indexBytes(table, order)) return false;
#endif
    if (withPairs) table.pairs.build(table);
    return true;
}

int packRecord(const RecordFields& fields, char* out) {
    int n = 0;
    for (int k = 1; k <= kFieldCount; ++k) {
        const char* f = fields.field(k);
        // Cut at the field's maximum: the output never passes 351 bytes.
        size_t len = strnlen(f, static_cast<size_t>(kFieldMax[k]));
        std::memcpy(out + n, f, len);
        n += static_cast<int>(len);
        out[n++] = '\0';
    }
    return n;
}

namespace {

// Entry of a packed record of 2.0 order lying at `start`.
void entryOfPacked(RecordIndexEntry& e, uint32_t start, const char* packed) {
    e.start = start;
    size_t q = 0;
    for (int k = 1; k <= kFieldCount; ++k) {
        if (k > 1) e.offset[k - 2] = static_cast<uint8_t>(q);
        q += std::strlen(packed + q) + 1;
    }
}

// Room for the closing entry of an appended record: when full, the index grows
// to the new count's entries plus 64.
bool ensureIndexRoom(BaseTable& table) {
    const size_t newCount = static_cast<size_t>(table.count) + 1;
    if (table.entryCapacity() >= newCount + 1) return true;
    return table.index.resizeZeroed((newCount + kFirstIndexEntries) * sizeof(RecordIndexEntry));
}

// Records counted but never read (or freed): there are no entries to edit.
bool missingRecords(const BaseTable& table) {
    return table.count > 0 &&
           (table.text.empty() || table.entryCapacity() < size_t(table.count) + 1);
}

} // namespace

bool putRecord(BaseTable& table, int32_t i, const RecordFields& fields) {
    if (i < 0 || i > table.count || missingRecords(table)) return false;
    // A field longer than its maximum would make the table unreadable.
    for (int k = 1; k <= kFieldCount; ++k)
        if (strnlen(fields.field(k), static_cast<size_t>(RecordFields::capacity(k))) >
            static_cast<size_t>(kFieldMax[k]))
            return false;
    char packed[kMaxPackedRecord + 1];
    const int32_t n = packRecord(fields, packed);
    const bool appending = i == table.count;
    table.pairs.clear();
    const int32_t o = appending ? 0 : recordLength(table, i);

    if (table.count == 0 || table.text.empty() || table.index.empty()) {
        // First record of an empty table: fresh pool and index.
        Block pool, index;
        if (!pool.resize(kPoolGrowth) ||
            !index.resizeZeroed(kFirstIndexEntries * sizeof(RecordIndexEntry)))
            return false;
        table.text = std::move(pool);
        table.index = std::move(index);
        table.count = 0;
        table.textSize = 0;
        table.entries()[0].start = 0;
        table.loaded = 1;
    } else if (n > o && table.text.size() < static_cast<size_t>(table.textSize) + (n - o) + 1) {
        // One byte beyond the records is kept for the closing zero.
        if (!table.text.resize(static_cast<size_t>(table.textSize) + kPoolGrowth)) return false;
    }
    if (appending && !ensureIndexRoom(table)) return false;

    RecordIndexEntry* entries = table.entries();
    char* pool = table.text.data();
    const uint32_t start = entries[i].start;
    const int32_t delta = n - o;
    if (!appending && delta != 0) {
        const uint32_t from = entries[i + 1].start;
        const uint32_t to = entries[table.count].start;
        std::memmove(pool + from + delta, pool + from, to - from);
        // Keep the following entries usable right away.
        for (int32_t j = i + 1; j <= table.count; ++j)
            entries[j].start =
                static_cast<uint32_t>(static_cast<int64_t>(entries[j].start) + delta);
    }
    std::memcpy(pool + start, packed, static_cast<size_t>(n));
    entryOfPacked(entries[i], start, packed);
    if (appending) {
        ++table.count;
        RecordIndexEntry& closing = entries[table.count];
        closing.start = start + static_cast<uint32_t>(n);
        std::memset(closing.offset, 0, sizeof closing.offset);
        pool[closing.start] = '\0';
    }
    table.textSize += delta;
    return true;
}

bool deleteRecord(BaseTable& table, int32_t i) {
    if (i < 0 || i >= table.count || missingRecords(table)) return false;
    table.pairs.clear();
    RecordIndexEntry* entries = table.entries();
    char* pool = table.text.data();
    const int32_t length = recordLength(table, i);
    table.textSize -= length;
    if (i != table.count - 1) {
        const uint32_t from = entries[i + 1].start;
        const uint32_t to = entries[table.count].start;
        std::memmove(pool + entries[i].start, pool + from, to - from);
        std::memmove(&entries[i], &entries[i + 1],
                     static_cast<size_t>(table.count - i) * sizeof(RecordIndexEntry));
        for (int32_t j = i; j < table.count; ++j)
            entries[j].start -= static_cast<uint32_t>(length);
    }
    --table.count;
    return true;
}

void unpackRecord(const BaseTable& table, int32_t i, RecordFields& out) {
    FieldPointers f = fieldPointers(table, i);
    for (int k = 1; k <= kFieldCount; ++k)
        out.set(k, f[k]);
}

void closeBase(PhoneBase& base) {
    for (BaseTable& t : base.tables)
        t.release();
    if (base.file) {
        base.file->close();
        base.file.reset();
    }
}

std::string filePathOf(const PhoneBase& base) {
    return pathInFolder(base.folder, base.path);
}

void resetBase(PhoneBase& base) {
    closeBase(base);
    std::string path = std::move(base.path);
    std::string folder = std::move(base.folder);
    std::string key = std::move(base.key);
    const int32_t status = base.status;
    const WriteError openCause = base.openCause;
    base = PhoneBase{};
    base.path = std::move(path);
    base.folder = std::move(folder);
    base.key = std::move(key);
    base.status = status;
    base.openCause = openCause;
}

void stampTableDates(BaseTable& table, bool storing) {
    BaseDate now = todayBaseDate();
    table.updated = now;
    if (storing && table.count == 0) table.created = now;
}

} // namespace talsk
