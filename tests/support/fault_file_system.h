#pragma once
// A file system double over the real one that can fail on purpose: write or
// flush errors in temporary files, no temporary files (with a cause), a
// failing rename, a full disk when room is reserved, or files that report the
// read-only attribute. Install it with ScopedFileSystem.

#include "platform/file.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace talsk::test {

class FaultFileSystem : public FileSystem {
public:
    // Writes to temporary files fail once this many bytes went in (-1: never),
    // as on a full disk.
    int64_t failTempWritesAfter = -1;
    bool failTempFlush = false;
    // No temporary file can be made, for this cause (None: they can).
    WriteError refuseTemp = WriteError::None;
    bool failReplace = false;
    // Writes to files opened through open() fail (-1: never), counted per
    // file, as on a full disk.
    int64_t failOpenWritesAfter = -1;
    // Reserving room in files opened through open() fails: the disk is full.
    bool failReserve = false;
    // Paths reported with the read-only attribute ("*" for every path).
    std::set<std::string> readOnlyPaths;
    // A folder (as the paths name it) where no new file can be made, as
    // without write permission: no temporary file, no new file by open().
    std::string refusingFolder;
    // The process dies at this change of the disk (counted from 1; -1: never):
    // a write puts half its bytes first; from then on nothing changes and every
    // call that would change something fails. Changes are writes, syncs,
    // truncations, reservations, new files, renames and removals.
    int64_t crashAtChange = -1;

    // What happened, for the checks of a test.
    int tempsCreated = 0;
    int replaces = 0;
    int64_t changes = 0; // changes of the disk asked for, the failed ones too
    bool crashed = false;

    // Counts one change; false when the process is dead by now (or dies at it).
    bool change() {
        ++changes;
        if (crashAtChange >= 0 && changes >= crashAtChange) crashed = true;
        return !crashed;
    }
    // Whether a write dies at this change: it then puts only half its bytes.
    bool diesNow() const { return crashed && changes == crashAtChange; }

    FileAttributes attributes(const std::string& path) override;
    std::unique_ptr<File> open(const std::string& path, OpenMode mode, WriteError* why) override;
    std::unique_ptr<File> createTemp(const std::string& path, std::string& tempPath,
                                     WriteError* why) override;
    void removeStaleTemps(const std::string& path) override { real().removeStaleTemps(path); }
    bool replace(const std::string& source, const std::string& target) override;
    bool remove(const std::string& path) override { return change() && real().remove(path); }
    bool syncFolder(const std::string& path) override {
        return change() && real().syncFolder(path);
    }
    std::string resolve(const std::string& path, WriteError* why) override {
        return real().resolve(path, why);
    }
    bool keepOwner(const std::string& from, const std::string& to) override {
        return real().keepOwner(from, to);
    }
    void copyPermissions(const std::string& from, const std::string& to) override {
        real().copyPermissions(from, to);
    }
    void setDefaultPermissions(const std::string& path) override {
        real().setDefaultPermissions(path);
    }
    bool listFolder(const std::string& folder, std::vector<std::string>& names) override {
        return real().listFolder(folder, names);
    }

private:
    static FileSystem& real() { return nativeFileSystem(); }
};

// Writes `bytes` over the file at `path` as a save written in place that is
// killed once the new content is on the disk, before its journal goes: the
// journal left would undo it. The file is written in place because it has a
// second name, or because `refusingFolder` (its folder) takes no new file.
void leaveJournaledSave(const std::string& path, const std::vector<unsigned char>& bytes,
                        const std::string& refusingFolder = {});

// Installs a file system for the life of the object and restores the previous one.
class ScopedFileSystem {
public:
    explicit ScopedFileSystem(FileSystem& fs) : previous_(setFileSystem(&fs)) {}
    ~ScopedFileSystem() { setFileSystem(previous_); }
    ScopedFileSystem(const ScopedFileSystem&) = delete;
    ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

private:
    FileSystem* previous_;
};

} // namespace talsk::test
