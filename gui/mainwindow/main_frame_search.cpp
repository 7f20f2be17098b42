// The main window's share of searching: the search area, totals, the
// showing of results, the active input and the steps through the log.

#include "gui/mainwindow/field_search_panel.h"
#include "gui/mainwindow/focus_rules.h"
#include "gui/mainwindow/general_search_bar.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/mainwindow/no_base_hint.h"
#include "gui/mainwindow/results_table.h"
#include "gui/mainwindow/search_area_bar.h"
#include "gui/search/nothing_found_dialog.h"
#include "gui/search/search_area_dialog.h"
#include "gui/search/search_log_dialog.h"
#include "gui/widgets/queued_call.h"
#include "platform/cp1251.h"
#include "search/search_area.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace talsk {

TableMask CMainFrame::tableMaskFromBar() const {
    return tableMaskFromText(SearchAreaBar::selectedText(areaBar_->tables()));
}

FileMask CMainFrame::fileMaskFromBar() const {
    return fileMaskFromText(set_, SearchAreaBar::selectedText(areaBar_->files()), fileMask_);
}

void CMainFrame::fillSearchAreaBar() {
    SearchAreaBar::fill(areaBar_->files(), filesListItems(set_));
    recountTotals(set_);
    SearchAreaBar::fill(
        areaBar_->tables(),
        tablesListItems(set_.totalPopulation, set_.totalOrganizations, set_.totalCityCodes));
    tablesChanged();
}

void CMainFrame::filesChanged() {
    if (SearchAreaBar::selectedText(areaBar_->files()) == kChooseFilesItem &&
        !runSearchAreaFilesDialog(this, set_, fileMask_))
        areaBar_->files()->setCurrentIndex(0);
    refreshTotals();
    focusSearchField(-1);
    clearSearchState();
}

void CMainFrame::tablesChanged() {
    const TableMask m = tableMaskFromBar();
    panel_->relabel(m);
    setGridKind(m, true);
    refreshTotals();
    focusSearchField(-1);
    clearSearchState();
}

void CMainFrame::setGridKind(TableMask m, bool onlyIfEmpty) {
    if (onlyIfEmpty && results_->rowCount() > 0) return;
    results_->setKindColumns(m);
    gridKind_ = m;
}

void CMainFrame::refreshTotals() {
    recountTotals(set_);
    noBaseHint_->follow(set_);
    const AreaTotals t = areaTotals(set_, fileMaskFromBar(), tableMaskFromBar());
    setPaneText(3, QString::fromStdString(totalsPaneText(t.sum())));
    panel_->setTotals(t);
}

void CMainFrame::clearSearchState() {
    session_.clear();
    panel_->clearFoundCounters();
    generalBar_->clearFoundCounter();
}

void CMainFrame::showResults(const SearchState& state, int n, const SimilarOffer* offer) {
    if (n < 0) n = hitTotal(state);
    // Whichever bar searched, both count the hits the table now shows.
    showFoundCounts();
    if (n > 0) {
        if (state.tables != gridKind_) setGridKind(state.tables, false);
        results_->showResults(state, gridKind_, -1);
        return;
    }
    if (settings_.notFoundClearTable == 1) {
        results_->clearResults();
    }
    if (settings_.notFoundMessage != 1) return; // silenced: no names are looked for either
    std::vector<SimilarName> names;
    if (offer) names = findSimilarNames(set_, session_.area().files, offer->request);
    const int chosen = runNothingFoundDialog(this, settings_, names,
                                             offer ? offer->request.source : NameSource::Surnames);
    if (chosen >= 0 && offer->runWith) {
        // After the search that found nothing has finished its own steps.
        postToThreadOf(this, [run = offer->runWith,
                              name = names[static_cast<size_t>(chosen)].name] { run(name); });
    }
}

void CMainFrame::showFoundCounts() {
    panel_->showFoundCounters();
    generalBar_->showFound(hitTotal(session_.state()));
}

void CMainFrame::forgetDeletedHit(TableKind table) {
    session_.forgetHit(table);
    showFoundCounts();
}

void CMainFrame::showAllRecords() {
    const int32_t n = session_.showAll(searchArea());
    showResults(session_.state(), n);
}

void CMainFrame::focusSearchField(int n) {
    if (!panel_ || !generalBar_) return; // going away
    if (n < 0) n = searchFocus_;
    if (n == kFocusGeneral)
        generalBar_->combo()->setFocus(Qt::OtherFocusReason);
    else if (n >= kFocusComment && n <= kFocusPhone)
        panel_->input(n)->setFocus(Qt::OtherFocusReason);
}

void CMainFrame::focusChanged(int v) {
    if (!panel_ || !generalBar_) return; // going away
    switch (scheduleOnFocus(searchFocus_, v, !session_.current())) {
    case FocusSchedule::FieldPanel:
        panel_->schedule(false);
        break;
    case FocusSchedule::GeneralBar:
        generalBar_->schedule(false);
        break;
    case FocusSchedule::None:
        break;
    }
    if (searchFocus_ >= 0) searchFocus_ = v;
}

void CMainFrame::resetHistoryPosition() {
    historyPosition_ = static_cast<uint16_t>(session_.log().count);
}

void CMainFrame::stepLog(bool forward) {
    FieldQueryText q;
    if (stepHistory(session_.log(), historyPosition_, forward, q)) panel_->setQuery(q);
}

} // namespace talsk
