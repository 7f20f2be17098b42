#pragma once
// The background search ("Фоновый поиск"): at most one worker thread runs a
// search of the bars ahead of Enter. It fills a hit buffer of its own and
// reports its end through a callback; the window's thread then takes the
// hits into the state. Stopping is cooperative: the run reads the worker's
// own cancel flag after every record.

#include "base/base_set.h"
#include "search/search_engine.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace talsk {

// How long a canceller waits for the worker to stop, and Enter for it to end.
constexpr std::chrono::milliseconds kCancelWaitLimit{100000};
constexpr std::chrono::milliseconds kSearchWaitLimit{300000};

// Runs on the worker thread when a run ends with a hit count (never after a
// cancelled run or a query that does not compile). The window hands it on to
// its own thread, which then calls takeSearchResults.
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

// A worker has been started and its thread is still searching.
[[nodiscard]] bool isSearchRunning(const SearchState& state);

// Marks the hits stale and stops a running worker, waiting up to limit; the
// hits of a run that ended but were not taken yet are dropped. True when no
// worker reads the bases afterwards, so that the caller may change or close
// them; a worker given up by an earlier cancel counts until it has stopped.
// A worker that outlives the wait is never killed: it is left to stop at its
// next record with its own flag and buffer, and the state no longer counts
// it as running.
[[nodiscard]] bool cancelSearch(SearchState& state,
                                std::chrono::milliseconds limit = kCancelWaitLimit);

// Holds the background search stopped while the bases change: cancels it
// at once (as cancelSearch) and, for as long as it lives, no worker starts,
// not even from a timer that fires inside a dialog's event loop. When
// stopped() is false a worker still reads the bases and the caller must
// leave them as they are.
class [[nodiscard]] SearchPause {
public:
    explicit SearchPause(SearchState& state, std::chrono::milliseconds limit = kCancelWaitLimit);
    ~SearchPause();
    SearchPause(const SearchPause&) = delete;
    SearchPause& operator=(const SearchPause&) = delete;

    [[nodiscard]] bool stopped() const { return stopped_; }

private:
    std::shared_ptr<SearchWorkers> workers_; // the ones held, whatever the state does later
    bool stopped_;
};

// The same for a restart, or before a search on the window's thread: nothing
// a worker reads changes, so neither a worker that outlives this wait nor
// one given up earlier is waited for; they stop on their own.
void interruptSearch(SearchState& state, std::chrono::milliseconds limit = kCancelWaitLimit);

// Why a change of the records or files was refused: the search above would
// not stop.
constexpr const char* kSearchStillRunning = "Поиск не остановлен, данные не были изменены";

// True when no worker runs, or it ends within limit; the hits of a run that
// has ended are then taken into the state. Otherwise cancels it (waiting up to cancelLimit)
// and returns false, and the caller searches on its own thread.
[[nodiscard]] bool waitForSearch(SearchState& state,
                                 std::chrono::milliseconds limit = kSearchWaitLimit,
                                 std::chrono::milliseconds cancelLimit = kCancelWaitLimit);

// Cancels a running worker, sets the state's kind to the request's and
// starts a worker over the state's fileMask and tables with the settings'
// match options as they are now. False when no thread can be created or a
// SearchPause holds the search. The
// caller has set the state's fileMask and tables.
[[nodiscard]] bool startSearch(const SearchRequest& request);

// On the window's thread, after the done callback: drops the handle of the
// worker that has ended and makes its hits and counters the state's (dirty
// 0). Returns the number of hits taken, or -1 when the worker in the state
// has not ended yet or there is none (a late report of a replaced worker).
int32_t takeSearchResults(SearchState& state);

} // namespace talsk
