#include "base/legacy_12.h"

#include "base/base_file.h"
#include "base/legacy_records.h"
#include "base/legacy_scramble.h"
#include "base/load_status.h"
#include "platform/atomic_write.h"
#include "platform/little_endian.h"

#include <cstring>

namespace talsk {

namespace {

constexpr int kLeadSize12 = 10;
constexpr int kHeaderOffset12 = 10;
constexpr int kHeaderSize12 = 96;
constexpr int kDescriptorSize12 = 32;
constexpr int kTextOffset12 = 106;
constexpr unsigned char kMarkers[3] = {7, 6, 3};
constexpr unsigned char kSeparator12[4] = {0x01, 0x02, 0x02, 0x01};
constexpr uint8_t kUserKey = 0;
constexpr uint8_t kBuiltinKey = 1;
// Longest packed record of either table, rounded up as the format has it.
constexpr int64_t kMaxRecordBytes = 332;

struct LeadFlags {
    bool scrambled = false;
    bool userKey = false;
};

bool readHeaderAndFlags(File& file, PhoneBase& base, LeadFlags& flags) {
    const int64_t length = file.length();
    if (length < 0) {
        base.status = StatusCannotOpen;
        return false;
    }
    const int64_t dataSize = length - kLeadSize12;
    base.dataSize = dataSize < 0           ? 0
                    : dataSize > INT32_MAX ? INT32_MAX
                                           : static_cast<int32_t>(dataSize);
    if (dataSize <= 10) {
        base.status = StatusNoData;
        return false;
    }
    unsigned char lead[kLeadSize12];
    if (!file.seek(0) || !file.readExact(lead, kLeadSize12)) {
        base.status = StatusCannotOpen;
        return false;
    }
    base.version = getU16(lead);
    base.flagByte = lead[2];
    if (base.version != kVersion12) {
        base.status = StatusVersionMismatch;
        return false;
    }
    base.status = StatusHeaderInvalid;
    if (lead[3] > 1 || lead[4] > kBuiltinKey) return false;
    flags.scrambled = lead[3] == 1;
    flags.userKey = lead[4] == kUserKey;
    base.keyed = flags.scrambled && flags.userKey ? 1 : 0;

    unsigned char header[kHeaderSize12];
    if (!file.seek(kHeaderOffset12) || !file.readExact(header, kHeaderSize12)) return false;
    scrambleBlocks(header, kHeaderSize12, kHeaderSize12,
                   builtinScrambleKey(BuiltinScrambleKey::Header12), LegacyVersion::V12, true);
    int64_t textTotal = 0;
    bool ok = true;
    for (int k = 0; k < 3; ++k) {
        const unsigned char* d = header + k * kDescriptorSize12;
        BaseTable& t = base.tables[static_cast<size_t>(k)];
        t.count = getI32(d);
        t.created = getBaseDate(d + 5);
        t.updated = getBaseDate(d + 9);
        if (k == 2) break; // the third table holds no data
        t.textSize = getI32(d + 13);
        const int64_t minRecord = k == 0 ? 7 : 6;
        ok = ok && d[4] == kMarkers[k] && t.count >= 0 && t.textSize >= 0 &&
             t.textSize <= kMaxRecordBytes * t.count && t.count <= t.textSize / minRecord;
        textTotal += t.textSize;
    }
    if (!ok || textTotal > dataSize) return false;
    base.status = StatusVersionMismatch;
    return true;
}

bool readTable(File& file, BaseTable& t, TableKind kind, int64_t offset, bool scrambled,
               const ScrambleKey& key) {
    const auto size = static_cast<size_t>(t.textSize);
    if (!t.text.resize(size + 1) ||
        !t.index.resizeZeroed((static_cast<size_t>(t.count) + 1) * sizeof(RecordIndexEntry)))
        return false;
    auto* bytes = reinterpret_cast<unsigned char*>(t.text.data());
    if (!file.seek(offset) || !file.readExact(bytes, static_cast<int64_t>(size))) return false;
    bytes[size] = 0;
    if (scrambled)
        scrambleBlocks(bytes, size, static_cast<uint32_t>(size), key, LegacyVersion::V12, true);
    return indexLegacy12Table(t, kind);
}

} // namespace

bool readLegacy12Header(File& file, PhoneBase& base) {
    LeadFlags flags;
    return readHeaderAndFlags(file, base, flags);
}

bool readLegacy12(File& file, const std::string& typedKey, PhoneBase& base) {
    LeadFlags flags;
    if (!readHeaderAndFlags(file, base, flags)) return false;
    if (base.keyed && typedKey.empty()) {
        base.status = StatusKeyMissing;
        return false;
    }
    const ScrambleKey key =
        flags.userKey ? scrambleKeyOf(typedKey) : builtinScrambleKey(BuiltinScrambleKey::Body12);
    const int64_t offsets[kLegacy12TableCount] = {kTextOffset12,
                                                  kTextOffset12 + 4 + base.tables[0].textSize};
    bool anyFailed = false;
    bool anyLoadedWithRecords = false;
    for (int k = 0; k < kLegacy12TableCount; ++k) {
        BaseTable& t = base.tables[static_cast<size_t>(k)];
        t.release();
        if (t.count < 1) {
            t.loaded = 1;
            continue;
        }
        if (readTable(file, t, static_cast<TableKind>(k), offsets[k], flags.scrambled, key)) {
            t.loaded = 1;
            anyLoadedWithRecords = true;
        } else {
            t.release();
            t.count = 0;
            t.loaded = 0;
            anyFailed = true;
        }
    }
    if (!anyFailed) return true;
    base.readOnly = 1;
    base.status = anyLoadedWithRecords ? StatusReadOnlyIncomplete : StatusLoadFailed;
    return false;
}

bool buildLegacy12Image(const Legacy12Table (&tables)[kLegacy12TableCount], bool keyed,
                        const std::string& typedKey, std::vector<unsigned char>& image) {
    if (keyed && typedKey.empty()) return false;
    const ScrambleKey key =
        keyed ? scrambleKeyOf(typedKey) : builtinScrambleKey(BuiltinScrambleKey::Body12);
    // A text whose length gives the scrambling a distance of 0 could not be
    // read back: it gets one more zero byte after its last record, which the
    // reader ignores. A key that gives a distance of 0 at every length is
    // refused.
    std::string texts[kLegacy12TableCount];
    for (int k = 0; k < kLegacy12TableCount; ++k) {
        const Legacy12Table& t = tables[k];
        if (t.count < 0 || (t.count == 0) != t.text.empty() ||
            t.text.size() > static_cast<size_t>(INT32_MAX / 2))
            return false;
        texts[k] = t.text;
        if (!texts[k].empty() && !scrambleIsReversible(key, static_cast<uint32_t>(texts[k].size())))
            texts[k] += '\0';
        if (!texts[k].empty() && !scrambleIsReversible(key, static_cast<uint32_t>(texts[k].size())))
            return false;
    }

    image.assign(kTextOffset12, 0);
    putU16(image.data(), kVersion12);
    image[2] = kLegacy12TableCount;
    image[3] = 1; // always scrambled
    image[4] = keyed ? kUserKey : kBuiltinKey;
    unsigned char* header = image.data() + kHeaderOffset12;
    for (int k = 0; k < 3; ++k) {
        unsigned char* d = header + k * kDescriptorSize12;
        d[4] = kMarkers[k];
        if (k == 2) break;
        putI32(d, tables[k].count);
        putBaseDate(d + 5, tables[k].created);
        putBaseDate(d + 9, tables[k].updated);
        putI32(d + 13, static_cast<int32_t>(texts[k].size()));
    }
    scrambleBlocks(header, kHeaderSize12, kHeaderSize12,
                   builtinScrambleKey(BuiltinScrambleKey::Header12), LegacyVersion::V12, false);
    for (int k = 0; k < kLegacy12TableCount; ++k) {
        const size_t at = image.size();
        image.insert(image.end(), texts[k].begin(), texts[k].end());
        scrambleBlocks(image.data() + at, texts[k].size(), static_cast<uint32_t>(texts[k].size()),
                       key, LegacyVersion::V12, false);
        image.insert(image.end(), kSeparator12, kSeparator12 + 4);
    }
    image.insert(image.end(), kSeparator12, kSeparator12 + 4);
    return true;
}

bool writeLegacy12(const std::string& path, const Legacy12Table (&tables)[kLegacy12TableCount],
                   bool keyed, const std::string& typedKey, std::unique_ptr<File>& held,
                   WriteError* cause) {
    reportWriteError(WriteError::None, cause);
    std::vector<unsigned char> image;
    if (!buildLegacy12Image(tables, keyed, typedKey, image)) return false;
    return writeFileImage(path, image.data(), static_cast<int64_t>(image.size()), held, cause);
}

} // namespace talsk
