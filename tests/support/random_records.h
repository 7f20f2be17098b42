#pragma once
// Deterministic random records and helpers to compare tables with them.

#include "base/records.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace talsk::test {

using RecordTexts = std::array<std::string, kFieldCount>; // fields 1..7 at 0..6

class RecordGenerator {
public:
    explicit RecordGenerator(uint64_t seed) : state_(seed) {}
    uint64_t next();
    int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
    // Any bytes but zero; empty and full-length texts come often.
    std::string text(int maxLength);
    // A record of the table's shape: the fields it does not use stay empty.
    RecordTexts record(TableKind kind);
    std::string key(int length); // a file key: bytes 1..255

private:
    uint64_t state_;
};

RecordFields toFields(const RecordTexts& texts);
RecordTexts textsOf(const BaseTable& table, int32_t i);

// Replaces the table's records by these (packed back to back, then indexed).
bool buildTable(BaseTable& table, const std::vector<RecordTexts>& records);
std::vector<RecordTexts> randomRecords(RecordGenerator& gen, TableKind kind, int count);

} // namespace talsk::test
