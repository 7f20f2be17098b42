// The results grid with a million rows of demo records: filling it with cell
// pointers and sorting it by the name and the address columns.

#include "gui/widgets/phone_grid_model.h"
#include "tools/demo_data.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

using namespace talsk;

namespace {

constexpr int kRows = 1000000;

// The seven fields of a million demo records, read in place.
const std::vector<FieldPointers>& records() {
    static const PhoneBase* base = [] {
        auto* b = new PhoneBase;
        DemoOptions options;
        options.residents = 800000;
        options.organizations = kRows - 800000;
        options.cityCodes = 0;
        if (!fillDemoBase(*b, options)) std::abort();
        return b;
    }();
    static const std::vector<FieldPointers> fields = [] {
        std::vector<FieldPointers> out;
        out.reserve(kRows);
        for (const BaseTable& table : base->tables)
            for (int32_t i = 0; i < table.count; ++i)
                out.push_back(fieldPointers(table, i));
        return out;
    }();
    return fields;
}

void fill(PhoneGridModel& model) {
    const std::vector<FieldPointers>& rows = records();
    const auto n = static_cast<int>(rows.size());
    model.setRowCount(n);
    for (int r = 0; r < n; ++r)
        model.setFieldCells(r, rows[r]);
}

void BM_GridFill(benchmark::State& state) {
    records();
    PhoneGridModel model;
    model.setColumnCount(5);
    for (auto _ : state) {
        model.setRowCount(0);
        fill(model);
        benchmark::DoNotOptimize(model.cell(model.rowCount() - 1, 4));
    }
}
BENCHMARK(BM_GridFill)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GridSort(benchmark::State& state) {
    const int column = static_cast<int>(state.range(0));
    PhoneGridModel model;
    model.setColumnCount(5);
    for (auto _ : state) {
        state.PauseTiming();
        fill(model);
        GridSortState sort; // ascending every time
        state.ResumeTiming();
        model.sortByColumn(column, sort);
        benchmark::DoNotOptimize(model.cell(0, column));
    }
}
BENCHMARK(BM_GridSort)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
