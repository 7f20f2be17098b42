#pragma once
// The ".btn" base file: a plain lead, a header block enciphered with built-in
// key 2, and the three tables as compressed blocks.

#include "base/records.h"

#include <cstdint>

namespace talsk {

constexpr uint16_t kVersion20 = 0x0201;
constexpr uint16_t kVersion20b = 0x0200;
constexpr uint16_t kVersion10a = 0x0100;
constexpr uint16_t kVersion10b = 0x0101;
constexpr uint16_t kVersion12 = 0x0120;

constexpr int kLeadSize = 10;
constexpr int kHeaderBlockSize = 96;
constexpr int kDescriptorSize = 32;
constexpr int kFirstBlockOffset = 106;
constexpr unsigned char kSeparator[4] = {0x01, 0x02, 0x02, 0x01};

// "Версия 2.0", "Версия 2.0b", "Версия 1.0", "Версия 1.2" or "Неверный формат".
const char* versionName(uint16_t version);

// How a base file is opened from disk.
enum class BaseAccess {
    Writer, // as the program connects it: held with the writer lock when the file allows
    Reader, // only read: never locks a writer out; the base is read-only
};

struct HeaderOptions {
    bool fromDisk = true;  // open the base's file; otherwise read the file it holds
    bool allow20b = false; // version 2.0b passes too (status stays 7)
    BaseAccess access = BaseAccess::Writer;
};

// Opens (fromDisk) and checks the lead and header; fills version, flagByte,
// keyed, dataSize and the table descriptors. Returns connected; on failure
// the status says why and a file it opened is closed again.
[[nodiscard]] bool readHeader(PhoneBase& base, const HeaderOptions& options = {});
// Reads, unpacks and indexes the masked tables. Returns connected, or for a
// one-table mask whether that table is loaded. decodeThreads: threads a
// table's chunks are decoded on; 0: decodeThreadsForLoading(). Without
// pairFilters the tables' pair filters are left to be built later.
[[nodiscard]] bool loadTables(PhoneBase& base, TableMask mask, int decodeThreads = 0,
                              bool pairFilters = true);
// Re-indexes the masked tables, then (unless validate only) rewrites the
// whole file. The previous file stays intact when anything fails. When
// writing failed, *cause (if given) says why; it is None when the records
// were refused and nothing was written.
[[nodiscard]] bool saveBase(PhoneBase& base, TableMask mask, WriteError* cause = nullptr);
// The 10 lead bytes: version 2.0, the base's flagByte and keyed flag, zeros.
[[nodiscard]] bool writeLeadBytes(File& file, const PhoneBase& base);

} // namespace talsk
