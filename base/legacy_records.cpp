#include "base/legacy_records.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <utility>

namespace talsk {

namespace {

struct LegacyField {
    std::string LegacyRecord::*member;
    size_t max;
};

using R = LegacyRecord;

constexpr LegacyField kFields10Population[] = {{&R::phone, 7},   {&R::name, 40}, {&R::initials, 2},
                                               {&R::street, 40}, {&R::house, 6}, {&R::apartment, 3},
                                               {&R::comment, 60}};
constexpr LegacyField kFields10Organizations[] = {{&R::phone, 7},         {&R::name, 40},
                                                  {&R::organization, 80}, {&R::street, 40},
                                                  {&R::house, 6},         {&R::comment, 60}};
constexpr LegacyField kFields12Population[] = {
    {&R::phone, 9}, {&R::initials, 4}, {&R::apartment, 4}, {&R::house, 8},
    {&R::name, 60}, {&R::street, 60},  {&R::comment, 100}};
constexpr LegacyField kFields12Organizations[] = {{&R::phone, 9},         {&R::house, 8},
                                                  {&R::name, 60},         {&R::street, 60},
                                                  {&R::organization, 80}, {&R::comment, 100}};

std::span<const LegacyField> fields12(TableKind kind) {
    if (kind == TableKind::Population) return kFields12Population;
    return kFields12Organizations;
}

int64_t readLegacy10Record(std::span<const LegacyField> layout, const unsigned char* body,
                           size_t size, size_t pos, LegacyRecord& out) {
    out = LegacyRecord{};
    size_t p = pos;
    for (const LegacyField& f : layout) {
        if (p >= size) return -1;
        const size_t available = size - p;
        const size_t scan = available < f.max + 1 ? available : f.max + 1;
        const void* end = std::memchr(body + p, kLegacy10FieldEnd, scan);
        if (end == nullptr) return -1;
        const size_t length =
            static_cast<size_t>(static_cast<const unsigned char*>(end) - (body + p));
        if (std::memchr(body + p, 0, length) != nullptr) return -1;
        (out.*f.member).assign(reinterpret_cast<const char*>(body + p), length);
        p += length + 1;
    }
    return static_cast<int64_t>(p - 1);
}

// Copies text cut to max characters.
std::string cut(const char* text, size_t max) {
    return std::string(text, strnlen(text, max));
}

} // namespace

int64_t readLegacy10Population(const unsigned char* body, size_t size, size_t pos,
                               LegacyRecord& out) {
    return readLegacy10Record(kFields10Population, body, size, pos, out);
}

int64_t readLegacy10Organization(const unsigned char* body, size_t size, size_t pos,
                                 LegacyRecord& out) {
    return readLegacy10Record(kFields10Organizations, body, size, pos, out);
}

bool packLegacy12(const LegacyRecord& record, TableKind kind, std::string& text) {
    for (const LegacyField& f : fields12(kind)) {
        const std::string& value = record.*f.member;
        if (value.size() > f.max || value.find('\0') != std::string::npos) return false;
    }
    for (const LegacyField& f : fields12(kind)) {
        text += record.*f.member;
        text += '\0';
    }
    return true;
}

bool indexLegacy12Table(BaseTable& table, TableKind kind) {
    if (table.count <= 0) return true;
    if (table.entryCapacity() < static_cast<size_t>(table.count) + 1 || table.text.empty() ||
        table.textSize < 0 || static_cast<size_t>(table.textSize) > table.text.size())
        return false;
    const std::span<const LegacyField> layout = fields12(kind);
    const char* pool = table.text.data();
    const size_t end = static_cast<size_t>(table.textSize);
    RecordIndexEntry* entries = table.entries();
    size_t p = 0;
    for (int32_t i = 0; i < table.count; ++i) {
        RecordIndexEntry& e = entries[i];
        std::memset(&e, 0, sizeof e);
        e.start = static_cast<uint32_t>(p);
        size_t q = p;
        for (size_t slot = 0; slot < layout.size(); ++slot) {
            const size_t available = end - q;
            const size_t scan = available < layout[slot].max + 1 ? available : layout[slot].max + 1;
            const void* zero = std::memchr(pool + q, 0, scan);
            if (zero == nullptr) return false;
            if (slot > 0) e.offset[slot - 1] = static_cast<uint8_t>(q - p);
            q = static_cast<size_t>(static_cast<const char*>(zero) - pool) + 1;
        }
        p = q;
    }
    std::memset(&entries[table.count], 0, sizeof(RecordIndexEntry));
    entries[table.count].start = static_cast<uint32_t>(p);
    return true;
}

void legacy12Record(const BaseTable& table, TableKind kind, int32_t i, LegacyRecord& out) {
    out = LegacyRecord{};
    const RecordIndexEntry& e = table.entries()[i];
    const char* start = table.text.data() + e.start;
    const std::span<const LegacyField> layout = fields12(kind);
    for (size_t slot = 0; slot < layout.size(); ++slot)
        out.*layout[slot].member = start + (slot == 0 ? 0 : e.offset[slot - 1]);
}

void legacyToFields(const LegacyRecord& record, TableKind kind, RecordFields& out) {
    out.clear();
    out.set(1, record.phone.c_str());
    std::string name = record.name;
    if (kind == TableKind::Population && !record.initials.empty()) name += ' ' + record.initials;
    out.set(2, cut(name.c_str(), static_cast<size_t>(kFieldMax[2])).c_str());
    out.set(3, record.street.c_str());
    out.set(4, record.house.c_str());
    if (kind == TableKind::Population)
        out.set(5, record.apartment.c_str());
    else
        out.set(6, record.organization.c_str());
    out.set(7, record.comment.c_str());
    // Every legacy limit lies within the seven-field limits; cut all the same.
    for (int k = 1; k <= kFieldCount; ++k)
        out.field(k)[strnlen(out.field(k), static_cast<size_t>(kFieldMax[k]))] = '\0';
}

namespace {

// Which field of the seven-field record each legacy field comes from.
constexpr std::pair<std::string LegacyRecord::*, int> kSourceFields[] = {
    {&R::phone, 1},     {&R::name, 2},         {&R::street, 3}, {&R::house, 4},
    {&R::apartment, 5}, {&R::organization, 6}, {&R::comment, 7}};

// The 1.2 limit of a field of the table; 0 where the table has no such field.
size_t limit12(TableKind kind, std::string LegacyRecord::*member) {
    for (const LegacyField& f : fields12(kind))
        if (f.member == member) return f.max;
    return 0;
}

// The 1.2 form of a seven-field record before its fields are cut to the 1.2
// limits: an organization's unit joins its house when both fit 8 characters.
LegacyRecord uncut12(const RecordFields& fields, TableKind kind) {
    LegacyRecord out;
    out.phone = cut(fields.phone, sizeof fields.phone);
    out.name = cut(fields.name, sizeof fields.name);
    out.street = cut(fields.street, sizeof fields.street);
    out.house = cut(fields.house, sizeof fields.house);
    out.organization = cut(fields.organization, sizeof fields.organization);
    out.comment = cut(fields.comment, sizeof fields.comment);
    const std::string unit = cut(fields.unit, sizeof fields.unit);
    if (kind == TableKind::Population)
        out.apartment = unit;
    else if (!unit.empty() && out.house.size() + unit.size() < 8)
        out.house += '-' + unit;
    return out;
}

} // namespace

void fieldsToLegacy12(const RecordFields& fields, TableKind kind, LegacyRecord& out) {
    out = uncut12(fields, kind);
    for (const auto& [member, field] : kSourceFields) {
        std::string& value = out.*member;
        value.resize(std::min(value.size(), limit12(kind, member)));
    }
}

int fieldOver12Limit(const RecordFields& fields, TableKind kind) {
    const LegacyRecord record = uncut12(fields, kind);
    for (const auto& [member, field] : kSourceFields)
        if ((record.*member).size() > limit12(kind, member)) return field;
    return 0;
}

} // namespace talsk
