#include "base/settings.h"

#include "platform/atomic_write.h"
#include "platform/cp1251.h"
#include "platform/file.h"
#include "platform/little_endian.h"

#include <cstring>
#include <vector>

namespace talsk {

namespace {

constexpr uint16_t kSignature = 0x0201;
constexpr size_t kFixedSize = 588;
constexpr size_t kPerFile = kFilePathSlot + 1; // path slot and mask byte
constexpr size_t kLargestFile = kFixedSize + kPerFile * kMaxFiles;

constexpr std::array<int32_t, 5> kDefaultWidthsPx = {70, 180, 180, 200, 100};
constexpr std::array<float, 5> kDefaultShares = {0.07f, 0.25f, 0.28f, 0.32f, 0.08f};

int fileCountToWrite(const ProgramSettings& s) {
    if (s.fileCount < 0) return 0;
    return s.fileCount > kMaxFiles ? kMaxFiles : s.fileCount;
}

// The file holds Windows-1251 names, possibly with the '\\' separators of
// the system that made it; inside the program they are the system's bytes.
std::string pathFromFile(std::string_view stored) {
    std::string path = cp1251ToUtf8(stored);
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

// The writer's side of the steps of settingsLayout that are not plain numbers.
class SettingsWriter : public ByteWriter {
public:
    bool signature() {
        u16(kSignature);
        return true;
    }
    template <class T, class Layout> void whole(const T& record, Layout&& layout) {
        layout(*this, record);
    }
    // How many path slots and mask bytes follow.
    int fileCount(const ProgramSettings& s) {
        const int n = fileCountToWrite(s);
        i16(static_cast<int16_t>(n));
        return n;
    }
    void pathSlot(const std::string& utf8) {
        std::string path;
        (void)utf8ToCp1251Exact(utf8, path); // checked before
        const size_t len = path.size() < kMaxPathChars ? path.size() : kMaxPathChars;
        bytes(path.data(), len);
        zeros(kFilePathSlot - len);
    }
};

// The reader's side: it takes what an untrusted file offers, and remembers
// whether the walk stopped before the end of the layout.
class SettingsReader : public ByteReader {
public:
    using ByteReader::ByteReader;

    bool signature() {
        uint16_t signature = 0;
        u16(signature);
        return keepGoing(!ended() && signature == kSignature);
    }
    // A record is taken whole or not at all.
    template <class T, class Layout> void whole(T& record, Layout&& layout) {
        T read = record;
        layout(*this, read);
        if (!ended()) record = read;
    }
    int fileCount(ProgramSettings& s) {
        i16(s.fileCount);
        // A count out of range cannot be from a sound file, and the places of
        // the later fields depend on it: the rest of such a file is not read.
        if (!keepGoing(!ended() && s.fileCount >= 0 && s.fileCount <= kMaxFiles)) return -1;
        return s.fileCount;
    }
    void pathSlot(std::string& path) {
        char slot[kFilePathSlot];
        if (take(slot, sizeof slot))
            path = pathFromFile(std::string_view(slot, strnlen(slot, kMaxPathChars)));
    }
    // Whether the bytes were a whole file as this program writes it.
    bool sound() const { return !stopped_ && atEnd(); }

private:
    bool keepGoing(bool go) {
        stopped_ = stopped_ || !go;
        return go;
    }
    bool stopped_ = false;
};

// The configuration file, field by field: walked by SettingsWriter with a
// const record and by SettingsReader with the record to fill.
template <class Io, class Settings> void settingsLayout(Io& io, Settings& s) {
    if (!io.signature()) return;
    io.whole(s.windowPlacement, [](Io& io, auto& p) {
        io.u32(p.length);
        io.u32(p.flags);
        io.u32(p.showCmd);
        io.i32(p.minX);
        io.i32(p.minY);
        io.i32(p.maxX);
        io.i32(p.maxY);
        io.i32(p.left);
        io.i32(p.top);
        io.i32(p.right);
        io.i32(p.bottom);
    });
    io.i16(s.searchFilesChoice);
    io.u8(s.searchTablesChoice);
    io.u8(s.alwaysOnTop);
    io.u8(s.latinToCyrillic);
    io.reserved(66);
    io.u8(s.startFocus);
    io.u8(s.singleInstance);
    io.u8(s.confirmExit);
    io.u8(s.rememberWindowPosition);
    io.u16(s.searchLogCapacity);
    io.u8(s.latinToCyrillic); // kept twice; the later one counts
    io.reserved(64);
    const int n = io.fileCount(s);
    if (n < 0) return;
    for (int i = 0; i < n; ++i)
        io.pathSlot(s.filePaths[static_cast<size_t>(i)]);
    io.i16(s.saveAsChoice);
    io.u8(s.noReadOnlyMessage);
    io.u8(s.noLoadErrorMessage);
    io.u8(s.autoRemoveMissing);
    io.u8(s.autoKeyEntry);
    io.u8(s.filesDialogExpanded);
    io.u8(s.connectFolderFiles);
    io.reserved(63);
    io.u8(s.checkDuplicatePhone);
    io.u8(s.confirmSaveRecord);
    io.u8(s.askToSaveChanges);
    io.u8(s.saveOnClose);
    io.reserved(64);
    io.u8(s.notFoundMessage);
    for (auto& v : s.columnWidthsPx)
        io.i32(v);
    io.u8(s.autoColumnWidths);
    for (auto& v : s.columnWidthShares)
        io.f32(v);
    io.u8(s.mouseTracking);
    io.u8(s.notFoundClearTable);
    io.u8(s.gridLines);
    io.reserved(64);
    io.whole(s.searchLogRect, [](Io& io, auto& rect) {
        io.i32(rect.left);
        io.i32(rect.top);
        io.i32(rect.right);
        io.i32(rect.bottom);
    });
    io.reserved(64);
    io.u8(s.caseSensitive);
    for (int i = 0; i < n; ++i)
        io.u8(s.fileMask[static_cast<size_t>(i)]);
    io.u8(s.backgroundSearch);
    io.i32(s.backgroundDelayMs);
    io.u8(s.spacesSignificant);
    io.reserved(63);
}

} // namespace

void resetSettings(ProgramSettings& settings, ResetMode mode) {
    std::string folder = std::move(settings.programFolder);
    const uint8_t yoAsYe = settings.yoAsYe;
    const int16_t fileCount = settings.fileCount;
    std::array<std::string, kMaxFiles> paths;
    if (mode == ResetMode::KeepFiles) paths = std::move(settings.filePaths);
    settings = ProgramSettings{};
    settings.programFolder = std::move(folder);
    settings.yoAsYe = yoAsYe;
    if (mode == ResetMode::KeepFiles) {
        settings.fileCount = fileCount;
        settings.filePaths = std::move(paths);
    }
}

void validateSettings(ProgramSettings& s) {
    if (s.fileCount < 0 || s.fileCount > kMaxFiles) s.fileCount = 0;
    if (s.saveAsChoice < 0 || s.saveAsChoice > s.fileCount) s.saveAsChoice = 0;
    if (s.searchFilesChoice < 0 || s.searchFilesChoice > s.fileCount + 2) s.searchFilesChoice = 0;
    if (s.searchTablesChoice > 5) s.searchTablesChoice = 3;
    if (s.startFocus > 7) s.startFocus = 7;
    if (s.searchLogCapacity >= 1000) s.searchLogCapacity = 256;
    for (size_t i = 0; i < s.columnWidthsPx.size(); ++i)
        if (s.columnWidthsPx[i] < 0 || s.columnWidthsPx[i] > 3000)
            s.columnWidthsPx[i] = kDefaultWidthsPx[i];
    // Written so that a NaN read from a damaged file is replaced as well.
    for (size_t i = 0; i < s.columnWidthShares.size(); ++i)
        if (!(s.columnWidthShares[i] >= 0.001f && s.columnWidthShares[i] <= 1.0f))
            s.columnWidthShares[i] = kDefaultShares[i];
    if (s.backgroundDelayMs < 1 || s.backgroundDelayMs > 9999) s.backgroundDelayMs = 300;
}

std::string configFilePath(const ProgramSettings& settings) {
    return joinPath(settings.programFolder, kConfigFileName);
}

bool loadSettings(ProgramSettings& settings, SettingsFileState* state) {
    std::string bytes;
    if (state != nullptr) *state = SettingsFileState::Missing;
    // One byte past the largest sound file tells a longer file from it.
    if (!readFileHead(configFilePath(settings), kLargestFile + 1, bytes)) return false;
    SettingsReader r(bytes);
    settingsLayout(r, settings);
    if (state != nullptr)
        *state = r.sound() ? SettingsFileState::Sound : SettingsFileState::Damaged;
    validateSettings(settings);
    return true;
}

bool setAsideDamagedSettings(const ProgramSettings& settings) {
    const std::string path = configFilePath(settings);
    return fileSystem().replace(path, path + ".bad");
}

std::string damagedSettingsMessage(bool setAside) {
    std::string text = std::string("Файл настроек \"") + kConfigFileName +
                       "\" поврежден. Используются настройки по умолчанию.";
    if (setAside)
        text += std::string("\nПоврежденный файл сохранен как \"") + kConfigFileName + ".bad\".";
    return text;
}

bool storablePath(const std::string& path) {
    std::string stored;
#ifndef _WIN32
    // '\\' is read back as a separator: here a letter of the name would change.
    if (path.find('\\') != std::string::npos) return false;
#endif
    return utf8ToCp1251Exact(path, stored);
}

size_t pathCharacters(const std::string& path) {
    size_t n = 0;
    for (const char c : path)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

bool pathWithinLimit(const std::string& path) {
    return pathCharacters(path) <= kMaxPathChars;
}

std::string firstUnstorablePath(const ProgramSettings& settings) {
    for (int i = 0; i < fileCountToWrite(settings); ++i)
        if (!storablePath(settings.filePaths[static_cast<size_t>(i)]))
            return settings.filePaths[static_cast<size_t>(i)];
    return {};
}

std::string unstorablePathMessage(const std::string& path) {
    return "Имя файла " + path + " содержит знаки, которые нельзя сохранить в настройках";
}

bool saveSettings(const ProgramSettings& settings, WriteError* cause) {
    // A name written with '?' in place of a character would later name another file.
    if (!firstUnstorablePath(settings).empty()) return reportWriteError(WriteError::Other, cause);
    SettingsWriter w;
    settingsLayout(w, settings);
    return writeFileAtomically(configFilePath(settings), w.image().data(), w.image().size(), false,
                               cause);
}

} // namespace talsk
