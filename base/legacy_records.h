#pragma once
// Records of base file versions 1.0 and 1.2 and their mapping to and from
// the seven-field record.
//
// Version 1.0 records are runs of fields each ended by the byte 0x1E;
// version 1.2 records are runs of zero-terminated fields. Both hold other
// fields, in another order and with other limits, than version 2.0.

#include "base/records.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace talsk {

// One legacy record by meaning. In an organization record `name` is the name
// or position; initials and apartment exist only in population records,
// organization only in organization records.
struct LegacyRecord {
    std::string phone;
    std::string name; // surname for the population
    std::string initials;
    std::string street;
    std::string house;
    std::string apartment;
    std::string organization;
    std::string comment;
};

constexpr unsigned char kLegacy10FieldEnd = 0x1E;

// Parses the 1.0 record starting at pos of body[0 .. size). Returns the
// position of the record's last 0x1E, or -1 when the body ends first or a
// field breaks its limit (or holds a zero byte, which no field can carry).
int64_t readLegacy10Population(const unsigned char* body, size_t size, size_t pos,
                               LegacyRecord& out);
int64_t readLegacy10Organization(const unsigned char* body, size_t size, size_t pos,
                                 LegacyRecord& out);

// Appends the record in 1.2 form; false when a field breaks its 1.2 limit.
[[nodiscard]] bool packLegacy12(const LegacyRecord& record, TableKind kind, std::string& text);

// Indexes a 1.2 table whose pool holds textSize bytes and whose index has
// room for count + 1 entries: each entry's offsets locate the record's
// fields in their 1.2 order. Bytes after the last record are allowed.
// False when a field breaks its limit or the pool ends inside a record.
[[nodiscard]] bool indexLegacy12Table(BaseTable& table, TableKind kind);
// Record i of a table indexed by indexLegacy12Table.
void legacy12Record(const BaseTable& table, TableKind kind, int32_t i, LegacyRecord& out);

// To the seven-field record: the population's name is the surname, then a
// blank and the initials when there are initials.
void legacyToFields(const LegacyRecord& record, TableKind kind, RecordFields& out);
// From the seven-field record to version 1.2: an organization's unit is
// joined to its house as "house-unit" when the two have fewer than 8
// characters together, else dropped; every field is cut to its 1.2 limit.
void fieldsToLegacy12(const RecordFields& fields, TableKind kind, LegacyRecord& out);
// The first field (1..7) that fieldsToLegacy12 would cut or leave out, or 0
// when the record fits version 1.2. An organization's unit that does not
// join its house is dropped by the mapping and not counted.
int fieldOver12Limit(const RecordFields& fields, TableKind kind);

} // namespace talsk
