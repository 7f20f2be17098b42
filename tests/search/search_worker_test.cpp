// The background search worker: completion reported once on the worker,
// prompt cooperative cancel, bounded waits, one worker at a time.

#include "base/table_builder.h"
#include "search/search_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

namespace talsk {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct DoneLog {
    std::atomic<int> calls{0};
    std::atomic<int32_t> hits{-100};
    std::atomic<bool> onOtherThread{false};
    std::thread::id caller = std::this_thread::get_id();
};

void onDone(void* window, int32_t hits) {
    auto* log = static_cast<DoneLog*>(window);
    log->hits = hits;
    log->onOtherThread = std::this_thread::get_id() != log->caller;
    ++log->calls;
}

// A base whose general search below takes long: every record has long fields
// that almost match each of 31 alternatives.
void fillSlowBase(BaseSet& set, int records) {
    set.bases.resize(1);
    PhoneBase& base = set.bases[0];
    base.connected = 1;
    BaseTable& t = base.table(TableKind::Population);
    std::string letters;
    uint32_t seed = 1;
    for (int n = 0; n < 4096; ++n) {
        seed = seed * 1103515245u + 12345u;
        letters += static_cast<char>('a' + (seed >> 16) % 18);
    }
    TableBuilder builder;
    RecordFields r;
    for (int i = 0; i < records; ++i) {
        for (int k = 1; k <= kFieldCount; ++k) {
            const size_t at = (static_cast<size_t>(i) * 37 + static_cast<size_t>(k) * 101) % 3900;
            r.set(
                k,
                letters.substr(at, static_cast<size_t>(kFieldMax[static_cast<size_t>(k)])).c_str());
        }
        ASSERT_TRUE(builder.add(r));
    }
    ASSERT_TRUE(builder.install(t, BaseDate{}));
    set.search.fileMask[0] = 1;
    set.search.tables = kMaskPopulationOrganizations;
}

std::string slowPattern() {
    std::string term = "*a*b*c*d*e*f*g*h*i*j*k*l*m*n*o*p*q*zz";
    std::string text;
    for (int i = 0; i < 31; ++i)
        text += (i ? "|" : "") + term;
    return text;
}

SearchRequest generalRequest(BaseSet& set, DoneLog& log, const std::string& text) {
    SearchRequest r;
    r.baseSet = &set;
    r.notifyWindow = &log;
    r.done = &onDone;
    r.kind = SearchKind::GeneralSearch;
    std::memcpy(r.generalText, text.c_str(), std::min(text.size(), size_t{kQueryTextMax}));
    return r;
}

class SearchWorker : public ::testing::Test {
protected:
    ProgramSettings settings;
    std::unique_ptr<BaseSet> slow;

    void SetUp() override {
        slow = std::make_unique<BaseSet>();
        slow->settings = &settings;
        fillSlowBase(*slow, 40000);
    }
};

TEST_F(SearchWorker, CompletedSearchReportsItsHitsOnceFromTheWorker) {
    BaseSet set;
    set.settings = &settings;
    fillSlowBase(set, 50);
    DoneLog log;
    set.search.dirty = 1;
    ASSERT_TRUE(startSearch(generalRequest(set, log, "a")));
    EXPECT_EQ(set.search.kind, SearchKind::GeneralSearch);
    EXPECT_TRUE(waitForSearch(set.search));
    // The callback runs before the thread ends; give a second call a chance.
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(log.calls, 1);
    EXPECT_EQ(log.hits, 50);
    EXPECT_TRUE(log.onOtherThread);
    EXPECT_EQ(hitTotal(set.search), 50);
    EXPECT_EQ(set.search.dirty, 0);
    EXPECT_FALSE(isSearchRunning(set.search));
    EXPECT_TRUE(set.search.worker.held()); // until the done message is handled
    releaseSearchWorker(set.search);
    EXPECT_FALSE(set.search.worker.held());
}

TEST_F(SearchWorker, CancelDuringALongSearchReturnsPromptly) {
    DoneLog log;
    ASSERT_TRUE(startSearch(generalRequest(*slow, log, slowPattern())));
    std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(isSearchRunning(slow->search)) << "the search ended too soon to be cancelled";
    const auto t0 = Clock::now();
    EXPECT_TRUE(cancelSearch(slow->search));
    const auto took = Clock::now() - t0;
    // The flag is read after every record: far below the 100 s limit.
    EXPECT_LT(took, 2s);
    EXPECT_FALSE(isSearchRunning(slow->search));
    EXPECT_EQ(slow->search.cancel, 0);
    EXPECT_EQ(slow->search.dirty, 1);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(log.calls, 0); // a cancelled run reports nothing
}

TEST_F(SearchWorker, WaitThatRunsOutCancelsTheWorker) {
    DoneLog log;
    ASSERT_TRUE(startSearch(generalRequest(*slow, log, slowPattern())));
    EXPECT_FALSE(waitForSearch(slow->search, 10ms));
    EXPECT_FALSE(isSearchRunning(slow->search));
    EXPECT_EQ(slow->search.dirty, 1);
    EXPECT_EQ(log.calls, 0);
}

TEST_F(SearchWorker, StartingAgainStopsThePreviousWorker) {
    DoneLog first, second;
    ASSERT_TRUE(startSearch(generalRequest(*slow, first, slowPattern())));
    std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(startSearch(generalRequest(*slow, second, "zzzzzzzzzz")));
    EXPECT_TRUE(waitForSearch(slow->search));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(first.calls, 0);
    EXPECT_EQ(second.calls, 1);
    EXPECT_EQ(second.hits, 0);
    EXPECT_EQ(slow->search.dirty, 0);
}

TEST_F(SearchWorker, FieldRequestsAndUncompilableQueries) {
    DoneLog log;
    SearchRequest r;
    r.baseSet = slow.get();
    r.notifyWindow = &log;
    r.done = &onDone;
    r.kind = SearchKind::FieldSearch;
    r.fieldTexts.set(1, "a*");
    ASSERT_TRUE(startSearch(r));
    EXPECT_TRUE(waitForSearch(slow->search));
    EXPECT_EQ(slow->search.kind, SearchKind::FieldSearch);
    EXPECT_EQ(log.hits, hitTotal(slow->search));
    EXPECT_GT(log.hits, 0);

    DoneLog none;
    std::string many;
    for (int i = 0; i < 32; ++i)
        many += "x ";
    ASSERT_TRUE(startSearch(generalRequest(*slow, none, many)));
    EXPECT_TRUE(waitForSearch(slow->search));
    EXPECT_EQ(none.calls, 0); // -2 posts nothing
}

TEST_F(SearchWorker, SelectionIsCopiedWithTheRequest) {
    DoneLog log;
    SearchRequest r = generalRequest(*slow, log, "a");
    auto selection = std::make_unique<FieldSelection>();
    (*selection)[6] = 1;
    r.selection = selection.get();
    ASSERT_TRUE(startSearch(r));
    selection.reset(); // the bar may reuse its block at once
    EXPECT_TRUE(waitForSearch(slow->search));
    EXPECT_EQ(log.calls, 1);
}

TEST_F(SearchWorker, CancelWithoutWorkerMarksTheHitsStale) {
    slow->search.dirty = 0;
    slow->search.cancel = 1; // left over
    EXPECT_TRUE(cancelSearch(slow->search));
    EXPECT_EQ(slow->search.dirty, 1);
    EXPECT_EQ(slow->search.cancel, 0);
    EXPECT_TRUE(waitForSearch(slow->search));
}

TEST_F(SearchWorker, DestroyingTheSetStopsARunningWorker) {
    DoneLog log;
    ASSERT_TRUE(startSearch(generalRequest(*slow, log, slowPattern())));
    std::this_thread::sleep_for(10ms);
    const auto t0 = Clock::now();
    slow.reset();
    EXPECT_LT(Clock::now() - t0, 2s);
    EXPECT_EQ(log.calls, 0);
}

} // namespace
} // namespace talsk
