#pragma once
// The search a bar runs ahead of Enter while the user types: the one-shot
// timer, the worker's start, and its end handed to the window's thread.

#include "gui/mainwindow/search_host.h"
#include "search/search_worker.h"

#include <QObject>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>

namespace talsk {

class BackgroundSearch : public QObject {
    Q_OBJECT

public:
    BackgroundSearch(SearchHost& host, SearchKind kind, QObject* parent);

    // After an input change: dirty, then (with search-while-typing on) the
    // running search stopped when asked and the timer started again.
    void schedule(bool stop);
    // Enter: the hits of a background search of this kind that can be shown
    // as they are (waiting for a running one), or -1 to search at once.
    int32_t reuseForEnter();
    QTimer& timer() { return timer_; }

    // The bar's part of the start: empties its counters; fills the request
    // and says whether this bar is the active side.
    std::function<void()> clearCounters;
    std::function<bool(SearchRequest&)> fillRequest;

Q_SIGNALS:
    // The worker ended with hits for the input as it still is.
    void finished(int32_t hits);

private:
    void timerFired();
    void workerDone(uint64_t run);

    SearchHost& host_;
    SearchKind kind_;
    QTimer timer_;
    uint64_t myRun_ = 0;
    bool changedSinceStart_ = false;
};

// Drops the hits of a worker that has ended but was not taken yet, so that
// its late report changes nothing; the state stays dirty.
void discardFinishedSearch(SearchState& state);

// Before the bases change or close, under a pause: true when it stopped the
// background search; otherwise tells the user that nothing was changed.
[[nodiscard]] bool searchStoppedFor(QWidget* parent, const SearchPause& pause);
void tellSearchStillRunning(QWidget* parent);

} // namespace talsk
