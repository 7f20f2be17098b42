// The main window's share of the record editor: its three ways in and what
// the views refresh once it closed.

#include "gui/editor/record_editor.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/mainwindow/panel_record.h"
#include "gui/mainwindow/results_table.h"

#include <QApplication>

#include <climits>

namespace talsk {

void CMainFrame::addToBase(const PanelRecord& record) {
    // The empty slot after the last record of the first file, filled with the
    // panel's texts.
    EditorStart start;
    start.position = {INT32_MAX, 0, record.kind};
    start.incoming = record.fields;
    openEditor(start);
}

void CMainFrame::openEditor(const EditorStart& start) {
    EditorStart withBuffer = start;
    withBuffer.copyBuffer = &copyBuffer_;
    const EditorCloseResult result = runRecordEditor(this, session_, settings_, withBuffer);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!result.changedBases.empty()) {
        results_->refreshRows();
        pairFilters_.start(); // an edit clears its table's filter
    }
    if (result.recordsAddedOrRemoved) {
        // The hits name records by number, and numbers moved.
        session_.sizeHits();
        refreshTotals();
        saveSettingsFile();
        results_->clearResults();
        fillSearchAreaBar();
        clearSearchState();
    }
    QApplication::restoreOverrideCursor();
    update();
}

} // namespace talsk
