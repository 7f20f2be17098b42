// Saves cut short at every step: the file is the old one or the new one when
// it is next opened, never a third thing, whichever way the save went.

#include "platform/atomic_write.h"
#include "platform/journal.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace talsk::test {
namespace {

#ifdef _WIN32
constexpr const char* kDataVariable = "LOCALAPPDATA";
void setVariable(const char* name, const std::string& value) {
    _putenv_s(name, value.c_str());
}
#else
constexpr const char* kDataVariable = "XDG_DATA_HOME";
void setVariable(const char* name, const std::string& value) {
    setenv(name, value.c_str(), 1);
}
#endif

// The user's data folder pointed into a test folder for as long as it lives.
class ScopedDataFolder {
public:
    explicit ScopedDataFolder(const std::string& folder) {
        if (const char* old = std::getenv(kDataVariable)) saved_ = old;
        setVariable(kDataVariable, folder);
    }
    ~ScopedDataFolder() { setVariable(kDataVariable, saved_); }
    ScopedDataFolder(const ScopedDataFolder&) = delete;
    ScopedDataFolder& operator=(const ScopedDataFolder&) = delete;

private:
    std::string saved_;
};

std::vector<unsigned char> pattern(size_t size, unsigned char seed) {
    std::vector<unsigned char> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(seed + i * 7 + i / 251);
    return bytes;
}

enum class Way { Rename, SecondName, FolderRefuses };

struct Save {
    const char* what;
    Way way;
    bool small; // a small file (settings, key store) rather than a base file
    size_t newSize;
};

bool runSave(const Save& s, const std::string& path, const std::vector<unsigned char>& bytes) {
    if (s.small) return writeFileAtomically(path, bytes.data(), bytes.size(), false);
    std::unique_ptr<File> held;
    return writeFileImage(path, bytes.data(), static_cast<int64_t>(bytes.size()), held);
}

// What one save cut at change `crashAt` (-1: not cut) left once the file was
// opened again: true when it is the old or the new file and no journal stays.
struct Outcome {
    bool saved = false;
    bool isOld = false;
    bool isNew = false;
    bool journalLeft = false;
    Recovery recovery = Recovery::None;
    int64_t changes = 0;
};

Outcome cutSave(const Save& s, int64_t crashAt) {
    TempDir dir;
    const std::string folder = fileSystem().resolve(dir.path());
    const std::string path = folder + "/base.btn";
    const std::string data = folder + "/data";
    ScopedDataFolder userData(data);
    const std::vector<unsigned char> oldBytes = pattern(5000, 1);
    const std::vector<unsigned char> newBytes = pattern(s.newSize, 2);
    writeBytes(path, oldBytes);
#ifndef _WIN32
    if (s.way == Way::SecondName) {
        EXPECT_EQ(link(path.c_str(), (folder + "/also.btn").c_str()), 0);
    }
#endif
    Outcome out;
    {
        FaultFileSystem fs;
        fs.crashAtChange = crashAt;
        if (s.way == Way::FolderRefuses) fs.refusingFolder = folder;
        ScopedFileSystem scoped(fs);
        out.saved = runSave(s, path, newBytes);
        out.changes = fs.changes;
    }
    out.recovery = recoverFile(path);
    const std::vector<unsigned char> now = readBytes(path);
    out.isOld = now == oldBytes;
    out.isNew = now == newBytes;
    FileAttributes a = fileSystem().attributes(path);
    out.journalLeft = fileSystem().attributes(journalBeside(path, a)).exists ||
                      fileSystem().attributes(journalOfIdentity(a)).exists;
    return out;
}

TEST(Journal, SaveCutAtEveryChangeLeavesTheOldOrTheNewFile) {
    const Save saves[] = {
        {"base file, renamed into place", Way::Rename, false, 3000},
        {"base file, in place for its second name, shorter", Way::SecondName, false, 3000},
        {"base file, in place for its second name, longer", Way::SecondName, false, 9000},
        {"base file, in place in a folder that takes no file", Way::FolderRefuses, false, 3000},
        {"small file, in place for its second name", Way::SecondName, true, 2000},
    };
    for (const Save& s : saves) {
#ifdef _WIN32
        if (s.way == Way::SecondName) continue; // hard links are made by POSIX calls here
#endif
        const Outcome whole = cutSave(s, -1);
        ASSERT_TRUE(whole.saved) << s.what;
        EXPECT_TRUE(whole.isNew) << s.what;
        EXPECT_FALSE(whole.journalLeft) << s.what;
        ASSERT_GT(whole.changes, 2) << s.what;
        int undone = 0;
        for (int64_t at = 1; at <= whole.changes; ++at) {
            const Outcome cut = cutSave(s, at);
            // Cut after the save was done, the new file is what it said it stored.
            EXPECT_TRUE(!cut.saved || cut.isNew) << s.what << ", cut at change " << at;
            EXPECT_TRUE(cut.isOld || cut.isNew) << s.what << ", cut at change " << at;
            EXPECT_FALSE(cut.journalLeft) << s.what << ", cut at change " << at;
            EXPECT_NE(cut.recovery, Recovery::Failed) << s.what << ", cut at change " << at;
            if (cut.recovery == Recovery::RolledBack) ++undone;
        }
        // Written in place, some cuts damaged the file and the journal mended it.
        if (s.way != Way::Rename)
            EXPECT_GT(undone, 0) << s.what;
        else
            EXPECT_EQ(undone, 0) << s.what;
    }
}

// A journal is undone only for the file it names, only when whole, and never
// under a writer that holds the file.
TEST(Journal, RecoveryTouchesOnlyWhatIsItsOwn) {
    TempDir dir;
    const std::string folder = fileSystem().resolve(dir.path());
    ScopedDataFolder userData(folder + "/data");
    const std::string path = folder + "/base.btn";
    const std::vector<unsigned char> oldBytes = pattern(4000, 3);
    const std::vector<unsigned char> newBytes = pattern(1000, 4);

    auto leaveJournal = [&] {
        writeBytes(path, oldBytes);
        // In place, the journal in the user's data folder.
        leaveJournaledSave(path, newBytes, folder);
    };

    leaveJournal();
    EXPECT_EQ(readBytes(path), newBytes);
    const std::string journal = journalOfIdentity(fileSystem().attributes(path));
    ASSERT_TRUE(fileSystem().attributes(journal).exists);
    {
        // Held by a writer: its journal may be a save under way.
        std::unique_ptr<File> writer = fileSystem().open(path, OpenMode::ReadWriteExclusive);
        ASSERT_TRUE(writer);
        EXPECT_EQ(recoverFile(path), Recovery::None);
        EXPECT_TRUE(fileSystem().attributes(journal).exists);
    }
    std::vector<std::string> told;
    setRecoveryReporter([&](const std::string& p, Recovery r) {
        if (r == Recovery::RolledBack) told.push_back(p);
    });
    EXPECT_EQ(recoverFile(path), Recovery::RolledBack);
    setRecoveryReporter(nullptr);
    EXPECT_EQ(readBytes(path), oldBytes);
    EXPECT_FALSE(fileSystem().attributes(journal).exists);
    EXPECT_EQ(told, std::vector<std::string>{path});

    // Torn: one byte of the old content changed in the journal.
    leaveJournal();
    std::vector<unsigned char> torn = readBytes(journal);
    torn[torn.size() / 2] ^= 1;
    writeBytes(journal, torn);
    EXPECT_EQ(recoverFile(path), Recovery::None);
    EXPECT_EQ(readBytes(path), newBytes) << "a torn journal restores nothing";
    EXPECT_FALSE(fileSystem().attributes(journal).exists) << "and is thrown away";

    // Another file's journal beside this one is not undone here.
    leaveJournal();
    const std::string other = folder + "/other.btn";
    writeBytes(other, pattern(10, 5));
    const std::vector<unsigned char> kept = readBytes(journal);
    const std::string besideOther = journalBeside(other, fileSystem().attributes(other));
    writeBytes(besideOther, kept);
    EXPECT_EQ(recoverFile(other), Recovery::None);
    EXPECT_EQ(readBytes(other), pattern(10, 5));
    EXPECT_TRUE(fileSystem().attributes(besideOther).exists);
    EXPECT_EQ(recoverFile(path), Recovery::RolledBack);
}

} // namespace
} // namespace talsk::test
