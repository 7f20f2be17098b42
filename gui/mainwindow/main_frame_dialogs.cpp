// The main window's dialogs over its state: the connected files and their
// information, "Настройки" (the sheet on a copy of the settings, committed
// after OK), the About box and the help.

#include "gui/mainwindow/main_frame.h"

#include "base/key_store.h"
#include "gui/files/connected_files_dialog.h"
#include "gui/files/file_info_dialog.h"
#include "gui/help/about_box.h"
#include "gui/help/help_window.h"
#include "gui/mainwindow/background_search.h"
#include "gui/mainwindow/commands.h"
#include "gui/mainwindow/results_table.h"
#include "gui/settings/settings_sheet.h"
#include "gui/settings/settings_sheet_rules.h"

namespace talsk {

// On OK with a change: the settings' list and the rebuilt set with its keys,
// the views, the settings file, the remembered keys, then the reload posted.
void CMainFrame::openConnectedFiles() {
    // Held over the dialog too: a bar's timer firing in its event loop starts nothing.
    const SearchPause pause(session_);
    if (!searchStoppedFor(this, pause)) return;
    ConnectedFilesDialog dialog(set_, settings_, this);
    if (dialog.exec() != QDialog::Accepted || !dialog.model().changed()) return;
    // The shown rows read the bases that are about to close.
    results_->clearResults();
    clearSearchState();
    (void)dialog.model().commit(set_, settings_);
    fillSearchAreaBar();
    refreshTotals();
    saveSettingsFile();
    WriteError cause = WriteError::None;
    if (!KeyStore(KeyStore::defaultPath()).saveKeys(set_, &cause))
        reportWriteFailure("Не удалось запомнить ключи", cause);
    QMetaObject::invokeMethod(
        this, [this] { runCommand(cmd::ReloadFiles); }, Qt::QueuedConnection);
}

void CMainFrame::openFileInfo() {
    recountTotals(set_);
    FileInfoDialog dialog(set_, this);
    dialog.exec();
}

void CMainFrame::openSettingsSheet() {
    const KeyStore keys(KeyStore::defaultPath());
    std::optional<ProgramSettings> copy = runSettingsSheet(this, settings_, keys);
    if (!copy) return;
    // A changed log capacity can only fail on a damaged log, which then keeps
    // its old size; the settings are committed all the same.
    (void)sheet::commitCopy(std::move(*copy), settings_, session_.log());
    // What the windows show wins over the copy: placement, area, widths.
    collectUiIntoSettings();
    saveSettingsFile();
    applySettingsToUi();
}

void CMainFrame::openAbout() {
    runAboutBox(this);
}

void CMainFrame::openHelp(const QString& topic) {
    showHelp(this, topic);
}

} // namespace talsk
