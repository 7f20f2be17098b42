#include "tools/dbf_import.h"

#include "base/base_file.h"
#include "base/char_tables.h"
#include "base/cipher.h"
#include "base/table_builder.h"
#include "platform/file.h"
#include "tools/destination.h"
#include "tools/oem_table.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace talsk {

namespace {

// Bytes read from a dBASE file at once.
constexpr size_t kReadBlock = 1 << 20;

DbfImportResult finish(DbfImportOutcome outcome, TableKind table = TableKind::Population,
                       DbfStatus status = DbfStatus::Ok, WriteError cause = WriteError::None) {
    DbfImportResult r;
    r.outcome = outcome;
    r.table = table;
    r.status = status;
    r.cause = cause;
    return r;
}

class Progress {
public:
    Progress(const DbfProgress& callback, int64_t total)
        : callback_(callback), total_(total), step_(dbfProgressStep(total)) {}
    void advance() {
        const int64_t before = done_++;
        if (callback_ && before % step_ == 0) callback_(done_, total_);
    }

private:
    const DbfProgress& callback_;
    int64_t total_;
    int64_t step_;
    int64_t done_ = 0;
};

bool cancelled(const std::atomic<bool>* cancel) {
    return cancel && cancel->load(std::memory_order_relaxed);
}

} // namespace

bool dbfSlotUsed(TableKind kind, int slot) {
    switch (kind) {
    case TableKind::Population:
        return slot >= 1 && slot <= 7 && slot != 6;
    case TableKind::Organizations:
        return slot >= 1 && slot <= 7;
    case TableKind::CityCodes:
        return slot == 1 || slot == 2 || slot == 3 || slot == 7;
    }
    return false;
}

bool dbfSlotJoinable(int slot) {
    return slot == 1 || slot == 2 || slot == 3 || slot == 6 || slot == 7;
}

void setDefaultDbfMapping(TableKind kind, DbfTableJob& job) {
    for (DbfFieldMapping& f : job.fields)
        f.column = {kDbfNoColumn, kDbfNoColumn, kDbfNoColumn};
    auto primary = [&](RecordField field, int columnFromOne) {
        job.fields[static_cast<size_t>(field) - 1].column[0] =
            static_cast<uint8_t>(columnFromOne - 1);
    };
    switch (kind) {
    case TableKind::Population:
        primary(RecordField::Phone, 1);
        primary(RecordField::Name, 2);
        primary(RecordField::Street, 4);
        primary(RecordField::House, 5);
        primary(RecordField::Unit, 6);
        break;
    case TableKind::Organizations:
        primary(RecordField::Phone, 1);
        primary(RecordField::Organization, 2);
        primary(RecordField::Street, 4);
        primary(RecordField::House, 5);
        break;
    case TableKind::CityCodes:
        primary(RecordField::Phone, 1);
        primary(RecordField::Name, 2);
        primary(RecordField::Street, 3);
        break;
    }
}

bool hasPrimaryColumn(TableKind kind, const DbfTableJob& job) {
    for (int k = 1; k <= kFieldCount; ++k)
        if (dbfSlotUsed(kind, k) &&
            job.fields[static_cast<size_t>(k) - 1].column[0] != kDbfNoColumn)
            return true;
    return false;
}

std::vector<std::string> parseSkipList(std::string_view text) {
    std::vector<std::string> entries;
    text = text.substr(0, kDbfMaxSkipText);
    size_t i = 0;
    while (i < text.size() && entries.size() < kDbfMaxSkipEntries) {
        if (text[i] == ';') {
            ++i;
            continue;
        }
        const size_t end = std::min(text.find(';', i), text.size());
        entries.emplace_back(text.substr(i, end - i));
        i = end;
    }
    return entries;
}

DbfRecordBuilder::DbfRecordBuilder(TableKind kind, const DbfTable& table, const DbfTableJob& job) {
    for (int k = 1; k <= kFieldCount; ++k) {
        if (!dbfSlotUsed(kind, k)) continue;
        const DbfFieldMapping& m = job.fields[static_cast<size_t>(k) - 1];
        Slot& slot = slots_[slotCount_];
        slot.field = k;
        slot.parts = 0;
        const int columns = job.join && dbfSlotJoinable(k) ? 3 : 1;
        for (int c = 0; c < columns; ++c) {
            const uint8_t col = m.column[static_cast<size_t>(c)];
            if (col == kDbfNoColumn || col >= table.columnCount) continue;
            const DbfColumn& column = table.columns[col];
            if (column.length == 0) continue;
            Part& part = slot.part[slot.parts++];
            part.column = &column;
            if (c > 0)
                part.separator =
                    m.separator[static_cast<size_t>(c) - 1].substr(0, kDbfMaxSeparator);
        }
        if (slot.parts > 0) ++slotCount_;
    }
    const UpperTable& upper = upperTable();
    for (std::string& entry : parseSkipList(job.skipText)) {
        for (char& ch : entry)
            ch = static_cast<char>(upper[static_cast<unsigned char>(ch)]);
        skip_.push_back(std::move(entry));
    }
}

bool DbfRecordBuilder::skipped(const char* cell, int n) const {
    const UpperTable& upper = upperTable();
    for (const std::string& entry : skip_) {
        if (entry.size() != static_cast<size_t>(n)) continue;
        int i = 0;
        while (i < n && upper[static_cast<unsigned char>(cell[i])] ==
                            static_cast<unsigned char>(entry[static_cast<size_t>(i)]))
            ++i;
        if (i == n) return true;
    }
    return false;
}

void DbfRecordBuilder::append(const char* record, const Part& part, char* text, int& length,
                              int max) const {
    // The cell as text (up to a zero byte), runs of spaces reduced to one,
    // then one leading and one trailing space removed.
    const char* src = record + 1 + part.column->start;
    char cell[256];
    int n = 0;
    for (int i = 0; i < part.column->length; ++i) {
        const char ch = src[i];
        if (ch == '\0') break;
        if (ch == ' ' && n > 0 && cell[n - 1] == ' ') continue;
        cell[n++] = ch;
    }
    const char* begin = cell;
    if (n > 0 && cell[0] == ' ') {
        ++begin;
        --n;
    }
    if (n > 0 && begin[n - 1] == ' ') --n;

    // The separator goes in only after text, so only then does it take room:
    // a joined cell into an empty field keeps its whole length.
    const int separator = length > 0 ? static_cast<int>(part.separator.size()) : 0;
    const int room = max - length - separator;
    if (n > room) {
        if (room <= 0) return;
        n = room;
    }
    char* out = cell + (begin - cell);
    oemToAnsi(out, static_cast<size_t>(n));
    if (n == 0 || (!skip_.empty() && skipped(out, n))) return;
    if (length > 0 && separator > 0) {
        std::memcpy(text + length, part.separator.data(), static_cast<size_t>(separator));
        length += separator;
    }
    std::memcpy(text + length, out, static_cast<size_t>(n));
    length += n;
}

void DbfRecordBuilder::build(const char* record, RecordFields& out) const {
    out.clear();
    for (int s = 0; s < slotCount_; ++s) {
        const Slot& slot = slots_[s];
        char* text = out.field(slot.field);
        int length = 0;
        for (int p = 0; p < slot.parts; ++p)
            append(record, slot.part[p], text, length, kFieldMax[static_cast<size_t>(slot.field)]);
        text[length] = '\0';
    }
}

int64_t dbfProgressStep(int64_t total) {
    const int64_t step = total / kDbfProgressParts;
    return step < 1 ? 1 : step;
}

DbfImportResult importDbf(const DbfImportJob& job, const DbfProgress& progress,
                          const std::atomic<bool>* cancel) {
    // Which tables take part, with their headers read again: the files may
    // have changed since they were chosen.
    std::array<DbfTable, kTableCount> tables;
    std::array<bool, kTableCount> used = {false, false, false};
    int64_t total = 0;
    for (int k = 0; k < kTableCount; ++k) {
        const DbfTableJob& t = job.tables[static_cast<size_t>(k)];
        const auto kind = static_cast<TableKind>(k);
        if (t.path.empty() || !hasPrimaryColumn(kind, t)) continue;
        const DbfStatus status = readDbfHeader(t.path, tables[static_cast<size_t>(k)]);
        if (status == DbfStatus::CannotOpen)
            return finish(DbfImportOutcome::CannotOpen, kind, status);
        if (status != DbfStatus::Ok) return finish(DbfImportOutcome::Damaged, kind, status);
        used[static_cast<size_t>(k)] = true;
        total += tables[static_cast<size_t>(k)].recordCount;
    }
    if (std::none_of(used.begin(), used.end(), [](bool u) { return u; }))
        return finish(DbfImportOutcome::NoTable);
    if (job.keyed && job.typedKey.empty()) return finish(DbfImportOutcome::KeyMissing);

    std::unique_ptr<File> held;
    const WriteError prepared = prepareDestination(job.destination, held);
    if (prepared != WriteError::None)
        return finish(DbfImportOutcome::CannotCreate, TableKind::Population, DbfStatus::Ok,
                      prepared);
    if (cancelled(cancel)) return finish(DbfImportOutcome::Cancelled);

    PhoneBase base;
    Progress counter(progress, total);
    std::vector<char> buffer;
    RecordFields fields;
    for (int k = 0; k < kTableCount; ++k) {
        if (!used[static_cast<size_t>(k)]) continue;
        const auto kind = static_cast<TableKind>(k);
        const DbfTable& table = tables[static_cast<size_t>(k)];
        std::unique_ptr<File> file = fileSystem().open(table.path, OpenMode::ReadShared);
        if (!file || !file->seek(table.headerLength))
            return finish(DbfImportOutcome::CannotOpen, kind, DbfStatus::CannotOpen);
        const DbfRecordBuilder builder(kind, table, job.tables[static_cast<size_t>(k)]);
        TableBuilder records;
        records.reserve(std::min<size_t>(size_t(table.recordCount) * kMaxPackedRecord,
                                         size_t(table.recordCount) * (table.recordLength + 7u)));
        const size_t perBlock = std::max<size_t>(1, kReadBlock / table.recordLength);
        buffer.resize(perBlock * table.recordLength);
        uint32_t left = table.recordCount;
        while (left > 0) {
            const size_t n = std::min<size_t>(left, perBlock);
            if (!file->readExact(buffer.data(), int64_t(n * table.recordLength)))
                return finish(DbfImportOutcome::CannotOpen, kind, DbfStatus::CannotOpen);
            for (size_t r = 0; r < n; ++r) {
                builder.build(buffer.data() + r * table.recordLength, fields);
                if (!records.add(fields)) return finish(DbfImportOutcome::SaveFailed);
                if (cancelled(cancel)) return finish(DbfImportOutcome::Cancelled);
                counter.advance();
            }
            left -= static_cast<uint32_t>(n);
        }
        file->close();
        if (!records.install(base.table(kind), table.date()))
            return finish(DbfImportOutcome::SaveFailed);
    }

    base.path = job.destination;
    base.flagByte = 3;
    base.keyed = job.keyed ? 1 : 0;
    base.key = job.keyed ? deriveFileKey(job.typedKey.substr(0, kMaxKeyLength)) : std::string();
    base.file = std::move(held);
    for (BaseTable& t : base.tables)
        t.chunkSize = kChunkSize;
    WriteError cause = WriteError::None;
    const bool saved = saveBase(base, kMaskAllTables, &cause);
    DbfImportResult r = finish(saved ? DbfImportOutcome::Done : DbfImportOutcome::SaveFailed,
                               TableKind::Population, DbfStatus::Ok, cause);
    for (int k = 0; k < kTableCount; ++k)
        r.counts[static_cast<size_t>(k)] = base.tables[static_cast<size_t>(k)].count;
    closeBase(base);
    return r;
}

} // namespace talsk
