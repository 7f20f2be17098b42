#pragma once
// The background search ("Фоновый поиск"): at most one worker thread runs a
// search of the bars ahead of Enter. It fills a hit buffer of its own and
// reports its end through a callback; the window's thread then takes the
// hits. Stopping is cooperative: the run reads the worker's own cancel flag
// after every record. The SearchSession drives it.

#include "base/base_set.h"
#include "search/search_engine.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace talsk {

// How long a canceller waits for the worker to stop, and Enter for it to end.
constexpr std::chrono::milliseconds kCancelWaitLimit{100000};
constexpr std::chrono::milliseconds kSearchWaitLimit{300000};

// Runs on the worker thread when a run ends with a hit count (never after a
// cancelled run or a query that does not compile).
using SearchDoneCallback = std::function<void(int32_t hits)>;

// What a bar hands to the worker. The worker keeps its own copy, selection
// included, so the bar may refill its block at once.
struct SearchRequest {
    BaseSet* baseSet = nullptr;
    SearchDoneCallback done;
    SearchKind kind = SearchKind::None;        // FieldSearch or GeneralSearch
    FieldQueryText fieldTexts;                 // kind FieldSearch
    char generalText[kQuerySlot] = {};         // kind GeneralSearch
    const FieldSelection* selection = nullptr; // nullptr: all fields

    void clear() { *this = SearchRequest{}; }
};

// Why a change of the records or files was refused: the search above would
// not stop.
constexpr const char* kSearchStillRunning = "Поиск не остановлен, данные не были изменены";

struct SearchJob;

// The running worker and those given up by a cancel that timed out. A worker
// that outlives a wait is never killed: it is left to stop at its next
// record with its own flag and buffer. The destructor stops and joins them.
class SearchWorkers {
public:
    SearchWorkers();
    ~SearchWorkers();
    SearchWorkers(const SearchWorkers&) = delete;
    SearchWorkers& operator=(const SearchWorkers&) = delete;

    // A worker has been started and its thread is still searching.
    bool running() const;
    // No worker, current or given up, still reads the bases, and none is
    // held back while they change.
    bool allStopped() const;
    // Stops the current worker within limit, then waits what is left of it
    // for those given up before. True when no worker reads the bases
    // afterwards; the hits of a run that ended but were not taken are dropped.
    bool stop(std::chrono::milliseconds limit);
    // Stops the current worker within limit; one that outlives it is given up.
    void interrupt(std::chrono::milliseconds limit);
    // True when no worker runs, or it ends within limit; otherwise interrupts
    // it (waiting up to cancelLimit) and returns false.
    bool wait(std::chrono::milliseconds limit, std::chrono::milliseconds cancelLimit);
    // Starts a worker running request over run (into a buffer of its own,
    // with its own cancel flag). False while held or when no thread can be
    // created.
    bool start(const SearchRequest& request, const SearchRun& run);
    // The hits and counters of the run that has ended, moved into out; the
    // run's result, or -1 when none has ended (or none was started).
    int32_t take(SearchResults& out);

    // Held workers start nothing (SearchPause); holds nest.
    void hold() { ++held_; }
    void unhold() { --held_; }
    bool held() const { return held_ > 0; }

private:
    struct Worker;
    void dropCurrent();
    void reapAbandoned();

    std::unique_ptr<Worker> current_;
    std::vector<std::unique_ptr<Worker>> abandoned_;
    std::vector<SearchHit> spare_; // the hit buffer the next run fills
    int held_ = 0;
};

} // namespace talsk
