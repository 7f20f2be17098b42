#pragma once
// Internal to the records: the byte-at-a-time indexing that runs on every
// processor. indexTable takes a vector path where the processor has one; both
// must fill the same entries and give the same result for any pool, so the
// tests run this one beside it.

#include "base/records.h"

namespace talsk {

[[nodiscard]] bool indexTablePortable(BaseTable& table, const FieldOrder& order = kFieldOrder20);

} // namespace talsk
