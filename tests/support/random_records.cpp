#include "support/random_records.h"

#include <cstring>

namespace talsk::test {

uint64_t RecordGenerator::next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::string RecordGenerator::text(int maxLength) {
    int length;
    switch (below(6)) {
    case 0:
        length = 0;
        break;
    case 1:
        length = maxLength;
        break;
    default:
        length = below(maxLength + 1);
    }
    std::string s(static_cast<size_t>(length), ' ');
    for (char& c : s)
        c = static_cast<char>(1 + below(255));
    return s;
}

RecordTexts RecordGenerator::record(TableKind kind) {
    RecordTexts r;
    for (int k = 1; k <= kFieldCount; ++k) {
        bool used = true;
        if (kind == TableKind::CityCodes && (k == 4 || k == 5 || k == 6)) used = false;
        if (kind == TableKind::Population && k == 6) used = false;
        if (used) r[static_cast<size_t>(k - 1)] = text(kFieldMax[k]);
    }
    return r;
}

std::string RecordGenerator::key(int length) {
    std::string k(static_cast<size_t>(length), ' ');
    for (char& c : k)
        c = static_cast<char>(1 + below(255));
    return k;
}

RecordFields toFields(const RecordTexts& texts) {
    RecordFields f;
    for (int k = 1; k <= kFieldCount; ++k)
        f.set(k, texts[static_cast<size_t>(k - 1)].c_str());
    return f;
}

RecordTexts textsOf(const BaseTable& table, int32_t i) {
    FieldPointers p = fieldPointers(table, i);
    RecordTexts r;
    for (int k = 1; k <= kFieldCount; ++k)
        r[static_cast<size_t>(k - 1)] = p[k];
    return r;
}

bool buildTable(BaseTable& table, const std::vector<RecordTexts>& records) {
    std::string pool;
    for (const RecordTexts& r : records)
        for (const std::string& field : r) {
            pool += field;
            pool += '\0';
        }
    table.release();
    table.count = static_cast<int32_t>(records.size());
    table.textSize = static_cast<int32_t>(pool.size());
    table.chunkSize = kChunkSize;
    table.loaded = 1;
    if (records.empty()) return true;
    if (!table.text.resize(pool.size() + 1) ||
        !table.index.resizeZeroed((records.size() + 1) * sizeof(RecordIndexEntry)))
        return false;
    std::memcpy(table.text.data(), pool.data(), pool.size());
    table.text.data()[pool.size()] = '\0';
    return indexTable(table);
}

std::vector<RecordTexts> randomRecords(RecordGenerator& gen, TableKind kind, int count) {
    std::vector<RecordTexts> out;
    out.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        out.push_back(gen.record(kind));
    return out;
}

} // namespace talsk::test
