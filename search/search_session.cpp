#include "search/search_session.h"

#include <utility>

namespace talsk {

SearchSession::SearchSession(BaseSet& set) : set_(set) {}

SearchSession::~SearchSession() = default;

size_t SearchSession::sideOf(SearchKind side) {
    const auto i = static_cast<size_t>(side);
    return i < 3 ? i : 0;
}

void SearchSession::setArea(const SearchArea& area) {
    area_ = area;
    set_.search.fileMask = area.files;
    set_.search.tables = area.tables;
    options_ = foregroundRun(set_).options;
}

// ---- stopping

bool SearchSession::cancel(std::chrono::milliseconds limit) {
    set_.search.dirty = 1;
    return workers_.stop(limit);
}

void SearchSession::interrupt(std::chrono::milliseconds limit) {
    set_.search.dirty = 1;
    workers_.interrupt(limit);
}

int32_t SearchSession::takeResults() {
    const int32_t n = workers_.take(set_.search);
    if (n >= 0) set_.search.dirty = 0;
    return n;
}

bool SearchSession::waitFor(std::chrono::milliseconds limit,
                            std::chrono::milliseconds cancelLimit) {
    if (!workers_.wait(limit, cancelLimit)) {
        set_.search.dirty = 1;
        return false;
    }
    takeResults(); // a run that ended, even before the wait, is taken now
    return true;
}

// Hits of a worker that has ended but were not taken answer an older input:
// its late report changes nothing, the state stays dirty.
void SearchSession::discardFinished() {
    if (!running() && takeResults() >= 0) set_.search.dirty = 1;
}

// ---- searches on the caller's thread

// Enter: the hits of side's background search that can be shown as they
// are (waiting for a running one), or -1 to search at once.
int32_t SearchSession::reuseBackground(SearchKind side) {
    SearchState& st = set_.search;
    const size_t s = sideOf(side);
    // A run that ended for the input as it is but whose report is still on
    // its way counts as current.
    if (ticket_[s] == lastTicket_ && !changedSince_[s] && st.kind == side && !running() &&
        takeResults() >= 0)
        return hitTotal(st);
    discardFinished();
    if (running() || st.dirty == 0) {
        if (st.kind == side) {
            if (waitFor() && st.dirty == 0) return hitTotal(st);
        } else {
            interrupt();
        }
    }
    return -1;
}

FieldSearchResult SearchSession::fieldSearch(const FieldQueryText& query, const SearchArea& area,
                                             bool reuse) {
    FieldSearchResult r;
    r.hits = reuse ? reuseBackground(SearchKind::FieldSearch) : -1;
    if (r.hits < 0) {
        discardFinished();
        setArea(area);
        set_.search.kind = SearchKind::FieldSearch;
        r.hits = runFieldSearch(query, set_);
    }
    if (log_.capacity != 0 && r.hits >= 0) {
        addLogEntry(log_, query, r.hits);
        r.logged = true;
    }
    return r;
}

int32_t SearchSession::generalSearch(const char* text, const SearchArea& area,
                                     const FieldSelection* selection) {
    int32_t n = reuseBackground(SearchKind::GeneralSearch);
    if (n < 0) {
        discardFinished();
        setArea(area);
        set_.search.clearCounters();
        set_.search.kind = SearchKind::GeneralSearch;
        n = runGeneralSearch(text, set_, selection);
    }
    return n;
}

int32_t SearchSession::findRecord(const char* text, const SearchArea& area,
                                  const FieldSelection& fields) {
    setArea(area);
    set_.search.kind = SearchKind::FindRecord;
    return runGeneralSearch(text, set_, &fields);
}

int32_t SearchSession::showAll(const SearchArea& area) {
    interrupt();
    discardFinished();
    setArea(area);
    return fillAllRecords(set_);
}

void SearchSession::clear() {
    interrupt(); // whoever changes the bases has stopped it before
    discardFinished();
    set_.search.hits.clear();
    set_.search.clearCounters();
}

void SearchSession::sizeHits() {
    sizeHitList(set_);
}

// ---- the background search

bool SearchSession::inputChanged(SearchKind side, bool stop) {
    if (!set_.settings) return false;
    changedSince_[sideOf(side)] = true;
    set_.search.dirty = 1;
    if (!set_.settings->backgroundSearch) return false;
    if (stop) interrupt();
    return true;
}

int SearchSession::backgroundDelayMs() const {
    return set_.settings ? set_.settings->backgroundDelayMs : 0;
}

bool SearchSession::backgroundWanted(SearchKind side) const {
    if (!set_.settings || !set_.settings->backgroundSearch) return false;
    return !(set_.search.dirty == 0 && set_.search.kind == side); // else already current
}

uint64_t SearchSession::startBackground(const SearchRequest& request, const SearchArea& area,
                                        BackgroundDone done) {
    if (running()) interrupt();
    set_.search.kind = request.kind;
    setArea(area);
    const uint64_t ticket = ++lastTicket_;
    const size_t s = sideOf(request.kind);
    ticket_[s] = ticket;
    changedSince_[s] = false;
    SearchRequest r = request;
    r.baseSet = &set_;
    r.done = [done = std::move(done), ticket](int32_t hits) {
        if (done) done(ticket, hits);
    };
    interrupt();
    if (!workers_.start(r, foregroundRun(set_))) {
        ticket_[s] = 0;
        return 0;
    }
    return ticket;
}

int32_t SearchSession::takeBackground(SearchKind side, uint64_t ticket) {
    const size_t s = sideOf(side);
    if (ticket != lastTicket_ || ticket != ticket_[s]) return -1; // a later start replaced it
    const int32_t n = takeResults();
    if (n < 0) return -1;
    if (changedSince_[s]) {
        set_.search.dirty = 1; // the input moved on while it ran
        return -1;
    }
    return n;
}

// ---- the pause

SearchPause::SearchPause(SearchSession& session, std::chrono::milliseconds limit)
    : workers_(session.workers_), stopped_(session.cancel(limit)) {
    workers_.hold();
}

SearchPause::~SearchPause() {
    workers_.unhold();
}

} // namespace talsk
