// The key store sample: remembered keys of three files (Cyrillic paths and
// keys, one key of the full 32 characters); a fourth file's key is not
// remembered.

#include "base/base_set.h"
#include "base/cipher.h"
#include "base/key_store.h"
#include "formats/sample_files.h"
#include "platform/cp1251.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace talsk::test {
namespace {

struct RememberedKey {
    const char* path; // UTF-8
    const char* typed;
    bool remember;
};

const RememberedKey kKeys[] = {
    {"/home/оператор/справочник/base20-keyed.btn", kKeyOf20Sample, true},
    {"архив.btn", kKeyOf12Sample, true},
    {"private.btn", "не запоминать", false},
    {"max.btn", "абвгдеёжзийклмнопрстуфхцчшщъыьэю", true},
};

TEST(KeyStoreSample, WriterReproducesTheSample) {
    BaseSet set;
    for (const RememberedKey& k : kKeys) {
        PhoneBase base;
        base.path = k.path;
        base.key = deriveFileKey(utf8ToCp1251(k.typed));
        base.keyed = 1;
        base.rememberKey = k.remember ? 1 : 0;
        set.bases.push_back(std::move(base));
    }
    ASSERT_EQ(set.bases.back().key.size(), kMaxKeyLength);
    TempDir dir;
    ASSERT_TRUE(KeyStore(dir.file("Key")).saveKeys(set));
    expectSampleBytes("keys.store", readBytes(dir.file("Key")));
}

TEST(KeyStoreSample, GivesBackTheRememberedKeys) {
    const KeyStore store(samplePath("keys.store"));
    for (const RememberedKey& k : kKeys)
        EXPECT_EQ(store.lookupKey(k.path), k.remember ? deriveFileKey(utf8ToCp1251(k.typed)) : "")
            << k.path;
    EXPECT_EQ(store.lookupKey("base20-keyed.btn"), "");
}

} // namespace
} // namespace talsk::test
