#pragma once
// The file services the core needs: opening with a writer lock, attributes,
// length, seek, read, write, truncate. Paths are the operating system's own
// bytes (on Linux any name it allows, normally UTF-8), passed through as they are.

#include "platform/write_error.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace talsk {

struct FileAttributes {
    bool exists = false;
    bool directory = false;
    // No write permission for anyone (owner, group, others): the read-only
    // attribute, whoever runs the program.
    bool readOnly = false;
    uint32_t links = 0; // names the file has (hard links)
    // What tells the file apart from every other while it lives, whatever its
    // names: device and inode, or volume serial and file index.
    bool identified = false;
    uint64_t device = 0;
    uint64_t index = 0;
};

class File {
public:
    virtual ~File() = default;
    virtual bool isOpen() const = 0;
    virtual int64_t length() = 0;
    [[nodiscard]] virtual bool seek(int64_t offset) = 0;
    // Returns the number of bytes read (0 at the end), or -1 on error.
    virtual int64_t read(void* buffer, int64_t size) = 0;
    [[nodiscard]] virtual bool write(const void* data, int64_t size) = 0;
    [[nodiscard]] virtual bool truncate(int64_t size) = 0;
    // Makes room on the disk for the first `size` bytes, so that writing them
    // cannot run out of space. A shorter file grows to `size` (zeros); no byte
    // the file holds changes.
    [[nodiscard]] virtual bool reserve(int64_t size) = 0;
    [[nodiscard]] virtual bool flush() = 0;
    virtual void close() = 0;
    // Why the last write, reserve, truncate or flush that failed did so.
    virtual WriteError lastError() const { return WriteError::Other; }

    // Reads exactly size bytes or fails.
    [[nodiscard]] bool readExact(void* buffer, int64_t size) {
        return size == 0 || read(buffer, size) == size;
    }
};

enum class OpenMode {
    ReadWriteExclusive, // read and write; other writers (other processes and other opens) are
                        // locked out
    ReadShared,         // read only; nothing is denied to others
    CreateExclusive,    // create or truncate, read and write, other writers locked out
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual FileAttributes attributes(const std::string& path) = 0;
    // On failure *why, when given, says why the file could not be opened.
    virtual std::unique_ptr<File> open(const std::string& path, OpenMode mode,
                                       WriteError* why = nullptr) = 0;
    // Creates a new, empty file beside `path` (same folder) with a temporary
    // name; returns it open for writing, and held with the writer lock for as
    // long as it is open, and its name in tempPath. On failure *why, when
    // given, says why.
    virtual std::unique_ptr<File> createTemp(const std::string& path, std::string& tempPath,
                                             WriteError* why = nullptr) = 0;
    // Removes the temporary files that saves of `path` left beside it when
    // they were killed: files named as this program alone names them, made by
    // the current user, whose writer lock nobody holds. Nothing else goes.
    virtual void removeStaleTemps(const std::string& path) = 0;
    // Atomically replaces `target` by `source`.
    [[nodiscard]] virtual bool replace(const std::string& source, const std::string& target) = 0;
    virtual bool remove(const std::string& path) = 0;
    // Makes the folder holding `path` durable: names created or removed in it
    // survive a crash once this returns true.
    virtual bool syncFolder(const std::string& path) = 0;
    // Follows symbolic links to the file that is really written. Links that
    // lead in a circle leave the path as it is, with *why, when given, set
    // to LinkLoop.
    virtual std::string resolve(const std::string& path, WriteError* why = nullptr) = 0;
    // Gives `to` the owner of `from`, or at least its group where the owner
    // cannot be given. Returns false when the owner of `from` could not read
    // or write `to`, once it has `from`'s permissions, as he could `from`:
    // then `to` must not take the place of `from`. Call it before
    // copyPermissions.
    [[nodiscard]] virtual bool keepOwner(const std::string& from, const std::string& to) = 0;
    // Copies permission bits of `from` onto `to` (best effort).
    virtual void copyPermissions(const std::string& from, const std::string& to) = 0;
    // Gives a file the permissions a newly created file gets (best effort).
    virtual void setDefaultPermissions(const std::string& path) = 0;
    // Names (not paths) of the regular files in a folder, unsorted.
    [[nodiscard]] virtual bool listFolder(const std::string& folder,
                                          std::vector<std::string>& names) = 0;
};

// The file system in use; tests may install a double and restore the previous one.
FileSystem& fileSystem();
FileSystem* setFileSystem(FileSystem* fs); // nullptr restores the real one; returns the previous

FileSystem& nativeFileSystem();

// Creates a folder and its missing parents; ownerOnly gives the new ones 0700.
[[nodiscard]] bool makeFolders(const std::string& path, bool ownerOnly);
// Takes every access of group and others away from a folder.
[[nodiscard]] bool makeOwnerOnly(const std::string& folder);
// Makes a folder the process's current one, so that relative names resolve there.
[[nodiscard]] bool setCurrentFolder(const std::string& path);

// The absolute, lexically normal form of a path, a relative one taken in the
// current folder; empty when there is none.
std::string absolutePath(const std::string& path);
// A binary C stream reading a small file (a key file); nullptr with errno set
// when it cannot be opened.
std::FILE* openReadStream(const std::string& path);

// Whether two paths name the same file, compared as the file system compares
// names.
bool samePath(const std::string& a, const std::string& b);

// Joins a folder and a name with the native separator unless the folder ends in one.
std::string joinPath(const std::string& folder, const std::string& name);
// A path as it is when it is absolute, else joined to folder; an empty folder
// leaves it to the current one.
std::string pathInFolder(const std::string& folder, const std::string& path);

} // namespace talsk
