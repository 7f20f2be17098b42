#pragma once
// Builds a new base file from up to three dBASE III tables: for each field of
// the target table up to three source columns, joined with separators, and a
// list of cell texts to drop. Runs on the caller's thread; progress and a
// cooperative stop flag let a window run it on a worker.

#include "base/records.h"
#include "platform/write_error.h"
#include "tools/dbf_reader.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace talsk {

constexpr uint8_t kDbfNoColumn = 255;
constexpr int kDbfMaxSkipEntries = 16;
constexpr size_t kDbfMaxSkipText = 100;
constexpr size_t kDbfMaxSeparator = 10; // every separator lives in an 11-byte slot
constexpr int kDbfProgressParts = 150;

// The columns of one target field: the primary one, then (joined) a second
// and a third with the separator before each.
struct DbfFieldMapping {
    std::array<uint8_t, 3> column = {kDbfNoColumn, kDbfNoColumn, kDbfNoColumn};
    std::array<std::string, 2> separator = {" - ", " - "}; // Windows-1251
};

struct DbfTableJob {
    std::string path; // the dBASE file (Windows-1251); empty: not imported
    std::array<DbfFieldMapping, kFieldCount> fields; // slot k at index k - 1
    bool join = false;
    std::string skipText; // "text;text;..." (Windows-1251)
};

struct DbfImportJob {
    std::array<DbfTableJob, kTableCount> tables; // by TableKind
    std::string destination;                     // Windows-1251
    bool keyed = false;
    std::string typedKey; // Windows-1251; its first 32 characters make the file key
};

// Whether a table of this kind takes field `slot` (1..7) from a dBASE table.
bool dbfSlotUsed(TableKind kind, int slot);
// Whether further columns can be joined to field `slot`.
bool dbfSlotJoinable(int slot);
// The usual columns of a table's file (from 1): population phone 1, name 2,
// street 4, house 5, unit 6; organizations phone 1, organization 2, street 4,
// house 5; city codes code 1, city 2, inquiry 3. Nothing is joined.
void setDefaultDbfMapping(TableKind kind, DbfTableJob& job);
// Whether any primary column is set; a table without one is not imported.
bool hasPrimaryColumn(TableKind kind, const DbfTableJob& job);
// Runs of ';' become one, a leading and a trailing one go, at most 16 entries.
std::vector<std::string> parseSkipList(std::string_view text);

// Makes the seven fields of target records from the records of one dBASE
// table. No allocation per record.
class DbfRecordBuilder {
public:
    DbfRecordBuilder(TableKind kind, const DbfTable& table, const DbfTableJob& job);
    // record: recordLength bytes, the deletion flag first.
    void build(const char* record, RecordFields& out) const;

private:
    struct Part {
        const DbfColumn* column = nullptr;
        std::string separator; // empty before the primary column
    };
    struct Slot {
        int field = 0;
        int parts = 0;
        Part part[3];
    };
    void append(const char* record, const Part& part, char* text, int& length, int max) const;
    bool skipped(const char* cell, int n) const;

    Slot slots_[kFieldCount];
    int slotCount_ = 0;
    std::vector<std::string> skip_; // upper-cased
};

enum class DbfImportOutcome {
    Done,
    NoTable,      // "Выберите файл"
    KeyMissing,   // "Введите ключ"
    CannotCreate, // "Ошибка при создании файла " + destination
    CannotOpen,   // "Ошибка при открытии файла " + the table's path
    Damaged,      // the table's file no longer passes its checks (status says how)
    Cancelled,
    SaveFailed, // "Ошибка при сохранении базы, данные не были сохранены..."
};

struct DbfImportResult {
    DbfImportOutcome outcome = DbfImportOutcome::NoTable;
    TableKind table = TableKind::Population; // the source of CannotOpen / Damaged
    DbfStatus status = DbfStatus::Ok;
    WriteError cause = WriteError::None;                 // CannotCreate, SaveFailed
    std::array<int32_t, kTableCount> counts = {0, 0, 0}; // records written (Done)
};

using DbfProgress = std::function<void(int64_t done, int64_t total)>;

// total / 150, at least 1.
int64_t dbfProgressStep(int64_t total);

// The destination is written only at the end, whole, with the atomic writer:
// a failed or cancelled run leaves a file that was there as it was, and
// creates none.
[[nodiscard]] DbfImportResult importDbf(const DbfImportJob& job, const DbfProgress& progress = {},
                                        const std::atomic<bool>* cancel = nullptr);

} // namespace talsk
