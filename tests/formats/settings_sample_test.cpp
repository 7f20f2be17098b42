// The configuration file sample "Orv   2000.cfg": every option away from its
// default, three connected files (one with a path of the full 260
// characters).

#include "base/settings.h"
#include "formats/sample_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace talsk::test {
namespace {

const std::string kLongPath = "/srv/справочник/" + std::string(236, 'x') + "/тел.btn";

// Every value passes validation unchanged and differs from its default, so
// that a field read from the wrong place or not at all shows.
ProgramSettings sampleSettings() {
    ProgramSettings s;
    s.searchFilesChoice = 4;
    s.searchTablesChoice = 2;
    s.alwaysOnTop = 1;
    s.windowPlacement = {44, 2, 3, -1, -1, -32000, -32000, 120, 80, 1100, 790};
    s.startFocus = 2;
    s.singleInstance = 0;
    s.confirmExit = 1;
    s.rememberWindowPosition = 0;
    s.searchLogCapacity = 999;
    s.latinToCyrillic = 0;
    s.fileCount = 3;
    s.filePaths[0] = "talsk.btn";
    s.filePaths[1] = "Архив/Тальск 2001.btn";
    s.filePaths[2] = kLongPath;
    s.saveAsChoice = 2;
    s.noReadOnlyMessage = 1;
    s.noLoadErrorMessage = 1;
    s.autoRemoveMissing = 1;
    s.autoKeyEntry = 0;
    s.filesDialogExpanded = 0;
    s.connectFolderFiles = 0;
    s.checkDuplicatePhone = 0;
    s.confirmSaveRecord = 0;
    s.askToSaveChanges = 0;
    s.saveOnClose = 0;
    s.notFoundMessage = 0;
    s.autoColumnWidths = 0;
    s.columnWidthsPx = {64, 0, 3000, 212, 95};
    s.columnWidthShares = {0.001f, 0.3f, 0.25f, 0.35f, 1.0f};
    s.mouseTracking = 0;
    s.notFoundClearTable = 1;
    s.gridLines = 0;
    s.searchLogRect = {-8, 16, 640, 480};
    s.caseSensitive = 1;
    s.fileMask = {1, 0, 1};
    s.backgroundSearch = 0;
    s.backgroundDelayMs = 9999;
    s.spacesSignificant = 1;
    return s;
}

std::vector<unsigned char> savedImage(ProgramSettings settings) {
    TempDir dir;
    settings.programFolder = dir.path();
    EXPECT_TRUE(saveSettings(settings));
    return readBytes(configFilePath(settings));
}

TEST(SettingsSample, WriterReproducesTheSample) {
    ASSERT_EQ(pathCharacters(kLongPath), kMaxPathChars);
    expectSampleBytes("settings.cfg", savedImage(sampleSettings()));
}

TEST(SettingsSample, ReadsEveryValue) {
    TempDir dir;
    ProgramSettings read;
    read.programFolder = dir.path();
    writeBytes(configFilePath(read), sampleBytes("settings.cfg"));
    ASSERT_TRUE(loadSettings(read));
    EXPECT_EQ(read.fileCount, 3);
    EXPECT_EQ(read.filePaths[1], "Архив/Тальск 2001.btn");
    EXPECT_EQ(read.filePaths[2], kLongPath);
    EXPECT_EQ(read.latinToCyrillic, 0);
    EXPECT_EQ(read.backgroundDelayMs, 9999);
    EXPECT_EQ(read.windowPlacement.maxX, -32000);
    // Saved again, every value lands where the sample has it.
    EXPECT_EQ(savedImage(read), sampleBytes("settings.cfg"));
}

} // namespace
} // namespace talsk::test
