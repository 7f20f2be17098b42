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
    std::string programFolder; // the system's bytes; never saved
    int16_t fileCount = 0;
    // The system's bytes; the file keeps them in Windows-1251, at most 260
    // characters each, so only names with an exact form there can be listed.
    std::array<std::string, kMaxFiles> filePaths;
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
    // "Е и Ё не различать": kept with the window's own settings, never in the
    // file, and kept by a reset.
    uint8_t yoAsYe = 0;
};

enum class ResetMode { All = 1, KeepFiles = 2 };

// Defaults everywhere; KeepFiles keeps fileCount and filePaths. Both keep programFolder.
void resetSettings(ProgramSettings& settings, ResetMode mode);
// Brings out-of-range fields back into range.
void validateSettings(ProgramSettings& settings);
// Reads the configuration file of programFolder over the record and validates
// it. False (record untouched) when the file cannot be opened; a file with
// another signature leaves the record as it was.
// *state, when given, says whether the file was missing, sound or damaged
// (another signature, a count out of range, or not 588 + 262 * count bytes).
enum class SettingsFileState { Missing, Sound, Damaged };
[[nodiscard]] bool loadSettings(ProgramSettings& settings, SettingsFileState* state = nullptr);
// Renames a damaged configuration file to "Orv   2000.cfg.bad" (replacing an
// older one), so that saving new settings does not wipe it out.
[[nodiscard]] bool setAsideDamagedSettings(const ProgramSettings& settings);
// What the user is told about a damaged file (UTF-8): that defaults are used
// and, when it was set aside, under which name.
std::string damagedSettingsMessage(bool setAside);
// Writes the whole configuration file (588 + 262 * fileCount bytes), atomically.
// Refuses (WriteError::Other, nothing written) while firstUnstorablePath finds one.
[[nodiscard]] bool saveSettings(const ProgramSettings& settings, WriteError* cause = nullptr);

// Whether the configuration file can hold a path: every character has an
// exact Windows-1251 form, and there is no '\\' (read back as a separator).
bool storablePath(const std::string& path);
// Characters (not bytes) of a UTF-8 path: what the 260-character limit counts,
// as the file stores each in one Windows-1251 byte.
size_t pathCharacters(const std::string& path);
// Whether a path (the system's bytes) is within that limit.
bool pathWithinLimit(const std::string& path);
// The first listed path that the configuration file cannot hold; empty when none.
std::string firstUnstorablePath(const ProgramSettings& settings);
// Why a path cannot be listed, naming it (UTF-8).
std::string unstorablePathMessage(const std::string& path);
// programFolder joined with "Orv   2000.cfg".
std::string configFilePath(const ProgramSettings& settings);

} // namespace talsk
