#include "platform/atomic_write.h"

namespace talsk {

namespace {

enum class Permissions { KeepOrDefault, OwnerOnly };
enum class Outcome { Replaced, NoTempFile, Failed };

// Writes the temporary file and renames it over the target. On success the
// temporary file's handle is returned open (and locked) when keepOpen is set.
Outcome replaceWithTemp(FileSystem& fs, const std::string& target, const void* data, int64_t size,
                        Permissions permissions, std::unique_ptr<File>* keepOpen) {
    std::string tempPath;
    std::unique_ptr<File> temp = fs.createTemp(target, tempPath);
    if (!temp) return Outcome::NoTempFile;
    bool ok = temp->write(data, size) && temp->flush();
    if (ok && permissions == Permissions::KeepOrDefault) {
        if (fs.attributes(target).exists)
            fs.copyPermissions(target, tempPath);
        else
            fs.setDefaultPermissions(tempPath);
    }
    if (ok) ok = fs.replace(tempPath, target);
    if (!ok) {
        temp->close();
        fs.remove(tempPath);
        return Outcome::Failed;
    }
    if (keepOpen)
        *keepOpen = std::move(temp);
    else
        temp->close();
    return Outcome::Replaced;
}

} // namespace

bool writeFileImage(const std::string& path, const void* data, int64_t size,
                    std::unique_ptr<File>& held) {
    FileSystem& fs = fileSystem();
    const std::string target = fs.resolve(path);
    if (!held) {
        // Take the writer lock first, so that another holder keeps its file.
        if (fs.attributes(target).exists) {
            held = fs.open(target, OpenMode::ReadWriteExclusive);
            if (!held) return false;
        }
    }
    std::unique_ptr<File> fresh;
    switch (replaceWithTemp(fs, target, data, size, Permissions::KeepOrDefault, &fresh)) {
    case Outcome::Replaced:
        if (held) held->close();
        held = std::move(fresh);
        return true;
    case Outcome::Failed:
        return false; // the old file stays as it was
    case Outcome::NoTempFile:
        break;
    }
    // The folder takes no new file: write in place, the whole image at once.
    if (!held) {
        held = fs.open(target, OpenMode::CreateExclusive);
        if (!held) return false;
    }
    return held->seek(0) && held->write(data, size) && held->truncate(size) && held->flush();
}

bool writeFileAtomically(const std::string& path, const void* data, size_t size, bool ownerOnly) {
    if (path.empty()) return false;
    FileSystem& fs = fileSystem();
    return replaceWithTemp(fs, fs.resolve(path), data, static_cast<int64_t>(size),
                           ownerOnly ? Permissions::OwnerOnly : Permissions::KeepOrDefault,
                           nullptr) == Outcome::Replaced;
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
