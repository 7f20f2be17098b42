// The key change of a base file, connected or not, on files in a temporary folder.

#include "base/base_set.h"
#include "base/cipher.h"
#include "base/key_store.h"
#include "base/load_status.h"
#include "platform/cp1251.h"
#include "support/base_fixtures.h"
#include "support/fault_file_system.h"
#include "support/loading_fixtures.h"
#include "support/temp_dir.h"
#include "tools/rekey.h"

#include <gtest/gtest.h>

namespace talsk::test {
namespace {

const std::string kOld = utf8ToCp1251("старый");
const std::string kNew = utf8ToCp1251("Новый-ключ");

// Opens the file as loading does with a typed key; returns connected.
bool opens(const std::string& path, const std::string& typed, BaseContent* content = nullptr) {
    PhoneBase base;
    base.key = typed.empty() ? std::string() : deriveFileKey(typed);
    const std::string p = path;
    const bool ok = openBase(base, &p) && !base.readOnly;
    if (ok && content != nullptr) *content = contentOf(base);
    closeBase(base);
    return ok;
}

class Rekey : public ::testing::Test {
protected:
    TempDir dir;
    std::string file = dir.file("base.btn");

    void SetUp() override { writeBaseFile(file, 40, 12, 3, kOld, 7); }

    BaseContent before() {
        BaseContent c;
        EXPECT_TRUE(opens(file, kOld, &c));
        return c;
    }

    // A set with the file connected under its plain name in the folder.
    void connect(BaseSet& set, const std::string& typed) {
        set.folder = dir.path();
        PhoneBase base;
        base.path = "base.btn";
        base.folder = dir.path();
        base.key = deriveFileKey(typed);
        ASSERT_TRUE(openBase(base, nullptr));
        set.bases.push_back(std::move(base));
    }
};

TEST_F(Rekey, UnconnectedFileTakesTheNewKeyOrNoneAndKeepsItsRecords) {
    const BaseContent content = before();
    RekeyResult r = changeFileKey(nullptr, {file, kOld, true, kNew}, nullptr);
    ASSERT_EQ(r.outcome, RekeyOutcome::Done);
    BaseContent after;
    EXPECT_TRUE(opens(file, kNew, &after));
    EXPECT_EQ(after.tables[0], content.tables[0]);
    EXPECT_EQ(after.tables[2], content.tables[2]);
    EXPECT_FALSE(opens(file, kOld));

    r = changeFileKey(nullptr, {file, kNew, false, {}}, nullptr);
    ASSERT_EQ(r.outcome, RekeyOutcome::Done);
    EXPECT_TRUE(opens(file, {}, &after)); // no key needed any more
    EXPECT_EQ(after.tables[1], content.tables[1]);

    // A file without key needs no old key, whatever is typed.
    r = changeFileKey(nullptr, {file, "ignored", true, kOld}, nullptr);
    EXPECT_EQ(r.outcome, RekeyOutcome::Done);
    EXPECT_TRUE(opens(file, kOld));
}

TEST_F(Rekey, WrongOldKeyOrMissingInputLeavesTheFileAsItWas) {
    const std::vector<unsigned char> bytes = readBytes(file);
    RekeyResult r = changeFileKey(nullptr, {file, "не тот", true, kNew}, nullptr);
    EXPECT_EQ(r.outcome, RekeyOutcome::CannotOpen);
    EXPECT_TRUE(r.status == StatusLoadFailed || r.status == StatusReadOnlyIncomplete) << r.status;
    EXPECT_EQ(changeFileKey(nullptr, {file, {}, true, kNew}, nullptr).status, StatusKeyMissing);
    EXPECT_EQ(changeFileKey(nullptr, {file, kOld, true, {}}, nullptr).outcome,
              RekeyOutcome::Incomplete);
    EXPECT_EQ(changeFileKey(nullptr, {{}, kOld, true, kNew}, nullptr).outcome,
              RekeyOutcome::Incomplete);
    EXPECT_EQ(readBytes(file), bytes);
}

TEST_F(Rekey, OnlyVersion20FilesAreChanged) {
    const std::string data = TALSK_TEST_DATA;
    for (const char* name : {"base10.btn", "base12.btn", "base20b.btn"}) {
        const RekeyResult r = changeFileKey(nullptr, {data + "/" + name, {}, true, kNew}, nullptr);
        EXPECT_EQ(r.outcome, RekeyOutcome::WrongVersion) << name;
        EXPECT_EQ(r.status, StatusVersionMismatch) << name;
    }
    writeBytes(dir.file("junk.btn"), std::vector<unsigned char>(64, 0x55));
    EXPECT_EQ(changeFileKey(nullptr, {dir.file("junk.btn"), {}, true, kNew}, nullptr).outcome,
              RekeyOutcome::NotValid);
}

TEST_F(Rekey, ConnectedBaseChangesInPlaceAndItsRememberedKeyFollows) {
    BaseSet set;
    connect(set, kOld);
    set.bases[0].rememberKey = 1;
    const KeyStore keys(dir.file("keys"));
    ASSERT_TRUE(keys.saveKeys(set));

    EXPECT_EQ(changeFileKey(&set, {file, kNew, true, kOld}, &keys).outcome, RekeyOutcome::WrongKey);
    const RekeyResult r = changeFileKey(&set, {file, kOld, true, kNew}, &keys);
    ASSERT_EQ(r.outcome, RekeyOutcome::Done);
    EXPECT_EQ(r.baseIndex, 0);
    EXPECT_TRUE(set.bases[0].connected);
    EXPECT_EQ(set.bases[0].key, deriveFileKey(kNew));
    EXPECT_EQ(keys.lookupKey("base.btn"), deriveFileKey(kNew));
    // The loaded copy is still the file: an edit saves under the new key.
    RecordFields fields;
    fields.set(2, "Added");
    ASSERT_TRUE(putRecord(set.bases[0].tables[0], 40, fields));
    ASSERT_TRUE(saveBase(set.bases[0], kMaskAllTables));
    closeBase(set.bases[0]);
    BaseContent after;
    ASSERT_TRUE(opens(file, kNew, &after));
    EXPECT_EQ(after.tables[0].size(), 41u);
}

TEST_F(Rekey, ListedFileThatDidNotConnectTakesItsNewKeyInListAndStore) {
    BaseSet set;
    set.folder = dir.path();
    set.bases.resize(1);
    set.bases[0].path = "base.btn";
    set.bases[0].folder = dir.path();
    set.bases[0].key = deriveFileKey(kOld);
    set.bases[0].rememberKey = 1;
    const KeyStore keys(dir.file("keys"));
    ASSERT_TRUE(keys.saveKeys(set));

    const RekeyResult r = changeFileKey(&set, {file, kOld, true, kNew}, &keys);
    ASSERT_EQ(r.outcome, RekeyOutcome::Done);
    EXPECT_EQ(r.baseIndex, -1); // changed on disk, not through a loaded copy
    EXPECT_EQ(set.bases[0].key, deriveFileKey(kNew));
    EXPECT_EQ(keys.lookupKey("base.btn"), deriveFileKey(kNew));
    EXPECT_TRUE(opens(file, kNew));
}

TEST_F(Rekey, SameNameInAnotherFolderIsNotTheConnectedFile) {
    BaseSet set;
    connect(set, kOld);
    TempDir other;
    writeBaseFile(other.file("base.btn"), 5, 5, 0, kNew, 3);
    const RekeyResult r = changeFileKey(&set, {other.file("base.btn"), kNew, false, {}}, nullptr);
    ASSERT_EQ(r.outcome, RekeyOutcome::Done);
    EXPECT_EQ(r.baseIndex, -1);
    EXPECT_EQ(set.bases[0].key, deriveFileKey(kOld));
    EXPECT_TRUE(opens(other.file("base.btn"), {}));
    closeBase(set.bases[0]);
}

TEST_F(Rekey, FailedSaveKeepsFileAndLoadedKey) {
    BaseSet set;
    connect(set, kOld);
    const std::vector<unsigned char> bytes = readBytes(file);
    TempDir other;
    const std::string loose = other.file("loose.btn");
    writeBaseFile(loose, 9, 2, 1, kOld, 5);
    const std::vector<unsigned char> looseBytes = readBytes(loose);
    FaultFileSystem faults;
    faults.failTempWritesAfter = 100;
    faults.failOpenWritesAfter = 100;
    {
        ScopedFileSystem scoped(faults);
        RekeyResult r = changeFileKey(&set, {file, kOld, true, kNew}, nullptr);
        EXPECT_EQ(r.outcome, RekeyOutcome::SaveFailed);
        EXPECT_EQ(r.cause, WriteError::NoSpace);
        r = changeFileKey(&set, {loose, kOld, false, {}}, nullptr);
        EXPECT_EQ(r.outcome, RekeyOutcome::SaveFailed);
    }
    EXPECT_EQ(readBytes(file), bytes);
    EXPECT_EQ(readBytes(loose), looseBytes);
    EXPECT_EQ(set.bases[0].key, deriveFileKey(kOld));
    EXPECT_EQ(set.bases[0].keyed, 1);
    closeBase(set.bases[0]);
    EXPECT_TRUE(opens(file, kOld));
}

} // namespace
} // namespace talsk::test
