#include "support/base_fixtures.h"

#include "base/base_file.h"
#include "base/cipher.h"
#include "platform/cp1251.h"
#include "platform/memory_file.h"
#include "support/temp_dir.h"

#include <cstring>
#include <gtest/gtest.h>

namespace talsk::test {

void appendRecord(PhoneBase& base, TableKind kind, std::initializer_list<const char*> fields) {
    RecordFields r;
    int k = 1;
    for (const char* f : fields)
        r.set(k++, utf8ToCp1251(f).c_str());
    BaseTable& t = base.table(kind);
    ASSERT_TRUE(putRecord(t, t.count, r));
}

BaseContent randomContent(RecordGenerator& gen, int population, int organizations, int cityCodes) {
    BaseContent c;
    c.tables[0] = randomRecords(gen, TableKind::Population, population);
    c.tables[1] = randomRecords(gen, TableKind::Organizations, organizations);
    c.tables[2] = randomRecords(gen, TableKind::CityCodes, cityCodes);
    return c;
}

void fillBase(PhoneBase& base, const BaseContent& content, const std::string& key) {
    for (int k = 0; k < kTableCount; ++k) {
        BaseTable& t = base.tables[static_cast<size_t>(k)];
        ASSERT_TRUE(buildTable(t, content.tables[k]));
        t.created = BaseDate{2001, 2, static_cast<uint8_t>(3 + k)};
        t.updated = BaseDate{2002, 12, static_cast<uint8_t>(30 - k)};
    }
    base.key = key;
    base.keyed = key.empty() ? 0 : 1;
}

BaseContent contentOf(const PhoneBase& base) {
    BaseContent c;
    for (int k = 0; k < kTableCount; ++k) {
        const BaseTable& t = base.tables[static_cast<size_t>(k)];
        for (int32_t i = 0; i < t.count; ++i)
            c.tables[k].push_back(textsOf(t, i));
    }
    return c;
}

void loadFromBytes(PhoneBase& base, const std::vector<unsigned char>& bytes, const std::string& key,
                   bool allow20b) {
    base.file = std::make_unique<MemoryFile>(bytes);
    base.key = key;
    // The tests read the status each step leaves.
    if (readHeader(base, {.fromDisk = false, .allow20b = allow20b}))
        (void)loadTables(base, kMaskAllTables);
}

std::vector<unsigned char> savedBytes(const BaseContent& content, const std::string& key) {
    TempDir dir;
    PhoneBase base;
    base.path = dir.file("saved.btn");
    fillBase(base, content, key);
    EXPECT_TRUE(saveBase(base, kMaskAllTables));
    closeBase(base);
    return readBytes(dir.file("saved.btn"));
}

void patchHeader(std::vector<unsigned char>& bytes,
                 const std::function<void(unsigned char*)>& edit) {
    ASSERT_GE(bytes.size(), 106u);
    char key2[33];
    makeBuiltinKey(2, key2);
    unsigned char* h = bytes.data() + 10;
    decipher(h, 96, key2);
    edit(h);
    encipher(h, 96, key2);
}

void putI32(unsigned char* p, int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(u >> (8 * i));
}

int32_t getI32(const unsigned char* p) {
    return static_cast<int32_t>(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
                                (uint32_t(p[3]) << 24));
}

void expectConsistent(const PhoneBase& base) {
    // Records of a base that is not connected are never read.
    if (!base.connected) return;
    for (int k = 0; k < kTableCount; ++k) {
        const BaseTable& t = base.tables[static_cast<size_t>(k)];
        if (!t.loaded) {
            EXPECT_EQ(t.count, 0);
            EXPECT_TRUE(t.text.empty());
            continue;
        }
        if (t.count == 0) continue;
        ASSERT_GE(t.entryCapacity(), static_cast<size_t>(t.count) + 1);
        ASSERT_LE(static_cast<size_t>(t.textSize), t.text.size());
        EXPECT_EQ(uint32_t{t.entries()[t.count].start}, static_cast<uint32_t>(t.textSize));
        for (int32_t i = 0; i < t.count; ++i) {
            const RecordIndexEntry& e = t.entries()[i];
            ASSERT_LT(uint32_t{e.start}, static_cast<uint32_t>(t.textSize));
            for (int f = 1; f <= kFieldCount; ++f) {
                const uint32_t at = e.start + (f == 1 ? 0u : e.offset[f - 2]);
                ASSERT_LT(at, static_cast<uint32_t>(t.textSize));
                const size_t len =
                    strnlen(t.text.data() + at, static_cast<size_t>(t.textSize) - at);
                ASSERT_LE(len, static_cast<size_t>(kFieldMax[f]))
                    << "table " << k << " record " << i;
            }
        }
    }
}

} // namespace talsk::test
