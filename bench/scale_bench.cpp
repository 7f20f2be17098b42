// The largest set the format allows: 64 files of 100,000 demo records, each
// with its own seed, loaded from a folder as the program loads it, then
// searched for a rare word and for one letter, by one field and by all. The
// CPU column is the whole process's: every thread of a run counts.

#include "base/base_file.h"
#include "base/loading.h"
#include "base/settings.h"
#include "platform/cp1251.h"
#include "search/search_engine.h"
#include "search/search_session.h"
#include "search_data.h"
#include "tools/demo_data.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace talsk;

namespace {

constexpr int kFiles = 64;
constexpr int32_t kRecordsPerFile = 100000;

// Answers nothing and shows nothing: every file of the folder loads alone.
class QuietHost : public LoadingHost {
public:
    void showStatusText(const std::string&) override {}
    bool askYesNo(const std::string&, const std::string&) override { return false; }
    bool runConverter(const std::string&, const std::string&, std::string&) override {
        return false;
    }
    bool askKeys(std::vector<KeyEntryFile>&) override { return false; }
    FilesListAnswer showFilesList(const std::vector<FileListEntry>&, bool, bool) override {
        return {};
    }
};

// The folder of the 64 files, made once and removed when the program ends.
struct Folder {
    std::string path;
    bool ok = false;
    Folder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "talsk-scale-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) return;
        path = pattern;
        ok = true;
        for (int i = 0; i < kFiles && ok; ++i) {
            DemoOptions o;
            o.cityCodes = 150;
            o.organizations = (kRecordsPerFile - o.cityCodes) * 15 / 100;
            o.residents = kRecordsPerFile - o.cityCodes - o.organizations;
            o.seed = static_cast<uint32_t>(i + 1);
            PhoneBase base;
            char name[32];
            std::snprintf(name, sizeof name, "/part%02d.btn", i);
            base.path = path + name;
            ok = fillDemoBase(base, o) && saveBase(base, kMaskAllTables);
            closeBase(base);
        }
    }
    ~Folder() {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
};

Folder& folder() {
    static Folder f;
    return f;
}

void prepareSettings(ProgramSettings& settings) {
    resetSettings(settings, ResetMode::All);
    settings.programFolder = folder().path;
    settings.connectFolderFiles = 1;
    settings.fileCount = 0;
}

// As the window loads: the letter-pair filters are left for later (see
// BM_PairFilterBuild64x100k for what they cost).
bool loadAll(BaseSet& set, ProgramSettings& settings) {
    QuietHost host;
    Loader loader(set, settings, host, nullptr);
    loader.leavePairFilters();
    loader.run();
    if (set.count() != kFiles) return false;
    for (const PhoneBase& b : set.bases)
        if (!b.connected || b.recordCount() != kRecordsPerFile) return false;
    return true;
}

// The timed loads: only the loading counts, not making the settings or
// dropping the files. False when a load failed (the state says so).
bool timeLoads(benchmark::State& state, ProgramSettings& settings) {
    for (auto _ : state) {
        state.PauseTiming();
        prepareSettings(settings);
        BaseSet set;
        state.ResumeTiming();
        if (!loadAll(set, settings)) {
            state.SkipWithError("the folder did not load");
            return false;
        }
        state.PauseTiming();
        set.bases.clear();
        state.ResumeTiming();
    }
    return true;
}

void BM_LoadFolder64x100k(benchmark::State& state) {
    if (!folder().ok) {
        state.SkipWithError("the files could not be made");
        return;
    }
    ProgramSettings settings;
    if (!timeLoads(state, settings)) return;
    state.counters["records"] = static_cast<double>(kFiles) * kRecordsPerFile;
}
BENCHMARK(BM_LoadFolder64x100k)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->MinTime(3.0);

// The process's resident memory now, in MiB.
double residentMiB() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// The same folder loaded again in the same process, as a reload does: the
// memory the first load freed must not make the next ones slower. Counters:
// firstCpu_ms, the first load's process CPU time; firstFaults_k and
// faults_k, the page faults of the first load and of each later one (a
// steadier sign than time on a busy machine); peakRss_MiB, the process's
// peak so far.
void BM_LoadFolder64x100kAgain(benchmark::State& state) {
    if (!folder().ok) {
        state.SkipWithError("the files could not be made");
        return;
    }
    auto usage = [] {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        return u;
    };
    ProgramSettings settings;
    double firstCpuMs = 0;
    long firstFaults = 0;
    {
        prepareSettings(settings);
        BaseSet set;
        const long f0 = usage().ru_minflt;
        const std::clock_t c0 = std::clock();
        if (!loadAll(set, settings)) {
            state.SkipWithError("the folder did not load");
            return;
        }
        firstCpuMs = 1000.0 * static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC;
        firstFaults = usage().ru_minflt - f0;
    }
    const long f1 = usage().ru_minflt;
    if (!timeLoads(state, settings)) return;
    const rusage end = usage();
    state.counters["firstCpu_ms"] = firstCpuMs;
    state.counters["firstFaults_k"] = static_cast<double>(firstFaults) / 1000.0;
    state.counters["faults_k"] =
        static_cast<double>(end.ru_minflt - f1) / 1000.0 / static_cast<double>(state.iterations());
    state.counters["peakRss_MiB"] = static_cast<double>(end.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_LoadFolder64x100kAgain)
    ->Name("BM_LoadFolder64x100k/again")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(3);

// The memory the files leave behind when they are closed: the folder loaded
// and dropped (keptRss_MiB, the process's resident memory then), then a
// load without them (closedRss_MiB, after it). Not repeated: the memory
// given back makes the next load one of a fresh process.
void BM_LoadFolder64x100kClosed(benchmark::State& state) {
    if (!folder().ok) {
        state.SkipWithError("the files could not be made");
        return;
    }
    ProgramSettings settings;
    double kept = 0;
    for (auto _ : state) {
        prepareSettings(settings);
        {
            BaseSet set;
            if (!loadAll(set, settings)) {
                state.SkipWithError("the folder did not load");
                return;
            }
        }
        kept = residentMiB();
        settings.connectFolderFiles = 0;
        settings.fileCount = 0;
        BaseSet none;
        QuietHost host;
        Loader(none, settings, host, nullptr).run();
    }
    state.counters["keptRss_MiB"] = kept;
    state.counters["closedRss_MiB"] = residentMiB();
}
BENCHMARK(BM_LoadFolder64x100kClosed)
    ->Name("BM_LoadFolder64x100k/closed")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// The 6.4M records loaded once, searched over residents and organizations.
struct LimitData {
    ProgramSettings settings;
    BaseSet set;
    SearchState state;
    bool ok = false;
    LimitData() {
        if (!folder().ok) return;
        prepareSettings(settings);
        ok = loadAll(set, settings);
        while (buildNextPairFilter(set)) {
        }
        for (int i = 0; i < kFiles; ++i)
            state.fileMask[static_cast<size_t>(i)] = 1;
        state.tables = kMaskPopulationOrganizations;
        sizeHitList(set, state);
    }
};

LimitData& limitData() {
    static LimitData* d = new LimitData;
    return *d;
}

const char* const kRare = "иванов";
const char* const kShort = "и";
// Wildcards, where no literal word can be looked for: a field of two
// characters beginning with 1 (houses, flats), a field from «л» to «ая»
// (streets), any field whose second letter is «а» (a third of the records).
const char* const kWildExact = "1?";
const char* const kWildStar = "л*ая";
const char* const kWildLead = "?а*";

// Arg 0: one field (the name), 1: all fields; the pattern by name.
void searchLimit(benchmark::State& state, const char* utf8Pattern, bool allFields) {
    LimitData& d = limitData();
    if (!d.ok) {
        state.SkipWithError("the folder did not load");
        return;
    }
    bench::timeWordSearch(state, d.set, d.state, d.settings, utf8Pattern, allFields);
}

void BM_SearchLimit_field_rare(benchmark::State& s) {
    searchLimit(s, kRare, false);
}
void BM_SearchLimit_field_short(benchmark::State& s) {
    searchLimit(s, kShort, false);
}
void BM_SearchLimit_all_rare(benchmark::State& s) {
    searchLimit(s, kRare, true);
}
void BM_SearchLimit_all_short(benchmark::State& s) {
    searchLimit(s, kShort, true);
}
BENCHMARK(BM_SearchLimit_field_rare)
    ->Name("BM_SearchLimit/field_rare")
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchLimit_field_short)
    ->Name("BM_SearchLimit/field_short")
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchLimit_all_rare)
    ->Name("BM_SearchLimit/all_rare")
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchLimit_all_short)
    ->Name("BM_SearchLimit/all_short")
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// What the letter-pair summaries cost: all of them built again on one
// thread (the window builds them one table at a time once the totals show),
// and their size.
void BM_PairFilterBuild64x100k(benchmark::State& state) {
    LimitData& d = limitData();
    if (!d.ok) {
        state.SkipWithError("the folder did not load");
        return;
    }
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (PhoneBase& base : d.set.bases)
            for (BaseTable& t : base.tables) {
                t.pairs.build(t);
                bytes += t.pairs.bytes();
            }
    }
    state.counters["filter_MiB"] = static_cast<double>(bytes) / (1 << 20);
}
BENCHMARK(BM_PairFilterBuild64x100k)->Unit(benchmark::kMillisecond);

// One field, rare word, while another thread keeps a core busy: with the
// work taken in small pieces the time stays near the one-thread time
// (counter oneThread_ms, measured alone beforehand).
void BM_SearchBusyCore(benchmark::State& state) {
    LimitData& d = limitData();
    if (!d.ok) {
        state.SkipWithError("the folder did not load");
        return;
    }
    d.settings.caseSensitive = 0;
    FieldQueryText q;
    q.set(2, utf8ToCp1251(kRare).c_str());
    SearchRun one = foregroundRun(d.set, d.state, &d.settings);
    one.splitRecords = 0;
    const auto t0 = std::chrono::steady_clock::now();
    constexpr int kAlone = 5;
    for (int i = 0; i < kAlone; ++i)
        benchmark::DoNotOptimize(runFieldSearch(q, one));
    const double aloneMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() /
        kAlone;
    std::atomic<bool> stop{false};
    std::thread spinner([&] {
        volatile uint64_t n = 0;
        while (!stop.load(std::memory_order_relaxed))
            n = n + 1;
    });
    int32_t hits = 0;
    for (auto _ : state) {
        hits = runFieldSearch(q, d.set, d.state, &d.settings);
        benchmark::DoNotOptimize(hits);
    }
    stop = true;
    spinner.join();
    state.counters["hits"] = hits;
    state.counters["oneThread_ms"] = aloneMs;
}
BENCHMARK(BM_SearchBusyCore)->UseRealTime()->Unit(benchmark::kMillisecond);

// What the window waits for after the typing delay: the search its bar
// starts when the timer fires, run by the background worker, and its hits
// taken on the window's thread, where the counters are set.
void keyToCounters(benchmark::State& state, const char* utf8Pattern, bool allFields) {
    LimitData& d = limitData();
    if (!d.ok) {
        state.SkipWithError("the folder did not load");
        return;
    }
    d.settings.caseSensitive = 0;
    d.settings.backgroundSearch = 1;
    SearchSession session(d.set, &d.settings);
    SearchArea area;
    area.files = d.state.fileMask;
    area.tables = kMaskPopulationOrganizations;
    SearchRequest request;
    request.kind = allFields ? SearchKind::GeneralSearch : SearchKind::FieldSearch;
    const std::string text = utf8ToCp1251(utf8Pattern);
    if (allFields)
        std::snprintf(request.generalText, sizeof request.generalText, "%s", text.c_str());
    else
        request.fieldTexts.set(static_cast<int>(RecordField::Name), text.c_str());
    std::mutex m;
    std::condition_variable ended;
    uint64_t endedTicket = 0;
    int32_t hits = 0;
    for (auto _ : state) {
        const uint64_t ticket = session.startBackground(request, area, [&](uint64_t t, int32_t) {
            const std::lock_guard<std::mutex> lock(m);
            endedTicket = t;
            ended.notify_one();
        });
        if (ticket == 0) {
            state.SkipWithError("no worker started");
            return;
        }
        {
            std::unique_lock<std::mutex> lock(m);
            ended.wait(lock, [&] { return endedTicket == ticket; });
        }
        hits = session.takeBackground(request.kind, ticket);
    }
    state.counters["hits"] = hits;
}

// The patterns of BM_KeyToCounters/NAME, registered in this order.
struct KeyToCountersCase {
    const char* name;
    const char* pattern;
    bool allFields;
};
const KeyToCountersCase kKeyToCounters[] = {
    {"BM_KeyToCounters/field_rare", kRare, false},
    {"BM_KeyToCounters/field_short", kShort, false},
    {"BM_KeyToCounters/all_rare", kRare, true},
    {"BM_KeyToCounters/all_short", kShort, true},
    {"BM_KeyToCounters/all_wild_exact", kWildExact, true},
    {"BM_KeyToCounters/all_wild_star", kWildStar, true},
    {"BM_KeyToCounters/all_wild_lead", kWildLead, true},
};
const bool kKeyToCountersRegistered = [] {
    for (const KeyToCountersCase& c : kKeyToCounters)
        benchmark::RegisterBenchmark(
            c.name, [c](benchmark::State& s) { keyToCounters(s, c.pattern, c.allFields); })
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
