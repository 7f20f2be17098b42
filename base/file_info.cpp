#include "base/file_info.h"

#include "base/base_file.h"
#include "base/legacy_10.h"
#include "base/legacy_12.h"
#include "base/load_status.h"
#include "platform/little_endian.h"

#include <algorithm>
#include <cstdio>

namespace talsk {

bool readFileInfo(const std::string& path, PhoneBase& base) {
    closeBase(base);
    base = PhoneBase{};
    base.path = path;
    if (path.empty()) {
        base.status = StatusNotFound;
        return false;
    }
    FileSystem& fs = fileSystem();
    const FileAttributes a = fs.attributes(path);
    if (!a.exists || a.directory) {
        base.status = StatusNotFound;
        return false;
    }
    std::unique_ptr<File> file = fs.open(path, OpenMode::ReadShared);
    if (!file) {
        base.status = StatusCannotOpen;
        return false;
    }
    unsigned char word[2];
    if (file->length() < 2 || !file->seek(0) || !file->readExact(word, 2)) {
        base.status = StatusNoData;
        return false;
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
        base.version = version;
        base.status = StatusUnknownFormat;
        break;
    }
    if (base.file) {
        base.file->close();
        base.file.reset();
    }
    if (file) file->close();
    base.connected = 0;
    return valid;
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

FileInfoTexts fileInfoTexts(const PhoneBase& base) {
    FileInfoTexts shown;
    if (!headerDescribesFile(base)) {
        for (std::string& c : shown.counts)
            c = "-";
        shown.total = shown.ratio = "-";
        return shown;
    }
    for (int k = 0; k < kTableCount; ++k)
        shown.counts[k] = countText(base.tables[static_cast<size_t>(k)].count);
    shown.total = countText(base.recordCount());
    shown.ratio = compressionRatioText(base);
    return shown;
}

} // namespace talsk
