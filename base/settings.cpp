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

using Writer = ByteWriter;
using Reader = ByteReader;

void putPlacement(Writer& w, const WindowPlacement& p) {
    w.u32(p.length);
    w.u32(p.flags);
    w.u32(p.showCmd);
    for (int32_t v : {p.minX, p.minY, p.maxX, p.maxY, p.left, p.top, p.right, p.bottom})
        w.i32(v);
}

void getPlacement(Reader& r, WindowPlacement& p) {
    WindowPlacement read = p;
    r.u32(read.length);
    r.u32(read.flags);
    r.u32(read.showCmd);
    for (int32_t* v : {&read.minX, &read.minY, &read.maxX, &read.maxY, &read.left, &read.top,
                       &read.right, &read.bottom})
        r.i32(*v);
    // The record is taken whole or not at all.
    if (!r.ended()) p = read;
}

void putRect(Writer& w, const SettingsRect& rect) {
    for (int32_t v : {rect.left, rect.top, rect.right, rect.bottom})
        w.i32(v);
}

void getRect(Reader& r, SettingsRect& rect) {
    SettingsRect read = rect;
    for (int32_t* v : {&read.left, &read.top, &read.right, &read.bottom})
        r.i32(*v);
    if (!r.ended()) rect = read;
}

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

std::vector<unsigned char> buildImage(const ProgramSettings& s) {
    const int n = fileCountToWrite(s);
    Writer w;
    w.u16(kSignature);
    putPlacement(w, s.windowPlacement);
    w.i16(s.searchFilesChoice);
    w.u8(s.searchTablesChoice);
    w.u8(s.alwaysOnTop);
    w.u8(s.latinToCyrillic);
    w.zeros(66);
    w.u8(s.startFocus);
    w.u8(s.singleInstance);
    w.u8(s.confirmExit);
    w.u8(s.rememberWindowPosition);
    w.u16(s.searchLogCapacity);
    w.u8(s.latinToCyrillic);
    w.zeros(64);
    w.i16(static_cast<int16_t>(n));
    for (int i = 0; i < n; ++i) {
        std::string path;
        (void)utf8ToCp1251Exact(s.filePaths[static_cast<size_t>(i)], path); // checked before
        const size_t len = path.size() < kMaxPathChars ? path.size() : kMaxPathChars;
        w.bytes(path.data(), len);
        w.zeros(kFilePathSlot - len);
    }
    w.i16(s.saveAsChoice);
    w.u8(s.noReadOnlyMessage);
    w.u8(s.noLoadErrorMessage);
    w.u8(s.autoRemoveMissing);
    w.u8(s.autoKeyEntry);
    w.u8(s.filesDialogExpanded);
    w.u8(s.connectFolderFiles);
    w.zeros(63);
    w.u8(s.checkDuplicatePhone);
    w.u8(s.confirmSaveRecord);
    w.u8(s.askToSaveChanges);
    w.u8(s.saveOnClose);
    w.zeros(64);
    w.u8(s.notFoundMessage);
    for (int32_t v : s.columnWidthsPx)
        w.i32(v);
    w.u8(s.autoColumnWidths);
    for (float v : s.columnWidthShares)
        w.f32(v);
    w.u8(s.mouseTracking);
    w.u8(s.notFoundClearTable);
    w.u8(s.gridLines);
    w.zeros(64);
    putRect(w, s.searchLogRect);
    w.zeros(64);
    w.u8(s.caseSensitive);
    w.bytes(s.fileMask.data(), static_cast<size_t>(n));
    w.u8(s.backgroundSearch);
    w.i32(s.backgroundDelayMs);
    w.u8(s.spacesSignificant);
    w.zeros(63);
    return w.image();
}

void readImage(Reader& r, ProgramSettings& s) {
    getPlacement(r, s.windowPlacement);
    r.i16(s.searchFilesChoice);
    r.u8(s.searchTablesChoice);
    r.u8(s.alwaysOnTop);
    r.u8(s.latinToCyrillic);
    r.skip(66);
    r.u8(s.startFocus);
    r.u8(s.singleInstance);
    r.u8(s.confirmExit);
    r.u8(s.rememberWindowPosition);
    r.u16(s.searchLogCapacity);
    r.u8(s.latinToCyrillic);
    r.skip(64);
    r.i16(s.fileCount);
    if (r.ended()) return;
    // A count out of range cannot be from a sound file, and the places of the
    // later fields depend on it: the rest of such a file is not read.
    if (s.fileCount < 0 || s.fileCount > kMaxFiles) return;
    const int n = s.fileCount;
    for (int i = 0; i < n; ++i) {
        char slot[kFilePathSlot];
        if (!r.take(slot, sizeof slot)) return;
        s.filePaths[static_cast<size_t>(i)] =
            pathFromFile(std::string_view(slot, strnlen(slot, kMaxPathChars)));
    }
    r.i16(s.saveAsChoice);
    r.u8(s.noReadOnlyMessage);
    r.u8(s.noLoadErrorMessage);
    r.u8(s.autoRemoveMissing);
    r.u8(s.autoKeyEntry);
    r.u8(s.filesDialogExpanded);
    r.u8(s.connectFolderFiles);
    r.skip(63);
    r.u8(s.checkDuplicatePhone);
    r.u8(s.confirmSaveRecord);
    r.u8(s.askToSaveChanges);
    r.u8(s.saveOnClose);
    r.skip(64);
    r.u8(s.notFoundMessage);
    for (int32_t& v : s.columnWidthsPx)
        r.i32(v);
    r.u8(s.autoColumnWidths);
    for (float& v : s.columnWidthShares)
        r.f32(v);
    r.u8(s.mouseTracking);
    r.u8(s.notFoundClearTable);
    r.u8(s.gridLines);
    r.skip(64);
    getRect(r, s.searchLogRect);
    r.skip(64);
    r.u8(s.caseSensitive);
    for (int i = 0; i < n; ++i)
        r.u8(s.fileMask[static_cast<size_t>(i)]);
    r.u8(s.backgroundSearch);
    r.i32(s.backgroundDelayMs);
    r.u8(s.spacesSignificant);
    // The closing reserved run is not read.
}

// Whether the bytes are a whole file as this program writes it.
bool soundImage(const std::string& bytes) {
    Reader r(bytes);
    uint16_t signature = 0;
    int16_t n = -1;
    r.u16(signature);
    r.skip(186); // to the count at offset 188
    r.i16(n);
    return !r.ended() && signature == kSignature && n >= 0 && n <= kMaxFiles &&
           bytes.size() == kFixedSize + kPerFile * static_cast<size_t>(n);
}

} // namespace

void resetSettings(ProgramSettings& settings, ResetMode mode) {
    std::string folder = std::move(settings.programFolder);
    const int16_t fileCount = settings.fileCount;
    std::array<std::string, kMaxFiles> paths;
    if (mode == ResetMode::KeepFiles) paths = std::move(settings.filePaths);
    settings = ProgramSettings{};
    settings.programFolder = std::move(folder);
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
    Reader r(bytes);
    uint16_t signature = 0;
    r.u16(signature);
    if (!r.ended() && signature == kSignature) readImage(r, settings);
    if (state != nullptr)
        *state = soundImage(bytes) ? SettingsFileState::Sound : SettingsFileState::Damaged;
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
    // '\\' is read back as a separator.
    return path.find('\\') == std::string::npos && utf8ToCp1251Exact(path, stored);
}

size_t pathCharacters(const std::string& path) {
    size_t n = 0;
    for (const char c : path)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
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
    const std::vector<unsigned char> image = buildImage(settings);
    return writeFileAtomically(configFilePath(settings), image.data(), image.size(), false, cause);
}

} // namespace talsk
