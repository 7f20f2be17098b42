#include "base/table_builder.h"

#include <cstring>

namespace talsk {

bool TableBuilder::add(const RecordFields& fields) {
    for (int k = 1; k <= kFieldCount; ++k)
        if (strnlen(fields.field(k), static_cast<size_t>(RecordFields::capacity(k))) >
            static_cast<size_t>(kFieldMax[k]))
            return false;
    char packed[kMaxPackedRecord + 1];
    int n = packRecord(fields, packed);
    pool_.append(packed, static_cast<size_t>(n));
    ++count_;
    return true;
}

bool TableBuilder::install(BaseTable& table, const BaseDate& date) {
    table.release();
    table.count = 0;
    table.textSize = 0;
    table.chunkSize = kChunkSize;
    table.loaded = 1;
    if (count_ == 0) return true;
    if (!table.text.resize(pool_.size() + 1) ||
        !table.index.resizeZeroed((static_cast<size_t>(count_) + 1) * sizeof(RecordIndexEntry))) {
        table.release();
        return false;
    }
    std::memcpy(table.text.data(), pool_.data(), pool_.size());
    table.text.data()[pool_.size()] = '\0';
    table.count = count_;
    table.textSize = static_cast<int32_t>(pool_.size());
    table.created = date;
    table.updated = date;
    return indexTable(table);
}

} // namespace talsk
