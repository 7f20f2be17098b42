// The main window's share of the dBASE import: the window runs on its own;
// the new file is not connected.

#include "tools/dialogs/dbf_import_dialog.h"
#include "ui/main_frame.h"

namespace talsk {

void CMainFrame::runDbfImport() {
    runDbfImportDialog(this, set_.folder);
}

} // namespace talsk
