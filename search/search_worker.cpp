#include "search/search_worker.h"

#include "platform/search_thread.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace talsk {

namespace {

// Everything one background run owns: a copy of the request and of the
// search area, its cancel flag and its hit buffer. Shared by the thread and
// the state's handle, so a worker that is given up keeps them to its end.
struct SearchJob {
    SearchRequest request;
    std::optional<FieldSelection> selection;
    SearchRun run;
    SearchResults results;
    std::atomic<uint8_t> cancel{0};
    std::atomic<bool> finished{false};
    int32_t result = kSearchCancelled; // read after finished
};

struct Worker {
    std::shared_ptr<SearchJob> job;
    std::unique_ptr<SearchThread> thread; // its destructor stops and joins
};

void runJob(SearchJob& job) {
    int32_t result = kSearchCancelled;
    switch (job.request.kind) {
    case SearchKind::FieldSearch:
        result = runFieldSearch(job.request.fieldTexts, job.run);
        break;
    case SearchKind::GeneralSearch:
        result = runGeneralSearch(job.request.generalText, job.run,
                                  job.selection ? &*job.selection : nullptr);
        break;
    default:
        break; // nothing to run, nothing to report
    }
    job.result = result;
    job.finished = true;
    if (result >= 0 && job.request.done) job.request.done(result);
}

} // namespace

class SearchWorkers {
public:
    Worker current;
    std::vector<Worker> abandoned; // cancelled but not stopped within the wait
    std::vector<SearchHit> spare;  // the hit buffer the next run fills
    int paused = 0;                // SearchPause objects alive: nothing starts

    bool running() const { return current.thread && current.thread->active(); }

    void dropCurrent() {
        if (current.job && current.job->results.hits.capacity() > spare.capacity())
            spare = std::move(current.job->results.hits);
        current = Worker{};
    }

    // Joins the given-up workers that have stopped since.
    void reapAbandoned() {
        std::erase_if(abandoned, [](const Worker& w) { return !w.thread->active(); });
    }

    // Stops the current worker within limit; one that outlives it is given up.
    bool stopCurrent(std::chrono::milliseconds limit) {
        if (!running()) {
            dropCurrent(); // hits of an ended run that was not taken answer the old input
            return true;
        }
        current.job->cancel = 1;
        if (current.thread->waitFor(limit)) {
            dropCurrent();
            return true;
        }
        abandoned.push_back(std::move(current));
        current = Worker{};
        return false;
    }
};

namespace {

SearchWorkers& workersOf(SearchState& state) {
    if (!state.workers) state.workers = std::make_shared<SearchWorkers>();
    return *state.workers;
}

} // namespace

SearchPause::SearchPause(SearchState& state, std::chrono::milliseconds limit)
    : stopped_(cancelSearch(state, limit)) {
    workersOf(state);
    workers_ = state.workers;
    ++workers_->paused;
}

SearchPause::~SearchPause() {
    --workers_->paused;
}

bool isSearchRunning(const SearchState& state) {
    return state.workers && state.workers->running();
}

bool cancelSearch(SearchState& state, std::chrono::milliseconds limit) {
    state.dirty = 1;
    if (!state.workers) return true;
    SearchWorkers& w = *state.workers;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    w.stopCurrent(limit); // one that outlives the wait joins those given up before
    // Those read the bases until they stop: they get what is left of the limit.
    for (const Worker& old : w.abandoned) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        old.thread->waitFor(std::max(left, std::chrono::milliseconds{0}));
    }
    w.reapAbandoned();
    return w.abandoned.empty();
}

void interruptSearch(SearchState& state, std::chrono::milliseconds limit) {
    state.dirty = 1;
    if (state.workers) state.workers->stopCurrent(limit);
}

bool waitForSearch(SearchState& state, std::chrono::milliseconds limit,
                   std::chrono::milliseconds cancelLimit) {
    if (isSearchRunning(state) && !state.workers->current.thread->waitFor(limit)) {
        interruptSearch(state, cancelLimit); // the caller searches on its own thread
        return false;
    }
    takeSearchResults(state); // a run that ended, even before the wait, is taken now
    return true;
}

bool startSearch(const SearchRequest& request) {
    if (request.baseSet == nullptr) return false;
    BaseSet& set = *request.baseSet;
    SearchState& state = set.search;
    interruptSearch(state);
    SearchWorkers& w = workersOf(state);
    if (w.paused > 0) return false;
    w.reapAbandoned();
    state.kind = request.kind;

    auto job = std::make_shared<SearchJob>();
    job->request = request;
    if (request.selection) job->selection = *request.selection;
    job->request.selection = nullptr;
    job->run = foregroundRun(set);
    job->run.out = &job->results;
    job->run.cancel = &job->cancel;
    job->results.hits = std::move(w.spare);
    w.spare = {};

    auto thread = std::make_unique<SearchThread>();
    if (!thread->start([job] { runJob(*job); }, &job->cancel)) return false;
    w.current = Worker{std::move(job), std::move(thread)};
    return true;
}

int32_t takeSearchResults(SearchState& state) {
    if (!state.workers || !state.workers->current.job) return -1;
    SearchWorkers& w = *state.workers;
    SearchJob& job = *w.current.job;
    if (!job.finished) return -1;
    w.current.thread->release(); // only the thread's last steps are left
    const int32_t result = job.result;
    if (result >= 0) {
        std::swap(state.hits, job.results.hits);
        state.populationHits = job.results.populationHits;
        state.organizationHits = job.results.organizationHits;
        state.cityCodeHits = job.results.cityCodeHits;
        state.dirty = 0;
    }
    w.dropCurrent();
    return result;
}

} // namespace talsk
