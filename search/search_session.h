#pragma once
// SearchSession: the one owner of the search over a set of connected files.
// It holds the log, the search area and the match options of the hits, and
// the background worker, and it is where a search of the field panel, the
// general bar, the find tool, "Вывести все записи" and talsk-cli starts,
// is stopped, reused, logged and handed over. It owns the hits: two
// sessions over one set keep hits of their own.

#include "base/base_set.h"
#include "search/search_engine.h"
#include "search/search_log.h"
#include "search/search_worker.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>

namespace talsk {

// Where a search looks: the files (one flag per connected base) and tables.
struct SearchArea {
    FileMask files{};
    TableMask tables = 0;
};

// Enter in the field panel: the hits, and whether the query entered the log.
struct FieldSearchResult {
    int32_t hits = 0;
    bool logged = false;
};

// Runs on the worker's thread when a background run ends with hits; the
// caller hops to its own thread and hands the ticket to takeBackground.
using BackgroundDone = std::function<void(uint64_t ticket, int32_t hits)>;

class SearchSession {
public:
    // The settings give the match options and the background search's switch
    // and delay, read at each use; none: the defaults, and no background
    // search. Both outlive the session.
    explicit SearchSession(BaseSet& set, const ProgramSettings* settings = nullptr);
    // Stops and joins a running worker before the set may go.
    ~SearchSession();
    SearchSession(const SearchSession&) = delete;
    SearchSession& operator=(const SearchSession&) = delete;

    BaseSet& baseSet() { return set_; }
    const SearchState& state() const { return state_; }
    const ProgramSettings* settings() const { return settings_; }
    SearchLog& log() { return log_; }
    const SearchLog& log() const { return log_; }
    // The area and the match options of the last search started.
    const SearchArea& area() const { return area_; }
    const MatchOptions& options() const { return options_; }
    // The hits answer the input as it is (dirty 0).
    bool current() const { return state_.dirty == 0; }

    // ---- searches on the caller's thread; each returns the hits, or
    // kSearchNotCompiled

    // Enter in the field panel: with reuse, the current hits of a field
    // search (the background's, waiting for a running one) when no change of
    // the input was reported since (inputChanged); otherwise a search now.
    // Then the query enters the log.
    FieldSearchResult fieldSearch(const FieldQueryText& query, const SearchArea& area,
                                  bool reuse = true);
    // Enter in the general bar, alike; not logged, and the kind is left as
    // it was. selection: nullptr for all fields.
    int32_t generalSearch(const char* text, const SearchArea& area,
                          const FieldSelection* selection = nullptr);
    // The record editor's find tool (kind FindRecord).
    int32_t findRecord(const char* text, const SearchArea& area, const FieldSelection& fields);
    // "Вывести все записи": every record of the area (kind AllRecords, dirty 1).
    int32_t showAll(const SearchArea& area);
    // Drops the hits and counters after a change of the area, the options or
    // the bases; the background search is stopped.
    void clear();
    // The hits no longer answer the input (the records or the text changed).
    void markStale() { state_.dirty = 1; }
    // The three counters zeroed, the hits kept ("Очистка").
    void clearCounters() { state_.clearCounters(); }
    // A shown hit's record of table was deleted: one hit fewer is counted.
    void forgetHit(TableKind table);
    // Empties the hit list and sizes it for the set's new totals; stale.
    void sizeHits();

    // ---- stopping the background search
    bool running() const { return workers_.running(); }
    // No worker reads the bases and nobody is changing them (no pause is
    // held): the caller's thread, which alone starts workers, may change what
    // searches only read (the pair filters).
    bool basesFree() const { return workers_.allStopped(); }
    // Marks the hits stale and stops a running worker, waiting up to limit.
    // True when no worker reads the bases afterwards, so that the caller may
    // change or close them; a worker given up earlier counts until it stops.
    [[nodiscard]] bool cancel(std::chrono::milliseconds limit = kCancelWaitLimit);
    // The same before a restart or a search on the caller's thread: nothing
    // a worker reads changes, so one that outlives the wait is given up.
    void interrupt(std::chrono::milliseconds limit = kCancelWaitLimit);
    // True when no worker runs, or it ends within limit, its hits then taken
    // (dirty 0); otherwise interrupts it (up to cancelLimit) and returns false.
    [[nodiscard]] bool waitFor(std::chrono::milliseconds limit = kSearchWaitLimit,
                               std::chrono::milliseconds cancelLimit = kCancelWaitLimit);

    // ---- the background search of the two bars (side: FieldSearch or
    // GeneralSearch)

    // An input of side changed (stop: by typing, which stops a running
    // search): the hits are stale. True when side's timer is to start again,
    // with backgroundDelayMs().
    bool inputChanged(SearchKind side, bool stop);
    int backgroundDelayMs() const;
    // side's timer fired: a background search is on and the hits do not
    // already answer side's input.
    bool backgroundWanted(SearchKind side) const;
    // Starts a worker for the request's kind over area (its own done is not
    // called); done gets the run's ticket. 0 when none started (no thread,
    // or a SearchPause holds it).
    uint64_t startBackground(const SearchRequest& request, const SearchArea& area,
                             BackgroundDone done);
    // After done, on the caller's thread: the hits of that run become
    // current. Returns them, or -1 when a later start replaced the run or
    // side's input changed while it ran (the hits stay stale).
    int32_t takeBackground(SearchKind side, uint64_t ticket);

private:
    friend class SearchPause;

    void setArea(const SearchArea& area);
    int32_t reuseBackground(SearchKind side);
    int32_t takeResults();
    void discardFinished();
    static size_t sideOf(SearchKind side);

    BaseSet& set_;
    const ProgramSettings* settings_;
    SearchState state_;
    SearchLog log_;
    SearchArea area_;
    MatchOptions options_;
    uint64_t lastTicket_ = 0;
    std::array<uint64_t, 3> ticket_{};   // by side: its latest start
    std::array<bool, 3> changedSince_{}; // by side: input changed since that start
    // Last, so that a running worker stops before the rest goes.
    SearchWorkers workers_;
};

// Holds the background search stopped while the bases change: cancels it at
// once (as cancel) and, for as long as it lives, no worker starts, not even
// from a timer that fires inside a dialog's event loop. When stopped() is
// false a worker still reads the bases and the caller must leave them be.
class [[nodiscard]] SearchPause {
public:
    explicit SearchPause(SearchSession& session,
                         std::chrono::milliseconds limit = kCancelWaitLimit);
    ~SearchPause();
    SearchPause(const SearchPause&) = delete;
    SearchPause& operator=(const SearchPause&) = delete;

    [[nodiscard]] bool stopped() const { return stopped_; }

private:
    SearchWorkers& workers_;
    bool stopped_;
};

} // namespace talsk
