#include "platform/atomic_write.h"

#include "platform/journal.h"

namespace talsk {

namespace {

enum class Permissions { KeepOrDefault, OwnerOnly };

WriteError causeOf(const File& file) {
    const WriteError error = file.lastError();
    return error == WriteError::None ? WriteError::Other : error;
}

// Why replaceWithTemp left the target alone where writing in place may still
// save it.
enum class Fallback {
    None,
    TempRefused,    // no temporary file could be made at all
    OwnerWouldLose, // the new file could not be given to the old one's owner
};

// Writes the temporary file and renames it over the target. On success the
// temporary file's handle is returned open (and locked) when keepOpen is set.
WriteError replaceWithTemp(FileSystem& fs, const std::string& target, const void* data,
                           int64_t size, Permissions permissions, std::unique_ptr<File>* keepOpen,
                           Fallback& fallback) {
    fallback = Fallback::None;
    std::string tempPath;
    WriteError error = WriteError::Other;
    std::unique_ptr<File> temp = fs.createTemp(target, tempPath, &error);
    if (!temp) {
        fallback = Fallback::TempRefused;
        return error;
    }
    error = temp->write(data, size) && temp->flush() ? WriteError::None : causeOf(*temp);
    if (error == WriteError::None && permissions == Permissions::KeepOrDefault) {
        if (!fs.attributes(target).exists) {
            fs.setDefaultPermissions(tempPath);
        } else if (fs.keepOwner(target, tempPath)) {
            fs.copyPermissions(target, tempPath);
        } else {
            fallback = Fallback::OwnerWouldLose;
            error = WriteError::NoAccess;
        }
    }
    if (error == WriteError::None && !fs.replace(tempPath, target)) error = WriteError::Other;
    if (error != WriteError::None) {
        temp->close();
        fs.remove(tempPath);
        return error;
    }
    if (keepOpen)
        *keepOpen = std::move(temp);
    else
        temp->close();
    return WriteError::None;
}

WriteError writeInPlace(FileSystem& fs, const std::string& target, const void* data, int64_t size) {
    WriteError error = WriteError::Other;
    std::unique_ptr<File> file = fs.open(target, OpenMode::ReadWriteExclusive, &error);
    return file ? writeJournaled(fs, target, *file, data, size) : error;
}

WriteError writeImage(const std::string& path, const void* data, int64_t size,
                      std::unique_ptr<File>& held) {
    FileSystem& fs = fileSystem();
    WriteError unresolved = WriteError::None;
    const std::string target = fs.resolve(path, &unresolved);
    if (unresolved != WriteError::None) return unresolved;
    const FileAttributes a = fs.attributes(target);
    if (a.directory) return WriteError::IsFolder;
    WriteError error = WriteError::Other;
    if (!held && a.exists) {
        // The read-only attribute keeps the file, whoever runs the program.
        if (a.readOnly) return WriteError::NoAccess;
        // Take the writer lock first, so that another holder keeps its file.
        held = fs.open(target, OpenMode::ReadWriteExclusive, &error);
        if (!held) return error;
    }
    fs.removeStaleTemps(target);
    // A rename would give the file a new identity, parted from its other names.
    if (a.exists && a.links > 1) return writeJournaled(fs, target, *held, data, size);
    std::unique_ptr<File> fresh;
    Fallback fallback = Fallback::None;
    error = replaceWithTemp(fs, target, data, size, Permissions::KeepOrDefault, &fresh, fallback);
    if (error == WriteError::None) {
        if (held) held->close();
        held = std::move(fresh);
        return error;
    }
    // A file that would be taken from its owner, and a folder that takes no
    // new file by permission, are written in place; any other failure (a full
    // disk above all) leaves the old file as it was.
    if (fallback != Fallback::OwnerWouldLose &&
        (fallback != Fallback::TempRefused || error != WriteError::NoAccess))
        return error;
    if (!held) {
        // A file that is there is never emptied before its room is reserved.
        const OpenMode mode = fallback == Fallback::OwnerWouldLose ? OpenMode::ReadWriteExclusive
                                                                   : OpenMode::CreateExclusive;
        held = fs.open(target, mode, &error);
        if (!held) return error;
    }
    return writeJournaled(fs, target, *held, data, size);
}

WriteError writeSmallFile(const std::string& path, const void* data, int64_t size,
                          Permissions permissions) {
    if (path.empty()) return WriteError::Other;
    FileSystem& fs = fileSystem();
    WriteError unresolved = WriteError::None;
    const std::string target = fs.resolve(path, &unresolved);
    if (unresolved != WriteError::None) return unresolved;
    const FileAttributes a = fs.attributes(target);
    if (a.directory) return WriteError::IsFolder;
    fs.removeStaleTemps(target);
    if (a.exists && a.links > 1) return writeInPlace(fs, target, data, size);
    Fallback fallback = Fallback::None;
    const WriteError error =
        replaceWithTemp(fs, target, data, size, permissions, nullptr, fallback);
    if (fallback == Fallback::OwnerWouldLose) return writeInPlace(fs, target, data, size);
    return error;
}

} // namespace

bool writeFileImage(const std::string& path, const void* data, int64_t size,
                    std::unique_ptr<File>& held, WriteError* cause) {
    return reportWriteError(writeImage(path, data, size, held), cause);
}

bool writeFileAtomically(const std::string& path, const void* data, size_t size, bool ownerOnly,
                         WriteError* cause) {
    return reportWriteError(
        writeSmallFile(path, data, static_cast<int64_t>(size),
                       ownerOnly ? Permissions::OwnerOnly : Permissions::KeepOrDefault),
        cause);
}

bool readFileHead(const std::string& path, size_t maxSize, std::string& bytes) {
    bytes.clear();
    if (path.empty()) return false;
    FileSystem& fs = fileSystem();
    FileAttributes a = fs.attributes(path);
    if (!a.exists || a.directory) return false;
    (void)recoverFile(path);
    std::unique_ptr<File> file = fs.open(path, OpenMode::ReadShared);
    if (!file) return false;
    const int64_t length = file->length();
    if (length < 0) return false;
    const size_t want =
        static_cast<size_t>(length) < maxSize ? static_cast<size_t>(length) : maxSize;
    bytes.resize(want);
    const int64_t got = want == 0 ? 0 : file->read(bytes.data(), static_cast<int64_t>(want));
    if (got < 0) return false;
    bytes.resize(static_cast<size_t>(got));
    return true;
}

} // namespace talsk
