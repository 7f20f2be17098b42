#pragma once
// Builds a table from many records at once: packs them into one buffer and
// installs it as the table's pool with a fresh index, instead of growing the
// pool record by record.

#include "base/records.h"

#include <string>

namespace talsk {

class TableBuilder {
public:
    void reserve(size_t bytes) { pool_.reserve(bytes); }
    // Fails (adds nothing) when a field is longer than its maximum.
    [[nodiscard]] bool add(const RecordFields& fields);
    int32_t count() const { return count_; }
    // Replaces the table's records; a table with records gets `date` as its
    // created and updated dates. Returns false when memory cannot be had.
    [[nodiscard]] bool install(BaseTable& table, const BaseDate& date);

private:
    std::string pool_;
    int32_t count_ = 0;
};

} // namespace talsk
