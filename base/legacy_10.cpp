#include "base/legacy_10.h"

#include "base/base_file.h"
#include "base/legacy_scramble.h"
#include "base/load_status.h"
#include "platform/little_endian.h"

#include <algorithm>
#include <climits>

namespace talsk {

namespace {

constexpr uint8_t kMarkerPopulation = 7;
constexpr uint8_t kMarkerOrganizations = 6;

struct Lead {
    uint16_t version = 0;
    uint8_t keyKind = 0;
    int64_t bodyLength = 0;
};

// Reads the lead; false when the file cannot hold a body header.
bool readLead(File& file, Lead& lead) {
    const int64_t length = file.length();
    unsigned char bytes[kLegacy10LeadSize];
    if (length < kLegacy10LeadSize + kLegacy10HeaderSize ||
        length - kLegacy10LeadSize > INT32_MAX || !file.seek(0) ||
        !file.readExact(bytes, kLegacy10LeadSize))
        return false;
    lead.version = getU16(bytes);
    lead.keyKind = bytes[2];
    lead.bodyLength = length - kLegacy10LeadSize;
    return (lead.version == kVersion10a || lead.version == kVersion10b) &&
           (lead.keyKind == kLegacyUserKey || lead.keyKind == kLegacyBuiltinKey);
}

// Parses and checks the body header; n is the body length.
bool parseHeader(const unsigned char* h, int64_t n, Legacy10Body& out) {
    for (int k = 0; k < 2; ++k) {
        const unsigned char* d = h + 13 * k;
        out.created[k] = getBaseDate(d);
        out.updated[k] = getBaseDate(d + 4);
        out.count[k] = getI32(d + 8);
    }
    if (h[12] != kMarkerPopulation || h[25] != kMarkerOrganizations) return false;
    // Every record takes at least 7 (population) or 6 (organizations) bytes.
    // Empty tables pass even in a body that holds the header alone.
    const int64_t room = n - 33;
    for (int k = 0; k < 2; ++k) {
        const int32_t c = out.count[k];
        if (c < 0 || (c > 0 && room / (k == 0 ? 7 : 6) < c)) return false;
    }
    return true;
}

} // namespace

bool readLegacy10Header(File& file, PhoneBase& base) {
    Lead lead;
    if (!readLead(file, lead)) {
        base.status = StatusLoadFailed;
        return false;
    }
    base.version = lead.version;
    base.dataSize = static_cast<int32_t>(lead.bodyLength);
    base.status = StatusVersionMismatch;
    if (lead.keyKind == kLegacyUserKey) {
        base.keyed = 1;
        return true;
    }
    const ScrambleKey key = builtinScrambleKey(BuiltinScrambleKey::Body10);
    const auto n = static_cast<uint32_t>(lead.bodyLength);
    // The blocks that cover the header: usually the first one alone.
    const uint32_t block = scrambleBlockSize(key, LegacyVersion::V10);
    const uint32_t cover = (kLegacy10HeaderSize + block - 1) / block * block;
    std::vector<unsigned char> start(std::min(n, cover));
    if (!file.seek(kLegacy10LeadSize) ||
        !file.readExact(start.data(), static_cast<int64_t>(start.size()))) {
        base.status = StatusLoadFailed;
        return false;
    }
    scrambleBlocks(start.data(), start.size(), n, key, LegacyVersion::V10, true);
    Legacy10Body header;
    if (!parseHeader(start.data(), lead.bodyLength, header)) {
        base.status = StatusLoadFailed;
        return false;
    }
    for (int k = 0; k < 2; ++k) {
        BaseTable& t = base.tables[static_cast<size_t>(k)];
        t.count = header.count[k];
        t.created = header.created[k];
        t.updated = header.updated[k];
    }
    return true;
}

bool readLegacy10Body(File& file, const std::string& typedKey, Legacy10Body& body,
                      int32_t& status) {
    body = Legacy10Body{};
    Lead lead;
    if (!readLead(file, lead)) {
        status = StatusLoadFailed;
        return false;
    }
    if (lead.keyKind == kLegacyUserKey && typedKey.empty()) {
        status = StatusKeyMissing;
        return false;
    }
    const ScrambleKey key = lead.keyKind == kLegacyUserKey
                                ? scrambleKeyOf(typedKey)
                                : builtinScrambleKey(BuiltinScrambleKey::Body10);
    const auto n = static_cast<uint32_t>(lead.bodyLength);
    body.bytes.resize(n);
    if (!file.seek(kLegacy10LeadSize) || !file.readExact(body.bytes.data(), n)) {
        body.bytes.clear();
        status = StatusLoadFailed;
        return false;
    }
    scrambleBlocks(body.bytes.data(), n, n, key, LegacyVersion::V10, true);
    if (!parseHeader(body.bytes.data(), lead.bodyLength, body)) {
        body.bytes.clear();
        status = StatusLoadFailed;
        return false;
    }
    status = StatusVersionMismatch;
    return true;
}

} // namespace talsk
