#pragma once
// Writes dBASE III tables of text columns: the demo's sample tables and test
// files. Cells are given in Windows-1251 and stored in the OEM code page.

#include "base/records.h"
#include "platform/write_error.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talsk {

struct DbfWriterColumn {
    std::string name; // at most 10 characters (Windows-1251)
    uint8_t length = 0;
};

class DbfWriter {
public:
    // recordCount goes into the header as it is: the caller adds that many records.
    DbfWriter(std::vector<DbfWriterColumn> columns, uint32_t recordCount, const BaseDate& date);
    // One cell per column, cut or padded with spaces to its length; missing
    // cells are blank.
    void addRecord(const std::vector<std::string_view>& cells);
    // The whole file: header, records and the end-of-file byte.
    const std::string& bytes();

private:
    std::vector<DbfWriterColumn> columns_;
    uint16_t recordLength_ = 1;
    std::string bytes_;
    bool finished_ = false;
};

// Writes the file at once with the atomic writer.
[[nodiscard]] bool writeDbfFile(const std::string& path, DbfWriter& writer,
                                WriteError* cause = nullptr);

} // namespace talsk
