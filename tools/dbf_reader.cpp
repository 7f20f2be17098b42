#include "tools/dbf_reader.h"
#include "platform/journal.h"

#include "platform/file.h"
#include "platform/little_endian.h"
#include "tools/oem_table.h"

#include <cstring>
#include <vector>

namespace talsk {

BaseDate DbfTable::date() const {
    if (year == 0) return BaseDate{};
    return BaseDate{static_cast<int16_t>(1900 + year), month, day};
}

DbfStatus parseDbfHeader(const unsigned char* bytes, size_t size, int64_t fileLength,
                         DbfTable& table) {
    table.columnCount = 0;
    if (size < kDbfPrefixSize || fileLength < kDbfPrefixSize) return DbfStatus::Damaged;
    table.year = bytes[1];
    table.month = bytes[2];
    table.day = bytes[3];
    table.recordCount = getU32(bytes + 4);
    table.headerLength = getU16(bytes + 8);
    table.recordLength = getU16(bytes + 10);

    // The records end the file, maybe followed by an end-of-file byte or two.
    const int64_t expected =
        int64_t(table.headerLength) + int64_t(table.recordCount) * table.recordLength;
    if (fileLength < expected || fileLength > expected + 2) return DbfStatus::Damaged;
    // A header too short for its fixed part, or records without even their
    // deletion flag, cannot be a table (and would let a count of billions pass
    // the length rule).
    if (table.headerLength < kDbfPrefixSize + 1 || table.recordLength < 1 ||
        table.recordCount > static_cast<uint32_t>(INT32_MAX))
        return DbfStatus::Damaged;

    const int columns = (table.headerLength - kDbfPrefixSize - 1) / kDbfDescriptorSize;
    if (columns > kDbfMaxColumns) return DbfStatus::TooManyColumns;
    if (size < static_cast<size_t>(kDbfPrefixSize + columns * kDbfDescriptorSize))
        return DbfStatus::Damaged;

    unsigned start = 0;
    for (int c = 0; c < columns; ++c) {
        const unsigned char* d = bytes + kDbfPrefixSize + c * kDbfDescriptorSize;
        DbfColumn& column = table.columns[static_cast<size_t>(c)];
        char name[11];
        std::memcpy(name, d, sizeof name);
        const size_t n = strnlen(name, sizeof name);
        oemToAnsi(name, n);
        column.name.assign(name, n);
        column.type = d[11];
        column.length = d[16];
        column.start = static_cast<uint16_t>(start);
        start += column.length;
    }
    // Every cell must lie inside its record, or reading it would run past it.
    if (start + 1 > table.recordLength) return DbfStatus::Damaged;
    table.columnCount = columns;
    return DbfStatus::Ok;
}

DbfStatus readDbfHeader(const std::string& path, DbfTable& table, WriteError* openCause) {
    table.path = path;
    table.columnCount = 0;
    (void)recoverFile(path);
    std::unique_ptr<File> file = fileSystem().open(path, OpenMode::ReadShared, openCause);
    if (!file) return DbfStatus::CannotOpen;
    const int64_t length = file->length();
    // The largest header a 16-bit length allows.
    std::vector<unsigned char> head(static_cast<size_t>(length < 65535 ? length : 65535));
    if (length < 0 || !file->seek(0) || !file->readExact(head.data(), int64_t(head.size())))
        return DbfStatus::CannotOpen;
    return parseDbfHeader(head.data(), head.size(), length, table);
}

std::string dbfStatusMessage(DbfStatus status, const std::string& path) {
    switch (status) {
    case DbfStatus::Ok:
        return {};
    case DbfStatus::CannotOpen:
        return "Ошибка при открытии файла " + path;
    case DbfStatus::Damaged:
        return "Файл поврежден или не является Data Base файлом";
    case DbfStatus::TooManyColumns:
        return "Слишком много столбцов";
    }
    return {};
}

} // namespace talsk
