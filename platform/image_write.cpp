#include "platform/image_write.h"

namespace talsk {

bool writeFileImage(const std::string& path, const void* data, int64_t size,
                    std::unique_ptr<File>& held) {
    FileSystem& fs = fileSystem();
    const std::string target = fs.resolve(path);
    if (!held) {
        // Take the writer lock first, so that another holder keeps its file.
        FileAttributes a = fs.attributes(target);
        if (a.exists) {
            held = fs.open(target, OpenMode::ReadWriteExclusive);
            if (!held) return false;
        }
    }
    std::string tempPath;
    std::unique_ptr<File> temp = fs.createTemp(target, tempPath);
    if (temp) {
        bool ok = temp->write(data, size) && temp->flush();
        if (ok && fs.attributes(target).exists) fs.copyPermissions(target, tempPath);
        if (ok) ok = fs.replace(tempPath, target);
        if (!ok) {
            temp->close();
            fs.remove(tempPath);
            return false;
        }
        if (held) held->close();
        held = std::move(temp);
        return true;
    }
    // The folder takes no new file: write in place, the whole image at once.
    if (!held) {
        held = fs.open(target, OpenMode::CreateExclusive);
        if (!held) return false;
    }
    return held->seek(0) && held->write(data, size) && held->truncate(size) && held->flush();
}

} // namespace talsk
