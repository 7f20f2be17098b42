// The vector walk of indexTable against the byte walk: same entries, same
// textSize and same result for valid and damaged pools of any size.

#include "base/record_index.h"
#include "support/random_records.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace talsk;
using namespace talsk::test;

namespace {

// A pool of `records` records in the stored order; with `damage`, now and
// then a field over its maximum (now and then by thousands of bytes, across
// whole batches of the vector walk) or a stray byte instead of a terminator.
std::string randomPool(RecordGenerator& gen, int records, const FieldOrder& order, bool damage) {
    std::string pool;
    for (int i = 0; i < records; ++i)
        for (int k : order) {
            pool += gen.text(kFieldMax[k]);
            if (damage && gen.below(300) == 0)
                pool += std::string(1 + gen.below(gen.below(8) == 0 ? 6000 : 80), 'x');
            pool += damage && gen.below(400) == 0 ? 'y' : '\0';
        }
    return pool;
}

struct Indexed {
    bool ok;
    int32_t textSize;
    std::string index; // every byte of the index block
};

// The pool's block is as long as the pool (rounded to 4 by Block) plus
// `spare` zero bytes beyond textSize, which neither walk may take for a
// terminator. The index starts filled with a pattern, so entries a walk
// leaves alone must stay alike too.
Indexed run(bool portable, const std::string& pool, int32_t textSize, int32_t count, size_t spare,
            const FieldOrder& order) {
    BaseTable t;
    t.count = count;
    t.textSize = textSize;
    if (!pool.empty() || spare > 0) {
        EXPECT_TRUE(t.text.resizeZeroed(pool.size() + spare));
        if (!pool.empty()) std::memcpy(t.text.data(), pool.data(), pool.size());
    }
    EXPECT_TRUE(t.index.resize((static_cast<size_t>(count) + 1) * sizeof(RecordIndexEntry)));
    std::memset(t.index.data(), 0xA5, t.index.size());
    bool ok = portable ? indexTablePortable(t, order) : indexTable(t, order);
    return {ok, t.textSize, std::string(t.index.data(), t.index.size())};
}

} // namespace

TEST(IndexTableWalks, AgreeOnRandomPools) {
    RecordGenerator gen(2024);
    int valid = 0, failed = 0;
    for (int round = 0; round < 1500; ++round) {
        const FieldOrder& order = gen.below(4) == 0 ? kFieldOrder20b : kFieldOrder20;
        // Now and then pools of several 4 KB batches.
        const int records = gen.below(10) == 0 ? 100 + gen.below(400) : gen.below(40);
        const bool damage = gen.below(3) == 0;
        std::string pool = randomPool(gen, records, order, damage);
        int32_t count = records;
        auto textSize = static_cast<int32_t>(pool.size());
        switch (gen.below(6)) {
        case 0: // the pool ends inside a record
            textSize = gen.below(textSize + 1);
            break;
        case 1: // more records counted than there are
            count += 1 + gen.below(3);
            break;
        case 2: // fewer: the rest of the pool is left out
            count = gen.below(count + 1);
            break;
        default:
            break;
        }
        const auto spare = static_cast<size_t>(gen.below(70));
        Indexed vector = run(false, pool, textSize, count, spare, order);
        Indexed bytes = run(true, pool, textSize, count, spare, order);
        EXPECT_EQ(vector.ok, bytes.ok) << "round " << round;
        EXPECT_EQ(vector.textSize, bytes.textSize) << "round " << round;
        EXPECT_TRUE(vector.index == bytes.index) << "round " << round;
        (bytes.ok && count > 0 ? valid : failed) += 1;
        if (HasFailure()) return;
    }
    // Both outcomes came up often.
    EXPECT_GT(valid, 300);
    EXPECT_GT(failed, 300);
}
