#include "search/search_session.h"

#include <utility>

namespace talsk {

SearchSession::SearchSession(BaseSet& set, const ProgramSettings* settings)
    : set_(set), settings_(settings) {}

SearchSession::~SearchSession() = default;

size_t SearchSession::sideOf(SearchKind side) {
    const auto i = static_cast<size_t>(side);
    return i < 3 ? i : 0;
}

void SearchSession::setArea(const SearchArea& area) {
    area_ = area;
    state_.fileMask = area.files;
    state_.tables = area.tables;
    options_ = matchOptionsOf(settings_);
}

// ---- stopping

bool SearchSession::cancel(std::chrono::milliseconds limit) {
    state_.dirty = 1;
    return workers_.stop(limit);
}

void SearchSession::interrupt(std::chrono::milliseconds limit) {
    state_.dirty = 1;
    workers_.interrupt(limit);
}

int32_t SearchSession::takeResults() {
    const int32_t n = workers_.take(state_);
    if (n >= 0) state_.dirty = 0;
    return n;
}

bool SearchSession::waitFor(std::chrono::milliseconds limit,
                            std::chrono::milliseconds cancelLimit) {
    if (!workers_.wait(limit, cancelLimit)) {
        state_.dirty = 1;
        return false;
    }
    takeResults(); // a run that ended, even before the wait, is taken now
    return true;
}

// Hits of a worker that has ended but were not taken answer an older input:
// its late report changes nothing, the state stays dirty.
void SearchSession::discardFinished() {
    if (!running() && takeResults() >= 0) state_.dirty = 1;
}

// ---- searches on the caller's thread

// Enter: the hits of side's background search that can be shown as they
// are (waiting for a running one), or -1 to search at once.
int32_t SearchSession::reuseBackground(SearchKind side) {
    SearchState& st = state_;
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
        state_.kind = SearchKind::FieldSearch;
        r.hits = runFieldSearch(query, set_, state_, settings_);
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
        state_.clearCounters();
        state_.kind = SearchKind::GeneralSearch;
        n = runGeneralSearch(text, set_, state_, selection, settings_);
    }
    return n;
}

int32_t SearchSession::findRecord(const char* text, const SearchArea& area,
                                  const FieldSelection& fields) {
    setArea(area);
    state_.kind = SearchKind::FindRecord;
    return runGeneralSearch(text, set_, state_, &fields, settings_);
}

int32_t SearchSession::showAll(const SearchArea& area) {
    interrupt();
    discardFinished();
    setArea(area);
    return fillAllRecords(set_, state_);
}

void SearchSession::clear() {
    interrupt(); // whoever changes the bases has stopped it before
    discardFinished();
    state_.hits.clear();
    state_.clearCounters();
}

void SearchSession::forgetHit(TableKind table) {
    int32_t& hits = table == TableKind::Population      ? state_.populationHits
                    : table == TableKind::Organizations ? state_.organizationHits
                                                        : state_.cityCodeHits;
    if (hits > 0) --hits;
}

void SearchSession::sizeHits() {
    sizeHitList(set_, state_);
    state_.dirty = 1; // they named records of the bases as they were
}

// ---- the background search

bool SearchSession::inputChanged(SearchKind side, bool stop) {
    if (!settings_) return false;
    changedSince_[sideOf(side)] = true;
    state_.dirty = 1;
    if (!settings_->backgroundSearch) return false;
    if (stop) interrupt();
    return true;
}

int SearchSession::backgroundDelayMs() const {
    return settings_ ? settings_->backgroundDelayMs : 0;
}

bool SearchSession::backgroundWanted(SearchKind side) const {
    if (!settings_ || !settings_->backgroundSearch) return false;
    return !(state_.dirty == 0 && state_.kind == side); // else already current
}

uint64_t SearchSession::startBackground(const SearchRequest& request, const SearchArea& area,
                                        BackgroundDone done) {
    if (running()) interrupt();
    state_.kind = request.kind;
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
    if (!workers_.start(r, foregroundRun(set_, state_, settings_))) {
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
        state_.dirty = 1; // the input moved on while it ran
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
