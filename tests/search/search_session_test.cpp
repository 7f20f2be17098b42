// The life of a search through its session, without a window: a newer start
// replaces an older one, a change of input while a worker runs leaves the
// hits stale, a pause keeps workers off while the bases change, "Вывести все
// записи" after a search, Enter reusing the background hits, and the log
// written once per search of the field panel.

#include "platform/cp1251.h"
#include "search/search_session.h"
#include "support/base_fixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace talsk {
namespace {

std::string cp(const char* utf8) {
    return utf8ToCp1251(utf8);
}

FieldQueryText nameQuery(const char* utf8) {
    FieldQueryText q;
    q.set(static_cast<int>(RecordField::Name), cp(utf8).c_str());
    return q;
}

SearchRequest fieldRequest(const char* utf8) {
    SearchRequest r;
    r.kind = SearchKind::FieldSearch;
    r.fieldTexts = nameQuery(utf8);
    return r;
}

SearchRequest generalRequest(const char* utf8) {
    SearchRequest r;
    r.kind = SearchKind::GeneralSearch;
    const std::string text = cp(utf8);
    text.copy(r.generalText, kQueryTextMax);
    return r;
}

// A worker's report as the window's thread would receive it.
struct Report {
    std::promise<int32_t> hits;
    BackgroundDone callback() {
        return [this](uint64_t, int32_t n) { hits.set_value(n); };
    }
    int32_t wait() { return hits.get_future().get(); }
};

class Session : public ::testing::Test {
protected:
    ProgramSettings settings;
    BaseSet set;
    std::unique_ptr<SearchSession> session;
    SearchArea area;

    void SetUp() override {
        settings.backgroundSearch = 1;
        set.bases.resize(2);
        PhoneBase& a = set.bases[0];
        test::appendRecord(a, TableKind::Population, {"11", "Иванов А.Б.", "Ленина", "5", "1"});
        test::appendRecord(a, TableKind::Population, {"12", "Петров В.Г.", "Мира", "7"});
        test::appendRecord(a, TableKind::Population, {"13", "Иванова Д.Е.", "Ленина", "15"});
        test::appendRecord(a, TableKind::Organizations,
                           {"14", "Директор", "Ленина", "1", "", "Иванов и сыновья"});
        PhoneBase& b = set.bases[1];
        test::appendRecord(b, TableKind::Population, {"21", "Иванов Ж.З.", "Садовая", "3"});
        test::appendRecord(b, TableKind::CityCodes, {"495", "Москва", "8-495-09"});
        for (PhoneBase& base : set.bases)
            base.connected = 1;
        area.files[0] = area.files[1] = 1;
        area.tables = kMaskPopulationOrganizations;
        session = std::make_unique<SearchSession>(set, &settings);
        ASSERT_TRUE(resizeLog(session->log(), 10));
    }
    void TearDown() override { session.reset(); } // before the set

    // What a search of the records as they are finds, the state left as it was.
    int32_t foreground(const char* utf8) {
        SearchState out;
        SearchRun run = foregroundRun(set, out, &settings);
        run.fileMask = area.files;
        run.tables = area.tables;
        run.out = &out;
        return runFieldSearch(nameQuery(utf8), run);
    }
};

TEST_F(Session, ANewerStartReplacesTheOlderAndOnlyItsHitsBecomeCurrent) {
    Report older, newer;
    const uint64_t first = session->startBackground(fieldRequest("Иванов"), area, older.callback());
    const uint64_t second =
        session->startBackground(fieldRequest("Петров"), area, newer.callback());
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(newer.wait(), 1);
    // The older one was stopped before the newer started; whatever it
    // reported by then is taken by nobody.
    EXPECT_EQ(session->takeBackground(SearchKind::FieldSearch, first), -1);
    EXPECT_FALSE(session->current());
    EXPECT_EQ(session->takeBackground(SearchKind::FieldSearch, second), 1);
    EXPECT_TRUE(session->current());
    ASSERT_EQ(session->state().hits.size(), 1u);
    EXPECT_EQ(session->state().hits[0].record, 1);
    // A start of the other bar replaces it the same way.
    Report general;
    const uint64_t third =
        session->startBackground(generalRequest("Ленина"), area, general.callback());
    EXPECT_EQ(general.wait(), 3);
    EXPECT_EQ(session->takeBackground(SearchKind::FieldSearch, second), -1);
    EXPECT_EQ(session->takeBackground(SearchKind::GeneralSearch, third), 3);
    EXPECT_EQ(session->state().kind, SearchKind::GeneralSearch);
}

// A change of one bar's input while its worker runs spoils that worker's
// hits; a change of focus on the other bar does not.
TEST_F(Session, AChangeOfInputWhileTheWorkerRunsLeavesItsHitsStale) {
    struct Case {
        const char* what;
        SearchKind changed; // None: no change
        bool taken;
    };
    const Case cases[] = {
        {"no change", SearchKind::None, true},
        {"its own input", SearchKind::FieldSearch, false},
        {"the focus moved to the general bar", SearchKind::GeneralSearch, true},
    };
    const int32_t expected = foreground("Иванов");
    for (const Case& c : cases) {
        Report report;
        const uint64_t ticket =
            session->startBackground(fieldRequest("Иванов"), area, report.callback());
        if (c.changed != SearchKind::None) {
            EXPECT_TRUE(session->inputChanged(c.changed, false)) << c.what;
        }
        EXPECT_EQ(report.wait(), expected) << c.what;
        EXPECT_EQ(session->takeBackground(SearchKind::FieldSearch, ticket), c.taken ? expected : -1)
            << c.what;
        EXPECT_EQ(session->current(), c.taken) << c.what;
    }
}

TEST_F(Session, APauseKeepsWorkersOffWhileTheBasesChange) {
    Report report;
    const uint64_t before =
        session->startBackground(fieldRequest("Иванов"), area, report.callback());
    ASSERT_NE(before, 0u);
    {
        const SearchPause pause(*session);
        EXPECT_TRUE(pause.stopped());
        EXPECT_FALSE(session->running());
        {
            const SearchPause inner(*session); // a load asking to edit the files
            EXPECT_TRUE(inner.stopped());
        }
        Report held;
        EXPECT_EQ(session->startBackground(fieldRequest("Иванов"), area, held.callback()), 0u);
        EXPECT_FALSE(session->running());
        test::appendRecord(set.bases[1], TableKind::Population, {"22", "Иванов К.Л.", "Мира", "9"});
    }
    // The run from before the change never becomes current.
    EXPECT_EQ(session->takeBackground(SearchKind::FieldSearch, before), -1);
    EXPECT_FALSE(session->current());

    Report after;
    const uint64_t ticket =
        session->startBackground(fieldRequest("Иванов"), area, after.callback());
    ASSERT_NE(ticket, 0u);
    EXPECT_EQ(after.wait(), 4); // the added record too
    EXPECT_EQ(session->takeBackground(SearchKind::FieldSearch, ticket), 4);
}

TEST_F(Session, ShowAllAfterASearchAndASearchAfterShowAll) {
    const int32_t found = session->fieldSearch(nameQuery("Иванов"), area).hits;
    EXPECT_EQ(found, 3);
    EXPECT_TRUE(session->current());

    EXPECT_EQ(session->showAll(area), 5); // population and organizations of both files
    EXPECT_EQ(session->state().kind, SearchKind::AllRecords);
    EXPECT_EQ(hitTotal(session->state()), 5);
    EXPECT_FALSE(session->current()); // no input answers these hits

    // Enter again: the list of every record is not taken for the query's hits.
    EXPECT_EQ(session->fieldSearch(nameQuery("Иванов"), area).hits, found);
    EXPECT_EQ(session->state().kind, SearchKind::FieldSearch);
    EXPECT_EQ(hitTotal(session->state()), found);
    // A general search run at once is known as one (the printed list names it).
    EXPECT_GE(session->generalSearch(cp("Иванов").c_str(), area), found);
    EXPECT_EQ(session->state().kind, SearchKind::GeneralSearch);

    // A pending report of a worker started before "Вывести все записи" takes nothing.
    Report report;
    const uint64_t ticket =
        session->startBackground(fieldRequest("Петров"), area, report.callback());
    report.wait();
    SearchArea cities = area;
    cities.tables = kMaskCityCodes;
    EXPECT_EQ(session->showAll(cities), 1);
    EXPECT_EQ(session->takeBackground(SearchKind::FieldSearch, ticket), -1);
    EXPECT_EQ(session->state().kind, SearchKind::AllRecords);
    EXPECT_EQ(session->area().tables, kMaskCityCodes);
    ASSERT_EQ(session->state().hits.size(), 1u);
    EXPECT_EQ(session->state().hits[0].table, TableKind::CityCodes);
}

// Enter shows the hits of a background search of the same query as they are.
// The records change behind the session here only to tell a reuse from a
// search again.
TEST_F(Session, EnterReusesTheBackgroundHitsOnlyWhileTheyAnswerTheQuery) {
    for (bool taken : {true, false}) {
        const int32_t before = foreground("Иванов");
        Report report;
        const uint64_t ticket =
            session->startBackground(fieldRequest("Иванов"), area, report.callback());
        ASSERT_EQ(report.wait(), before);
        if (taken) {
            ASSERT_EQ(session->takeBackground(SearchKind::FieldSearch, ticket), before);
        }
        test::appendRecord(set.bases[0], TableKind::Population, {"15", "Иванов М.Н."});
        EXPECT_EQ(session->fieldSearch(nameQuery("Иванов"), area).hits, before)
            << (taken ? "taken" : "report on its way");
        // Without reuse, or after the input changed, it searches again.
        const int32_t now = foreground("Иванов");
        EXPECT_EQ(session->fieldSearch(nameQuery("Иванов"), area, false).hits, now);
        (void)session->inputChanged(SearchKind::FieldSearch, false);
        EXPECT_EQ(session->fieldSearch(nameQuery("Иванов"), area).hits, now);
    }
}

TEST_F(Session, TheLogGetsOneEntryPerSearchOfTheFieldPanel) {
    struct Case {
        const char* what;
        std::function<void(SearchSession&, const SearchArea&)> steps;
        int entries;
        int32_t lastHits; // of the newest entry
    };
    auto background = [](SearchSession& s, const SearchArea& a, const char* utf8) {
        Report report;
        const uint64_t ticket = s.startBackground(fieldRequest(utf8), a, report.callback());
        report.wait();
        (void)s.takeBackground(SearchKind::FieldSearch, ticket);
    };
    std::string many;
    for (int i = 0; i < 32; ++i)
        many += "x ";
    const Case cases[] = {
        {"Enter",
         [](SearchSession& s, const SearchArea& a) { s.fieldSearch(nameQuery("Иванов"), a); }, 1,
         3},
        {"Enter after the background search",
         [&](SearchSession& s, const SearchArea& a) {
             background(s, a, "Иванов");
             s.fieldSearch(nameQuery("Иванов"), a);
         },
         1, 3},
        {"two queries",
         [](SearchSession& s, const SearchArea& a) {
             s.fieldSearch(nameQuery("Иванов"), a);
             (void)s.inputChanged(SearchKind::FieldSearch, true); // the panel's text changed
             s.fieldSearch(nameQuery("Петров"), a);
         },
         2, 1},
        {"the background search alone",
         [&](SearchSession& s, const SearchArea& a) { background(s, a, "Иванов"); }, 0, 0},
        {"general search",
         [](SearchSession& s, const SearchArea& a) { s.generalSearch(cp("Иванов").c_str(), a); }, 0,
         0},
        {"find tool",
         [](SearchSession& s, const SearchArea& a) {
             s.findRecord(cp("Иванов").c_str(), a, kAllFields);
         },
         0, 0},
        {"all records", [](SearchSession& s, const SearchArea& a) { s.showAll(a); }, 0, 0},
        {"a query that does not compile",
         [&](SearchSession& s, const SearchArea& a) {
             FieldQueryText q;
             q.set(static_cast<int>(RecordField::Name), many.c_str());
             EXPECT_FALSE(s.fieldSearch(q, a).logged);
         },
         0, 0},
    };
    for (const Case& c : cases) {
        SearchSession s(set, &settings);
        ASSERT_TRUE(resizeLog(s.log(), 10));
        c.steps(s, area);
        EXPECT_EQ(s.log().count, c.entries) << c.what;
        if (c.entries > 0) {
            EXPECT_EQ(s.log().stamps[size_t(c.entries - 1)].hits, c.lastHits) << c.what;
        }
    }
    // A log of no capacity takes nothing and says so.
    SearchSession none(set, &settings);
    const FieldSearchResult r = none.fieldSearch(nameQuery("Иванов"), area);
    EXPECT_EQ(r.hits, 3);
    EXPECT_FALSE(r.logged);
    EXPECT_EQ(none.log().count, 0);
}

TEST_F(Session, ClearDropsTheHitsAndAStartedWorkersReport) {
    EXPECT_EQ(session->fieldSearch(nameQuery("Иванов"), area).hits, 3);
    Report report;
    const uint64_t ticket =
        session->startBackground(fieldRequest("Петров"), area, report.callback());
    report.wait();
    session->clear();
    EXPECT_TRUE(session->state().hits.empty());
    EXPECT_EQ(hitTotal(session->state()), 0);
    EXPECT_FALSE(session->current());
    EXPECT_EQ(session->takeBackground(SearchKind::FieldSearch, ticket), -1);
    EXPECT_TRUE(session->state().hits.empty());
}

TEST_F(Session, TwoSessionsOverOneSetKeepHitsOfTheirOwn) {
    SearchSession other(set, &settings);
    EXPECT_EQ(session->fieldSearch(nameQuery("Иванов"), area).hits, 3);
    EXPECT_EQ(other.fieldSearch(nameQuery("Петров"), area).hits, 1);
    ASSERT_EQ(other.state().hits.size(), 1u);
    EXPECT_EQ(other.state().hits[0].record, 1);
    other.clear();
    EXPECT_EQ(session->state().hits.size(), 3u);
    EXPECT_EQ(session->state().populationHits, 3);
    EXPECT_TRUE(session->current());
    EXPECT_FALSE(other.current());
}

// A base taken out of the set: the hits that named its records go, and the
// next Enter searches what is left instead of reusing them.
TEST_F(Session, SizingTheHitsAfterABaseWentDropsTheOldOnes) {
    ASSERT_EQ(session->fieldSearch(nameQuery("Иванов"), area).hits, 3);
    removeBase(set, nullptr, 0);
    session->sizeHits();
    EXPECT_TRUE(session->state().hits.empty());
    EXPECT_EQ(hitTotal(session->state()), 0);
    EXPECT_FALSE(session->current());
    EXPECT_GE(session->state().hits.capacity(), 1u); // room for the one resident left
    const FieldSearchResult r = session->fieldSearch(nameQuery("Иванов"), area);
    EXPECT_EQ(r.hits, 1);
    ASSERT_EQ(session->state().hits.size(), 1u);
    EXPECT_EQ(session->state().hits[0].base, 0);
    EXPECT_TRUE(session->current());
}

TEST_F(Session, BackgroundSearchFollowsTheSettings) {
    settings.backgroundDelayMs = 250;
    EXPECT_TRUE(session->inputChanged(SearchKind::FieldSearch, true));
    EXPECT_EQ(session->backgroundDelayMs(), 250);
    EXPECT_TRUE(session->backgroundWanted(SearchKind::FieldSearch));
    EXPECT_EQ(session->fieldSearch(nameQuery("Иванов"), area).hits, 3);
    // The hits answer the field panel's input: its timer starts nothing,
    // the general bar's would.
    EXPECT_FALSE(session->backgroundWanted(SearchKind::FieldSearch));
    EXPECT_TRUE(session->backgroundWanted(SearchKind::GeneralSearch));

    settings.backgroundSearch = 0;
    EXPECT_FALSE(session->inputChanged(SearchKind::FieldSearch, true));
    EXPECT_FALSE(session->current()); // stale all the same
    EXPECT_FALSE(session->backgroundWanted(SearchKind::FieldSearch));

    BaseSet bare; // no settings: nothing is scheduled
    SearchSession unset(bare);
    EXPECT_FALSE(unset.inputChanged(SearchKind::FieldSearch, true));
    EXPECT_FALSE(unset.backgroundWanted(SearchKind::FieldSearch));
}

} // namespace
} // namespace talsk
