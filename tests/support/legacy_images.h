#pragma once
// File images of older versions for tests: version 1.0 (which the program
// only reads) and 2.0b, plus records within the legacy limits.

#include "base/legacy_records.h"
#include "base/records.h"
#include "support/base_fixtures.h"
#include "support/random_records.h"

#include <cstdint>
#include <string>
#include <vector>

namespace talsk::test {

struct Legacy10Content {
    std::vector<LegacyRecord> tables[2]; // population, organizations
    BaseDate created[2] = {{1998, 3, 4}, {1998, 5, 6}};
    BaseDate updated[2] = {{1999, 7, 8}, {1999, 9, 10}};
};

// A version 1.0 image: scrambled with the typed key when it is not empty,
// else with the built-in key. A body whose length would make the scrambling
// lose data gets one spare byte at its end.
std::vector<unsigned char> legacy10Image(const Legacy10Content& content,
                                         const std::string& typedKey, uint16_t version = 0x0100);

// Random 1.0 records: within the 1.0 limits, no zero and no 0x1E byte.
LegacyRecord randomLegacy10Record(RecordGenerator& gen, TableKind kind);

// A version 2.0b image of the content (fields stored 1, 5, 4, 3, 2, 6, 7).
std::vector<unsigned char> image20b(const BaseContent& content, const std::string& fileKey);

// Seven-field records that fit every version 1.2 limit, so that a trip
// through version 1.2 keeps them (organizations' units aside).
RecordTexts randomRecordWithin12(RecordGenerator& gen, TableKind kind);

} // namespace talsk::test
