#include "tools/destination.h"
#include "platform/journal.h"

namespace talsk {

WriteError prepareDestination(const std::string& path, std::unique_ptr<File>& held) {
    FileSystem& fs = fileSystem();
    if (path.empty()) return WriteError::Other;
    const FileAttributes a = fs.attributes(path);
    if (a.directory) return WriteError::IsFolder;
    if (a.exists && a.readOnly) return WriteError::NoAccess;
    WriteError cause = WriteError::Other;
    if (a.exists) {
        (void)recoverFile(path);
        held = fs.open(path, OpenMode::ReadWriteExclusive, &cause);
        return held ? WriteError::None : cause;
    }
    std::string probe;
    std::unique_ptr<File> temp = fs.createTemp(fs.resolve(path), probe, &cause);
    if (!temp) return cause;
    temp->close();
    fs.remove(probe);
    return WriteError::None;
}

std::string withBaseExtension(const std::string& path) {
    const std::string ext = ".btn";
    if (path.size() >= ext.size() && path.compare(path.size() - ext.size(), ext.size(), ext) == 0)
        return path;
    return path + ext;
}

WriteError checkDestination(const std::string& path) {
    std::unique_ptr<File> held;
    const WriteError cause = prepareDestination(path, held);
    if (held) held->close();
    return cause;
}

} // namespace talsk
