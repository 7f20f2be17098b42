#include "platform/atomic_write.h"

namespace talsk {

namespace {

enum class Permissions { KeepOrDefault, OwnerOnly };

WriteError causeOf(const File& file) {
    const WriteError error = file.lastError();
    return error == WriteError::None ? WriteError::Other : error;
}

// Writes the temporary file and renames it over the target. On success the
// temporary file's handle is returned open (and locked) when keepOpen is set.
// tempRefused tells that no temporary file could be made at all.
WriteError replaceWithTemp(FileSystem& fs, const std::string& target, const void* data,
                           int64_t size, Permissions permissions, std::unique_ptr<File>* keepOpen,
                           bool& tempRefused) {
    std::string tempPath;
    WriteError error = WriteError::Other;
    std::unique_ptr<File> temp = fs.createTemp(target, tempPath, &error);
    tempRefused = !temp;
    if (!temp) return error;
    error = temp->write(data, size) && temp->flush() ? WriteError::None : causeOf(*temp);
    if (error == WriteError::None && permissions == Permissions::KeepOrDefault) {
        if (fs.attributes(target).exists)
            fs.copyPermissions(target, tempPath);
        else
            fs.setDefaultPermissions(tempPath);
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

// Writes over the file itself, as safely as that can be: the room is reserved
// first, so that a full disk fails before any byte changes; the file is cut
// to its new length last. A crash in between leaves it damaged.
WriteError writeInPlace(File& file, const void* data, int64_t size) {
    const int64_t oldLength = file.length();
    if (oldLength < 0) return causeOf(file);
    if (!file.reserve(size)) {
        const WriteError error = causeOf(file);
        // Room found before the disk filled up may have lengthened the file.
        if (file.length() != oldLength) file.truncate(oldLength);
        return error;
    }
    if (!file.seek(0) || !file.write(data, size) || !file.flush() || !file.truncate(size) ||
        !file.flush())
        return causeOf(file);
    return WriteError::None;
}

WriteError writeImage(const std::string& path, const void* data, int64_t size,
                      std::unique_ptr<File>& held) {
    FileSystem& fs = fileSystem();
    const std::string target = fs.resolve(path);
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
    if (a.exists && a.links > 1) return writeInPlace(*held, data, size);
    std::unique_ptr<File> fresh;
    bool tempRefused = false;
    error =
        replaceWithTemp(fs, target, data, size, Permissions::KeepOrDefault, &fresh, tempRefused);
    if (error == WriteError::None) {
        if (held) held->close();
        held = std::move(fresh);
        return error;
    }
    // Only a folder that takes no new file by permission is written in place;
    // any other failure (a full disk above all) leaves the old file as it was.
    if (!tempRefused || error != WriteError::NoAccess) return error;
    if (!held) {
        held = fs.open(target, OpenMode::CreateExclusive, &error);
        if (!held) return error;
    }
    return writeInPlace(*held, data, size);
}

WriteError writeSmallFile(const std::string& path, const void* data, int64_t size,
                          Permissions permissions) {
    if (path.empty()) return WriteError::Other;
    FileSystem& fs = fileSystem();
    const std::string target = fs.resolve(path);
    fs.removeStaleTemps(target);
    const FileAttributes a = fs.attributes(target);
    if (a.directory) return WriteError::IsFolder;
    if (a.exists && a.links > 1) {
        WriteError error = WriteError::Other;
        std::unique_ptr<File> file = fs.open(target, OpenMode::ReadWriteExclusive, &error);
        return file ? writeInPlace(*file, data, size) : error;
    }
    bool tempRefused = false;
    return replaceWithTemp(fs, target, data, size, permissions, nullptr, tempRefused);
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
