// Merging base files: list order, both repeat rules against a plain
// quadratic reading of them, dates, cancel, and sources that do not load.

#include "base/base_file.h"
#include "base/char_tables.h"
#include "base/cipher.h"
#include "base/load_status.h"
#include "support/base_fixtures.h"
#include "support/temp_dir.h"
#include "tools/merge.h"
#include "tools/merge_list.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

namespace talsk::test {
namespace {

std::string packed(const RecordTexts& r) {
    std::string s;
    for (const std::string& f : r)
        s += f + '\0';
    return s;
}

// The rules read literally: each record against every record kept before it.
bool repeats(const std::string& a, const std::string& b, MergeRepeats rule) {
    if (rule == MergeRepeats::SamePhone) return std::strcmp(a.c_str(), b.c_str()) == 0;
    if (a.size() != b.size()) return false;
    const UpperTable& up = upperTable();
    for (size_t i = 0; i < a.size(); ++i)
        if (up[static_cast<unsigned char>(a[i])] != up[static_cast<unsigned char>(b[i])])
            return false;
    return true;
}

BaseContent reference(const std::vector<BaseContent>& sources, MergeRepeats rule) {
    BaseContent out;
    std::vector<std::string> kept[kTableCount];
    for (const BaseContent& src : sources)
        for (int k = 0; k < kTableCount; ++k)
            for (const RecordTexts& r : src.tables[k]) {
                const std::string image = packed(r);
                bool seen = false;
                if (rule != MergeRepeats::Keep)
                    for (const std::string& other : kept[k])
                        if (repeats(other, image, rule)) {
                            seen = true;
                            break;
                        }
                if (seen) continue;
                kept[k].push_back(image);
                out.tables[k].push_back(r);
            }
    return out;
}

class Merge : public ::testing::Test {
protected:
    TempDir dir;

    std::string save(const std::string& name, const BaseContent& content,
                     const std::string& fileKey = {}, BaseDate created = {2001, 2, 3},
                     BaseDate updated = {2002, 12, 30}) {
        PhoneBase base;
        base.path = dir.file(name);
        fillBase(base, content, fileKey);
        for (BaseTable& t : base.tables) {
            t.created = created;
            t.updated = updated;
        }
        EXPECT_TRUE(saveBase(base, kMaskAllTables));
        closeBase(base);
        return base.path;
    }

    PhoneBase load(const std::string& path, const std::string& fileKey = {}) {
        PhoneBase base;
        base.path = path;
        base.key = fileKey;
        EXPECT_TRUE(readHeader(base) && loadTables(base, kMaskAllTables)) << base.status;
        return base;
    }
};

void expectSame(const BaseContent& got, const BaseContent& want) {
    for (int k = 0; k < kTableCount; ++k) {
        ASSERT_EQ(got.tables[k].size(), want.tables[k].size()) << "table " << k;
        for (size_t i = 0; i < got.tables[k].size(); ++i)
            ASSERT_EQ(got.tables[k][i], want.tables[k][i]) << "table " << k << " record " << i;
    }
}

// A byte that upper-cases like b but may differ from it.
char caseTwin(RecordGenerator& gen, unsigned char b) {
    static const std::vector<std::vector<unsigned char>> byUpper = [] {
        std::vector<std::vector<unsigned char>> t(256);
        for (int c = 1; c < 256; ++c)
            t[upperTable()[static_cast<size_t>(c)]].push_back(c);
        return t;
    }();
    const std::vector<unsigned char>& twins = byUpper[upperTable()[b]];
    return static_cast<char>(twins[static_cast<size_t>(gen.below(static_cast<int>(twins.size())))]);
}

// Random records with repeats planted across and within files: exact copies,
// copies equal only after upper-casing, the same phone under another name,
// and copies one byte longer.
std::vector<BaseContent> plantedSources(uint64_t seed, int files, int perTable) {
    RecordGenerator gen(seed);
    std::vector<BaseContent> out;
    std::vector<RecordTexts> earlier[kTableCount];
    for (int f = 0; f < files; ++f) {
        BaseContent c;
        for (int k = 0; k < kTableCount; ++k) {
            const auto kind = static_cast<TableKind>(k);
            for (int i = 0; i < perTable; ++i) {
                RecordTexts r = gen.record(kind);
                std::vector<RecordTexts>& pool = earlier[k];
                if (!pool.empty() && gen.below(2) == 0) {
                    const RecordTexts& old =
                        pool[static_cast<size_t>(gen.below(static_cast<int>(pool.size())))];
                    switch (gen.below(4)) {
                    case 0:
                        r = old;
                        break;
                    case 1:
                        r = old;
                        for (std::string& field : r)
                            for (char& ch : field)
                                ch = caseTwin(gen, static_cast<unsigned char>(ch));
                        break;
                    case 2:
                        r[0] = old[0];
                        break;
                    default:
                        r = old;
                        if (r[6].size() < 100) r[6] += 'x';
                    }
                }
                pool.push_back(r);
                c.tables[k].push_back(r);
            }
        }
        out.push_back(c);
    }
    return out;
}

TEST_F(Merge, RepeatRulesKeepWhatTheQuadraticReadingKeeps) {
    for (uint64_t seed : {3u, 17u, 40u, 99u}) {
        const std::vector<BaseContent> sources = plantedSources(seed, 3, 120);
        std::vector<MergeSource> list;
        for (size_t f = 0; f < sources.size(); ++f)
            list.push_back({save("s" + std::to_string(f) + ".btn", sources[f]), {}});
        for (MergeRepeats rule :
             {MergeRepeats::Keep, MergeRepeats::SameRecord, MergeRepeats::SamePhone}) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " rule " << int(rule));
            const MergeResult r = mergeFiles(list, dir.file("out.btn"), {rule, {}}, {});
            ASSERT_EQ(r.outcome, MergeOutcome::Done);
            const BaseContent want = reference(sources, rule);
            PhoneBase out = load(dir.file("out.btn"));
            expectSame(contentOf(out), want);
            int64_t wanted = 0;
            for (const auto& t : want.tables)
                wanted += static_cast<int64_t>(t.size());
            EXPECT_EQ(r.kept, wanted);
            EXPECT_EQ(r.kept + r.skipped, 3 * 3 * 120);
            if (rule != MergeRepeats::Keep) {
                EXPECT_GT(r.skipped, 0);
            }
        }
    }
}

// Files go in list order; the new file gets the earliest creation (a never-set
// date does not count) and the latest change, and the new key.
TEST_F(Merge, ListOrderDatesAndNewKey) {
    RecordGenerator gen(7);
    const BaseContent a = randomContent(gen, 5, 4, 3), b = randomContent(gen, 6, 0, 2),
                      c = randomContent(gen, 2, 3, 0);
    const std::string pa = save("a.btn", a, {}, {2003, 5, 1}, {2004, 1, 9});
    const std::string pb = save("b.btn", b, {}, {}, {2004, 1, 10});
    const std::string pc = save("c.btn", c, {}, {2003, 4, 30}, {2003, 12, 31});
    const std::string key = deriveFileKey("новый");
    std::vector<int64_t> seen;
    const MergeResult r =
        mergeFiles({{pc, {}}, {pa, {}}, {pb, {}}}, dir.file("out.btn"), {MergeRepeats::Keep, key},
                   {}, [&](int64_t done, int64_t total) {
                       EXPECT_EQ(total, 25);
                       seen.push_back(done);
                   });
    ASSERT_EQ(r.outcome, MergeOutcome::Done);
    EXPECT_EQ(seen.size(), 25u); // step 1 below 300 records
    PhoneBase out = load(dir.file("out.btn"), key);
    EXPECT_EQ(out.keyed, 1);
    expectSame(contentOf(out), reference({c, a, b}, MergeRepeats::Keep));
    const BaseTable& population = out.tables[0];
    EXPECT_EQ(population.created, (BaseDate{2003, 4, 30}));
    EXPECT_EQ(population.updated, (BaseDate{2004, 1, 10}));
}

TEST_F(Merge, CancelWritesNothing) {
    RecordGenerator gen(11);
    const std::string pa = save("a.btn", randomContent(gen, 400, 300, 10));
    for (bool existing : {false, true}) {
        const std::string dst = dir.file(existing ? "old.btn" : "new.btn");
        if (existing) writeBytes(dst, {'k', 'e', 'e', 'p'});
        const std::vector<std::string> before = dir.entries();
        std::atomic<bool> cancel{false};
        const MergeResult r = mergeFiles(
            {{pa, {}}, {pa, {}}}, dst, {MergeRepeats::SameRecord, {}}, {},
            [&](int64_t done, int64_t) {
                if (done >= 500) cancel = true;
            },
            &cancel);
        EXPECT_EQ(r.outcome, MergeOutcome::Cancelled);
        EXPECT_EQ(dir.entries(), before);
        if (existing) {
            EXPECT_EQ(readBytes(dst), (std::vector<unsigned char>{'k', 'e', 'e', 'p'}));
        }
    }
}

// A keyed source given without its key fails to load; each answer does what
// it says, and Retry may bring the key.
TEST_F(Merge, SourceThatDoesNotLoad) {
    RecordGenerator gen(5);
    const BaseContent a = randomContent(gen, 3, 2, 1), b = randomContent(gen, 4, 1, 1);
    const std::string key = deriveFileKey("тальск");
    const std::vector<MergeSource> list = {{save("a.btn", a), {}}, {save("b.btn", b, key), {}}};
    struct Case {
        std::vector<SourceAnswer> answers;
        MergeOutcome outcome;
        BaseContent written;
    };
    const Case cases[] = {
        {{SourceAnswer::Abort}, MergeOutcome::Aborted, {}},
        {{SourceAnswer::Retry, SourceAnswer::Retry},
         MergeOutcome::Done,
         reference({a, b}, MergeRepeats::Keep)},
        {{SourceAnswer::Ignore}, MergeOutcome::Done, a},
    };
    for (const Case& c : cases) {
        const std::string dst = dir.file("out.btn");
        std::filesystem::remove(dst);
        size_t asked = 0;
        const MergeResult r = mergeFiles(
            list, dst, {},
            [&](size_t index, const std::string& path, int32_t status, std::string& fileKey) {
                EXPECT_EQ(index, 1u);
                EXPECT_EQ(path, list[1].path);
                EXPECT_EQ(status, StatusKeyMissing);
                if (asked == 1) fileKey = key; // the second retry brings the key
                return c.answers.at(asked++);
            });
        EXPECT_EQ(asked, c.answers.size());
        ASSERT_EQ(r.outcome, c.outcome);
        if (c.outcome != MergeOutcome::Done) {
            EXPECT_FALSE(std::filesystem::exists(dst));
            continue;
        }
        EXPECT_EQ(r.ignored.size(), c.answers.back() == SourceAnswer::Ignore ? 1u : 0u);
        PhoneBase out = load(dst);
        expectSame(contentOf(out), c.written);
    }
}

// A source whose population block is damaged still connects read-only with
// its other tables; the merge must not take it as a whole file.
TEST_F(Merge, SourceWithADamagedTable) {
    RecordGenerator gen(21);
    const BaseContent a = randomContent(gen, 3, 2, 1), b = randomContent(gen, 40, 3, 2);
    const std::string pb = save("b.btn", b);
    const std::vector<unsigned char> good = readBytes(pb);
    // The first flip inside the population block that leaves only that table unloaded.
    bool damaged = false;
    for (size_t at = kFirstBlockOffset + 2; at < good.size() && !damaged; ++at) {
        std::vector<unsigned char> bytes = good;
        bytes[at] ^= 0xFF;
        PhoneBase probe;
        loadFromBytes(probe, bytes, {});
        damaged = probe.status == StatusReadOnlyIncomplete && !probe.tables[0].loaded;
        if (damaged) writeBytes(pb, bytes);
    }
    ASSERT_TRUE(damaged);
    const std::vector<MergeSource> list = {{save("a.btn", a), {}}, {pb, {}}};
    for (SourceAnswer answer : {SourceAnswer::Abort, SourceAnswer::Ignore}) {
        const std::string dst = dir.file("out.btn");
        std::filesystem::remove(dst);
        int32_t reported = 0;
        const MergeResult r = mergeFiles(
            list, dst, {}, [&](size_t, const std::string&, int32_t status, std::string&) {
                reported = status;
                return answer;
            });
        EXPECT_EQ(reported, StatusLoadFailed);
        if (answer == SourceAnswer::Abort) {
            EXPECT_EQ(r.outcome, MergeOutcome::Aborted);
            EXPECT_FALSE(std::filesystem::exists(dst));
        } else {
            ASSERT_EQ(r.outcome, MergeOutcome::Done);
            PhoneBase out = load(dst);
            expectSame(contentOf(out), a);
        }
    }
}

// The window's list: 16 files at most, version 2.0 only, moves and removal
// keep a sensible selection.
TEST_F(Merge, ListOfFiles) {
    RecordGenerator gen(9);
    const std::string path = save("a.btn", randomContent(gen, 3, 2, 1), deriveFileKey("k"));
    MergeList list;
    int32_t status = 0;
    EXPECT_FALSE(list.add(std::string(TALSK_TEST_DATA) + "/base20b.btn", status));
    EXPECT_EQ(status, StatusVersionMismatch);
    EXPECT_FALSE(list.add(dir.file("none.btn"), status));
    EXPECT_EQ(status, StatusNotFound);
    for (int i = 0; i < 16; ++i)
        ASSERT_TRUE(list.add(path, status));
    EXPECT_FALSE(list.canAdd());
    EXPECT_FALSE(list.add(path, status));
    EXPECT_EQ(list.announcedRecords(), 16 * 6);
    EXPECT_EQ(list.firstWithoutKey(), 0);
    list.setKey(0, "x");
    EXPECT_EQ(list.firstWithoutKey(), 1);
    EXPECT_EQ(list.moveUp(0), 0);
    EXPECT_EQ(list.moveDown(0), 1);
    EXPECT_EQ(list.entries()[1].fileKey, "x");
    EXPECT_EQ(list.moveDown(15), 15);
    EXPECT_EQ(list.remove(15), 14); // the last removed: the new last
    EXPECT_EQ(list.remove(1), 1);
    EXPECT_EQ(list.firstWithoutKey(), 0);
    EXPECT_EQ(withBaseExtension("out"), "out.btn");
    EXPECT_EQ(withBaseExtension("out.btn"), "out.btn");
}

} // namespace
} // namespace talsk::test
