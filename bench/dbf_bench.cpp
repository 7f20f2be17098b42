// The dBASE import of a million population rows: the whole run (reading,
// building records, compressing and writing the base file) and the record
// building alone. The table is written once, outside the timed loops.

#include "tools/dbf_demo.h"
#include "tools/dbf_import.h"
#include "tools/demo_data.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace talsk;

namespace {

constexpr int32_t kRows = 1000000;

struct DbfScratch {
    std::string folder;
    std::string table;
    DbfScratch() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "talsk-dbf-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        folder = pattern;
        table = folder + "/nasel.dbf";
        PhoneBase base;
        DemoOptions options;
        options.residents = kRows;
        options.organizations = 0;
        options.cityCodes = 0;
        options.seed = 7;
        if (!fillDemoBase(base, options) ||
            !writeTableAsDbf(table, base.tables[0], TableKind::Population))
            std::abort();
        closeBase(base);
    }
    ~DbfScratch() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

const DbfScratch& scratch() {
    static DbfScratch s;
    return s;
}

DbfImportJob populationJob() {
    DbfImportJob job;
    job.tables[0].path = scratch().table;
    setDefaultDbfMapping(TableKind::Population, job.tables[0]);
    job.destination = scratch().folder + "/new.btn";
    return job;
}

void BM_DbfImport(benchmark::State& state) {
    const DbfImportJob job = populationJob();
    for (auto _ : state) {
        const DbfImportResult r = importDbf(job);
        if (r.outcome != DbfImportOutcome::Done || r.counts[0] != kRows) {
            state.SkipWithError("the import failed");
            return;
        }
    }
    state.counters["rows"] = kRows;
}
BENCHMARK(BM_DbfImport)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// Building the seven fields of every row, joins and a skip list included.
void BM_DbfBuildRecords(benchmark::State& state) {
    DbfImportJob job = populationJob();
    DbfTableJob& t = job.tables[0];
    t.join = true;
    t.fields[1].column = {1, 2, kDbfNoColumn};
    t.skipText = "-;нет";
    DbfTable table;
    if (readDbfHeader(t.path, table) != DbfStatus::Ok) std::abort();
    std::string bytes(size_t(table.recordCount) * table.recordLength, '\0');
    {
        FILE* f = std::fopen(t.path.c_str(), "rb");
        if (!f || std::fseek(f, table.headerLength, SEEK_SET) != 0 ||
            std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size())
            std::abort();
        std::fclose(f);
    }
    const DbfRecordBuilder builder(TableKind::Population, table, t);
    RecordFields fields;
    for (auto _ : state) {
        for (uint32_t r = 0; r < table.recordCount; ++r) {
            builder.build(bytes.data() + size_t(r) * table.recordLength, fields);
            benchmark::DoNotOptimize(fields);
        }
    }
    state.counters["rows"] = kRows;
}
BENCHMARK(BM_DbfBuildRecords)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

} // namespace
