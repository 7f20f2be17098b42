#include "base/atomic_write.h"

#include "platform/file.h"

namespace talsk {

bool writeFileAtomically(const std::string& path, const void* data, size_t size,
                         bool keepPermissions) {
    if (path.empty()) return false;
    FileSystem& fs = fileSystem();
    const std::string target = fs.resolve(path);
    std::string tempPath;
    std::unique_ptr<File> temp = fs.createTemp(target, tempPath);
    if (!temp) return false;
    bool ok = temp->write(data, static_cast<int64_t>(size)) && temp->flush();
    if (ok && keepPermissions && fs.attributes(target).exists) fs.copyPermissions(target, tempPath);
    temp->close();
    if (ok) ok = fs.replace(tempPath, target);
    if (!ok) fs.remove(tempPath);
    return ok;
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
