#pragma once
// The background search ("Фоновый поиск"): at most one worker thread runs a
// search of the bars ahead of Enter and reports its end through a callback
// that the window code turns into WM_SEARCH_DONE on its own thread. Stopping
// is cooperative: the run reads the state's cancel flag after every record.

#include "base/base_set.h"
#include "search/search_engine.h"

#include <chrono>
#include <cstdint>

namespace talsk {

// WM_USER + 20: wParam the number of hits, lParam 0.
constexpr uint32_t kSearchDoneMessage = 0x0400 + 20;

// How long a canceller waits for the worker to stop, and Enter for it to end.
constexpr std::chrono::milliseconds kCancelWaitLimit{100000};
constexpr std::chrono::milliseconds kSearchWaitLimit{300000};

// Runs on the worker thread when a run ends with a hit count (never after a
// cancelled run or a query that does not compile).
using SearchDoneCallback = void (*)(void* notifyWindow, int32_t hits);

// What a bar hands to the worker. The worker keeps its own copy, selection
// included, so the bar may refill its block at once.
struct SearchRequest {
    BaseSet* baseSet = nullptr;
    void* notifyWindow = nullptr; // the bar that started the search
    SearchDoneCallback done = nullptr;
    SearchKind kind = SearchKind::None;        // FieldSearch or GeneralSearch
    FieldQueryText fieldTexts;                 // kind FieldSearch
    char generalText[kQuerySlot] = {};         // kind GeneralSearch
    const FieldSelection* selection = nullptr; // nullptr: all fields

    void clear() { *this = SearchRequest{}; }
};

// The worker's body: runs the request's search on the calling thread and
// calls done with a result of 0 or more. Returns the run's result.
int32_t runSearchRequest(const SearchRequest& request);

// A worker handle is held and its thread is still searching.
bool isSearchRunning(const SearchState& state);

// Marks the hits stale and stops a running worker: cancel := 1, wait up to
// limit, cancel := 0. True when no worker runs afterwards. A worker that
// outlives the wait is never killed: its cancel flag stays set, so it stops
// at its next record, and no new worker starts until it has.
bool cancelSearch(SearchState& state, std::chrono::milliseconds limit = kCancelWaitLimit);

// True when no worker runs, or it ends within limit; otherwise cancels it
// and returns false.
bool waitForSearch(SearchState& state, std::chrono::milliseconds limit = kSearchWaitLimit);

// Cancels a running worker, drops an ended one's handle, sets the state's
// kind to the request's and starts the worker on request.baseSet->search.
// False when the previous worker did not stop or no thread can be created.
// The caller has set the state's fileMask and tables.
bool startSearch(const SearchRequest& request);

// Drops the handle of a worker that has ended (on WM_SEARCH_DONE).
void releaseSearchWorker(SearchState& state);

} // namespace talsk
