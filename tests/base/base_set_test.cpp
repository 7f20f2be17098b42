#include "base/base_set.h"

#include "base/base_file.h"
#include "base/cipher.h"
#include "base/key_store.h"
#include "base/load_status.h"
#include "support/loading_fixtures.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace talsk {
namespace {

using test::TempDir;
using test::writeBaseFile;

PhoneBase baseAt(const std::string& path) {
    PhoneBase base;
    base.path = path;
    return base;
}

// ---- openBase ------------------------------------------------------------

TEST(OpenBase, ConnectsAPlainFileAndKeepsItLocked) {
    TempDir dir;
    writeBaseFile(dir.file("a.btn"), 5, 3, 2);
    PhoneBase base = baseAt(dir.file("a.btn"));
    base.key = "stale"; // an unkeyed file needs no key: it is emptied
    ASSERT_TRUE(openBase(base, nullptr, {.autoKey = true}));
    EXPECT_EQ(base.status, StatusConnected);
    EXPECT_EQ(base.readOnly, 0);
    EXPECT_EQ(base.key, "");
    EXPECT_EQ(base.recordCount(), 10);
    // The writable file stays open with the writer lock.
    EXPECT_EQ(fileSystem().open(base.path, OpenMode::ReadWriteExclusive), nullptr);
    closeBase(base);
    EXPECT_NE(fileSystem().open(dir.file("a.btn"), OpenMode::ReadWriteExclusive), nullptr);
}

// The read-only attribute comes from the file's mode: a file without write
// bits connects read-only and is not written over, whoever runs the program.
TEST(OpenBase, FileWithoutWriteBitsConnectsReadOnly) {
    TempDir dir;
    const std::string path = dir.file("ro.btn");
    writeBaseFile(path, 3, 2, 1);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_TRUE(fileSystem().attributes(path).readOnly);
    PhoneBase base = baseAt(path);
    ASSERT_TRUE(openBase(base, nullptr));
    EXPECT_EQ(base.status, StatusReadOnlyAttribute);
    EXPECT_EQ(base.readOnly, 1);
    EXPECT_FALSE(base.file);
    const std::vector<unsigned char> before = test::readBytes(path);
    WriteError cause = WriteError::None;
    EXPECT_FALSE(saveBase(base, kMaskAllTables, &cause));
    EXPECT_EQ(cause, WriteError::NoAccess);
    EXPECT_EQ(test::readBytes(path), before);
}

TEST(OpenBase, StatusesOfFilesThatDoNotConnect) {
    TempDir dir;
    PhoneBase missing = baseAt(dir.file("missing.btn"));
    EXPECT_FALSE(openBase(missing, nullptr));
    EXPECT_EQ(missing.status, StatusNotFound);

    PhoneBase folder = baseAt(dir.path());
    EXPECT_FALSE(openBase(folder, nullptr));
    EXPECT_EQ(folder.status, StatusNotFound);

    test::writeBytes(dir.file("lead.btn"), {0x01, 0x02, 3, 0, 0, 0, 0, 0, 0, 0});
    PhoneBase lead = baseAt(dir.file("lead.btn"));
    EXPECT_FALSE(openBase(lead, nullptr));
    EXPECT_EQ(lead.status, StatusNoData);

    writeBaseFile(dir.file("old.btn"), 2, 2, 0);
    test::setVersionWord(dir.file("old.btn"), kVersion12);
    PhoneBase old = baseAt(dir.file("old.btn"));
    EXPECT_FALSE(openBase(old, nullptr));
    EXPECT_EQ(old.status, StatusVersionMismatch);
    EXPECT_FALSE(old.file); // not held

    test::setVersionWord(dir.file("old.btn"), 0x0777);
    PhoneBase odd = baseAt(dir.file("old.btn"));
    EXPECT_FALSE(openBase(odd, nullptr));
    EXPECT_EQ(odd.status, StatusUnknownFormat);
}

TEST(OpenBase, Version20bOnlyWhenAllowed) {
    TempDir dir;
    // Fields short enough to be read in either field order.
    PhoneBase made = baseAt(dir.file("b20.btn"));
    RecordFields r;
    r.set(1, "12345");
    r.set(2, "Ab");
    r.set(3, "Cd");
    r.set(4, "1");
    r.set(5, "2");
    ASSERT_TRUE(putRecord(made.table(TableKind::Population), 0, r));
    ASSERT_TRUE(saveBase(made, kMaskAllTables));
    closeBase(made);
    test::setVersionWord(dir.file("b20.btn"), kVersion20b);

    PhoneBase refused = baseAt(dir.file("b20.btn"));
    EXPECT_FALSE(openBase(refused, nullptr));
    EXPECT_EQ(refused.status, StatusVersionMismatch);

    PhoneBase allowed = baseAt(dir.file("b20.btn"));
    ASSERT_TRUE(openBase(allowed, nullptr, {.allow20b = true}));
    EXPECT_EQ(allowed.version, kVersion20b);
    EXPECT_EQ(allowed.table(TableKind::Population).count, 1);
}

TEST(OpenBase, KeyedFileTakesItsKeyFromTheStoreOnlyWithAutoKey) {
    TempDir dir;
    writeBaseFile(dir.file("k.btn"), 4, 4, 4, "пароль");
    KeyStore store(dir.file("store/Key"));

    PhoneBase noKey = baseAt(dir.file("k.btn"));
    EXPECT_FALSE(openBase(noKey, nullptr, {.autoKey = true, .keys = &store}));
    EXPECT_EQ(noKey.status, StatusKeyMissing);
    EXPECT_EQ(noKey.connected, 0);
    EXPECT_FALSE(noKey.file); // not held while waiting for a key

    BaseSet set;
    PhoneBase remembered = baseAt(dir.file("k.btn"));
    remembered.key = deriveFileKey("пароль");
    remembered.rememberKey = 1;
    set.bases.push_back(std::move(remembered));
    ASSERT_TRUE(store.saveKeys(set));

    PhoneBase withoutAuto = baseAt(dir.file("k.btn"));
    EXPECT_FALSE(openBase(withoutAuto, nullptr, {.keys = &store}));
    EXPECT_EQ(withoutAuto.status, StatusKeyMissing);

    PhoneBase withAuto = baseAt(dir.file("k.btn"));
    ASSERT_TRUE(openBase(withAuto, nullptr, {.autoKey = true, .keys = &store}));
    EXPECT_EQ(withAuto.key, deriveFileKey("пароль"));
    EXPECT_EQ(withAuto.recordCount(), 12);
}

TEST(OpenBase, WrongKeyFailsAndEmptiesTheKey) {
    TempDir dir;
    writeBaseFile(dir.file("k.btn"), 4, 4, 0, "right");
    PhoneBase base = baseAt(dir.file("k.btn"));
    base.key = deriveFileKey("wrong");
    EXPECT_FALSE(openBase(base, nullptr));
    EXPECT_TRUE(base.status == StatusLoadFailed || base.status == StatusReadOnlyIncomplete);
    EXPECT_EQ(base.key, "");
    // With the right key the same base connects.
    base.key = deriveFileKey("right");
    EXPECT_TRUE(openBase(base, nullptr));
}

// ---- findBase, scanFolder ------------------------------------------------

// Names that differ in letter case are two files on this platform.
TEST(FindBase, ComparesPathsAsTheFileSystemDoes) {
    BaseSet set;
    set.bases.push_back(baseAt("first.btn"));
    set.bases.push_back(baseAt("\xD2\xE0\xEB\xFC\xF1\xEA.btn")); // "Тальск.btn"
    set.bases.push_back(baseAt("first.btn"));
    EXPECT_EQ(findBase(set, "first.btn"), 0); // the first of equal paths
    EXPECT_EQ(findBase(set, "\xD2\xE0\xEB\xFC\xF1\xEA.btn"), 1);
#ifdef _WIN32 // names there ignore letter case
    EXPECT_EQ(findBase(set, "FIRST.BTN"), 0);
#else
    EXPECT_EQ(findBase(set, "FIRST.BTN"), kNoBase);
#endif
    EXPECT_EQ(findBase(set, "\xF2\xE0\xEB\xFC\xF1\xEA.btn"), kNoBase); // "тальск.btn"
    EXPECT_EQ(findBase(set, "first.bt"), kNoBase);
    EXPECT_EQ(findBase(set, ""), kNoBase);
    BaseSet empty;
    EXPECT_EQ(findBase(empty, "first.btn"), kNoBase);
}

#ifndef _WIN32 // "b.btn" and "B.btn" are one file on Windows
TEST(ScanFolder, AddsBtnFilesInNameOrderOnce) {
    TempDir dir;
    for (const char* name : {"b.btn", "B.btn", "A.BTN", "c.Btn", "notes.txt", "x.btnx", "btn"})
        test::writeBytes(dir.file(name), {1});
    std::filesystem::create_directory(dir.file("folder.btn"));
    ProgramSettings settings;
    settings.fileCount = 1;
    settings.filePaths[0] = "b.btn";
    BaseSet set;
    set.folder = dir.path();
    set.bases.push_back(baseAt("b.btn"));
    // "B.btn" is another file than the listed "b.btn".
    EXPECT_EQ(scanFolder(set, &settings), 3);
    ASSERT_EQ(set.count(), 4);
    EXPECT_EQ(set.bases[0].path, "b.btn");
    EXPECT_EQ(set.bases[1].path, "A.BTN");
    EXPECT_EQ(set.bases[2].path, "B.btn");
    EXPECT_EQ(set.bases[3].path, "c.Btn");
    EXPECT_EQ(settings.fileCount, 4);
    EXPECT_EQ(settings.filePaths[1], "A.BTN");
    EXPECT_EQ(settings.filePaths[3], "c.Btn");
    EXPECT_EQ(scanFolder(set, &settings), 0); // nothing new the second time
    EXPECT_EQ(set.count(), 4);
}
#endif

TEST(ScanFolder, StopsAt64Files) {
    TempDir dir;
    for (int i = 0; i < 70; ++i)
        test::writeBytes(dir.file("f" + std::to_string(100 + i) + ".btn"), {1});
    ProgramSettings settings;
    BaseSet set;
    set.folder = dir.path();
    FolderScanSkips skipped;
    EXPECT_EQ(scanFolder(set, &settings, &skipped), 64);
    EXPECT_EQ(set.count(), 64);
    EXPECT_EQ(settings.fileCount, 64);
    EXPECT_EQ(settings.filePaths[63], "f163.btn");
    EXPECT_EQ(skipped.overLimit.size(), 6u);
    EXPECT_NE(folderScanMessage(skipped).find("f169.btn"), std::string::npos);
}

// Names the settings file cannot hold as they are stay out of the list, and
// are told; every other name goes in unchanged.
TEST(ScanFolder, LeavesOutNamesTheSettingsCannotHold) {
    TempDir dir;
#ifdef _WIN32 // a tab is no character of a name there, and a backslash parts folders
    const std::vector<std::string> listedNames = {"a b.btn", "Тальск.btn"};
    const std::vector<std::string> unstorable = {"a😀.btn", "café.btn", "東京.btn"};
#else
    const std::vector<std::string> listedNames = {"a\tb.btn", "a b.btn", "Тальск.btn"};
    const std::vector<std::string> unstorable = {"a😀.btn", "café.btn", "y\\z.btn", "東京.btn"};
#endif
    for (const std::vector<std::string>& names : {listedNames, unstorable})
        for (const std::string& name : names)
            test::writeBytes(dir.file(name), {1});
    ProgramSettings settings;
    BaseSet set;
    set.folder = dir.path();
    FolderScanSkips skipped;
    const int count = static_cast<int>(listedNames.size());
    EXPECT_EQ(scanFolder(set, &settings, &skipped), count);
    std::vector<std::string> listed(settings.filePaths.begin(), settings.filePaths.begin() + count);
    EXPECT_EQ(listed, listedNames);
    // The file's names may come with '\\' separators: one in a name would not come back.
    EXPECT_EQ(skipped.unstorable, unstorable);
    EXPECT_NE(folderScanMessage(skipped).find(unstorablePathMessage("café.btn")),
              std::string::npos);
}

TEST(ScanFolder, MissingFolderAddsNothing) {
    TempDir dir;
    BaseSet set;
    set.folder = dir.file("nowhere");
    EXPECT_EQ(scanFolder(set, nullptr), 0);
    EXPECT_EQ(set.count(), 0);
}

TEST(FullBasePath, NamesWithoutFolderLieInTheSetsFolder) {
    BaseSet set;
    set.folder = "/prog";
    EXPECT_EQ(fullBasePath(set, "a.btn"), "/prog/a.btn");
    EXPECT_EQ(fullBasePath(set, "/other/a.btn"), "/other/a.btn");
#ifdef _WIN32 // a drive letter starts a whole path there
    EXPECT_EQ(fullBasePath(set, "C:/x/a.btn"), "C:/x/a.btn");
#else
    // A drive letter means nothing here: such a name lies in the folder too.
    EXPECT_EQ(fullBasePath(set, "C:/x/a.btn"), "/prog/C:/x/a.btn");
#endif
    set.folder = "/prog/";
    EXPECT_EQ(fullBasePath(set, "a.btn"), "/prog/a.btn");
}

// ---- set upkeep ----------------------------------------------------------

// A set of three connected bases of a folder, listed in the settings.
struct ConnectedSet {
    TempDir dir;
    ProgramSettings settings;
    BaseSet set;
    ConnectedSet() {
        set.folder = dir.path();
        const char* names[] = {"a.btn", "b.btn", "c.btn"};
        for (int i = 0; i < 3; ++i) {
            writeBaseFile(dir.file(names[i]), 1 + i, 10 * (i + 1), 100 * (i + 1), {},
                          static_cast<uint64_t>(i + 1));
            settings.filePaths[static_cast<size_t>(i)] = dir.file(names[i]);
            PhoneBase base = baseAt(dir.file(names[i]));
            EXPECT_TRUE(openBase(base, nullptr));
            set.bases.push_back(std::move(base));
        }
        settings.fileCount = 3;
        recountTotals(set);
    }
};

// Files connected without their pair filters get them one table per call,
// connected bases only, until every loaded table has its own; an edit clears
// one, and only that one is built again.
TEST(PairFiltersLater, BuiltOneTableAtATimeAndAgainAfterAnEdit) {
    TempDir dir;
    BaseSet set;
    for (int i = 0; i < 3; ++i) {
        const std::string name = dir.file("f" + std::to_string(i) + ".btn");
        writeBaseFile(name, 1 + i, 10 * (i + 1), 100 * (i + 1), {}, static_cast<uint64_t>(i + 1));
        set.bases.push_back(baseAt(name));
        if (i < 2) {
            ASSERT_TRUE(openBase(set.bases.back(), nullptr, {.pairFilters = false}));
        }
    }
    auto covered = [&set] {
        int n = 0;
        for (const PhoneBase& b : set.bases)
            for (const BaseTable& t : b.tables)
                n += t.pairs.covers(t) ? 1 : 0;
        return n;
    };
    EXPECT_EQ(covered(), 0);
    int built = 0;
    while (buildNextPairFilter(set)) {
        ++built;
        EXPECT_EQ(covered(), built);
        ASSERT_LE(built, 6);
    }
    EXPECT_EQ(built, 6); // two connected bases of three tables; the third is not connected

    BaseTable& edited = set.bases[1].table(TableKind::Organizations);
    RecordFields f;
    f.set(1, "12345");
    f.set(2, "NEW");
    ASSERT_TRUE(putRecord(edited, edited.count, f));
    EXPECT_EQ(covered(), 5);
    EXPECT_TRUE(buildNextPairFilter(set));
    EXPECT_TRUE(edited.pairs.covers(edited));
    EXPECT_FALSE(buildNextPairFilter(set));
}

TEST(BaseSetUpkeep, TotalsCountConnectedBasesOnly) {
    ConnectedSet c;
    EXPECT_EQ(c.set.totalPopulation, 1 + 2 + 3);
    EXPECT_EQ(c.set.totalOrganizations, 10 + 20 + 30);
    EXPECT_EQ(c.set.totalCityCodes, 100 + 200 + 300);
    EXPECT_EQ(c.set.total, 666);
    c.set.bases[1].connected = 0;
    recountTotals(c.set);
    EXPECT_EQ(c.set.totalPopulation, 4);
    EXPECT_EQ(c.set.total, 4 + 40 + 400);
}

TEST(BaseSetUpkeep, RemoveBaseMovesBasesAndNamesDown) {
    ConnectedSet c;
    removeBase(c.set, &c.settings, 0);
    ASSERT_EQ(c.set.count(), 2);
    EXPECT_EQ(c.settings.fileCount, 2);
    EXPECT_EQ(c.set.bases[0].path, c.dir.file("b.btn"));
    EXPECT_EQ(c.settings.filePaths[0], c.dir.file("b.btn"));
    EXPECT_EQ(c.settings.filePaths[1], c.dir.file("c.btn"));
    EXPECT_EQ(c.settings.filePaths[2], "");
    EXPECT_EQ(c.set.totalPopulation, 5);
    // The removed base's file is closed: another writer may take it.
    EXPECT_NE(fileSystem().open(c.dir.file("a.btn"), OpenMode::ReadWriteExclusive), nullptr);
    removeBase(c.set, &c.settings, 5); // out of range: nothing
    removeBase(c.set, &c.settings, -1);
    EXPECT_EQ(c.set.count(), 2);
    removeBase(c.set, &c.settings, 1);
    removeBase(c.set, &c.settings, 0);
    EXPECT_EQ(c.set.count(), 0);
    EXPECT_EQ(c.settings.fileCount, 0);
    EXPECT_EQ(c.set.total, 0);
}

TEST(BaseSetUpkeep, ResizeAddsEmptyBases) {
    ConnectedSet c;
    ASSERT_TRUE(resizeBaseSet(c.set, 5));
    ASSERT_EQ(c.set.count(), 5);
    EXPECT_EQ(c.set.bases[3].path, "");
    EXPECT_EQ(c.set.bases[4].connected, 0);
    EXPECT_EQ(c.set.bases[0].connected, 1); // kept
    ASSERT_TRUE(resizeBaseSet(c.set, 0));
    EXPECT_EQ(c.set.count(), 0);
    EXPECT_FALSE(resizeBaseSet(c.set, -1));
    EXPECT_FALSE(resizeBaseSet(c.set, 65));
}

TEST(BaseSetUpkeep, VerifyLoadedResetsBasesWithoutTheirRecords) {
    ConnectedSet c;
    EXPECT_TRUE(verifyLoaded(c.set));
    EXPECT_EQ(c.set.total, 666);
    c.set.bases[1].table(TableKind::Organizations).text.reset();
    EXPECT_FALSE(verifyLoaded(c.set));
    EXPECT_EQ(c.set.bases[1].connected, 0);
    EXPECT_EQ(c.set.bases[1].status, StatusLoadFailed);
    EXPECT_EQ(c.set.bases[1].recordCount(), 0);
    EXPECT_EQ(c.set.total, 111 + 333);
    // An index too short for its records counts as missing as well.
    ASSERT_TRUE(c.set.bases[2].table(TableKind::CityCodes).index.resize(10 * 5));
    EXPECT_FALSE(verifyLoaded(c.set));
    EXPECT_EQ(c.set.bases[2].status, StatusLoadFailed);
    EXPECT_EQ(c.set.total, 111);
}

} // namespace
} // namespace talsk
