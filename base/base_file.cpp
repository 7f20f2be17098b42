#include "base/base_file.h"

#include "base/cipher.h"
#include "base/codec.h"
#include "base/load_status.h"
#include "platform/atomic_write.h"
#include "platform/journal.h"
#include "platform/little_endian.h"
#include "platform/memory_file.h"

#include <cstring>

namespace talsk {

namespace {

void closeIfOpened(PhoneBase& base, bool opened) {
    if (opened && base.file) {
        base.file->close();
        base.file.reset();
    }
}

// Each table either has no records or is not loaded.
bool noTableWithRecordsLoaded(const PhoneBase& base) {
    for (const BaseTable& t : base.tables)
        if (t.count != 0 && t.loaded) return false;
    return true;
}

void buildLead(unsigned char* lead, uint16_t version, uint8_t flagByte, uint8_t keyed) {
    std::memset(lead, 0, kLeadSize);
    putU16(lead, version);
    lead[2] = flagByte;
    lead[3] = keyed;
}

} // namespace

const char* versionName(uint16_t version) {
    switch (version) {
    case kVersion20:
        return "Версия 2.0";
    case kVersion20b:
        return "Версия 2.0b";
    case kVersion10a:
    case kVersion10b:
        return "Версия 1.0";
    case kVersion12:
        return "Версия 1.2";
    default:
        return "Неверный формат";
    }
}

namespace {

// The steps of reading a header. Each returns the status that ends the read,
// or 0 to go on; a step may leave a status that does not end it (read-only,
// an allowed 2.0b).
int32_t openFile(PhoneBase& base, BaseAccess access) {
    base.readOnly = 0;
    base.openCause = WriteError::None;
    FileSystem& fs = fileSystem();
    const std::string path = filePathOf(base);
    const FileAttributes a = fs.attributes(path);
    // A folder named like a base file keeps the status of a missing file,
    // and the message says what it is.
    if (a.directory) base.openCause = WriteError::IsFolder;
    if (!a.exists || a.directory) return StatusNotFound;
    if (base.file) base.file->close();
    base.file.reset();
    // A save of it that was cut short is undone before anything reads it.
    (void)recoverFile(path);
    const bool writer = access == BaseAccess::Writer;
    if (writer && !a.readOnly) base.file = fs.open(path, OpenMode::ReadWriteExclusive);
    if (base.file) {
        // Saves of this file that were killed left their temporary files.
        fs.removeStaleTemps(fs.resolve(path));
        return 0;
    }
    base.file = fs.open(path, OpenMode::ReadShared, &base.openCause);
    if (!base.file) return StatusCannotOpen;
    base.readOnly = 1;
    // A reader did not ask for the lock: the file is not busy for it.
    if (a.readOnly)
        base.status = StatusReadOnlyAttribute;
    else if (writer)
        base.status = StatusReadOnlyBusy;
    return 0;
}

int32_t readLead(PhoneBase& base, bool allow20b) {
    if (!base.file || !base.file->isOpen()) return StatusCannotOpen;
    File& f = *base.file;
    const int64_t length = f.length();
    const int64_t dataSize = length - kLeadSize;
    if (length < 0 || dataSize <= 10) {
        base.dataSize = dataSize < 0 ? 0 : static_cast<int32_t>(dataSize);
        return StatusNoData;
    }
    base.dataSize = dataSize > INT32_MAX ? INT32_MAX : static_cast<int32_t>(dataSize);
    unsigned char lead[kLeadSize];
    if (!f.seek(0) || !f.readExact(lead, kLeadSize)) return StatusCannotOpen;
    base.version = getU16(lead);
    base.flagByte = lead[2];
    base.keyed = lead[3];
    if (base.version == kVersion20) return 0;
    const uint16_t v = base.version;
    const bool older = v == kVersion10a || v == kVersion10b || v == kVersion12 || v == kVersion20b;
    base.status = older ? StatusVersionMismatch : StatusUnknownFormat;
    return v == kVersion20b && allow20b ? 0 : base.status;
}

// Deciphers the descriptors; a table whose numbers cannot be true is marked
// not loaded, and the whole header fails.
int32_t readDescriptors(PhoneBase& base) {
    unsigned char header[kHeaderBlockSize];
    File& f = *base.file;
    if (!f.seek(kLeadSize) || !f.readExact(header, kHeaderBlockSize)) return StatusHeaderInvalid;
    char key2[33];
    makeBuiltinKey(2, key2);
    decipher(header, kHeaderBlockSize, key2);
    int64_t storedTotal = 0;
    bool plausible = true;
    for (int k = 0; k < kTableCount; ++k) {
        BaseTable& t = base.tables[static_cast<size_t>(k)];
        const unsigned char* d = header + k * kDescriptorSize;
        t.count = getI32(d);
        t.created = getBaseDate(d + 4);
        t.updated = getBaseDate(d + 8);
        t.textSize = getI32(d + 12);
        t.chunkSize = getI32(d + 16);
        t.storedSize = getI32(d + 20);
        if (!(t.textSize >= 0 && t.count >= 0 && int64_t(t.textSize) <= int64_t(424) * t.count &&
              t.textSize / 7 >= t.count && t.storedSize >= 0)) {
            t.loaded = 0;
            plausible = false;
        }
        storedTotal += t.storedSize;
    }
    return plausible && base.dataSize >= storedTotal ? 0 : StatusHeaderInvalid;
}

} // namespace

bool readHeader(PhoneBase& base, const HeaderOptions& options) {
    base.connected = 1;
    for (BaseTable& t : base.tables)
        t.loaded = 1;
    base.status = 0;
    int32_t failure = options.fromDisk ? openFile(base, options.access) : 0;
    if (failure == 0) failure = readLead(base, options.allow20b);
    if (failure == 0) failure = readDescriptors(base);
    if (failure == 0) return true;
    base.status = failure;
    base.connected = 0;
    closeIfOpened(base, options.fromDisk);
    return false;
}

bool loadTables(PhoneBase& base, TableMask mask, int decodeThreads, bool pairFilters) {
    if (decodeThreads <= 0) decodeThreads = decodeThreadsForLoading();
    const int64_t s0 = base.tables[0].storedSize;
    const int64_t s1 = base.tables[1].storedSize;
    const int64_t offsets[kTableCount] = {kFirstBlockOffset, s0 + 110, s0 + s1 + 114};
    const FieldOrder& order = base.version == kVersion20b ? kFieldOrder20b : kFieldOrder20;
    for (int k = 0; k < kTableCount; ++k) {
        BaseTable& t = base.tables[static_cast<size_t>(k)];
        t.fileOffset = offsets[k] > INT32_MAX ? INT32_MAX : static_cast<int32_t>(offsets[k]);
        if (!(mask & tableMaskOf(static_cast<TableKind>(k)))) continue;
        t.release();
        if (t.count < 1) {
            t.loaded = 1;
            continue;
        }
        bool ok = base.file && base.file->isOpen();
        // Every coded byte carries at least one bit: a larger claim is damage,
        // and must not make us allocate for it.
        ok = ok && int64_t(t.textSize) <= int64_t(t.storedSize) * 8;
        ok = ok &&
             t.index.resizeZeroed((static_cast<size_t>(t.count) + 1) * sizeof(RecordIndexEntry));
        ok = ok && base.file->seek(offsets[k]);
        ok =
            ok && unpackTable(*base.file, base.key, t.textSize, t.chunkSize, t.text, decodeThreads);
        ok = ok && indexTable(t, order, pairFilters);
        if (ok) {
            t.loaded = 1;
        } else {
            t.release();
            t.count = 0;
            t.loaded = 0;
            base.readOnly = 1;
            base.status = StatusReadOnlyIncomplete;
        }
    }
    if (mask & kMaskAllTables) {
        const bool allLoaded =
            base.tables[0].loaded && base.tables[1].loaded && base.tables[2].loaded;
        const bool noneLoaded =
            !base.tables[0].loaded && !base.tables[1].loaded && !base.tables[2].loaded;
        if (allLoaded) {
            if (base.status == 0) base.status = StatusConnected;
            base.connected = 1;
        }
        if (base.readOnly && base.status == StatusReadOnlyIncomplete &&
            noTableWithRecordsLoaded(base)) {
            base.connected = 0;
            base.status = StatusLoadFailed;
        }
        if (noneLoaded) {
            base.connected = 0;
            base.status = StatusLoadFailed;
        }
        if ((!base.connected || base.readOnly) && base.file) {
            base.file->close();
            base.file.reset();
        }
    }
    for (int k = 0; k < kTableCount; ++k)
        if (mask == tableMaskOf(static_cast<TableKind>(k)))
            return base.tables[static_cast<size_t>(k)].loaded;
    return base.connected;
}

bool writeLeadBytes(File& file, const PhoneBase& base) {
    unsigned char lead[kLeadSize];
    buildLead(lead, kVersion20, base.flagByte, base.keyed);
    return file.seek(0) && file.write(lead, kLeadSize);
}

bool saveBase(PhoneBase& base, TableMask mask, WriteError* cause) {
    reportWriteError(WriteError::None, cause);
    if (!base.keyed)
        base.key.clear();
    else if (base.key.empty())
        base.keyed = 0;
    // A table that failed to load keeps its size but has no pool: writing the
    // file would lose its records, so the save is refused. Re-indexing would
    // count such a table as empty, so it is left as it is.
    auto recordsMissing = [](const BaseTable& t) {
        return t.textSize < 0 ||
               (t.textSize > 0 && t.text.size() < static_cast<size_t>(t.textSize));
    };
    for (int k = 0; k < kTableCount; ++k) {
        BaseTable& t = base.tables[static_cast<size_t>(k)];
        if (!(mask & tableMaskOf(static_cast<TableKind>(k)))) continue;
        if (t.count == 0 && recordsMissing(t)) continue;
        if (!indexTable(t)) return false;
    }
    if (mask & kMaskValidateOnly) return true;
    for (const BaseTable& t : base.tables)
        if (recordsMissing(t)) return false;

    // The whole new file is built in memory first.
    MemoryFile image;
    image.bytes().reserve(static_cast<size_t>(kFirstBlockOffset) +
                          static_cast<size_t>(base.tables[0].textSize) / 2 +
                          static_cast<size_t>(base.tables[1].textSize) / 2 +
                          static_cast<size_t>(base.tables[2].textSize) / 2 + 64);
    image.bytes().resize(kFirstBlockOffset);
    image.seek(kFirstBlockOffset);
    int32_t stored[kTableCount];
    for (int k = 0; k < kTableCount; ++k) {
        const BaseTable& t = base.tables[static_cast<size_t>(k)];
        const int64_t written = packTable(image, base.key, t.text.data(), t.textSize);
        if (written < 0 || written > INT32_MAX) return false;
        stored[k] = static_cast<int32_t>(written);
        image.write(kSeparator, sizeof kSeparator);
    }
    if (image.bytes().size() > static_cast<size_t>(INT32_MAX)) return false;
    unsigned char* bytes = image.bytes().data();
    buildLead(bytes, kVersion20, 3, base.keyed);
    unsigned char* header = bytes + kLeadSize;
    std::memset(header, 0, kHeaderBlockSize);
    for (int k = 0; k < kTableCount; ++k) {
        const BaseTable& t = base.tables[static_cast<size_t>(k)];
        unsigned char* d = header + k * kDescriptorSize;
        putI32(d, t.count);
        putBaseDate(d + 4, t.created);
        putBaseDate(d + 8, t.updated);
        putI32(d + 12, t.textSize);
        putI32(d + 16, kChunkSize);
        putI32(d + 20, stored[k]);
    }
    char key2[33];
    makeBuiltinKey(2, key2);
    encipher(header, kHeaderBlockSize, key2);
    if (!writeFileImage(filePathOf(base), image.bytes().data(),
                        static_cast<int64_t>(image.bytes().size()), base.file, cause))
        return false;

    int64_t offset = kFirstBlockOffset;
    for (int k = 0; k < kTableCount; ++k) {
        BaseTable& t = base.tables[static_cast<size_t>(k)];
        t.chunkSize = kChunkSize;
        t.storedSize = stored[k];
        t.fileOffset = static_cast<int32_t>(offset);
        offset += stored[k] + 4;
    }
    base.flagByte = 3;
    base.version = kVersion20;
    base.dataSize =
        base.tables[0].textSize + base.tables[1].textSize + base.tables[2].textSize + 108;
    return true;
}

} // namespace talsk
