#pragma once
// Every option of the program and the remembered state of its windows, with
// the configuration file "Orv   2000.cfg" that keeps them.

#include "platform/write_error.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace talsk {

constexpr int kMaxFiles = 64;
constexpr int kFilePathSlot = 261;
constexpr size_t kMaxPathChars = 260; // characters of a path, without its terminator
constexpr const char* kConfigFileName = "Orv   2000.cfg";

// The platform's window placement record (44 bytes), kept byte for byte so
// that configuration files stay interchangeable.
struct WindowPlacement {
    uint32_t length = 0;
    uint32_t flags = 0;
    uint32_t showCmd = 0;
    int32_t minX = 0, minY = 0;
    int32_t maxX = 0, maxY = 0;
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};
static_assert(sizeof(WindowPlacement) == 44);

struct SettingsRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};
static_assert(sizeof(SettingsRect) == 16);

using FileMask = std::array<uint8_t, kMaxFiles>;

struct ProgramSettings {
    int16_t searchFilesChoice = 0;
    uint8_t searchTablesChoice = 0;
    uint8_t alwaysOnTop = 0;
    WindowPlacement windowPlacement;
    uint8_t startFocus = 7;
    uint8_t singleInstance = 1;
    uint8_t confirmExit = 0;
    uint8_t rememberWindowPosition = 1;
    uint16_t searchLogCapacity = 256;
    uint8_t latinToCyrillic = 1;
    std::string programFolder; // Windows-1251, at most 260 characters; never saved
    int16_t fileCount = 0;
    std::array<std::string, kMaxFiles> filePaths; // each at most 260 characters
    int16_t saveAsChoice = 0;
    uint8_t noReadOnlyMessage = 0;
    uint8_t noLoadErrorMessage = 0;
    uint8_t autoRemoveMissing = 0;
    uint8_t autoKeyEntry = 1;
    uint8_t filesDialogExpanded = 1;
    uint8_t connectFolderFiles = 1;
    uint8_t checkDuplicatePhone = 1;
    uint8_t confirmSaveRecord = 1;
    uint8_t askToSaveChanges = 1;
    uint8_t saveOnClose = 1;
    uint8_t notFoundMessage = 1;
    uint8_t autoColumnWidths = 1;
    std::array<int32_t, 5> columnWidthsPx = {70, 180, 180, 200, 100};
    std::array<float, 5> columnWidthShares = {0.07f, 0.25f, 0.28f, 0.32f, 0.08f};
    uint8_t mouseTracking = 1;
    uint8_t notFoundClearTable = 0;
    uint8_t gridLines = 1;
    SettingsRect searchLogRect;
    uint8_t caseSensitive = 0;
    FileMask fileMask{};
    uint8_t backgroundSearch = 1;
    int32_t backgroundDelayMs = 300;
    uint8_t spacesSignificant = 0;
};

enum class ResetMode { All = 1, KeepFiles = 2 };

// Defaults everywhere; KeepFiles keeps fileCount and filePaths. Both keep programFolder.
void resetSettings(ProgramSettings& settings, ResetMode mode);
// Brings out-of-range fields back into range.
void validateSettings(ProgramSettings& settings);
// Reads the configuration file of programFolder over the record and validates
// it. False (record untouched) when the file cannot be opened; a file with
// another signature leaves the record as it was.
[[nodiscard]] bool loadSettings(ProgramSettings& settings);
// Writes the whole configuration file (588 + 262 * fileCount bytes), atomically.
[[nodiscard]] bool saveSettings(const ProgramSettings& settings, WriteError* cause = nullptr);
// programFolder joined with "Orv   2000.cfg".
std::string configFilePath(const ProgramSettings& settings);

} // namespace talsk
