// The main window's merge command: the merge works on files on disk, apart
// from the connected files.

#include "tools/dialogs/merge_dialog.h"
#include "ui/main_frame.h"

namespace talsk {

void CMainFrame::openMergeDialog() {
    runMergeDialog(this);
}

} // namespace talsk
