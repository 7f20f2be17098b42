#include "base/file_info.h"

#include "base/base_file.h"
#include "base/legacy_10.h"
#include "base/legacy_12.h"
#include "base/load_status.h"
#include "platform/journal.h"
#include "platform/little_endian.h"

#include <algorithm>
#include <cstdio>

namespace talsk {

namespace {

FileInfoRead readInto(const std::string& path, PhoneBase& base) {
    if (path.empty()) {
        base.status = StatusNotFound;
        return FileInfoRead::NoFile;
    }
    FileSystem& fs = fileSystem();
    const FileAttributes a = fs.attributes(path);
    if (!a.exists || a.directory) {
        base.status = StatusNotFound;
        if (a.directory) base.openCause = WriteError::IsFolder;
        return FileInfoRead::NotFound;
    }
    (void)recoverFile(path);
    std::unique_ptr<File> file = fs.open(path, OpenMode::ReadShared, &base.openCause);
    if (!file) {
        base.status = StatusCannotOpen;
        return FileInfoRead::Unreadable;
    }
    unsigned char word[2];
    if (file->length() < 2 || !file->seek(0) || !file->readExact(word, 2)) {
        base.status = StatusNoData;
        return FileInfoRead::Unreadable;
    }
    const uint16_t version = getU16(word);
    bool valid = false;
    switch (version) {
    case kVersion20:
    case kVersion20b:
        base.file = std::move(file);
        valid = readHeader(base, {.fromDisk = false, .allow20b = true});
        break;
    case kVersion10a:
    case kVersion10b:
        base.version = version;
        valid = readLegacy10Header(*file, base);
        break;
    case kVersion12:
        valid = readLegacy12Header(*file, base);
        break;
    default:
        base.status = StatusUnknownFormat;
        break;
    }
    if (base.file) {
        base.file->close();
        base.file.reset();
    }
    if (file) file->close();
    // A header that failed part way may have left another word behind.
    base.version = version;
    if (valid) return FileInfoRead::Read;
    return base.status == StatusUnknownFormat ? FileInfoRead::UnknownFormat : FileInfoRead::Damaged;
}

} // namespace

bool readFileInfo(const std::string& path, PhoneBase& base, FileInfoRead* outcome) {
    closeBase(base);
    base = PhoneBase{};
    base.path = path;
    const FileInfoRead read = readInto(path, base);
    base.connected = 0;
    if (outcome != nullptr) *outcome = read;
    return read == FileInfoRead::Read;
}

bool headerDescribesFile(const PhoneBase& base) {
    switch (base.status) {
    case StatusCannotOpen:
    case StatusNoData:
    case StatusHeaderInvalid:
    case StatusNotFound:
    case StatusUnknownFormat:
        return false;
    default:
        return true;
    }
}

namespace {

std::string countText(int64_t count) {
    return count > 0 ? std::to_string(count) : "-";
}

std::string compressionRatioText(const PhoneBase& base) {
    if (base.version == kVersion10a || base.version == kVersion10b || base.version == kVersion12)
        return "-";
    if (base.recordCount() <= 0) return {};
    int64_t text = 0, stored = 0;
    for (const BaseTable& t : base.tables) {
        text += t.textSize;
        stored += t.storedSize;
    }
    double ratio = text > 0 ? 100.0 - double(stored) / double(text) * 100.0 : 0.0;
    if (ratio < 0) ratio = 0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.10g", ratio);
    std::string shown = buf;
    const size_t point = shown.find('.');
    if (point != std::string::npos) shown.resize(std::min(shown.size(), point + 2));
    return shown + " %";
}

} // namespace

namespace {

FileInfoTexts clearedTexts() {
    FileInfoTexts shown;
    for (int k = 0; k < kTableCount; ++k)
        shown.counts[k] = shown.created[k] = shown.updated[k] = "-";
    shown.total = shown.ratio = "-";
    return shown;
}

} // namespace

FileInfoTexts fileInfoTexts(const PhoneBase& base) {
    if (!headerDescribesFile(base)) return clearedTexts();
    FileInfoTexts shown;
    for (size_t k = 0; k < kTableCount; ++k) {
        const BaseTable& t = base.tables[k];
        shown.counts[k] = countText(t.count);
        shown.created[k] = t.count > 0 ? formatBaseDate(t.created) : "-";
        shown.updated[k] = t.count > 0 ? formatBaseDate(t.updated) : "-";
    }
    shown.total = countText(base.recordCount());
    shown.ratio = compressionRatioText(base);
    if (base.keyed) shown.keyNotice = "Требуется ключ";
    return shown;
}

FileInfoTexts fileInfoTexts(const PhoneBase& base, FileInfoRead outcome) {
    FileInfoTexts shown = outcome == FileInfoRead::Read ? fileInfoTexts(base) : clearedTexts();
    switch (outcome) {
    case FileInfoRead::NoFile:
    case FileInfoRead::NotFound:
    case FileInfoRead::Unreadable:
        break;
    default:
        shown.version = versionName(base.version);
        break;
    }
    return shown;
}

} // namespace talsk
