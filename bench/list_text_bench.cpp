// A million rows of demo records leaving the results grid: the clipboard's
// text of every row selected, and the saved list as CSV and as plain text.
// The peak memory of a run is measured outside (/usr/bin/time -v), filtered
// to one benchmark: --benchmark_filter=BM_CopyRows.

#include "gui/widgets/grid_text.h"
#include "gui/widgets/phone_grid_model.h"
#include "tools/demo_data.h"
#include "tools/list_text.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace talsk;

namespace {

constexpr int kRows = 1000000;

// A grid of a million demo records, five columns shown, every row selected.
const PhoneGridModel& grid() {
    static const PhoneBase* base = [] {
        auto* b = new PhoneBase;
        DemoOptions options;
        options.residents = 800000;
        options.organizations = kRows - 800000;
        options.cityCodes = 0;
        if (!fillDemoBase(*b, options)) std::abort();
        return b;
    }();
    static const PhoneGridModel* model = [] {
        auto* m = new PhoneGridModel;
        m->setColumnCount(5);
        for (int c = 0; c < 5; ++c)
            m->setColumnWidth(c, 100);
        m->setRowCount(kRows);
        int r = 0;
        for (const BaseTable& table : base->tables)
            for (int32_t i = 0; i < table.count && r < kRows; ++i)
                m->setFieldCells(r++, fieldPointers(table, i));
        m->selectAll();
        return m;
    }();
    return *model;
}

void BM_CopyRows(benchmark::State& state) {
    const PhoneGridModel& g = grid();
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = copiedRowsText(g);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_CopyRows)->Unit(benchmark::kMillisecond)->UseRealTime();

void saveList(benchmark::State& state, ListFormat format) {
    const PhoneGridModel& g = grid();
    char path[] = "/tmp/talsk-bench-list-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) std::abort();
    close(fd);
    const std::vector<int> columns = shownColumns(g);
    size_t bytes = 0;
    for (auto _ : state) {
        ListText list(format);
        for (const char* title : {"Телефон", "Фамилия", "Адрес", "Организация", "Комментарий"})
            list.cell(title);
        list.endRow();
        appendGridRows(g, columns, GridRows::All, list);
        if (!saveListText(path, list)) std::abort();
        bytes = list.text().size();
    }
    std::remove(path);
    state.counters["MB"] = double(bytes) / 1e6;
}

void BM_SaveCsv(benchmark::State& state) {
    saveList(state, ListFormat::Csv);
}
BENCHMARK(BM_SaveCsv)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveText(benchmark::State& state) {
    saveList(state, ListFormat::Text);
}
BENCHMARK(BM_SaveText)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
