#pragma once
// Base files of version 1.0: a 7-byte lead and a body scrambled as a whole,
// which holds a 26-byte header, then the population and the organization
// records. Such files are only read, for display and conversion.

#include "base/legacy_records.h"
#include "base/records.h"
#include "platform/file.h"

#include <cstdint>
#include <string>
#include <vector>

namespace talsk {

constexpr int kLegacy10LeadSize = 7;
constexpr int kLegacy10HeaderSize = 26;

// The lead's key kind byte.
constexpr uint8_t kLegacyUserKey = 0;
constexpr uint8_t kLegacyBuiltinKey = 1;

// Reads the lead and, for display, the body header: version, keyed, the two
// tables' counts and dates. Only the blocks that cover the header are read
// and unscrambled. A file scrambled with a user key cannot show its header
// without that key: it reads as keyed with no counts. Status 7 on success,
// 5 when the header checks fail.
[[nodiscard]] bool readLegacy10Header(File& file, PhoneBase& base);

struct Legacy10Body {
    std::vector<unsigned char> bytes; // unscrambled, header included
    int32_t count[2] = {};
    BaseDate created[2];
    BaseDate updated[2];
};

// Reads and unscrambles the whole body with the typed key (used when the
// lead says the file has a user key) and checks its header. On failure
// status is 6 (keyed file, no key given) or 5 (header checks failed, which is
// also how a wrong key shows).
[[nodiscard]] bool readLegacy10Body(File& file, const std::string& typedKey, Legacy10Body& body,
                                    int32_t& status);

// Visits every record of a body, population first, one record reader call
// per record. False when a record cannot be parsed (a damaged body).
template <typename Visit> bool walkLegacy10Body(const Legacy10Body& body, Visit&& visit) {
    const unsigned char* bytes = body.bytes.data();
    const size_t size = body.bytes.size();
    size_t pos = kLegacy10HeaderSize;
    LegacyRecord record;
    for (int k = 0; k < 2; ++k) {
        const TableKind kind = static_cast<TableKind>(k);
        for (int32_t i = 0; i < body.count[k]; ++i) {
            const int64_t last = kind == TableKind::Population
                                     ? readLegacy10Population(bytes, size, pos, record)
                                     : readLegacy10Organization(bytes, size, pos, record);
            if (last < 0) return false;
            pos = static_cast<size_t>(last) + 1;
            visit(kind, record);
        }
    }
    return true;
}

} // namespace talsk
