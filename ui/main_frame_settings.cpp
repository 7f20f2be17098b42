// The main window's share of "Настройки": the sheet on a copy of the
// settings, and its commit after OK.

#include "base/key_store.h"
#include "search/dialogs/settings_sheet.h"
#include "search/dialogs/settings_sheet_rules.h"
#include "ui/main_frame.h"

namespace talsk {

void CMainFrame::openSettingsSheet() {
    const KeyStore keys(KeyStore::defaultPath());
    std::optional<ProgramSettings> copy = runSettingsSheet(this, settings_, keys);
    if (!copy) return;
    // A changed log capacity can only fail on a damaged log, which then keeps
    // its old size; the settings are committed all the same.
    (void)sheet::commitCopy(std::move(*copy), settings_, log_);
    // What the windows show wins over the copy: placement, area, widths.
    collectUiIntoSettings();
    saveSettingsFile();
    applySettingsToUi();
}

} // namespace talsk
