// The results table with a million demo records: "Вывести все записи" from
// the command to a filled grid, and one paint of a screen of rows.

#include "gui/mainwindow/results_table.h"
#include "search/search_engine.h"
#include "tools/demo_data.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

using namespace talsk;

namespace {

constexpr int kRecords = 1000000;

QApplication& application() {
    static int argc = 1;
    static char name[] = "talsk_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

ProgramSettings& demoSettings() {
    static ProgramSettings settings;
    return settings;
}

// One connected base of a million demo records, in memory.
BaseSet& demoSet() {
    static BaseSet* set = [] {
        auto* s = new BaseSet;
        s->bases.resize(1);
        DemoOptions options;
        options.residents = 800000;
        options.organizations = kRecords - 800000;
        options.cityCodes = 0;
        if (!fillDemoBase(s->bases[0], options)) std::abort();
        s->bases[0].connected = 1;
        s->bases[0].path = "demo.btn";
        recountTotals(*s);
        return s;
    }();
    return *set;
}

// The hits over the demo set, kept as long as it: the window's session keeps
// its hit list from one search to the next.
SearchState& demoHits() {
    static SearchState* found = new SearchState;
    return *found;
}

// The search area into the state, then one hit per record.
void fillAll(BaseSet& set, SearchState& found) {
    found.tables = kMaskPopulationOrganizations;
    found.fileMask.fill(1);
    fillAllRecords(set, found);
}

// What the main window does for the command: every record into the table.
void wireShowAll(ResultsTable& table, BaseSet& set, SearchState& found) {
    QObject::connect(&table, &ResultsTable::showAllRecordsRequested, &table,
                     [&table, &set, &found] {
                         fillAll(set, found);
                         table.showResults(found, found.tables, -1);
                     });
}

void BM_ResultsShowAllRecords(benchmark::State& state) {
    application();
    BaseSet& set = demoSet();
    SearchState& found = demoHits();
    ResultsTable table;
    table.setBaseSet(&set, nullptr, &demoSettings());
    table.resize(1000, 700);
    wireShowAll(table, set, found);
    for (auto _ : state) {
        table.action(cmd::ShowAllRecords)->trigger();
        benchmark::DoNotOptimize(table.model().cell(table.rowCount() - 1, 4));
    }
    if (table.rowCount() != kRecords) state.SkipWithError("not every record shown");
}
BENCHMARK(BM_ResultsShowAllRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

// A search's hits into the table, as Enter shows them: 2.9 million hits
// (the records of the demo set over and over), the most «и» finds at 6.4
// million records.
void BM_ResultsShowHits(benchmark::State& state) {
    application();
    BaseSet& set = demoSet();
    SearchState found;
    fillAll(set, found);
    const size_t records = found.hits.size();
    const auto n = static_cast<size_t>(state.range(0));
    for (size_t i = records; i < n; ++i)
        found.hits.push_back(found.hits[i % records]);
    ResultsTable table;
    table.setBaseSet(&set, nullptr, &demoSettings());
    table.resize(1000, 700);
    // Counter first_ms: the first fill, which also takes the grid's memory.
    const auto t0 = std::chrono::steady_clock::now();
    table.showResults(found, found.tables, -1);
    state.counters["first_ms"] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    for (auto _ : state) {
        table.showResults(found, found.tables, -1);
        benchmark::DoNotOptimize(table.model().cell(table.rowCount() - 1, 4));
    }
    if (static_cast<size_t>(table.rowCount()) != n) state.SkipWithError("not every hit shown");
}
BENCHMARK(BM_ResultsShowHits)->Arg(2900000)->Unit(benchmark::kMillisecond)->UseRealTime();

// One paint of the whole widget (header and a screen of rows) into an image,
// with the rows scrolled to the middle of the list.
void BM_ResultsPaint(benchmark::State& state) {
    application();
    BaseSet& set = demoSet();
    SearchState& found = demoHits();
    ResultsTable table;
    table.setBaseSet(&set, nullptr, &demoSettings());
    table.resize(1000, 700);
    fillAll(set, found);
    found.hits.resize(static_cast<size_t>(state.range(0)));
    table.showResults(found, found.tables, static_cast<int>(state.range(0) / 2));
    QImage image(table.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        table.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["rows_on_screen"] = table.model().pageRows();
}
BENCHMARK(BM_ResultsPaint)->Arg(100)->Arg(kRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
