// The editing and the commit of the connected-files dialog, without a window.

#include "gui/files/connected_files_model.h"

#include "base/cipher.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace talsk::test {
namespace {

class ConnectedFiles : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"a.btn", "b.btn", "c.btn", "d.BTN", "notes.txt"})
            writeBytes(dir.file(name), {1, 2});
        set.folder = dir.path();
        // a and b are connected, a with a remembered key, b with a typed one.
        connect({{"a.btn", "KA", 1}, {"b.btn", "KB", 0}});
    }

    struct Listed {
        const char* name;
        const char* key;
        uint8_t remember;
    };
    void connect(const std::vector<Listed>& files) {
        set.bases.clear();
        for (size_t i = 0; i < files.size(); ++i) {
            settings.filePaths[i] = files[i].name;
            PhoneBase& base = set.bases.emplace_back();
            base.path = files[i].name;
            base.key = files[i].key;
            base.rememberKey = files[i].remember;
        }
        settings.fileCount = static_cast<int16_t>(files.size());
    }
    std::vector<std::string> names(const ConnectedFilesModel& m) const {
        std::vector<std::string> out;
        for (const ConnectedFile& f : m.files())
            out.push_back(f.name);
        return out;
    }
    int row(const ConnectedFilesModel& m, const std::string& name) const {
        const auto& u = m.unused();
        return static_cast<int>(std::find(u.begin(), u.end(), name) - u.begin());
    }

    TempDir dir;
    BaseSet set;
    ProgramSettings settings;
};

TEST_F(ConnectedFiles, OpensWithTheListAndTheFolderFilesNotInIt) {
    ConnectedFilesModel m(set, settings);
    EXPECT_EQ(names(m), (std::vector<std::string>{"a.btn", "b.btn"}));
    EXPECT_EQ(m.unused(), (std::vector<std::string>{"c.btn", "d.BTN"}));
    EXPECT_FALSE(m.changed());
    EXPECT_FALSE(m.commit(set, settings)); // nothing to do: no reload
    m.markReload();
    EXPECT_TRUE(m.changed());
}

TEST_F(ConnectedFiles, KeysFollowTheirFilesThroughEveryEdit) {
    ConnectedFilesModel m(set, settings);
    EXPECT_TRUE(m.moveDown(0)); // b, a
    EXPECT_FALSE(m.moveDown(1));
    EXPECT_FALSE(m.moveUp(0));
    m.remove({0}); // b leaves and comes back at the end: a, b
    EXPECT_EQ(m.unused(), (std::vector<std::string>{"b.btn", "c.btn", "d.BTN"}));
    EXPECT_EQ(m.addUnused({row(m, "c.btn"), row(m, "b.btn")}), AddRefusal::None);
    EXPECT_EQ(names(m), (std::vector<std::string>{"a.btn", "b.btn", "c.btn"}));
    EXPECT_TRUE(m.moveUp(2)); // a, c, b: c takes the position b held
    m.setTypedKey(0, "novyi");
    EXPECT_TRUE(m.changed());

    settings.filePaths[5] = "stale.btn";
    ASSERT_TRUE(m.commit(set, settings));
    EXPECT_EQ(settings.fileCount, 3);
    EXPECT_EQ(settings.filePaths[1], "c.btn");
    EXPECT_EQ(settings.filePaths[5], "");
    ASSERT_EQ(set.count(), 3);
    struct Want {
        std::string path, key;
        uint8_t remember;
    } want[] = {{"a.btn", deriveFileKey("novyi"), 1}, {"c.btn", "", 0}, {"b.btn", "KB", 0}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(set.bases[i].path, want[i].path);
        EXPECT_EQ(set.bases[i].key, want[i].key) << i;
        EXPECT_EQ(set.bases[i].rememberKey, want[i].remember) << i;
        EXPECT_EQ(set.bases[i].folder, dir.path());
        EXPECT_EQ(set.bases[i].connected, 0);
    }
}

TEST_F(ConnectedFiles, UnchangedKeysAfterMovesBackCountAsNoChange) {
    ConnectedFilesModel m(set, settings);
    m.remove({0, 1});
    EXPECT_TRUE(names(m).empty());
    ASSERT_EQ(m.addUnused({row(m, "a.btn")}), AddRefusal::None);
    ASSERT_EQ(m.addUnused({row(m, "b.btn")}), AddRefusal::None);
    m.setTypedKey(1, ""); // an empty box keeps no key
    EXPECT_FALSE(m.changed());
}

TEST_F(ConnectedFiles, MissingFilesLeaveBothListsAndTheFolderIsRescanned) {
    connect({{"a.btn", "", 0}, {"gone.btn", "", 0}, {"b.btn", "", 0}});
    ConnectedFilesModel m(set, settings);
    m.remove({1});
    EXPECT_EQ(m.unused(), (std::vector<std::string>{"c.btn", "d.BTN"}));
    writeBytes(dir.file("e.btn"), {1});
    std::remove(dir.file("b.btn").c_str());
    m.rescanFolder();
    EXPECT_EQ(m.unused(), (std::vector<std::string>{"c.btn", "d.BTN", "e.btn"}));
    m.removeMissing();
    EXPECT_EQ(names(m), (std::vector<std::string>{"a.btn"}));
}

// A folder that also lists a name longer than a list slot holds.
class LongNameFolder : public FaultFileSystem {
public:
    bool listFolder(const std::string& folder, std::vector<std::string>& names) override {
        const bool ok = FaultFileSystem::listFolder(folder, names);
        names.push_back(std::string(257, 'x') + ".btn");
        return ok;
    }
};

TEST_F(ConnectedFiles, TheListHoldsAtMost64NamesOf260Characters) {
    LongNameFolder fs;
    ScopedFileSystem scoped(fs);
    ConnectedFilesModel m(set, settings);
    const std::string longName = std::string(257, 'x') + ".btn"; // 261 characters
    ASSERT_EQ(m.unused().back(), longName);
    // The refused name and those after it stay where they are.
    EXPECT_EQ(m.addUnused({0, 2}), AddRefusal::NameTooLong);
    EXPECT_EQ(names(m), (std::vector<std::string>{"a.btn", "b.btn", "c.btn"}));
    EXPECT_EQ(m.unused(), (std::vector<std::string>{"d.BTN", longName}));

    std::vector<Listed> full;
    std::vector<std::string> keep;
    for (int i = 0; i < kMaxFiles - 1; ++i)
        keep.push_back("f" + std::to_string(i) + ".btn");
    for (const std::string& n : keep)
        full.push_back({n.c_str(), "", 0});
    connect(full);
    ConnectedFilesModel almost(set, settings);
    EXPECT_EQ(almost.addUnused({0, 1}), AddRefusal::ListFull); // a fits, b does not
    EXPECT_EQ(almost.files().size(), 64u);
    EXPECT_EQ(almost.files().back().name, "a.btn");
    EXPECT_EQ(almost.unused().front(), "b.btn");
    ASSERT_TRUE(almost.commit(set, settings));
    EXPECT_EQ(settings.fileCount, 64);
    EXPECT_EQ(set.count(), 64);
}

// A name the settings file cannot hold is refused by name; nothing of it is listed.
TEST_F(ConnectedFiles, NamesTheSettingsCannotHoldAreRefused) {
    std::vector<std::string> unstorable = {"café.btn", "a😀.btn"};
#ifndef _WIN32
    unstorable.push_back("x\\y.btn"); // a separator on Windows
#endif
    for (const std::string& name : unstorable)
        writeBytes(dir.file(name), {1, 2});
    writeBytes(dir.file("Тальск.btn"), {1, 2});
    ConnectedFilesModel m(set, settings);
    for (const std::string& name : unstorable) {
        EXPECT_EQ(m.addUnused({row(m, name)}), AddRefusal::NameNotStorable) << name;
        EXPECT_EQ(m.refusedName(), name);
    }
    EXPECT_EQ(m.addUnused({row(m, "Тальск.btn")}), AddRefusal::None);
    EXPECT_EQ(names(m), (std::vector<std::string>{"a.btn", "b.btn", "Тальск.btn"}));
    ASSERT_TRUE(m.commit(set, settings));
    EXPECT_EQ(firstUnstorablePath(settings), "");
}

} // namespace
} // namespace talsk::test
