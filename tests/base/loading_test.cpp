#include "base/loading.h"

#include "base/base_file.h"
#include "base/cipher.h"
#include "base/key_store.h"
#include "base/load_status.h"
#include "platform/cp1251.h"
#include "support/fault_file_system.h"
#include "support/loading_fixtures.h"
#include "support/temp_dir.h"
#include "tools/convert.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <map>
#include <set>

namespace talsk {
namespace {

using test::TempDir;
using test::writeBaseFile;

// Answers as a test script says and records what it was shown.
class ScriptedHost : public LoadingHost {
public:
    // Answers.
    bool convert = false;
    std::function<bool(const std::string&, std::string&)> converter;
    bool confirmKeys = true;
    std::map<std::string, std::string> typedKeys; // path as listed -> typed text
    std::set<std::string> checked;                // paths whose key is to be remembered
    FilesListAnswer failedAnswer{FilesListChoice::Ok, false};
    FilesListAnswer readOnlyAnswer{FilesListChoice::Ok, false};

    // What happened.
    std::vector<std::string> statusTexts;
    std::vector<std::string> questions;
    std::vector<std::string> converted;
    std::vector<std::vector<KeyEntryFile>> keyEntries;
    std::vector<std::vector<FileListEntry>> failedLists, readOnlyLists;
    std::vector<std::string> events;
    std::vector<std::string> warnings;

    void showWarning(const std::string& text) override { warnings.push_back(text); }
    void showStatusText(const std::string& text) override {
        statusTexts.push_back(text);
        events.push_back("status");
    }
    bool askYesNo(const std::string& text, const std::string& caption) override {
        questions.push_back(caption + ": " + text);
        return convert;
    }
    bool runConverter(const std::string& path, const std::string& fullPath,
                      std::string& typedKey) override {
        EXPECT_EQ(fullPath.substr(fullPath.size() - path.size()), path);
        converted.push_back(fullPath);
        return converter && converter(fullPath, typedKey);
    }
    bool askKeys(std::vector<KeyEntryFile>& files) override {
        keyEntries.push_back(files);
        for (KeyEntryFile& f : files) {
            auto it = typedKeys.find(f.path);
            if (it != typedKeys.end()) f.typedKey = it->second;
            f.remember = checked.count(f.path) != 0;
        }
        return confirmKeys;
    }
    FilesListAnswer showFilesList(const std::vector<FileListEntry>& files, bool readOnlyMode,
                                  bool showChangeButton) override {
        EXPECT_EQ(showChangeButton, !readOnlyMode);
        (readOnlyMode ? readOnlyLists : failedLists).push_back(files);
        return readOnlyMode ? readOnlyAnswer : failedAnswer;
    }
    void editConnectedFiles() override { events.push_back("edit"); }
    bool searchStops = true;
    bool cancelSearch() override {
        events.push_back("cancel");
        return searchStops;
    }
    void sizeResultStore(BaseSet& set) override {
        events.push_back("size " + std::to_string(set.total));
    }
    void refreshViews(BaseSet&) override { events.push_back("refresh"); }
};

std::vector<std::string> pathsOf(const std::vector<FileListEntry>& list) {
    std::vector<std::string> paths;
    for (const FileListEntry& e : list)
        paths.push_back(e.path);
    return paths;
}

// A program folder with its settings, key store and set, loaded through a
// scripted host.
struct Program {
    TempDir dir;
    TempDir config;
    ProgramSettings settings;
    BaseSet set;
    KeyStore store{config.file("Quelvarin0/Key")};
    ScriptedHost host;
    std::string folderNoticeShown; // kept by the window from one load to the next

    Program() {
        resetSettings(settings, ResetMode::All);
        settings.programFolder = dir.path();
        settings.connectFolderFiles = 0;
    }
    void list(const std::vector<std::string>& names) {
        settings.fileCount = static_cast<int16_t>(names.size());
        for (size_t i = 0; i < names.size(); ++i)
            settings.filePaths[i] = names[i];
    }
    LoadReport load() { return Loader(set, settings, host, &store, &folderNoticeShown).run(); }
    // As at the next start of the program: no bases, a new host.
    void restart() {
        set.bases.clear();
        host = ScriptedHost{};
    }
    const PhoneBase& base(int i) const { return set.bases.at(static_cast<size_t>(i)); }
};

TEST(Loading, EmptyListShowsTheStatusTextsInOrder) {
    Program p;
    p.settings.connectFolderFiles = 1;
    const LoadReport r = p.load();
    EXPECT_EQ(p.set.count(), 0);
    EXPECT_EQ(p.host.statusTexts,
              (std::vector<std::string>{"Подготовка к загрузке данных", "Проверка данных",
                                        "Загрузка файлов завершена"}));
    EXPECT_EQ(p.host.events, (std::vector<std::string>{"status", "cancel", "status", "size 0",
                                                       "refresh", "status"}));
    EXPECT_FALSE(r.anyNotConnected);
    EXPECT_TRUE(p.host.failedLists.empty());
    EXPECT_TRUE(p.host.readOnlyLists.empty());
    // The layout table is loaded: Latin q is on the key of Cyrillic й.
    EXPECT_EQ(p.set.layout['q'], 0xE9);
}

TEST(Loading, ListedFilesThenFolderFilesConnectInOrder) {
    Program p;
    writeBaseFile(p.dir.file("b.btn"), 2, 1, 0, {}, 1);
    writeBaseFile(p.dir.file("A.BTN"), 3, 0, 1, {}, 2);
    writeBaseFile(p.dir.file("z.Btn"), 1, 1, 1, {}, 3);
    test::writeBytes(p.dir.file("readme.txt"), {'x'});
    p.list({"z.Btn"});
    p.settings.connectFolderFiles = 1;
    const LoadReport r = p.load();
    ASSERT_EQ(p.set.count(), 3);
    EXPECT_EQ(p.base(0).path, "z.Btn");
    EXPECT_EQ(p.base(1).path, "A.BTN");
    EXPECT_EQ(p.base(2).path, "b.btn");
    for (const PhoneBase& b : p.set.bases) {
        EXPECT_EQ(b.connected, 1) << b.path;
        EXPECT_EQ(b.status, StatusConnected) << b.path;
    }
    EXPECT_EQ(p.settings.fileCount, 3);
    EXPECT_EQ(p.settings.filePaths[2], "b.btn");
    EXPECT_EQ(p.set.totalPopulation, 6);
    EXPECT_EQ(p.set.totalOrganizations, 2);
    EXPECT_EQ(p.set.totalCityCodes, 2);
    EXPECT_EQ(p.set.total, 10);
    EXPECT_NE(std::find(p.host.events.begin(), p.host.events.end(), "size 10"),
              p.host.events.end());
    EXPECT_EQ(p.host.statusTexts[1], "Загрузка z.Btn");
    EXPECT_EQ(p.host.statusTexts[3], "Загрузка b.btn");
    EXPECT_FALSE(r.anyNotConnected);
    EXPECT_TRUE(p.host.keyEntries.empty());
    EXPECT_TRUE(p.host.failedLists.empty());
}

TEST(Loading, FolderFilesAreLeftOutWhenTheOptionIsOff) {
    Program p;
    writeBaseFile(p.dir.file("a.btn"), 1, 0, 0);
    p.load();
    EXPECT_EQ(p.set.count(), 0);
    EXPECT_EQ(p.settings.fileCount, 0);
}

// Files of the folder left out are named once, not at every later load.
TEST(Loading, FolderFilesLeftOutAreToldOnce) {
    Program p;
    p.settings.connectFolderFiles = 1;
    for (int i = 0; i < 65; ++i)
        test::writeBytes(p.dir.file("f" + std::to_string(100 + i) + ".btn"), {1});
    p.load();
    p.load();
    EXPECT_EQ(p.host.warnings, std::vector<std::string>{folderScanMessage({{"f164.btn"}, {}, {}})});
    test::writeBytes(p.dir.file("café.btn"), {1});
    p.load();
    EXPECT_EQ(p.host.warnings.size(), 2u);
}

// A caller that keeps no last word (talsk-cli) hears it at every load.
TEST(Loading, FolderFilesLeftOutAreToldAtEveryLoadWithoutAKeeper) {
    Program p;
    p.settings.connectFolderFiles = 1;
    for (int i = 0; i < 65; ++i)
        test::writeBytes(p.dir.file("f" + std::to_string(100 + i) + ".btn"), {1});
    for (int load = 0; load < 2; ++load)
        (void)Loader(p.set, p.settings, p.host, &p.store).run();
    EXPECT_EQ(p.host.warnings,
              std::vector<std::string>(2, folderScanMessage({{"f164.btn"}, {}, {}})));
}

TEST(Loading, MissingFileIsListedOrRemoved) {
    {
        Program p;
        writeBaseFile(p.dir.file("here.btn"), 1, 0, 0);
        p.list({"gone.btn", "here.btn"});
        p.host.failedAnswer = {FilesListChoice::Ok, true};
        const LoadReport r = p.load();
        ASSERT_EQ(p.set.count(), 2);
        EXPECT_EQ(p.base(0).status, StatusNotFound);
        EXPECT_TRUE(r.anyNotConnected);
        ASSERT_EQ(p.host.failedLists.size(), 1u);
        EXPECT_EQ(pathsOf(p.host.failedLists[0]), std::vector<std::string>{"gone.btn"});
        EXPECT_EQ(p.host.failedLists[0][0].status, StatusNotFound);
        // "Не показывать это в дальнейшем" turns the message off.
        EXPECT_EQ(p.settings.noLoadErrorMessage, 1);
        p.host.failedLists.clear();
        p.load();
        EXPECT_TRUE(p.host.failedLists.empty());
    }
    {
        Program p;
        writeBaseFile(p.dir.file("here.btn"), 1, 0, 0);
        p.list({"gone.btn", "also-gone.btn", "here.btn"});
        p.settings.autoRemoveMissing = 1;
        const LoadReport r = p.load();
        EXPECT_EQ(r.removed, 2);
        ASSERT_EQ(p.set.count(), 1);
        EXPECT_EQ(p.base(0).path, "here.btn");
        EXPECT_EQ(p.base(0).connected, 1); // the base that moved into the place is loaded
        EXPECT_EQ(p.settings.fileCount, 1);
        EXPECT_EQ(p.settings.filePaths[0], "here.btn");
        EXPECT_TRUE(p.host.failedLists.empty());
    }
}

TEST(Loading, ChangeFromTheFailedListOpensTheConnectedFiles) {
    Program p;
    p.list({"gone.btn"});
    p.host.failedAnswer = {FilesListChoice::Change, true};
    const LoadReport r = p.load();
    EXPECT_TRUE(r.changeRequested);
    EXPECT_EQ(p.host.events.back(), "edit");
    EXPECT_EQ(p.settings.noLoadErrorMessage, 0); // only OK stores the check box
}

TEST(Loading, LockedAndReadOnlyFilesConnectAndAreListed) {
    Program p;
    writeBaseFile(p.dir.file("busy.btn"), 2, 0, 0, {}, 1);
    writeBaseFile(p.dir.file("ro.btn"), 3, 0, 0, {}, 2);
    writeBaseFile(p.dir.file("ok.btn"), 4, 0, 0, {}, 3);
    p.list({"busy.btn", "ro.btn", "ok.btn"});
    auto holder = fileSystem().open(p.dir.file("busy.btn"), OpenMode::ReadWriteExclusive);
    ASSERT_NE(holder, nullptr);
    test::FaultFileSystem fs;
    fs.readOnlyPaths.insert(p.dir.file("ro.btn"));
    test::ScopedFileSystem use(fs);
    p.host.readOnlyAnswer = {FilesListChoice::Ok, true};
    // Names without a folder are found in the program's folder, wherever the
    // process stands, and loading leaves the process where it was.
    const auto before = std::filesystem::current_path();
    const LoadReport r = p.load();
    EXPECT_EQ(std::filesystem::current_path(), before);
    EXPECT_EQ(p.base(0).status, StatusReadOnlyBusy);
    EXPECT_EQ(p.base(1).status, StatusReadOnlyAttribute);
    EXPECT_EQ(p.base(2).status, StatusConnected);
    EXPECT_TRUE(r.anyReadOnly);
    EXPECT_FALSE(r.anyNotConnected);
    EXPECT_EQ(p.set.totalPopulation, 9); // read-only bases are searchable
    ASSERT_EQ(p.host.readOnlyLists.size(), 1u);
    EXPECT_EQ(pathsOf(p.host.readOnlyLists[0]), (std::vector<std::string>{"busy.btn", "ro.btn"}));
    EXPECT_EQ(p.settings.noReadOnlyMessage, 1);
    EXPECT_EQ(p.settings.noLoadErrorMessage, 0);
}

TEST(Loading, KeyedFileWithoutKeyIsAskedForThenRemembered) {
    Program p;
    writeBaseFile(p.dir.file("plain.btn"), 1, 0, 0, {}, 1);
    writeBaseFile(p.dir.file("secret.btn"), 5, 2, 0, "ключ", 2);
    p.list({"plain.btn", "secret.btn"});
    p.host.typedKeys["secret.btn"] = "ключ";
    p.host.checked.insert("secret.btn");
    LoadReport r = p.load();
    EXPECT_TRUE(r.keysMissing);
    EXPECT_TRUE(r.keyEntryConfirmed);
    ASSERT_EQ(p.host.keyEntries.size(), 1u);
    ASSERT_EQ(p.host.keyEntries[0].size(), 1u);
    EXPECT_EQ(p.host.keyEntries[0][0].path, "secret.btn");
    EXPECT_EQ(p.host.keyEntries[0][0].status, StatusKeyMissing);
    EXPECT_EQ(p.base(1).connected, 1);
    EXPECT_EQ(p.base(1).rememberKey, 1);
    EXPECT_EQ(p.set.total, 8);
    EXPECT_EQ(p.store.lookupKey("secret.btn"), deriveFileKey("ключ"));

    // Next start: a fresh set, the remembered key, no prompt.
    p.restart();
    r = p.load();
    EXPECT_FALSE(r.keysMissing);
    EXPECT_TRUE(p.host.keyEntries.empty());
    EXPECT_EQ(p.base(1).connected, 1);

    // Without automatic key entry the remembered key is not used.
    p.restart();
    p.settings.autoKeyEntry = 0;
    r = p.load();
    EXPECT_TRUE(r.keysMissing);
    EXPECT_EQ(p.host.keyEntries.size(), 1u);
    EXPECT_EQ(p.base(1).status, StatusKeyMissing);
    EXPECT_EQ(p.base(1).connected, 0);

    // Clearing the store: the key is needed again.
    ASSERT_TRUE(p.store.clearKeys());
    p.restart();
    p.settings.autoKeyEntry = 1;
    r = p.load();
    EXPECT_TRUE(r.keysMissing);
    EXPECT_EQ(p.base(1).status, StatusKeyMissing);
}

TEST(Loading, KeyEntryOnlyListsKeyedFilesWithoutKey) {
    Program p;
    writeBaseFile(p.dir.file("k1.btn"), 1, 0, 0, "one", 1);
    writeBaseFile(p.dir.file("k2.btn"), 1, 0, 0, "two", 2);
    writeBaseFile(p.dir.file("plain.btn"), 1, 0, 0, {}, 3);
    p.list({"k1.btn", "plain.btn", "k2.btn", "gone.btn"});
    // Only k2 gets a key; it is not checked, so nothing is remembered.
    p.host.typedKeys["k2.btn"] = "two";
    const LoadReport r = p.load();
    ASSERT_EQ(p.host.keyEntries.size(), 1u);
    std::vector<std::string> listed;
    for (const KeyEntryFile& f : p.host.keyEntries[0])
        listed.push_back(f.path);
    EXPECT_EQ(listed, (std::vector<std::string>{"k1.btn", "k2.btn"}));
    EXPECT_TRUE(r.keyEntryConfirmed);
    EXPECT_EQ(p.base(0).status, StatusKeyMissing);
    EXPECT_EQ(p.base(2).connected, 1);
    EXPECT_EQ(p.base(2).rememberKey, 0);
    EXPECT_EQ(p.store.lookupKey("k2.btn"), "");
    EXPECT_TRUE(p.config.entries().empty()); // nothing to remember, no store written
    ASSERT_EQ(p.host.failedLists.size(), 1u);
    EXPECT_EQ(pathsOf(p.host.failedLists[0]), (std::vector<std::string>{"k1.btn", "gone.btn"}));
}

TEST(Loading, CancelledKeyEntryLeavesFilesWithoutKeys) {
    Program p;
    writeBaseFile(p.dir.file("k.btn"), 1, 0, 0, "k");
    p.list({"k.btn"});
    p.host.typedKeys["k.btn"] = "k";
    p.host.checked.insert("k.btn");
    p.host.confirmKeys = false;
    const LoadReport r = p.load();
    EXPECT_TRUE(r.keyEntryShown);
    EXPECT_FALSE(r.keyEntryConfirmed);
    EXPECT_EQ(p.base(0).status, StatusKeyMissing);
    EXPECT_EQ(p.base(0).key, "");
    EXPECT_EQ(p.base(0).rememberKey, 0);
    EXPECT_TRUE(p.config.entries().empty());
}

TEST(Loading, ConfirmedKeyEntryWithoutAnyKeyCountsAsCancelled) {
    Program p;
    writeBaseFile(p.dir.file("k.btn"), 1, 0, 0, "k");
    p.list({"k.btn"});
    p.host.checked.insert("k.btn");
    const LoadReport r = p.load();
    EXPECT_TRUE(r.keyEntryShown);
    EXPECT_FALSE(r.keyEntryConfirmed);
    EXPECT_EQ(p.base(0).rememberKey, 0);
}

TEST(Loading, WrongRememberedKeyIsAskedForAgain) {
    Program p;
    writeBaseFile(p.dir.file("k.btn"), 3, 3, 3, "right");
    p.list({"k.btn"});
    {
        BaseSet wrong;
        PhoneBase b;
        b.path = "k.btn";
        b.key = deriveFileKey("wrong");
        b.rememberKey = 1;
        wrong.bases.push_back(std::move(b));
        ASSERT_TRUE(p.store.saveKeys(wrong));
    }
    p.host.typedKeys["k.btn"] = "right";
    const LoadReport r = p.load();
    EXPECT_TRUE(r.dataFailed);
    EXPECT_FALSE(r.keysMissing);
    ASSERT_EQ(p.host.keyEntries.size(), 1u);
    EXPECT_EQ(p.host.keyEntries[0][0].status, StatusLoadFailed);
    EXPECT_EQ(p.base(0).connected, 1);
    EXPECT_EQ(p.set.total, 9);
}

TEST(Loading, WrongKeyWithoutAnswerEndsWithStatus5) {
    Program p;
    writeBaseFile(p.dir.file("k.btn"), 3, 3, 3, "right");
    p.list({"k.btn"});
    p.host.typedKeys["k.btn"] = "wrong";
    p.load();
    EXPECT_EQ(p.base(0).status, StatusLoadFailed);
    EXPECT_EQ(p.base(0).connected, 0);
    EXPECT_EQ(p.base(0).key, "");
    ASSERT_EQ(p.host.failedLists.size(), 1u);
}

TEST(Loading, DamagedTableConnectsReadOnlyWithStatus10) {
    Program p;
    writeBaseFile(p.dir.file("d.btn"), 50, 50, 0);
    // Spoil the organizations block: its chunk header length becomes too large.
    std::vector<unsigned char> bytes = test::readBytes(p.dir.file("d.btn"));
    int32_t s0 = 0;
    PhoneBase probe;
    probe.path = p.dir.file("d.btn");
    ASSERT_TRUE(readHeader(probe));
    s0 = probe.tables[0].storedSize;
    closeBase(probe);
    bytes[static_cast<size_t>(s0) + 110] = 0xFF;
    bytes[static_cast<size_t>(s0) + 111] = 0xFF;
    test::writeBytes(p.dir.file("d.btn"), bytes);
    p.list({"d.btn"});
    const LoadReport r = p.load();
    EXPECT_EQ(p.base(0).status, StatusReadOnlyIncomplete);
    EXPECT_EQ(p.base(0).connected, 1);
    EXPECT_EQ(p.base(0).readOnly, 1);
    EXPECT_EQ(p.set.totalPopulation, 50);
    EXPECT_EQ(p.set.totalOrganizations, 0);
    EXPECT_TRUE(r.anyReadOnly);
    EXPECT_EQ(p.host.readOnlyLists.size(), 1u);
}

TEST(Loading, OldVersionIsOfferedForConversion) {
    Program p;
    writeBaseFile(p.dir.file("old.btn"), 4, 4, 0);
    test::setVersionWord(p.dir.file("old.btn"), kVersion20b);
    p.list({"old.btn"});

    // Declined: status 7, listed as not connected.
    LoadReport r = p.load();
    ASSERT_EQ(p.host.questions.size(), 1u);
    EXPECT_EQ(p.host.questions[0], "Конвертирование: Преобразовать файл old.btn в версию 2.0");
    EXPECT_TRUE(p.host.converted.empty());
    EXPECT_EQ(p.base(0).status, StatusVersionMismatch);
    EXPECT_TRUE(r.anyNotConnected);
    ASSERT_EQ(p.host.failedLists.size(), 1u);
    EXPECT_EQ(p.host.failedLists[0][0].status, StatusVersionMismatch);

    // Accepted: the converter runs on the full path and the file is tried again.
    p.restart();
    p.host.convert = true;
    p.host.converter = [](const std::string& path, std::string& typedKey) {
        test::setVersionWord(path, kVersion20);
        typedKey.clear();
        return true;
    };
    r = p.load();
    EXPECT_EQ(p.host.converted, std::vector<std::string>{p.dir.file("old.btn")});
    EXPECT_EQ(r.converted, 1);
    EXPECT_EQ(p.base(0).status, StatusConnected);
    EXPECT_EQ(p.set.total, 8);
    EXPECT_TRUE(p.host.failedLists.empty());
}

// What a base ended as: its status, flags, counts and records.
struct Outcome {
    std::string path;
    int32_t status;
    int connected, readOnly;
    std::array<int32_t, kTableCount> counts;
    std::array<std::string, kTableCount> pools;
    bool operator==(const Outcome&) const = default;
};

Outcome outcomeOf(const PhoneBase& base) {
    Outcome o{base.path, base.status, base.connected, base.readOnly, {}, {}};
    for (int k = 0; k < kTableCount; ++k) {
        const BaseTable& t = base.tables[static_cast<size_t>(k)];
        o.counts[static_cast<size_t>(k)] = t.count;
        if (!t.text.empty())
            o.pools[static_cast<size_t>(k)].assign(t.text.data(), static_cast<size_t>(t.textSize));
    }
    return o;
}

// Many files are read at once; every base must end as opening the files one
// after another leaves it: same order, statuses, writer locks (a file listed
// twice), records, and the host sees the files in list order.
TEST(Loading, ManyFilesEndAsOpenedOneAfterAnother) {
    Program p;
    p.settings.autoRemoveMissing = 0;
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i) {
        names.push_back("f" + std::to_string(i) + ".btn");
        // One file of several chunks; the others small.
        const int population = i == 4 ? 30000 : 40 + 7 * i;
        writeBaseFile(p.dir.file(names.back()), population, 20 + i, i % 3, {},
                      static_cast<uint64_t>(i + 1));
    }
    writeBaseFile(p.dir.file("keyed.btn"), 30, 5, 0, "secret");
    writeBaseFile(p.dir.file("old.btn"), 8, 3, 0);
    test::setVersionWord(p.dir.file("old.btn"), kVersion12);
    writeBaseFile(p.dir.file("dmg.btn"), 50, 50, 0);
    {
        PhoneBase probe;
        probe.path = p.dir.file("dmg.btn");
        ASSERT_TRUE(readHeader(probe));
        const auto at = static_cast<size_t>(probe.tables[0].storedSize) + 110;
        closeBase(probe);
        std::vector<unsigned char> bytes = test::readBytes(p.dir.file("dmg.btn"));
        bytes[at] = bytes[at + 1] = 0xFF;
        test::writeBytes(p.dir.file("dmg.btn"), bytes);
    }
    const std::vector<std::string> listed = {
        names[0], names[1], "keyed.btn", names[2],  names[3], "dmg.btn",
        names[4], names[5], "gone.btn",  names[6],  names[3], "old.btn",
        names[7], names[8], names[9],    names[10], names[11]};
    p.list(listed);
    p.load();

    std::vector<Outcome> loaded;
    for (const PhoneBase& base : p.set.bases)
        loaded.push_back(outcomeOf(base));
    std::vector<std::string> shown;
    for (const std::string& text : p.host.statusTexts)
        if (text.rfind("Загрузка ", 0) == 0 && text != "Загрузка файлов завершена")
            shown.push_back(text.substr(std::string("Загрузка ").size()));
    p.set.bases.clear(); // the files are let go before they are opened again

    std::vector<PhoneBase> one(listed.size());
    std::vector<Outcome> expected;
    for (size_t i = 0; i < listed.size(); ++i) {
        one[i].path = listed[i];
        one[i].folder = p.dir.path();
        (void)openBase(one[i], nullptr, {.autoKey = true, .keys = &p.store});
        expected.push_back(outcomeOf(one[i]));
    }
    ASSERT_EQ(loaded.size(), expected.size());
    for (size_t i = 0; i < listed.size(); ++i)
        EXPECT_TRUE(loaded[i] == expected[i])
            << listed[i] << ": status " << loaded[i].status << " / " << expected[i].status;
    EXPECT_EQ(shown, listed);
    // The statuses are the ones each kind of file gives.
    EXPECT_EQ(expected[2].status, StatusKeyMissing);
    EXPECT_EQ(expected[5].status, StatusReadOnlyIncomplete);
    EXPECT_EQ(expected[8].status, StatusNotFound);
    EXPECT_EQ(expected[10].status, StatusReadOnlyBusy);
    EXPECT_EQ(expected[11].status, StatusVersionMismatch);
    EXPECT_EQ(expected[6].counts[0], 30000);
}

// Files close and old ones are converted in place only after the search has
// stopped; one that would not stop leaves the set, the list and the files as
// they were.
TEST(Loading, SearchThatWouldNotStopLeavesSetAndFilesAlone) {
    for (const bool stops : {false, true}) {
        Program p;
        writeBaseFile(p.dir.file("a.btn"), 2, 0, 0);
        p.list({"a.btn"});
        p.load();
        ASSERT_EQ(p.set.total, 2);
        writeBaseFile(p.dir.file("old.btn"), 4, 4, 0);
        test::setVersionWord(p.dir.file("old.btn"), kVersion20b);
        const auto before = test::readBytes(p.dir.file("old.btn"));
        p.list({"old.btn"});
        p.host = ScriptedHost{};
        p.host.searchStops = stops;
        p.host.convert = true;
        p.host.converter = [](const std::string& path, std::string& typedKey) {
            test::setVersionWord(path, kVersion20);
            typedKey.clear();
            return true;
        };
        const LoadReport r = p.load();
        EXPECT_EQ(r.searchStillRunning, !stops);
        EXPECT_EQ(p.host.converted.size(), stops ? 1u : 0u);
        ASSERT_EQ(p.set.count(), 1);
        EXPECT_EQ(p.base(0).path, stops ? "old.btn" : "a.btn");
        EXPECT_EQ(p.base(0).connected, 1);
        EXPECT_EQ(p.set.total, stops ? 8 : 2);
        EXPECT_EQ(test::readBytes(p.dir.file("old.btn")) == before, !stops);
        if (!stops) {
            EXPECT_EQ(p.host.events, (std::vector<std::string>{"status", "cancel"}));
        }
    }
}

TEST(Loading, Version12FileIsConvertedInPlace) {
    Program p;
    {
        TempDir source;
        writeBaseFile(source.file("new.btn"), 6, 4, 0, "key");
        ASSERT_EQ(convertFileWithTypedKey(source.file("new.btn"), p.dir.file("old.btn"), kVersion12,
                                          "key", {}, FieldCutting::Allow)
                      .outcome,
                  ConvertOutcome::Done);
    }
    p.list({"old.btn"});
    p.load();
    EXPECT_EQ(p.base(0).status, StatusVersionMismatch);
    EXPECT_EQ(p.base(0).version, kVersion12);

    p.restart();
    p.host.convert = true;
    p.host.converter = [](const std::string& fullPath, std::string& typedKey) {
        typedKey = "key";
        return convertFileWithTypedKey(fullPath, fullPath, kVersion20, "key").outcome ==
               ConvertOutcome::Done;
    };
    const LoadReport r = p.load();
    EXPECT_EQ(r.converted, 1);
    EXPECT_EQ(p.base(0).status, StatusConnected);
    EXPECT_EQ(p.base(0).version, kVersion20);
    EXPECT_EQ(p.base(0).keyed, 1);
    EXPECT_EQ(p.set.totalPopulation, 6);
    EXPECT_EQ(p.set.totalOrganizations, 4);
    EXPECT_TRUE(p.host.keyEntries.empty());
}

TEST(Loading, ConvertedFileTakesTheKeyTypedInTheConverter) {
    Program p;
    writeBaseFile(p.dir.file("old.btn"), 2, 2, 2, "секрет");
    test::setVersionWord(p.dir.file("old.btn"), kVersion12);
    p.list({"old.btn"});
    p.settings.autoKeyEntry = 0;
    p.host.convert = true;
    p.host.converter = [](const std::string& path, std::string& typedKey) {
        test::setVersionWord(path, kVersion20);
        typedKey = "секрет";
        return true;
    };
    const LoadReport r = p.load();
    EXPECT_EQ(r.converted, 1);
    EXPECT_EQ(p.base(0).connected, 1);
    EXPECT_TRUE(p.host.keyEntries.empty());
}

TEST(Loading, ConverterThatLeavesAnOldFileIsNotRetriedForever) {
    Program p;
    writeBaseFile(p.dir.file("old.btn"), 2, 2, 0);
    test::setVersionWord(p.dir.file("old.btn"), kVersion12);
    p.list({"old.btn"});
    p.host.convert = true;
    p.host.converter = [](const std::string&, std::string&) { return true; };
    const LoadReport r = p.load();
    EXPECT_EQ(r.converted, 1);
    EXPECT_EQ(p.host.questions.size(), 1u);
    EXPECT_EQ(p.base(0).status, StatusVersionMismatch);

    // A converter that fails leaves the file as it was.
    p.restart();
    p.host.convert = true;
    p.host.converter = [](const std::string&, std::string&) { return false; };
    EXPECT_EQ(p.load().converted, 0);
    EXPECT_EQ(p.base(0).status, StatusVersionMismatch);
}

TEST(Loading, ReloadKeepsKeysOfTheSameFiles) {
    Program p;
    writeBaseFile(p.dir.file("k.btn"), 2, 0, 0, "k");
    writeBaseFile(p.dir.file("m.btn"), 2, 0, 0, "m", 2);
    p.list({"k.btn", "m.btn"});
    p.settings.autoKeyEntry = 0;
    // Keys given to the slots before the load command, as the connected-files
    // dialog does.
    ASSERT_TRUE(resizeBaseSet(p.set, 2));
    p.set.bases[0].path = "k.btn";
    p.set.bases[0].key = deriveFileKey("k");
    p.set.bases[1].path = "other.btn"; // another file held this place before
    p.set.bases[1].key = deriveFileKey("m");
    p.load();
    EXPECT_EQ(p.base(0).connected, 1);
    EXPECT_EQ(p.base(1).status, StatusKeyMissing);
    // Loading again reloads every file from disk.
    const LoadReport r = p.load();
    EXPECT_EQ(p.base(0).connected, 1);
    EXPECT_TRUE(r.keysMissing);
}

TEST(Loading, ContractHelpersOfTheDialogs) {
    BaseSet set;
    for (const char* name : {"a", "b", "c"}) {
        PhoneBase b;
        b.path = name;
        set.bases.push_back(std::move(b));
    }
    set.bases[0].keyed = 1;
    set.bases[0].rememberKey = 1;
    set.bases[1].keyed = 1;
    set.bases[1].key = "have";
    set.bases[2].keyed = 1;
    set.bases[2].readOnly = 1;
    set.bases[1].connected = 1;
    set.bases[1].readOnly = 1;
    std::vector<KeyEntryFile> files = keyEntryFiles(set);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].path, "a");
    EXPECT_TRUE(files[0].remember);
    EXPECT_FALSE(files[1].remember);
    const std::string typed(40, 'K'); // the core derives the file key, cut as the boxes cut it
    files[0].typedKey = typed;        // typed and checked
    files[1].remember = true;         // checked but no key typed
    EXPECT_TRUE(applyKeyEntry(set, files, true));
    EXPECT_EQ(set.bases[0].key, deriveFileKey(typed.substr(0, kMaxKeyLength)));
    EXPECT_EQ(set.bases[0].rememberKey, 1);
    EXPECT_EQ(set.bases[2].key, "");
    EXPECT_EQ(set.bases[2].rememberKey, 0);
    EXPECT_EQ(pathsOf(filesListEntries(set, false)), (std::vector<std::string>{"a", "c"}));
    // "c" failed and is read-only: listed once, among those not connected.
    EXPECT_EQ(pathsOf(filesListEntries(set, true)), std::vector<std::string>{"b"});

    ProgramSettings s;
    applyFilesListAnswer(s, true, {FilesListChoice::Cancel, true});
    EXPECT_EQ(s.noReadOnlyMessage, 0);
    applyFilesListAnswer(s, true, {FilesListChoice::Ok, true});
    EXPECT_EQ(s.noReadOnlyMessage, 1);
    EXPECT_EQ(s.noLoadErrorMessage, 0);
}

} // namespace
} // namespace talsk
