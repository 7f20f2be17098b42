#pragma once
// The in-memory model of one directory base: three tables of seven-field
// records, packed back to back in a text pool and located by a small index.

#include "base/block.h"
#include "base/pair_filter.h"
#include "platform/file.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace talsk {

enum class TableKind : uint8_t { Population = 0, Organizations = 1, CityCodes = 2 };
constexpr int kTableCount = 3;

// A set of tables: 0x100 shifted left by the kind.
using TableMask = uint32_t;
constexpr TableMask kMaskPopulation = 0x100;
constexpr TableMask kMaskOrganizations = 0x200;
constexpr TableMask kMaskCityCodes = 0x400;
constexpr TableMask kMaskPopulationOrganizations = 0x300;
constexpr TableMask kMaskAllTables = 0x700;
constexpr TableMask kMaskValidateOnly = 0x1000;

constexpr TableMask tableMaskOf(TableKind kind) {
    return kMaskPopulation << static_cast<unsigned>(kind);
}

// Fields are numbered 1 to 7.
enum class RecordField : int {
    Phone = 1,
    Name = 2,
    Street = 3,
    House = 4,
    Unit = 5,
    Organization = 6,
    Comment = 7
};
constexpr int kFieldCount = 7;
// Maximum characters of field k (index 0 unused).
constexpr std::array<int, 8> kFieldMax = {0, 10, 80, 60, 9, 5, 80, 100};
constexpr int kMinPackedRecord = 7;
constexpr int kMaxPackedRecord = 351;

// The unpacked, editable form of one record: each field has room for its
// maximum plus 4.
struct RecordFields {
    char phone[14] = {};
    char name[84] = {};
    char street[64] = {};
    char house[13] = {};
    char unit[9] = {};
    char organization[84] = {};
    char comment[104] = {};

    char* field(int k);
    const char* field(int k) const;
    static constexpr int capacity(int k) { return kFieldMax[k] + 4; }
    // Copies text (cut to the slot) into field k.
    void set(int k, const char* text);
    void clear();
};

#pragma pack(push, 1)
// One index entry: the record's start as an offset into the pool, then the
// offsets of fields 2..7 from that start.
struct RecordIndexEntry {
    uint32_t start;
    uint8_t offset[6];
};
#pragma pack(pop)
static_assert(sizeof(RecordIndexEntry) == 10);

struct BaseDate {
    int16_t year = 0;
    uint8_t month = 0;
    uint8_t day = 0;
    bool operator==(const BaseDate&) const = default;
};

// A BaseDate as files store it: year (16-bit little-endian), month, day.
inline BaseDate getBaseDate(const unsigned char* p) {
    return BaseDate{static_cast<int16_t>(p[0] | (p[1] << 8)), p[2], p[3]};
}
inline void putBaseDate(unsigned char* p, const BaseDate& d) {
    const auto year = static_cast<uint16_t>(d.year);
    p[0] = static_cast<unsigned char>(year);
    p[1] = static_cast<unsigned char>(year >> 8);
    p[2] = d.month;
    p[3] = d.day;
}

// "5.03.2002"; "-" for a day of 32 or more or a year of 0 or less.
std::string formatBaseDate(const BaseDate& date);
BaseDate todayBaseDate();

constexpr int32_t kChunkSize = 262144;

struct BaseTable {
    Block text;  // the pool: packed records back to back
    Block index; // count + 1 RecordIndexEntry (with spare room)
    int32_t textSize = 0;
    int32_t storedSize = 0;
    int32_t chunkSize = 0;
    int32_t fileOffset = 0;
    int32_t count = 0;
    uint8_t loaded = 0;
    BaseDate created;
    BaseDate updated;
    PairFilter pairs; // built with the index, cleared by an edit

    RecordIndexEntry* entries() { return reinterpret_cast<RecordIndexEntry*>(index.data()); }
    const RecordIndexEntry* entries() const {
        return reinterpret_cast<const RecordIndexEntry*>(index.data());
    }
    size_t entryCapacity() const { return index.size() / sizeof(RecordIndexEntry); }
    // Frees pool, index and pair filter.
    void release();
};

// The seven fields of one record, read in place.
struct FieldPointers {
    const char* field[kFieldCount];
    const char* operator[](int k) const { return field[k - 1]; } // k = 1..7
};

inline FieldPointers fieldPointers(const char* pool, const RecordIndexEntry& e) {
    const char* s = pool + e.start;
    return {{s, s + e.offset[0], s + e.offset[1], s + e.offset[2], s + e.offset[3], s + e.offset[4],
             s + e.offset[5]}};
}
inline FieldPointers fieldPointers(const BaseTable& table, int32_t i) {
    return fieldPointers(table.text.data(), table.entries()[i]);
}
inline int32_t recordLength(const BaseTable& table, int32_t i) {
    return static_cast<int32_t>(table.entries()[i + 1].start - table.entries()[i].start);
}

// Field order of a packed record in a file version: 2.0 keeps 1..7, 2.0b
// stores 1, 5, 4, 3, 2, 6, 7.
using FieldOrder = std::array<int, kFieldCount>;
constexpr FieldOrder kFieldOrder20 = {1, 2, 3, 4, 5, 6, 7};
constexpr FieldOrder kFieldOrder20b = {1, 5, 4, 3, 2, 6, 7};

// Fills every entry and the closing entry from the pool; sets textSize and
// builds the pair filter (or, without withPairs, leaves it empty for later).
// Fails on a field over its maximum, or on a pool that ends inside a record.
[[nodiscard]] bool indexTable(BaseTable& table, const FieldOrder& order = kFieldOrder20,
                              bool withPairs = true);
// Writes the seven fields with their zero bytes; returns the length (7..351).
int packRecord(const RecordFields& fields, char* out);
// Replaces record i, or appends when i == count.
[[nodiscard]] bool putRecord(BaseTable& table, int32_t i, const RecordFields& fields);
[[nodiscard]] bool deleteRecord(BaseTable& table, int32_t i);
// Copies record i into editable form.
void unpackRecord(const BaseTable& table, int32_t i, RecordFields& out);

struct PhoneBase {
    std::array<BaseTable, kTableCount> tables;
    std::unique_ptr<File> file;
    std::string path;   // Windows-1251, at most 260 characters, as listed
    std::string folder; // where a path without a folder lies; empty: the current folder
    std::string key;    // the file key, at most 32 bytes, no zero inside
    uint8_t keyed = 0;
    int32_t dataSize = 0;
    uint8_t connected = 0;
    int32_t status = 0;
    WriteError openCause = WriteError::None; // why the file did not open (status 2), when known
    uint8_t readOnly = 0;
    uint16_t version = 0;
    uint8_t flagByte = 0;
    uint8_t rememberKey = 0;

    BaseTable& table(TableKind k) { return tables[static_cast<int>(k)]; }
    const BaseTable& table(TableKind k) const { return tables[static_cast<int>(k)]; }
    // In 64 bits: a damaged header's counts may add up past 32.
    int64_t recordCount() const {
        return int64_t(tables[0].count) + tables[1].count + tables[2].count;
    }
};

constexpr size_t kMaxPathLength = 260;
constexpr size_t kMaxKeyLength = 32;

void closeBase(PhoneBase& base);
// The path of the base's file on disk.
std::string filePathOf(const PhoneBase& base);
// closeBase, then everything but path, folder, key and status back to zero.
void resetBase(PhoneBase& base);
// Sets updated (and created when a record goes into an empty table) to today.
void stampTableDates(BaseTable& table, bool storing);

} // namespace talsk
