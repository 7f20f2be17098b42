// The main window's commands for the connected files: dialog 138 (F4) and
// dialog 139 (F7).

#include "base/dialogs/connected_files_dialog.h"
#include "base/dialogs/file_info_dialog.h"
#include "base/key_store.h"
#include "search/search_worker.h"
#include "ui/commands.h"
#include "ui/main_frame.h"
#include "ui/results_table.h"

namespace talsk {

// On OK with a change: the settings' list and the rebuilt set with its keys,
// the views, the settings file, the remembered keys, then the reload posted.
void CMainFrame::openConnectedFiles() {
    cancelSearch(set_.search);
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

} // namespace talsk
