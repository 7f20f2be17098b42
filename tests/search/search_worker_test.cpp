// The background search worker, driven through the session: completion
// reported once on the worker, the same hits as a search on the window's
// thread, prompt cooperative cancel, bounded waits, and a worker that
// outlives its wait harming nothing and changing nothing it still reads.

#include "base/table_builder.h"
#include "edit/record_editor_logic.h"
#include "search/search_session.h"
#include "support/loading_fixtures.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <latch>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace talsk {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// What the worker reported; the test thread reads it after the worker ends.
struct DoneLog {
    std::atomic<int> calls{0};
    std::atomic<int32_t> hits{-100};
    std::atomic<bool> onOtherThread{false};
    std::thread::id caller = std::this_thread::get_id();
    std::latch* hold = nullptr; // when set, the worker waits here after reporting

    SearchDoneCallback callback() {
        return [this](int32_t n) {
            hits = n;
            onOtherThread = std::this_thread::get_id() != caller;
            ++calls;
            if (hold) hold->wait();
        };
    }
};

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
}

// The first file's population and organizations.
SearchArea firstFile() {
    SearchArea area;
    area.files[0] = 1;
    area.tables = kMaskPopulationOrganizations;
    return area;
}

std::string slowPattern() {
    std::string term = "*a*b*c*d*e*f*g*h*i*j*k*l*m*n*o*p*q*zz";
    std::string text;
    for (int i = 0; i < 31; ++i)
        text += (i ? "|" : "") + term;
    return text;
}

SearchRequest generalRequest(DoneLog& log, const std::string& text) {
    SearchRequest r;
    r.done = log.callback();
    r.kind = SearchKind::GeneralSearch;
    std::memcpy(r.generalText, text.c_str(), std::min(text.size(), size_t{kQueryTextMax}));
    return r;
}

// Starts the request's worker over the first file; the request's own done
// gets the hits. The run's ticket, 0 when none started.
uint64_t start(SearchSession& session, const SearchRequest& r) {
    return session.startBackground(r, firstFile(), [done = r.done](uint64_t, int32_t n) {
        if (done) done(n);
    });
}

std::vector<std::tuple<int32_t, int16_t, TableKind>> hitsOf(const SearchState& s) {
    std::vector<std::tuple<int32_t, int16_t, TableKind>> v;
    for (const SearchHit& h : s.hits)
        v.emplace_back(h.record, h.base, h.table);
    return v;
}

// Lets a held worker go once, at the latest when the test ends.
struct ReleaseOnce {
    std::latch& latch;
    bool done = false;
    void operator()() {
        if (!std::exchange(done, true)) latch.count_down();
    }
    ~ReleaseOnce() { (*this)(); }
};

// Keeps every question answered Yes and every message shown.
struct YesPrompts : EditorPrompts {
    std::vector<std::string> told;
    PromptAnswer ask(const char*, const char*, PromptButtons) override { return PromptAnswer::Yes; }
    void tell(PromptIcon, const char*, const char* text) override { told.emplace_back(text); }
};

class SearchWorker : public ::testing::Test {
protected:
    ProgramSettings settings;
    std::unique_ptr<BaseSet> slow;
    std::unique_ptr<SearchSession> session; // of slow, and before it goes

    void SetUp() override {
        slow = std::make_unique<BaseSet>();
        fillSlowBase(*slow, 40000);
        session = std::make_unique<SearchSession>(*slow, &settings);
    }
    void TearDown() override { session.reset(); }
};

TEST_F(SearchWorker, ReportsOnceFromTheWorkerWithTheHitsOfAForegroundSearch) {
    BaseSet set;
    fillSlowBase(set, 300);
    SearchSession search(set, &settings);
    FieldSelection selection{};
    selection[1] = selection[6] = 1;
    auto block = std::make_unique<FieldSelection>(selection);
    DoneLog log;
    std::promise<void> reported;
    SearchRequest r = generalRequest(log, "ab|cd");
    r.selection = block.get();
    r.done = [&, inner = log.callback()](int32_t n) {
        inner(n);
        reported.set_value();
    };
    const uint64_t ticket1 = start(search, r);
    ASSERT_NE(ticket1, 0u);
    block.reset(); // the bar may refill its block at once
    EXPECT_EQ(search.state().kind, SearchKind::GeneralSearch);
    reported.get_future().wait();
    EXPECT_EQ(search.state().dirty, 1); // nothing reaches the state before it is taken
    EXPECT_EQ(search.takeBackground(SearchKind::GeneralSearch, ticket1), log.hits);
    EXPECT_EQ(log.calls, 1);
    EXPECT_TRUE(log.onOtherThread);
    EXPECT_EQ(search.state().dirty, 0);
    EXPECT_FALSE(search.running());
    EXPECT_EQ(search.takeBackground(SearchKind::GeneralSearch, ticket1),
              -1); // a second report finds nothing

    const SearchState& background = search.state();
    SearchState foreground;
    foreground.fileMask = background.fileMask;
    foreground.tables = background.tables;
    ASSERT_EQ(runGeneralSearch("ab|cd", set, foreground, &selection, &settings), log.hits);
    EXPECT_GT(log.hits, 0);
    EXPECT_EQ(hitsOf(foreground), hitsOf(background));
    EXPECT_EQ(foreground.populationHits, background.populationHits);
    EXPECT_EQ(foreground.organizationHits, background.organizationHits);
    EXPECT_EQ(foreground.cityCodeHits, background.cityCodeHits);
}

TEST_F(SearchWorker, CancelDuringALongSearchReturnsPromptlyAndReportsNothing) {
    DoneLog log;
    const uint64_t ticket1 = start(*session, generalRequest(log, slowPattern()));
    ASSERT_NE(ticket1, 0u);
    ASSERT_TRUE(session->running());
    const auto t0 = Clock::now();
    EXPECT_TRUE(session->cancel());
    // The flag is read after every record: far below the 100 s limit.
    EXPECT_LT(Clock::now() - t0, 2s);
    EXPECT_FALSE(session->running());
    EXPECT_EQ(session->state().dirty, 1);
    EXPECT_EQ(log.calls, 0);
    EXPECT_EQ(session->takeBackground(SearchKind::GeneralSearch, ticket1), -1);
}

// A worker that is still busy when the wait runs out keeps its own flag and
// buffer: the search after the wait and the next worker work as usual.
TEST_F(SearchWorker, WorkerThatOutlivesItsWaitHarmsNoLaterSearch) {
    std::latch hold(1);
    BaseSet set;
    fillSlowBase(set, 300);
    SearchSession search(set, &settings); // goes after the release: it joins the worker
    ReleaseOnce release{hold};            // before the set goes away

    DoneLog straggler;
    straggler.hold = &hold;
    std::promise<void> busy;
    SearchRequest first = generalRequest(straggler, "a");
    first.done = [&, inner = straggler.callback()](int32_t n) {
        busy.set_value();
        inner(n); // stays here until released
    };
    const uint64_t ticket1 = start(search, first);
    ASSERT_NE(ticket1, 0u);
    busy.get_future().wait();
    EXPECT_FALSE(search.waitFor(0ms, 0ms));
    EXPECT_FALSE(search.running());
    EXPECT_EQ(search.state().dirty, 1);

    SearchState direct;
    direct.fileMask = firstFile().files;
    direct.tables = firstFile().tables;
    const int32_t found =
        runGeneralSearch("ab", set, direct, nullptr, &settings); // on the window's thread
    EXPECT_GT(found, 0);
    EXPECT_EQ(hitTotal(direct), found);
    const auto foreground = hitsOf(direct);

    DoneLog next;
    std::promise<void> reported;
    SearchRequest r = generalRequest(next, "ab");
    r.done = [&, inner = next.callback()](int32_t n) {
        inner(n);
        reported.set_value();
    };
    const uint64_t ticket2 = start(search, r);
    ASSERT_NE(ticket2, 0u);
    reported.get_future().wait();
    EXPECT_EQ(search.takeBackground(SearchKind::GeneralSearch, ticket2), found);
    EXPECT_EQ(hitsOf(search.state()), foreground);

    release(); // the straggler ends; its late report takes nothing
    EXPECT_EQ(search.takeBackground(SearchKind::GeneralSearch, ticket2), -1);
    EXPECT_EQ(hitsOf(search.state()), foreground);
    EXPECT_EQ(straggler.calls, 1);
}

// Hits that were not taken before a change never become current after it;
// Enter takes the hits of a run that has just ended without searching again.
TEST_F(SearchWorker, EndedRunIsTakenByTheWaitAndDroppedByACancel) {
    BaseSet set;
    fillSlowBase(set, 300);
    SearchSession search(set, &settings);
    for (bool cancelFirst : {true, false}) {
        DoneLog log;
        std::promise<void> reported;
        SearchRequest r = generalRequest(log, "ab");
        r.done = [&, inner = log.callback()](int32_t n) {
            inner(n);
            reported.set_value();
        };
        const uint64_t ticket1 = start(search, r);
        ASSERT_NE(ticket1, 0u);
        reported.get_future().wait();
        if (cancelFirst) {
            EXPECT_TRUE(search.cancel());
            EXPECT_TRUE(search.waitFor());
            EXPECT_EQ(search.state().dirty, 1);
            EXPECT_EQ(search.takeBackground(SearchKind::GeneralSearch, ticket1), -1);
        } else {
            EXPECT_TRUE(search.waitFor());
            EXPECT_EQ(search.state().dirty, 0);
            EXPECT_EQ(hitTotal(search.state()), log.hits);
        }
    }
}

// A worker still reads the records after its cancel timed out: every later
// cancel fails too, and the editor refuses to change the records or the file,
// until it has ended.
TEST_F(SearchWorker, WorkerThatWillNotStopKeepsChangesRefusedUntilItEnds) {
    test::TempDir dir;
    test::writeBaseFile(dir.file("a.btn"), 3, 0, 0);
    std::latch hold(1); // outlives the set, which joins the worker
    BaseSet set;
    settings.saveOnClose = 0;
    settings.confirmSaveRecord = 0;
    set.bases.emplace_back().path = dir.file("a.btn");
    ASSERT_TRUE(openBase(set.bases.back(), nullptr));
    const auto fileBefore = test::readBytes(dir.file("a.btn"));
    const BaseTable& people = set.bases[0].table(TableKind::Population);

    SearchSession search(set, &settings); // goes after the release: it joins the worker
    ReleaseOnce release{hold};
    DoneLog straggler;
    straggler.hold = &hold;
    std::promise<void> busy;
    SearchRequest r = generalRequest(straggler, "a");
    r.done = [&, inner = straggler.callback()](int32_t n) {
        busy.set_value();
        inner(n); // stays here until released
    };
    const uint64_t ticket1 = start(search, r);
    ASSERT_NE(ticket1, 0u);
    busy.get_future().wait();

    YesPrompts prompts;
    RecordFields typed;
    typed.set(1, "555");
    typed.set(2, "Orlov");
    auto store = [&] {
        EditorStart start;
        start.position = {people.count, 0, TableKind::Population};
        start.searchStopLimit = 0ms;
        RecordEditorLogic editor(search, settings, prompts, start);
        editor.edit(typed);
        return editor.save();
    };
    auto deleteFirst = [&] {
        EditorStart start;
        start.searchStopLimit = 0ms;
        return RecordEditorLogic(search, settings, prompts, start).remove();
    };
    const std::pair<const char*, std::function<bool()>> changes[] = {
        {"cancel", [&] { return search.cancel(0ms); }},
        {"cancel again", [&] { return search.cancel(0ms); }},
        {"store", store},
        {"delete", deleteFirst},
    };
    for (const auto& [what, change] : changes)
        EXPECT_FALSE(change()) << what;
    EXPECT_EQ(prompts.told, std::vector<std::string>(2, kSearchStillRunning));
    EXPECT_EQ(people.count, 3);
    EXPECT_EQ(test::readBytes(dir.file("a.btn")), fileBefore);

    release();
    EXPECT_TRUE(search.cancel()); // waits for the straggler's end
    EXPECT_TRUE(store());
    EXPECT_EQ(people.count, 4);
    EXPECT_NE(test::readBytes(dir.file("a.btn")), fileBefore);
}

TEST_F(SearchWorker, StartingAgainStopsThePreviousWorker) {
    DoneLog first, second;
    const uint64_t ticket1 = start(*session, generalRequest(first, slowPattern()));
    ASSERT_NE(ticket1, 0u);
    const uint64_t ticket2 = start(*session, generalRequest(second, "zzzzzzzzzz"));
    ASSERT_NE(ticket2, 0u);
    EXPECT_TRUE(session->waitFor());
    EXPECT_EQ(first.calls, 0);
    EXPECT_EQ(second.calls, 1);
    EXPECT_EQ(second.hits, 0);
    EXPECT_EQ(session->state().dirty, 0);
}

TEST_F(SearchWorker, PauseStopsTheRunningWorkerAndStartsNoneUntilItGoes) {
    DoneLog first, held, after;
    const uint64_t ticket1 = start(*session, generalRequest(first, slowPattern()));
    ASSERT_NE(ticket1, 0u);
    {
        const SearchPause pause(*session);
        EXPECT_TRUE(pause.stopped());
        EXPECT_FALSE(session->running());
        {
            const SearchPause inner(*session); // a load asking to edit the files
            EXPECT_TRUE(inner.stopped());
        }
        EXPECT_EQ(start(*session, generalRequest(held, "zzzzzzzzzz")), 0u);
        EXPECT_FALSE(session->running());
    }
    const uint64_t ticket2 = start(*session, generalRequest(after, "zzzzzzzzzz"));
    ASSERT_NE(ticket2, 0u);
    EXPECT_TRUE(session->waitFor());
    EXPECT_EQ(first.calls + held.calls, 0);
    EXPECT_EQ(after.calls, 1);
}

TEST_F(SearchWorker, FieldRequestsAndUncompilableQueries) {
    DoneLog log;
    SearchRequest r;
    r.baseSet = slow.get();
    r.done = log.callback();
    r.kind = SearchKind::FieldSearch;
    r.fieldTexts.set(1, "a*");
    const uint64_t ticket1 = start(*session, r);
    ASSERT_NE(ticket1, 0u);
    EXPECT_TRUE(session->waitFor());
    EXPECT_EQ(session->state().kind, SearchKind::FieldSearch);
    EXPECT_EQ(log.hits, hitTotal(session->state()));
    EXPECT_GT(log.hits, 0);

    DoneLog none;
    std::string many;
    for (int i = 0; i < 32; ++i)
        many += "x ";
    session->markStale();
    const uint64_t ticket2 = start(*session, generalRequest(none, many));
    ASSERT_NE(ticket2, 0u);
    EXPECT_TRUE(session->waitFor());
    EXPECT_EQ(none.calls, 0); // -2 reports nothing and leaves the hits stale
    EXPECT_EQ(session->state().dirty, 1);
}

TEST_F(SearchWorker, DestroyingTheSessionStopsARunningWorker) {
    DoneLog log;
    const uint64_t ticket1 = start(*session, generalRequest(log, slowPattern()));
    ASSERT_NE(ticket1, 0u);
    const auto t0 = Clock::now();
    session.reset();
    EXPECT_LT(Clock::now() - t0, 2s);
    EXPECT_EQ(log.calls, 0);
}

} // namespace
} // namespace talsk
