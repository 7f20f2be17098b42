#pragma once
// What a conversion to version 1.2 would cut: the records whose fields are
// longer than version 1.2 keeps, and the question put before cutting them.

#include "base/records.h"

#include <cstdint>
#include <string>

namespace talsk {

struct CutFields {
    int32_t records = 0; // how many records would lose characters
    // The first of them: its table, its index there and its first field (1..7)
    // over the limit.
    TableKind table = TableKind::Population;
    int32_t record = 0;
    int field = 0;
};

// Over the population and organizations of a loaded version 2.0 base.
CutFields cutFieldsIn12(const PhoneBase& base);

// Names how many records and the first of them (counted from 1) and asks
// whether to cut; UTF-8.
std::string cutFieldsMessage(const CutFields& cut);

} // namespace talsk
