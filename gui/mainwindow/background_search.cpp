#include "gui/mainwindow/background_search.h"

#include "gui/widgets/queued_call.h"

#include <QMessageBox>
#include <QPointer>

namespace talsk {

namespace {

// Every start on the window's thread gets the next number; only the report
// of the latest start is taken.
uint64_t lastRun = 0;

} // namespace

void discardFinishedSearch(SearchState& state) {
    if (!isSearchRunning(state) && takeSearchResults(state) >= 0) state.dirty = 1;
}

bool searchStoppedFor(QWidget* parent, const SearchPause& pause) {
    if (pause.stopped()) return true;
    tellSearchStillRunning(parent);
    return false;
}

void tellSearchStillRunning(QWidget* parent) {
    QMessageBox::critical(parent, QStringLiteral("Ошибка"), QString::fromUtf8(kSearchStillRunning));
}

BackgroundSearch::BackgroundSearch(SearchHost& host, SearchKind kind, QObject* parent)
    : QObject(parent), host_(host), kind_(kind) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &BackgroundSearch::timerFired);
}

void BackgroundSearch::schedule(bool stop) {
    BaseSet& set = host_.baseSet();
    if (!set.settings) return;
    if (clearCounters) clearCounters();
    changedSinceStart_ = true;
    set.search.dirty = 1;
    if (!set.settings->backgroundSearch) return;
    if (stop) interruptSearch(set.search);
    timer_.start(set.settings->backgroundDelayMs);
}

void BackgroundSearch::timerFired() {
    timer_.stop();
    BaseSet& set = host_.baseSet();
    if (!set.settings || !set.settings->backgroundSearch) return;
    SearchState& state = set.search;
    if (state.dirty == 0 && state.kind == kind_) return; // already current
    if (clearCounters) clearCounters();
    SearchRequest request;
    request.baseSet = &set;
    request.kind = kind_;
    if (!fillRequest || !fillRequest(request)) return; // the other side is active
    if (isSearchRunning(state)) interruptSearch(state);
    state.kind = kind_;
    state.fileMask = host_.fileMaskFromBar();
    state.tables = host_.tableMaskFromBar();
    const uint64_t run = ++lastRun;
    myRun_ = run;
    changedSinceStart_ = false;
    QPointer<BackgroundSearch> self(this);
    // Runs on the worker's thread: only a queued call reaches the window.
    request.done = [self, run](int32_t) {
        postToThreadOf(self.data(), [self, run] {
            if (self) self->workerDone(run);
        });
    };
    if (!startSearch(request)) myRun_ = 0;
}

void BackgroundSearch::workerDone(uint64_t run) {
    if (run != lastRun || run != myRun_) return; // a later start replaced it
    SearchState& state = host_.baseSet().search;
    const int32_t n = takeSearchResults(state);
    if (n < 0) return;
    if (changedSinceStart_) {
        state.dirty = 1; // the input moved on while it ran
        return;
    }
    Q_EMIT finished(n);
}

int32_t BackgroundSearch::reuseForEnter() {
    SearchState& state = host_.baseSet().search;
    // A run that ended for the input as it is but whose report is still on
    // its way counts as current.
    if (myRun_ == lastRun && !changedSinceStart_ && state.kind == kind_ &&
        !isSearchRunning(state) && takeSearchResults(state) >= 0)
        return hitTotal(state);
    discardFinishedSearch(state);
    if (isSearchRunning(state) || state.dirty == 0) {
        if (state.kind == kind_) {
            if (waitForSearch(state)) {
                if (state.dirty == 0) return hitTotal(state);
            }
        } else {
            interruptSearch(state);
        }
    }
    return -1;
}

} // namespace talsk
