#include "support/settings_fixtures.h"

namespace talsk::test {

const std::string kLongSettingsPath = "/srv/справочник/" + std::string(236, 'x') + "/тел.btn";

ProgramSettings unusualSettings() {
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
    s.filePaths[2] = kLongSettingsPath;
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

} // namespace talsk::test
