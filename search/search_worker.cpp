#include "search/search_worker.h"

#include "platform/search_thread.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace talsk {

// Everything one background run owns: a copy of the request and of the
// search area, its cancel flag and its hit buffer. Shared by the thread and
// the handle, so a worker that is given up keeps them to its end.
struct SearchJob {
    SearchRequest request;
    std::optional<FieldSelection> selection;
    SearchRun run;
    SearchResults results;
    std::atomic<uint8_t> cancel{0};
    std::atomic<bool> finished{false};
    int32_t result = kSearchCancelled; // read after finished
};

struct SearchWorkers::Worker {
    std::shared_ptr<SearchJob> job;
    std::unique_ptr<SearchThread> thread; // its destructor stops and joins
};

namespace {

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

SearchWorkers::SearchWorkers() = default;

// The current worker and those given up stop and are joined here.
SearchWorkers::~SearchWorkers() = default;

bool SearchWorkers::running() const {
    return current_ && current_->thread && current_->thread->active();
}

bool SearchWorkers::allStopped() const {
    return !held() && !running() &&
           std::none_of(abandoned_.begin(), abandoned_.end(),
                        [](const std::unique_ptr<Worker>& w) { return w->thread->active(); });
}

void SearchWorkers::dropCurrent() {
    if (current_ && current_->job && current_->job->results.hits.capacity() > spare_.capacity())
        spare_ = std::move(current_->job->results.hits);
    current_.reset();
}

// Joins the given-up workers that have stopped since.
void SearchWorkers::reapAbandoned() {
    std::erase_if(abandoned_,
                  [](const std::unique_ptr<Worker>& w) { return !w->thread->active(); });
}

void SearchWorkers::interrupt(std::chrono::milliseconds limit) {
    if (!running()) {
        dropCurrent(); // hits of an ended run that was not taken answer the old input
        return;
    }
    current_->job->cancel = 1;
    if (current_->thread->waitFor(limit)) {
        dropCurrent();
        return;
    }
    abandoned_.push_back(std::move(current_));
}

bool SearchWorkers::stop(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    interrupt(limit); // one that outlives the wait joins those given up before
    // Those read the bases until they stop: they get what is left of the limit.
    for (const std::unique_ptr<Worker>& old : abandoned_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        old->thread->waitFor(std::max(left, std::chrono::milliseconds{0}));
    }
    reapAbandoned();
    return abandoned_.empty();
}

bool SearchWorkers::wait(std::chrono::milliseconds limit, std::chrono::milliseconds cancelLimit) {
    if (running() && !current_->thread->waitFor(limit)) {
        interrupt(cancelLimit); // the caller searches on its own thread
        return false;
    }
    return true;
}

bool SearchWorkers::start(const SearchRequest& request, const SearchRun& run) {
    if (held()) return false;
    reapAbandoned();
    auto job = std::make_shared<SearchJob>();
    job->request = request;
    if (request.selection) job->selection = *request.selection;
    job->request.selection = nullptr;
    job->run = run;
    job->run.out = &job->results;
    job->run.cancel = &job->cancel;
    job->results.hits = std::move(spare_);
    spare_ = {};

    auto thread = std::make_unique<SearchThread>();
    if (!thread->start([job] { runJob(*job); }, &job->cancel)) return false;
    current_ = std::make_unique<Worker>(Worker{std::move(job), std::move(thread)});
    return true;
}

int32_t SearchWorkers::take(SearchResults& out) {
    if (!current_ || !current_->job) return -1;
    SearchJob& job = *current_->job;
    if (!job.finished) return -1;
    current_->thread->release(); // only the thread's last steps are left
    const int32_t result = job.result;
    if (result >= 0) {
        std::swap(out.hits, job.results.hits);
        out.populationHits = job.results.populationHits;
        out.organizationHits = job.results.organizationHits;
        out.cityCodeHits = job.results.cityCodeHits;
    }
    dropCurrent();
    return result;
}

} // namespace talsk
