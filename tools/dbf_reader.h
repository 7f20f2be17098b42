#pragma once
// The header of a dBASE III table (".dbf"): its date, record count and
// lengths, and the column descriptors. Every number is checked against the
// file's real length before it is used, so a damaged or foreign file is
// refused instead of read past its end.

#include "base/records.h"

#include <array>
#include <cstdint>
#include <string>

namespace talsk {

constexpr int kDbfMaxColumns = 32;
constexpr int kDbfPrefixSize = 32;     // the fixed part before the descriptors
constexpr int kDbfDescriptorSize = 32; // one per column

struct DbfColumn {
    std::string name; // Windows-1251, converted from OEM, at most 11 characters
    uint8_t type = 0; // read, not used
    uint8_t length = 0;
    uint16_t start = 0; // within the record's data, after its deletion flag
};

struct DbfTable {
    std::string path;
    uint8_t year = 0; // as stored: 1..255 is 1901..2155, 0 is no date
    uint8_t month = 0;
    uint8_t day = 0;
    uint32_t recordCount = 0;
    uint16_t headerLength = 0;
    uint16_t recordLength = 0;
    int columnCount = 0;
    std::array<DbfColumn, kDbfMaxColumns> columns;

    // The date of last update as a base date; all zero when there is none.
    BaseDate date() const;
};

enum class DbfStatus {
    Ok,
    CannotOpen, // "Ошибка при открытии файла " + path
    Damaged,    // "Файл поврежден или не является Data Base файлом"
    TooManyColumns, // "Слишком много столбцов"
};

// Parses the header bytes (at least the whole header when the file holds it)
// of a file of fileLength bytes.
[[nodiscard]] DbfStatus parseDbfHeader(const unsigned char* bytes, size_t size, int64_t fileLength,
                                       DbfTable& table);
// Opens the file and reads its header; table.path is set to path.
// `openCause`, when given, says why a file that did not open did not.
[[nodiscard]] DbfStatus readDbfHeader(const std::string& path, DbfTable& table,
                                      WriteError* openCause = nullptr);

// The message box text of a status (UTF-8); the path is Windows-1251.
std::string dbfStatusMessage(DbfStatus status, const std::string& path);

} // namespace talsk
