#pragma once
// The search a bar runs ahead of Enter while the user types: the one-shot
// timer, and the worker's end handed to the window's thread. What is started,
// reused and taken is the session's.

#include "gui/mainwindow/search_host.h"

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

    // After an input change: stale hits, then (with search-while-typing on)
    // the running search stopped when asked and the timer started again.
    void schedule(bool stop);
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

    SearchHost& host_;
    SearchKind kind_;
    QTimer timer_;
};

// Before the bases change or close, under a pause: true when it stopped the
// background search; otherwise tells the user that nothing was changed.
[[nodiscard]] bool searchStoppedFor(QWidget* parent, const SearchPause& pause);
void tellSearchStillRunning(QWidget* parent);

} // namespace talsk
