#include "tools/dbf_writer.h"

#include "platform/atomic_write.h"
#include "platform/little_endian.h"
#include "tools/dbf_reader.h"
#include "tools/oem_table.h"

#include <algorithm>

namespace talsk {

DbfWriter::DbfWriter(std::vector<DbfWriterColumn> columns, uint32_t recordCount,
                     const BaseDate& date)
    : columns_(std::move(columns)) {
    for (const DbfWriterColumn& c : columns_)
        recordLength_ = static_cast<uint16_t>(recordLength_ + c.length);
    const auto headerLength =
        static_cast<uint16_t>(kDbfPrefixSize + columns_.size() * kDbfDescriptorSize + 1);
    bytes_.reserve(headerLength + size_t(recordCount) * recordLength_ + 1);
    unsigned char prefix[kDbfPrefixSize] = {};
    prefix[0] = 0x03; // dBASE III without memo
    prefix[1] = static_cast<unsigned char>(date.year > 1900 ? date.year - 1900 : 0);
    prefix[2] = date.month;
    prefix[3] = date.day;
    putU32(prefix + 4, recordCount);
    putU16(prefix + 8, headerLength);
    putU16(prefix + 10, recordLength_);
    bytes_.append(reinterpret_cast<const char*>(prefix), sizeof prefix);
    for (const DbfWriterColumn& c : columns_) {
        char d[kDbfDescriptorSize] = {};
        std::copy_n(c.name.data(), std::min<size_t>(c.name.size(), 10), d);
        ansiToOem(d, 10);
        d[11] = 'C';
        d[16] = static_cast<char>(c.length);
        bytes_.append(d, sizeof d);
    }
    bytes_.push_back('\x0D');
}

void DbfWriter::addRecord(const std::vector<std::string_view>& cells) {
    bytes_.push_back(' '); // not deleted
    for (size_t c = 0; c < columns_.size(); ++c) {
        const size_t at = bytes_.size();
        const size_t length = columns_[c].length;
        const std::string_view cell = c < cells.size() ? cells[c] : std::string_view();
        const size_t n = std::min(cell.size(), length);
        bytes_.append(cell.data(), n);
        bytes_.append(length - n, ' ');
        ansiToOem(bytes_.data() + at, n);
    }
}

const std::string& DbfWriter::bytes() {
    if (!finished_) {
        bytes_.push_back('\x1A');
        finished_ = true;
    }
    return bytes_;
}

bool writeDbfFile(const std::string& path, DbfWriter& writer, WriteError* cause) {
    const std::string& b = writer.bytes();
    return writeFileAtomically(path, b.data(), b.size(), false, cause);
}

} // namespace talsk
