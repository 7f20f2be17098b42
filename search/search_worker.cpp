#include "search/search_worker.h"

#include <memory>
#include <optional>

namespace talsk {

namespace {

int32_t runRequest(const SearchRequest& request, const FieldSelection* selection) {
    if (request.baseSet == nullptr) return kSearchCancelled;
    int32_t result;
    switch (request.kind) {
    case SearchKind::FieldSearch:
        result = runFieldSearch(request.fieldTexts, *request.baseSet);
        break;
    case SearchKind::GeneralSearch:
        result = runGeneralSearch(request.generalText, *request.baseSet, selection);
        break;
    default:
        return kSearchCancelled; // nothing to run, nothing to report
    }
    if (result >= 0 && request.done) request.done(request.notifyWindow, result);
    return result;
}

} // namespace

int32_t runSearchRequest(const SearchRequest& request) {
    return runRequest(request, request.selection);
}

bool isSearchRunning(const SearchState& state) {
    return state.worker.held() && state.worker.active();
}

bool cancelSearch(SearchState& state, std::chrono::milliseconds limit) {
    state.dirty = 1;
    if (!isSearchRunning(state)) {
        state.cancel = 0; // left over from a worker that outlived its wait
        return true;
    }
    state.cancel = 1;
    if (!state.worker.waitFor(limit)) return false;
    state.cancel = 0;
    // A run that ended just before it saw the flag has marked its hits
    // current; they answer the old input all the same.
    state.dirty = 1;
    return true;
}

bool waitForSearch(SearchState& state, std::chrono::milliseconds limit) {
    if (!isSearchRunning(state)) return true;
    if (state.worker.waitFor(limit)) return true;
    cancelSearch(state);
    return false;
}

bool startSearch(const SearchRequest& request) {
    if (request.baseSet == nullptr) return false;
    SearchState& state = request.baseSet->search;
    if (isSearchRunning(state) && !cancelSearch(state)) return false;
    state.worker.release();
    state.cancel = 0;
    state.kind = request.kind;

    struct Job {
        SearchRequest request;
        std::optional<FieldSelection> selection;
    };
    auto job = std::make_shared<Job>();
    job->request = request;
    if (request.selection) job->selection = *request.selection;
    job->request.selection = nullptr;
    return state.worker.start(
        [job] { runRequest(job->request, job->selection ? &*job->selection : nullptr); },
        &state.cancel);
}

void releaseSearchWorker(SearchState& state) {
    state.worker.release();
}

} // namespace talsk
