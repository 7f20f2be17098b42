// Reads a dBASE table of arbitrary bytes as the import does: the header
// checks, then every record through a mapping that takes every column, joined.
// Whatever the bytes, no read may leave the file and no field its limit.

#include "tools/dbf_import.h"
#include "tools/dbf_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace talsk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DbfTable table;
    if (parseDbfHeader(data, size, int64_t(size), table) != DbfStatus::Ok) return 0;
    if (table.headerLength + uint64_t(table.recordCount) * table.recordLength > size)
        __builtin_trap();
    for (int c = 0; c < table.columnCount; ++c) {
        const DbfColumn& column = table.columns[static_cast<size_t>(c)];
        if (column.start + column.length + 1u > table.recordLength) __builtin_trap();
    }
    DbfTableJob job;
    job.join = true;
    job.skipText = "a;;b;-";
    for (int k = 0; k < kFieldCount; ++k)
        for (int p = 0; p < 3; ++p)
            job.fields[static_cast<size_t>(k)].column[static_cast<size_t>(p)] =
                static_cast<uint8_t>((k * 3 + p) % (table.columnCount + 1));
    for (int kind = 0; kind < kTableCount; ++kind) {
        const DbfRecordBuilder builder(static_cast<TableKind>(kind), table, job);
        RecordFields fields;
        // A few records are enough to cover the cell handling.
        const uint32_t records = table.recordCount < 64 ? table.recordCount : 64;
        for (uint32_t r = 0; r < records; ++r) {
            builder.build(reinterpret_cast<const char*>(data) + table.headerLength +
                              size_t(r) * table.recordLength,
                          fields);
            for (int k = 1; k <= kFieldCount; ++k)
                if (strnlen(fields.field(k), size_t(RecordFields::capacity(k))) >
                    size_t(kFieldMax[static_cast<size_t>(k)]))
                    __builtin_trap();
        }
    }
    return 0;
}
