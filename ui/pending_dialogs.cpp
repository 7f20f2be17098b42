// Minimal stand-ins for dialogs 152, 154 and 196 until their own files are in
// the tree: the log dialog takes the entry at the position, the area dialog
// is cancelled, the nothing-found dialog is a plain message box.

#include "ui/pending_dialogs.h"

#include <QMessageBox>

namespace talsk {

int runSearchLogDialog(QWidget*, SearchLog& log, ProgramSettings&, int position,
                       FieldQueryText* combined, bool* searchNow) {
    if (log.count <= 0) return -1;
    const int chosen = position > 0 && position < log.count ? position : log.count - 1;
    if (combined) logEntryQuery(log, chosen, *combined);
    if (searchNow) *searchNow = false;
    return chosen;
}

bool runSearchAreaFilesDialog(QWidget*, const BaseSet&, FileMask&) {
    return false;
}

void runNothingFoundDialog(QWidget* parent, ProgramSettings&) {
    QMessageBox::information(parent, "Результат поиска ...", "Ничего не найдено !!!");
}

} // namespace talsk
