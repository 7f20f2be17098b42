// The main window's share of the utilities: the version converter and the
// change of a file's key.

#include "base/key_store.h"
#include "search/search_worker.h"
#include "tools/dialogs/change_key_dialog.h"
#include "tools/dialogs/version_converter_dialog.h"
#include "ui/main_frame.h"

namespace talsk {

void CMainFrame::openVersionConverter() {
    runVersionConverter(this);
}

void CMainFrame::openChangeKey() {
    // Saving a connected file re-indexes its tables: no search may read them then.
    cancelSearch(set_.search);
    const KeyStore keys(KeyStore::defaultPath());
    runChangeKeyDialog(this, set_, &keys);
}

} // namespace talsk
