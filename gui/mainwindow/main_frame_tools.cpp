// The main window's "Утилиты": the version converter, the change of a file's
// key, merging and the dBASE import. Merging and the import work on files on
// disk, apart from the connected files; the new file is not connected.

#include "gui/mainwindow/main_frame.h"

#include "base/key_store.h"
#include "gui/mainwindow/background_search.h"
#include "gui/tools/change_key_dialog.h"
#include "gui/tools/dbf_import_dialog.h"
#include "gui/tools/merge_dialog.h"
#include "gui/tools/version_converter_dialog.h"

namespace talsk {

void CMainFrame::openVersionConverter() {
    runVersionConverter(this);
}

void CMainFrame::openChangeKey() {
    // Saving a connected file re-indexes its tables: no search may read them
    // then, nor start from a bar's timer while the dialog is open.
    const SearchPause pause(session_);
    if (!searchStoppedFor(this, pause)) return;
    const KeyStore keys(KeyStore::defaultPath());
    runChangeKeyDialog(this, set_, &keys);
}

void CMainFrame::openMergeDialog() {
    runMergeDialog(this);
}

void CMainFrame::runDbfImport() {
    runDbfImportDialog(this, set_.folder);
}

} // namespace talsk
