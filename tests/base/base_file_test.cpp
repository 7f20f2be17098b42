#include "base/base_file.h"
#include "base/cipher.h"
#include "base/load_status.h"
#include "platform/memory_file.h"
#include "support/base_fixtures.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"

#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace talsk;
using namespace talsk::test;

namespace {

// Connects a base from disk as opening it does.
void openFromDisk(PhoneBase& base, const std::string& path, const std::string& key = "") {
    base.path = path;
    base.key = key;
    // The caller checks the status each step leaves.
    if (readHeader(base)) (void)loadTables(base, kMaskAllTables);
}

void saveContent(const std::string& path, const BaseContent& content, const std::string& key = "") {
    PhoneBase base;
    base.path = path;
    fillBase(base, content, key);
    ASSERT_TRUE(saveBase(base, kMaskAllTables));
}

bool lockedByAnother(const std::string& path) {
    return nativeFileSystem().open(path, OpenMode::ReadWriteExclusive) == nullptr;
}

int32_t storedOf(const std::vector<unsigned char>& bytes, int table) {
    int32_t v = 0;
    std::vector<unsigned char> copy = bytes;
    patchHeader(copy, [&](unsigned char* h) { v = getI32(h + 32 * table + 20); });
    return v;
}

bool sameContent(const BaseContent& a, const BaseContent& b) {
    for (int k = 0; k < kTableCount; ++k)
        if (a.tables[k] != b.tables[k]) return false;
    return true;
}

} // namespace

TEST(BaseFile, RoundTripForEveryKeyLength) {
    RecordGenerator gen(101);
    TempDir dir;
    for (int L = 0; L <= 32; ++L) {
        // Now and then tables of several chunks.
        const int scale = L % 16 == 0 ? 40 : 1;
        BaseContent content = randomContent(gen, 30 * scale, 20 * scale, 1 + L);
        const std::string key = gen.key(L);
        const std::string path = dir.file("round" + std::to_string(L) + ".btn");
        saveContent(path, content, key);

        PhoneBase base;
        openFromDisk(base, path, key);
        ASSERT_EQ(base.status, StatusConnected) << "key length " << L;
        EXPECT_EQ(base.connected, 1);
        EXPECT_EQ(base.readOnly, 0);
        EXPECT_EQ(base.keyed, L > 0 ? 1 : 0);
        EXPECT_EQ(base.version, kVersion20);
        EXPECT_EQ(base.flagByte, 3);
        EXPECT_TRUE(sameContent(contentOf(base), content)) << "key length " << L;
        for (int k = 0; k < kTableCount; ++k) {
            EXPECT_EQ(base.tables[static_cast<size_t>(k)].created,
                      (BaseDate{2001, 2, uint8_t(3 + k)}));
            EXPECT_EQ(base.tables[static_cast<size_t>(k)].updated,
                      (BaseDate{2002, 12, uint8_t(30 - k)}));
            EXPECT_EQ(base.tables[static_cast<size_t>(k)].chunkSize, kChunkSize);
        }
        // The file stays open and locked for editing.
        EXPECT_TRUE(base.file != nullptr);
        EXPECT_TRUE(lockedByAnother(path));
        closeBase(base);
        EXPECT_FALSE(lockedByAnother(path));
        if (L > 0) {
            PhoneBase wrong;
            openFromDisk(wrong, path, key.substr(1) + "\x01");
            EXPECT_EQ(wrong.status, StatusLoadFailed) << "key length " << L;
            EXPECT_EQ(wrong.connected, 0);
        }
    }
}

TEST(BaseFile, LayoutOfASavedFile) {
    RecordGenerator gen(3);
    BaseContent content = randomContent(gen, 12, 0, 0);
    TempDir dir;
    PhoneBase base;
    base.path = dir.file("layout.btn");
    fillBase(base, content, "");
    ASSERT_TRUE(saveBase(base, kMaskAllTables));
    const std::vector<unsigned char> bytes = readBytes(base.path);
    const int32_t s0 = storedOf(bytes, 0);
    EXPECT_EQ(s0, base.tables[0].storedSize);
    EXPECT_EQ(bytes.size(), 118u + static_cast<size_t>(s0));
    const std::vector<unsigned char> lead(bytes.begin(), bytes.begin() + 10);
    EXPECT_EQ(lead, (std::vector<unsigned char>{0x01, 0x02, 3, 0, 0, 0, 0, 0, 0, 0}));
    // Table 0's separator, then two empty blocks with theirs.
    const std::vector<unsigned char> tail(bytes.end() - 12, bytes.end());
    EXPECT_EQ(tail, (std::vector<unsigned char>{1, 2, 2, 1, 1, 2, 2, 1, 1, 2, 2, 1}));
    EXPECT_EQ(base.dataSize, base.tables[0].textSize + 108);
    EXPECT_EQ(base.tables[1].fileOffset, s0 + 110);
    EXPECT_EQ(base.tables[2].fileOffset, s0 + 114);
    std::vector<unsigned char> copy = bytes;
    patchHeader(copy, [&](unsigned char* h) {
        EXPECT_EQ(getI32(h), 12);
        EXPECT_EQ(getI32(h + 12), base.tables[0].textSize);
        EXPECT_EQ(getI32(h + 16), 262144);
        EXPECT_EQ(getI32(h + 32), 0);
        EXPECT_EQ(getI32(h + 32 + 20), 0);
        EXPECT_EQ(getI32(h + 64 + 16), 262144);
        for (int t = 0; t < 3; ++t)
            for (int i = 24; i < 32; ++i)
                EXPECT_EQ(h[32 * t + i], 0);
    });
    // The header block is enciphered: the count does not show in plain.
    EXPECT_NE(getI32(bytes.data() + 10), 12);
}

TEST(BaseFile, WriteLeadBytes) {
    PhoneBase base;
    base.flagByte = 2;
    base.keyed = 1;
    MemoryFile f;
    ASSERT_TRUE(writeLeadBytes(f, base));
    EXPECT_EQ(f.bytes(), (std::vector<unsigned char>{0x01, 0x02, 2, 1, 0, 0, 0, 0, 0, 0}));
}

TEST(ReadHeader, ShortFilesHaveNoData) {
    TempDir dir;
    PhoneBase fresh;
    fresh.flagByte = 3;
    MemoryFile lead;
    ASSERT_TRUE(writeLeadBytes(lead, fresh));
    for (size_t size : {size_t(0), size_t(10), size_t(20)}) {
        std::vector<unsigned char> bytes = lead.bytes();
        bytes.resize(size);
        writeBytes(dir.file("short.btn"), bytes);
        PhoneBase base;
        openFromDisk(base, dir.file("short.btn"));
        EXPECT_EQ(base.status, StatusNoData) << size;
        EXPECT_EQ(base.connected, 0);
        EXPECT_EQ(base.file, nullptr);
    }
}

TEST(ReadHeader, MissingFileOrFolderIsNotFound) {
    TempDir dir;
    PhoneBase base;
    openFromDisk(base, dir.file("absent.btn"));
    EXPECT_EQ(base.status, StatusNotFound);
    EXPECT_EQ(base.connected, 0);
    PhoneBase folder;
    openFromDisk(folder, dir.path());
    EXPECT_EQ(folder.status, StatusNotFound);
}

TEST(ReadHeader, CountAgainstTextSize) {
    std::vector<unsigned char> bytes = savedBytes(BaseContent{}, "");
    auto withTable2 = [&](int32_t count, int32_t textSize) {
        std::vector<unsigned char> b = bytes;
        patchHeader(b, [&](unsigned char* h) {
            putI32(h + 64, count);
            putI32(h + 64 + 12, textSize);
        });
        PhoneBase base;
        base.file = std::make_unique<MemoryFile>(b);
        bool connected = readHeader(base, {.fromDisk = false});
        return std::make_pair(connected, base.status);
    };
    EXPECT_EQ(withTable2(3, 20), std::make_pair(false, int32_t(StatusHeaderInvalid)));
    EXPECT_EQ(withTable2(3, 21), std::make_pair(true, int32_t(0)));
    EXPECT_EQ(withTable2(1, 424), std::make_pair(true, int32_t(0)));
    EXPECT_EQ(withTable2(1, 425), std::make_pair(false, int32_t(StatusHeaderInvalid)));
    EXPECT_EQ(withTable2(-1, 0), std::make_pair(false, int32_t(StatusHeaderInvalid)));
    EXPECT_EQ(withTable2(0, -7), std::make_pair(false, int32_t(StatusHeaderInvalid)));
    // Big counts whose products pass 32 bits.
    EXPECT_EQ(withTable2(INT32_MAX, INT32_MAX),
              std::make_pair(false, int32_t(StatusHeaderInvalid)));
}

TEST(ReadHeader, VersionWords) {
    RecordGenerator gen(8);
    std::vector<unsigned char> bytes = savedBytes(randomContent(gen, 3, 3, 3), "");
    auto statusOf = [&](uint16_t version, bool allow20b) {
        std::vector<unsigned char> b = bytes;
        b[0] = static_cast<unsigned char>(version);
        b[1] = static_cast<unsigned char>(version >> 8);
        PhoneBase base;
        base.file = std::make_unique<MemoryFile>(b);
        bool connected = readHeader(base, {.fromDisk = false, .allow20b = allow20b});
        EXPECT_EQ(base.version, version);
        return std::make_pair(connected, base.status);
    };
    for (uint16_t older : {kVersion10a, kVersion10b, kVersion12, kVersion20b})
        EXPECT_EQ(statusOf(older, false), std::make_pair(false, int32_t(StatusVersionMismatch)));
    EXPECT_EQ(statusOf(kVersion20b, true), std::make_pair(true, int32_t(StatusVersionMismatch)));
    EXPECT_EQ(statusOf(kVersion12, true), std::make_pair(false, int32_t(StatusVersionMismatch)));
    EXPECT_EQ(statusOf(0x0202, true), std::make_pair(false, int32_t(StatusUnknownFormat)));
    EXPECT_EQ(statusOf(0x0000, false), std::make_pair(false, int32_t(StatusUnknownFormat)));
    EXPECT_STREQ(versionName(kVersion20), "Версия 2.0");
    EXPECT_STREQ(versionName(kVersion20b), "Версия 2.0b");
    EXPECT_STREQ(versionName(kVersion10b), "Версия 1.0");
    EXPECT_STREQ(versionName(kVersion12), "Версия 1.2");
    EXPECT_STREQ(versionName(0x0202), "Неверный формат");
}

// Records stored in the field order of 2.0b: 1, 5, 4, 3, 2, 6, 7.
TEST(LoadTables, Version20bIsIndexedInItsOrder) {
    BaseContent stored;
    stored.tables[1] = {{"55-12-34", "12", "7a", "Mira", "Petr", "Zavod", "note"},
                        {"1", "", "", "", "", "", ""}};
    std::vector<unsigned char> bytes = savedBytes(stored, "k2");
    bytes[0] = 0x00;
    bytes[1] = 0x02;
    PhoneBase base;
    loadFromBytes(base, bytes, "k2", true);
    EXPECT_EQ(base.status, StatusVersionMismatch);
    EXPECT_EQ(base.connected, 1);
    ASSERT_EQ(base.tables[1].count, 2);
    FieldPointers p = fieldPointers(base.tables[1], 0);
    EXPECT_STREQ(p[1], "55-12-34");
    EXPECT_STREQ(p[2], "Petr");
    EXPECT_STREQ(p[3], "Mira");
    EXPECT_STREQ(p[4], "7a");
    EXPECT_STREQ(p[5], "12");
    EXPECT_STREQ(p[6], "Zavod");
    EXPECT_STREQ(p[7], "note");
}

TEST(LoadTables, KeyedFileWithClearedKeyedFlagFails) {
    RecordGenerator gen(12);
    std::vector<unsigned char> bytes = savedBytes(randomContent(gen, 5, 5, 5), "key");
    bytes[3] = 0;
    PhoneBase base;
    loadFromBytes(base, bytes, "");
    EXPECT_EQ(base.status, StatusLoadFailed);
    EXPECT_EQ(base.connected, 0);
    EXPECT_EQ(base.file, nullptr);
}

TEST(LoadTables, OneDamagedTableLeavesTheOthers) {
    RecordGenerator gen(13);
    BaseContent content = randomContent(gen, 5, 5, 5);
    std::vector<unsigned char> bytes = savedBytes(content, "");
    const size_t table1 = 110 + static_cast<size_t>(storedOf(bytes, 0));
    bytes[table1 + 2 + 8] = 0; // first tree entry of table 1 is no leaf
    bytes[table1 + 2 + 9] = 0;
    PhoneBase base;
    loadFromBytes(base, bytes, "");
    EXPECT_EQ(base.status, StatusReadOnlyIncomplete);
    EXPECT_EQ(base.connected, 1);
    EXPECT_EQ(base.readOnly, 1);
    EXPECT_EQ(base.file, nullptr);
    EXPECT_EQ(base.tables[1].loaded, 0);
    EXPECT_EQ(base.tables[1].count, 0);
    EXPECT_EQ(contentOf(base).tables[0], content.tables[0]);
    EXPECT_EQ(contentOf(base).tables[2], content.tables[2]);
    // Saving it would lose table 1 from the file: refused.
    EXPECT_FALSE(saveBase(base, kMaskPopulation));

    // When the damaged table is the only one with records: nothing loaded.
    BaseContent single;
    single.tables[1] = content.tables[1];
    std::vector<unsigned char> b2 = savedBytes(single, "");
    b2[110 + 2 + 8] = 0;
    b2[110 + 2 + 9] = 0;
    PhoneBase only;
    loadFromBytes(only, b2, "");
    EXPECT_EQ(only.status, StatusLoadFailed);
    EXPECT_EQ(only.connected, 0);
}

// Whatever tables the mask names, a base missing a table's records must not
// replace its file: the failed table would be written empty.
TEST(SaveBase, RefusedForEveryMaskWhenATableFailedToLoad) {
    RecordGenerator gen(31);
    TempDir dir;
    const std::string path = dir.file("damaged.btn");
    std::vector<unsigned char> bytes = savedBytes(randomContent(gen, 5, 5, 5), "");
    const size_t table1 = 110 + static_cast<size_t>(storedOf(bytes, 0));
    bytes[table1 + 2 + 8] = 0; // first tree entry of table 1 is no leaf
    bytes[table1 + 2 + 9] = 0;
    writeBytes(path, bytes);
    PhoneBase base;
    openFromDisk(base, path);
    ASSERT_EQ(base.status, StatusReadOnlyIncomplete);
    for (TableMask mask : {kMaskPopulation, kMaskOrganizations, kMaskAllTables}) {
        EXPECT_FALSE(saveBase(base, mask)) << mask;
        EXPECT_EQ(readBytes(path), bytes) << mask;
    }
    // Validating the edits in memory still works.
    EXPECT_TRUE(saveBase(base, kMaskPopulation | kMaskValidateOnly));
    closeBase(base);
}

TEST(LoadTables, SingleTableMaskReportsThatTable) {
    RecordGenerator gen(14);
    std::vector<unsigned char> bytes = savedBytes(randomContent(gen, 4, 4, 4), "");
    PhoneBase base;
    base.file = std::make_unique<MemoryFile>(bytes);
    ASSERT_TRUE(readHeader(base, {.fromDisk = false}));
    EXPECT_TRUE(loadTables(base, kMaskOrganizations));
    EXPECT_EQ(base.tables[1].count, 4);
    EXPECT_TRUE(base.tables[0].text.empty()); // not read
}

TEST(ReadHeader, LockedFileOpensReadOnly) {
    RecordGenerator gen(15);
    TempDir dir;
    const std::string path = dir.file("locked.btn");
    BaseContent content = randomContent(gen, 6, 2, 2);
    saveContent(path, content);
    PhoneBase holder;
    openFromDisk(holder, path);
    ASSERT_EQ(holder.status, StatusConnected);

    PhoneBase second;
    second.path = path;
    EXPECT_TRUE(readHeader(second));
    EXPECT_EQ(second.status, StatusReadOnlyBusy);
    EXPECT_EQ(second.readOnly, 1);
    EXPECT_TRUE(loadTables(second, kMaskAllTables));
    EXPECT_EQ(second.status, StatusReadOnlyBusy);
    EXPECT_EQ(second.connected, 1);
    EXPECT_EQ(second.file, nullptr);
    EXPECT_TRUE(sameContent(contentOf(second), content));

    // It cannot save while the other holds the file; the file stays as it was.
    const std::vector<unsigned char> before = readBytes(path);
    second.keyed = 0;
    WriteError cause = WriteError::None;
    EXPECT_FALSE(saveBase(second, kMaskAllTables, &cause));
    EXPECT_EQ(cause, WriteError::Locked);
    EXPECT_EQ(readBytes(path), before);
    closeBase(holder);
    PhoneBase third;
    openFromDisk(third, path);
    EXPECT_EQ(third.status, StatusConnected);
}

TEST(ReadHeader, ReadOnlyAttribute) {
    RecordGenerator gen(16);
    TempDir dir;
    const std::string path = dir.file("ro.btn");
    BaseContent content = randomContent(gen, 3, 3, 3);
    saveContent(path, content);
    FaultFileSystem fs;
    fs.readOnlyPaths.insert(path);
    ScopedFileSystem scoped(fs);
    PhoneBase base;
    openFromDisk(base, path);
    EXPECT_EQ(base.status, StatusReadOnlyAttribute);
    EXPECT_EQ(base.readOnly, 1);
    EXPECT_EQ(base.connected, 1);
    EXPECT_EQ(base.file, nullptr);
    EXPECT_TRUE(sameContent(contentOf(base), content));
}

TEST(SaveBase, ValidateOnlyReindexesAndWritesNothing) {
    RecordGenerator gen(17);
    TempDir dir;
    const std::string path = dir.file("v.btn");
    saveContent(path, randomContent(gen, 5, 5, 5));
    const std::vector<unsigned char> before = readBytes(path);
    PhoneBase base;
    openFromDisk(base, path);
    ASSERT_EQ(base.status, StatusConnected);
    RecordFields f = toFields({"1", "2", "3", "4", "5", "", "7"});
    ASSERT_TRUE(putRecord(base.tables[0], 2, f));
    EXPECT_TRUE(saveBase(base, kMaskValidateOnly | kMaskPopulation));
    EXPECT_EQ(readBytes(path), before);
    EXPECT_STREQ(fieldPointers(base.tables[0], 2)[7], "7");

    // A field over its maximum in the pool: nothing is written.
    BaseTable& t = base.tables[0];
    std::memset(t.text.data() + t.entries()[0].start, 'x', 12);
    EXPECT_FALSE(saveBase(base, kMaskAllTables));
    EXPECT_EQ(readBytes(path), before);
}

TEST(SaveBase, EditAndReload) {
    RecordGenerator gen(18);
    TempDir dir;
    const std::string path = dir.file("edit.btn");
    BaseContent content = randomContent(gen, 20, 10, 5);
    saveContent(path, content, "pass");
    for (int round = 0; round < 3; ++round) {
        PhoneBase base;
        openFromDisk(base, path, "pass");
        ASSERT_EQ(base.status, StatusConnected);
        RecordTexts r = gen.record(TableKind::Population);
        ASSERT_TRUE(putRecord(base.tables[0], base.tables[0].count, toFields(r)));
        content.tables[0].push_back(r);
        ASSERT_TRUE(deleteRecord(base.tables[2], 0));
        content.tables[2].erase(content.tables[2].begin());
        ASSERT_TRUE(saveBase(base, kMaskAllTables));
        EXPECT_TRUE(lockedByAnother(path));
        // A second save through the open file.
        ASSERT_TRUE(saveBase(base, kMaskPopulation));
    }
    PhoneBase check;
    openFromDisk(check, path, "pass");
    ASSERT_EQ(check.status, StatusConnected);
    EXPECT_TRUE(sameContent(contentOf(check), content));
}

TEST(SaveBase, KeyNormalisation) {
    RecordGenerator gen(19);
    TempDir dir;
    PhoneBase base;
    base.path = dir.file("n.btn");
    fillBase(base, randomContent(gen, 2, 2, 2), "");
    base.keyed = 1; // keyed without a key: saved without one
    ASSERT_TRUE(saveBase(base, kMaskAllTables));
    EXPECT_EQ(base.keyed, 0);
    EXPECT_EQ(readBytes(base.path)[3], 0);
    base.key = "stale";
    base.keyed = 0; // a key on a base that is not keyed: dropped
    ASSERT_TRUE(saveBase(base, kMaskAllTables));
    EXPECT_EQ(base.key, "");
    closeBase(base);
    PhoneBase check;
    openFromDisk(check, dir.file("n.btn"), "");
    EXPECT_EQ(check.status, StatusConnected);
}

class FailedSave : public ::testing::Test {
protected:
    void SetUp() override {
        RecordGenerator gen(20);
        path = dir.file("keep.btn");
        saveContent(path, randomContent(gen, 400, 100, 20), "old");
        before = readBytes(path);
        openFromDisk(base, path, "old");
        ASSERT_EQ(base.status, StatusConnected);
        ASSERT_TRUE(putRecord(base.tables[0], 0, toFields({"1", "changed"})));
    }
    // The old file is unchanged, no temporary file is left, and the base
    // still holds the file locked.
    void expectOldFileKept() {
        EXPECT_EQ(readBytes(path), before);
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.btn"});
        EXPECT_TRUE(base.file != nullptr);
        EXPECT_TRUE(lockedByAnother(path));
        // The change is still there, and saves once the fault is gone.
        setFileSystem(nullptr);
        ASSERT_TRUE(saveBase(base, kMaskAllTables));
        closeBase(base);
        PhoneBase check;
        openFromDisk(check, path, "old");
        ASSERT_EQ(check.status, StatusConnected);
        EXPECT_STREQ(fieldPointers(check.tables[0], 0)[2], "changed");
    }
    TempDir dir;
    std::string path;
    std::vector<unsigned char> before;
    PhoneBase base;
    FaultFileSystem fs;
};

TEST_F(FailedSave, WriteErrorAtAnyPoint) {
    for (int64_t budget : {int64_t(0), int64_t(1), int64_t(106), int64_t(before.size() / 2)}) {
        fs.failTempWritesAfter = budget;
        ScopedFileSystem scoped(fs);
        WriteError cause = WriteError::None;
        EXPECT_FALSE(saveBase(base, kMaskAllTables, &cause)) << budget;
        EXPECT_EQ(cause, WriteError::NoSpace);
        EXPECT_EQ(readBytes(path), before) << budget;
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.btn"});
    }
    EXPECT_GT(fs.tempsCreated, 0);
    expectOldFileKept();
}

TEST_F(FailedSave, FlushError) {
    fs.failTempFlush = true;
    {
        ScopedFileSystem scoped(fs);
        EXPECT_FALSE(saveBase(base, kMaskAllTables));
    }
    expectOldFileKept();
}

TEST_F(FailedSave, RenameError) {
    fs.failReplace = true;
    {
        ScopedFileSystem scoped(fs);
        EXPECT_FALSE(saveBase(base, kMaskAllTables));
    }
    EXPECT_EQ(fs.tempsCreated, 1);
    expectOldFileKept();
}

TEST_F(FailedSave, CodeTooLongForTheReader) {
    // Population: 8 chunks of one heavy byte, then a chunk of every other
    // byte value: that chunk's codes are long and pass 2,097,152 bits.
    std::vector<RecordTexts> records;
    RecordTexts heavy;
    heavy[6] = std::string(100, 'A');
    heavy[1] = std::string(80, 'A');
    for (int i = 0; i < 8 * 262144 / 187 + 1; ++i)
        records.push_back(heavy);
    for (int i = 0; i < 262144 / 187 + 1; ++i) {
        RecordTexts rare;
        std::string text;
        for (int j = 0; j < 180; ++j)
            text += static_cast<char>(1 + (i * 180 + j) % 255);
        rare[1] = text.substr(0, 80);
        rare[6] = text.substr(80, 100);
        records.push_back(rare);
    }
    ASSERT_TRUE(buildTable(base.tables[0], records));
    EXPECT_FALSE(saveBase(base, kMaskAllTables));
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.btn"});
    // The same records spread out save and load.
    std::vector<RecordTexts> mixed;
    for (size_t i = 0; i < records.size(); ++i)
        mixed.push_back(records[(i * 9) % records.size()]);
    ASSERT_TRUE(buildTable(base.tables[0], mixed));
    ASSERT_TRUE(saveBase(base, kMaskAllTables));
    closeBase(base);
    PhoneBase check;
    openFromDisk(check, path, "old");
    ASSERT_EQ(check.status, StatusConnected);
    EXPECT_EQ(check.tables[0].count, static_cast<int32_t>(mixed.size()));
}

TEST(SaveBase, WithoutTemporaryFileWritesInPlace) {
    RecordGenerator gen(21);
    TempDir dir;
    const std::string path = dir.file("inplace.btn");
    saveContent(path, randomContent(gen, 300, 10, 10));
    struct stat st0 {};
    ASSERT_EQ(stat(path.c_str(), &st0), 0);
    PhoneBase base;
    openFromDisk(base, path);
    BaseContent content = randomContent(gen, 20, 5, 5); // smaller: the file shrinks
    fillBase(base, content, "");
    FaultFileSystem fs;
    fs.refuseTemp = WriteError::NoAccess; // the folder takes no new file
    {
        ScopedFileSystem scoped(fs);
        ASSERT_TRUE(saveBase(base, kMaskAllTables));
    }
    struct stat st1 {};
    ASSERT_EQ(stat(path.c_str(), &st1), 0);
#ifndef _WIN32 // no inode numbers there
    EXPECT_EQ(st0.st_ino, st1.st_ino);
#endif
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"inplace.btn"});
    EXPECT_EQ(readBytes(path), savedBytes(content, ""));
    closeBase(base);
    // A new file, too.
    PhoneBase fresh;
    fresh.path = dir.file("new.btn");
    fillBase(fresh, content, "");
    {
        ScopedFileSystem scoped(fs);
        ASSERT_TRUE(saveBase(fresh, kMaskAllTables));
    }
    closeBase(fresh);
    PhoneBase check;
    openFromDisk(check, dir.file("new.btn"));
    EXPECT_EQ(check.status, StatusConnected);
    EXPECT_TRUE(sameContent(contentOf(check), content));
}

#ifndef _WIN32 // symbolic links and permission bits are POSIX's
TEST(SaveBase, FollowsSymbolicLinkAndKeepsPermissions) {
    RecordGenerator gen(22);
    TempDir dir;
    const std::string real = dir.file("real.btn");
    const std::string link = dir.file("link.btn");
    saveContent(real, randomContent(gen, 3, 3, 3));
    ASSERT_EQ(chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
    BaseContent content = randomContent(gen, 7, 1, 1);
    PhoneBase base;
    openFromDisk(base, link);
    ASSERT_EQ(base.status, StatusConnected);
    fillBase(base, content, "");
    ASSERT_TRUE(saveBase(base, kMaskAllTables));
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"link.btn", "real.btn"}));
    EXPECT_TRUE(lockedByAnother(real));
    closeBase(base);
    PhoneBase check;
    openFromDisk(check, real);
    EXPECT_TRUE(sameContent(contentOf(check), content));
}
#endif

// Temporary files of killed saves go when the file is opened or saved again;
// one that a live writer holds stays.
TEST(SaveBase, StaleTemporaryFilesAreRemoved) {
    RecordGenerator gen(23);
    TempDir dir;
    const std::string path = dir.file("t.btn");
    saveContent(path, randomContent(gen, 5, 5, 5));
    writeBytes(dir.file(".t.btn.talsk-Ab12cD"), {1});
    writeBytes(dir.file(".other.btn.talsk-Ab12cD"), {1}); // another file's
    PhoneBase base;
    openFromDisk(base, path);
    ASSERT_EQ(base.status, StatusConnected);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{".other.btn.talsk-Ab12cD", "t.btn"}));

    writeBytes(dir.file(".t.btn.talsk-zz99ZZ"), {1});
    std::string livePath;
    std::unique_ptr<File> live = nativeFileSystem().createTemp(path, livePath);
    ASSERT_TRUE(live);
    ASSERT_TRUE(saveBase(base, kMaskAllTables));
    const std::string liveName = livePath.substr(dir.path().size() + 1);
    EXPECT_EQ(dir.entries(),
              (std::vector<std::string>{".other.btn.talsk-Ab12cD", liveName, "t.btn"}));
}
