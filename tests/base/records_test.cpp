#include "base/records.h"
#include "platform/local_date.h"
#include "support/random_records.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace talsk;
using namespace talsk::test;

namespace {

RecordTexts fullRecord() {
    RecordTexts r;
    for (int k = 1; k <= kFieldCount; ++k)
        r[static_cast<size_t>(k - 1)] =
            std::string(static_cast<size_t>(kFieldMax[k]), char('a' + k));
    return r;
}

// The table must read exactly like the model, through the entries as they are.
void expectTable(const BaseTable& t, const std::vector<RecordTexts>& model) {
    ASSERT_EQ(t.count, static_cast<int32_t>(model.size()));
    size_t total = 0;
    for (size_t i = 0; i < model.size(); ++i) {
        EXPECT_EQ(textsOf(t, static_cast<int32_t>(i)), model[i]) << "record " << i;
        for (const std::string& f : model[i])
            total += f.size() + 1;
    }
    EXPECT_EQ(t.textSize, static_cast<int32_t>(total));
    if (t.count > 0) {
        EXPECT_EQ(uint32_t{t.entries()[t.count].start}, static_cast<uint32_t>(t.textSize));
    }
}

} // namespace

TEST(PackRecord, EmptyAndFullRecords) {
    char out[kMaxPackedRecord + 16];
    RecordFields empty;
    EXPECT_EQ(packRecord(empty, out), 7);
    EXPECT_EQ(std::memcmp(out, "\0\0\0\0\0\0\0", 7), 0);

    RecordFields full = toFields(fullRecord());
    EXPECT_EQ(packRecord(full, out), kMaxPackedRecord);
    BaseTable t;
    ASSERT_TRUE(buildTable(t, {fullRecord()}));
    EXPECT_EQ(t.textSize, 351);
    EXPECT_EQ(t.entries()[0].offset[5], 250); // field 7
    EXPECT_EQ(textsOf(t, 0), fullRecord());
}

TEST(PackRecord, NeverWritesMoreThanAFullRecord) {
    // Every slot filled to its capacity (maximum + 4), without a terminator.
    RecordFields f;
    for (int k = 1; k <= kFieldCount; ++k)
        std::memset(f.field(k), 'x', static_cast<size_t>(RecordFields::capacity(k)));
    char out[kMaxPackedRecord + 64];
    std::memset(out, 0x55, sizeof out);
    int n = packRecord(f, out);
    EXPECT_LE(n, kMaxPackedRecord);
    EXPECT_EQ(static_cast<unsigned char>(out[kMaxPackedRecord]), 0x55);
}

TEST(IndexTable, EmptyRecordOffsets) {
    BaseTable t;
    ASSERT_TRUE(buildTable(t, {RecordTexts{}}));
    const RecordIndexEntry& e = t.entries()[0];
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(e.offset[k], k + 1);
    EXPECT_EQ(uint32_t{t.entries()[1].start}, 7u);
}

TEST(IndexTable, FieldAtItsMaximumPassesOneMoreFails) {
    for (int k = 1; k <= kFieldCount; ++k) {
        RecordTexts r;
        r[static_cast<size_t>(k - 1)] = std::string(static_cast<size_t>(kFieldMax[k]), 'z');
        BaseTable t;
        EXPECT_TRUE(buildTable(t, {r, RecordTexts{}})) << "field " << k;
        r[static_cast<size_t>(k - 1)] += 'z';
        BaseTable u;
        EXPECT_FALSE(buildTable(u, {RecordTexts{}, r})) << "field " << k;
    }
}

TEST(IndexTable, PoolEndingInsideARecordFails) {
    BaseTable t;
    ASSERT_TRUE(buildTable(t, {fullRecord(), fullRecord()}));
    t.textSize -= 1; // the last terminator is outside the records
    EXPECT_FALSE(indexTable(t));
    // More records claimed than the pool holds.
    BaseTable u;
    ASSERT_TRUE(buildTable(u, {RecordTexts{}, RecordTexts{}}));
    u.count = 3;
    ASSERT_TRUE(u.index.resizeZeroed(4 * sizeof(RecordIndexEntry)));
    EXPECT_FALSE(indexTable(u));
    // An index without room for the closing entry.
    BaseTable w;
    ASSERT_TRUE(buildTable(w, {RecordTexts{}, RecordTexts{}}));
    w.index.reset();
    ASSERT_TRUE(w.index.resize(2 * sizeof(RecordIndexEntry)));
    EXPECT_FALSE(indexTable(w));
}

TEST(IndexTable, OrderOf20bPutsFieldsInTheirSlots) {
    // Stored order 1, 5, 4, 3, 2, 6, 7 with their own maxima.
    const char* stored[] = {"123456", "12345", "123456789", "Street", "Name", "Org", "Note"};
    std::string pool;
    for (const char* f : stored) {
        pool += f;
        pool += '\0';
    }
    BaseTable t;
    t.count = 1;
    t.textSize = static_cast<int32_t>(pool.size());
    ASSERT_TRUE(t.text.resize(pool.size() + 1));
    std::memcpy(t.text.data(), pool.data(), pool.size());
    ASSERT_TRUE(t.index.resizeZeroed(2 * sizeof(RecordIndexEntry)));
    ASSERT_TRUE(indexTable(t, kFieldOrder20b));
    FieldPointers p = fieldPointers(t, 0);
    EXPECT_STREQ(p[1], "123456");
    EXPECT_STREQ(p[2], "Name");
    EXPECT_STREQ(p[3], "Street");
    EXPECT_STREQ(p[4], "123456789");
    EXPECT_STREQ(p[5], "12345");
    EXPECT_STREQ(p[6], "Org");
    EXPECT_STREQ(p[7], "Note");
    // Field 5 (max 5) stands second: six characters there fail, although
    // six would fit field 2.
    std::string bad = std::string("1") + '\0' + "123456" + '\0' + "1" + '\0' + "s" + '\0' + "n" +
                      '\0' + "o" + '\0' + "c" + '\0';
    t.textSize = static_cast<int32_t>(bad.size());
    ASSERT_TRUE(t.text.resize(bad.size() + 1));
    std::memcpy(t.text.data(), bad.data(), bad.size());
    EXPECT_FALSE(indexTable(t, kFieldOrder20b));
    EXPECT_TRUE(indexTable(t, kFieldOrder20));
}

TEST(PutRecord, FirstRecordAllocatesAndStampsDates) {
    setDateSource([] { return LocalDate{2003, 7, 9}; });
    BaseTable t;
    stampTableDates(t, true);
    ASSERT_TRUE(putRecord(t, 0, toFields(fullRecord())));
    setDateSource({});
    EXPECT_EQ(t.text.size(), 8192u);
    EXPECT_EQ(t.index.size(), 640u);
    EXPECT_EQ(t.loaded, 1);
    EXPECT_EQ(t.created, (BaseDate{2003, 7, 9}));
    EXPECT_EQ(t.updated, (BaseDate{2003, 7, 9}));
    expectTable(t, {fullRecord()});

    // A later edit moves updated only.
    setDateSource([] { return LocalDate{2004, 1, 2}; });
    stampTableDates(t, true);
    setDateSource({});
    EXPECT_EQ(t.created, (BaseDate{2003, 7, 9}));
    EXPECT_EQ(t.updated, (BaseDate{2004, 1, 2}));
}

TEST(PutRecord, RejectsIndexBeyondCountAndOverlongFields) {
    BaseTable t;
    ASSERT_TRUE(buildTable(t, {fullRecord()}));
    RecordFields f = toFields(fullRecord());
    EXPECT_FALSE(putRecord(t, 2, f));
    EXPECT_FALSE(putRecord(t, -1, f));
    EXPECT_FALSE(deleteRecord(t, 1));
    EXPECT_FALSE(deleteRecord(t, -1));
    // Slots filled to capacity: longer than any field may be.
    RecordFields wide;
    for (int k = 1; k <= kFieldCount; ++k) {
        std::memset(wide.field(k), 'w', static_cast<size_t>(RecordFields::capacity(k) - 1));
        wide.field(k)[RecordFields::capacity(k) - 1] = '\0';
    }
    EXPECT_FALSE(putRecord(t, 0, wide));
    EXPECT_FALSE(putRecord(t, 1, wide));
    expectTable(t, {fullRecord()});
}

// The index grows to the new count's 10 bytes each plus 640 when it is full.
TEST(PutRecord, IndexGrowthStep) {
    BaseTable t;
    for (int i = 0; i < 63; ++i)
        ASSERT_TRUE(putRecord(t, t.count, toFields(RecordTexts{})));
    EXPECT_EQ(t.index.size(), 640u); // 63 records and the closing entry fit 64 entries
    ASSERT_TRUE(putRecord(t, t.count, toFields(RecordTexts{})));
    EXPECT_EQ(t.index.size(), 64u * 10 + 640);
}

// A table whose counts came from a header but whose records were never read
// has no pool: edits are refused instead of touching entries that do not exist.
TEST(PutRecord, TableWithCountButNoPoolRefusesEdits) {
    BaseTable t;
    t.count = 3;
    t.textSize = 21;
    t.loaded = 1;
    EXPECT_FALSE(putRecord(t, 0, toFields(RecordTexts{})));
    EXPECT_FALSE(putRecord(t, 3, toFields(RecordTexts{})));
    EXPECT_FALSE(deleteRecord(t, 0));
    EXPECT_EQ(t.count, 3);
    EXPECT_EQ(t.textSize, 21);
    EXPECT_TRUE(t.text.empty());
}

TEST(PutRecord, DeleteOnlyRecordLeavesEmptyTable) {
    BaseTable t;
    ASSERT_TRUE(putRecord(t, 0, toFields(fullRecord())));
    ASSERT_TRUE(deleteRecord(t, 0));
    EXPECT_EQ(t.count, 0);
    EXPECT_EQ(t.textSize, 0);
    EXPECT_EQ(uint32_t{t.entries()[0].start}, 0u);
    ASSERT_TRUE(indexTable(t));
    // And the table takes records again.
    ASSERT_TRUE(putRecord(t, 0, toFields(RecordTexts{})));
    expectTable(t, {RecordTexts{}});
}

// Random edits against a plain model: the entries stay usable after every
// edit, growth crosses many pool and index steps, and re-indexing agrees.
TEST(PutRecord, RandomEditsMatchModel) {
    RecordGenerator gen(7);
    BaseTable t;
    std::vector<RecordTexts> model;
    for (int step = 0; step < 4000; ++step) {
        int op = gen.below(10);
        if (op < 5 || model.empty()) {
            RecordTexts r = gen.record(TableKind::Organizations);
            ASSERT_TRUE(putRecord(t, t.count, toFields(r)));
            model.push_back(r);
        } else if (op < 8) {
            int i = gen.below(static_cast<int>(model.size()));
            RecordTexts r = gen.record(TableKind::Organizations);
            ASSERT_TRUE(putRecord(t, i, toFields(r)));
            model[static_cast<size_t>(i)] = r;
        } else {
            int i = gen.below(static_cast<int>(model.size()));
            ASSERT_TRUE(deleteRecord(t, i));
            model.erase(model.begin() + i);
        }
        ASSERT_LE(static_cast<size_t>(t.textSize), t.text.size());
        if (step % 97 == 0) expectTable(t, model);
    }
    expectTable(t, model);
    std::vector<RecordIndexEntry> before(t.entries(), t.entries() + t.count + 1);
    ASSERT_TRUE(indexTable(t));
    for (int32_t i = 0; i < t.count; ++i) {
        EXPECT_EQ(uint32_t{before[static_cast<size_t>(i)].start}, uint32_t{t.entries()[i].start});
        EXPECT_EQ(std::memcmp(before[static_cast<size_t>(i)].offset, t.entries()[i].offset, 6), 0);
    }
    expectTable(t, model);
}

TEST(Block, GrowthRule) {
    Block b;
    ASSERT_TRUE(b.resize(10));
    EXPECT_EQ(b.size(), 12u); // rounded up to 4
    std::memcpy(b.data(), "abcdefghijk", 12);
    char* p = b.data();
    ASSERT_TRUE(b.resize(1)); // 12 - 4 < 16: kept
    EXPECT_EQ(b.size(), 12u);
    EXPECT_EQ(b.data(), p);
    ASSERT_TRUE(b.resize(100));
    EXPECT_EQ(b.size(), 100u);
    EXPECT_EQ(std::memcmp(b.data(), "abcdefghijk", 12), 0);
    ASSERT_TRUE(b.resize(84)); // larger by exactly 16: shrunk to the request
    EXPECT_EQ(b.size(), 84u);
    ASSERT_TRUE(b.resize(72)); // larger by 12: kept
    EXPECT_EQ(b.size(), 84u);
    ASSERT_TRUE(b.resizeZeroed(200));
    for (size_t i = 84; i < 200; ++i)
        ASSERT_EQ(b.data()[i], 0);
    Block c(std::move(b));
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(c.size(), 200u);
}

TEST(BaseDate, DisplayForm) {
    EXPECT_EQ(formatBaseDate({2002, 3, 5}), "5.03.2002");
    EXPECT_EQ(formatBaseDate({1999, 12, 31}), "31.12.1999");
    EXPECT_EQ(formatBaseDate({2002, 3, 32}), "-");
    EXPECT_EQ(formatBaseDate({0, 3, 5}), "-");
    EXPECT_EQ(formatBaseDate({-5, 3, 5}), "-");
    EXPECT_EQ(formatBaseDate({}), "-");
}

TEST(ResetBase, KeepsPathKeyAndStatus) {
    PhoneBase base;
    base.path = "c:\\base.btn";
    base.key = "secret";
    base.status = 6;
    base.keyed = 1;
    base.connected = 1;
    base.version = 0x0201;
    ASSERT_TRUE(buildTable(base.tables[0], {fullRecord()}));
    resetBase(base);
    EXPECT_EQ(base.path, "c:\\base.btn");
    EXPECT_EQ(base.key, "secret");
    EXPECT_EQ(base.status, 6);
    EXPECT_EQ(base.keyed, 0);
    EXPECT_EQ(base.connected, 0);
    EXPECT_EQ(base.version, 0);
    for (const BaseTable& t : base.tables) {
        EXPECT_EQ(t.count, 0);
        EXPECT_TRUE(t.text.empty());
        EXPECT_TRUE(t.index.empty());
    }
}
