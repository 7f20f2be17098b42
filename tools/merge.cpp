#include "tools/merge.h"

#include "base/base_file.h"
#include "base/base_set.h"
#include "base/load_status.h"
#include "tools/convert.h"

#include <array>
#include <climits>

namespace talsk {

namespace {

MergeResult ended(MergeOutcome outcome, WriteError cause = WriteError::None) {
    MergeResult r;
    r.outcome = outcome;
    r.cause = cause;
    return r;
}

// Opens a source as the merge reads it: never holding a writer out, no key
// but its own, version 2.0 only. Returns the status when it failed.
bool openSource(PhoneBase& base, const MergeSource& source) {
    base = PhoneBase{};
    base.path = source.path;
    base.key = source.fileKey;
    if (!openBase(base, nullptr,
                  {.autoKey = false, .allow20b = false, .access = BaseAccess::Reader}))
        return false;
    // A base with a table that did not load still connects (read-only), but
    // merging it would drop that table's records without a word: its data did
    // not load, which is what the user must hear (damage or a wrong key).
    if (base.status == StatusReadOnlyIncomplete) {
        base.status = StatusLoadFailed;
        return false;
    }
    return true;
}

class Counter {
public:
    Counter(const MergeProgress& progress, int64_t total)
        : progress_(progress), total_(total),
          step_(progressStep(static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX)))) {}
    void advance() {
        ++done_;
        if (progress_ && done_ % step_ == 0) progress_(done_, total_);
    }

private:
    const MergeProgress& progress_;
    int64_t total_;
    int64_t step_;
    int64_t done_ = 0;
};

} // namespace

int64_t announcedRecords(const std::vector<MergeSource>& sources) {
    int64_t total = 0;
    for (const MergeSource& s : sources) {
        PhoneBase base;
        base.path = s.path;
        if (readHeader(base, {.access = BaseAccess::Reader}))
            for (const BaseTable& t : base.tables)
                total += t.count > 0 ? t.count : 0;
        closeBase(base);
    }
    return total;
}

MergeResult mergeFiles(const std::vector<MergeSource>& sources, const std::string& destination,
                       const MergeOptions& options, const SourceFailure& onFailure,
                       const MergeProgress& progress, const std::atomic<bool>* cancel) {
    if (sources.empty() || sources.size() > kMaxMergeSources) return ended(MergeOutcome::NoSources);
    Counter counter(progress, announcedRecords(sources));
    const std::function<void()> advance = [&counter] { counter.advance(); };
    std::array<MergedTable, kTableCount> tables = {
        MergedTable(options.repeats), MergedTable(options.repeats), MergedTable(options.repeats)};
    MergeResult result;

    for (size_t s = 0; s < sources.size(); ++s) {
        MergeSource source = sources[s];
        PhoneBase base;
        bool loaded = openSource(base, source);
        while (!loaded) {
            const SourceAnswer answer = onFailure
                                            ? onFailure(s, source.path, base.status, source.fileKey)
                                            : SourceAnswer::Abort;
            closeBase(base);
            if (answer == SourceAnswer::Abort) return ended(MergeOutcome::Aborted);
            if (answer == SourceAnswer::Ignore) break;
            loaded = openSource(base, source);
        }
        if (!loaded) {
            result.ignored.push_back(s);
            continue;
        }
        for (int k = 0; k < kTableCount; ++k) {
            const BaseTable& t = base.tables[static_cast<size_t>(k)];
            if (!t.loaded) continue;
            if (!tables[static_cast<size_t>(k)].append(t, advance, cancel)) {
                closeBase(base);
                if (cancel != nullptr && cancel->load()) return ended(MergeOutcome::Cancelled);
                return ended(MergeOutcome::SaveFailed);
            }
            tables[static_cast<size_t>(k)].mergeDates(t.created, t.updated);
        }
        closeBase(base);
    }
    if (cancel != nullptr && cancel->load()) return ended(MergeOutcome::Cancelled);

    PhoneBase out;
    out.path = destination;
    out.keyed = options.newFileKey.empty() ? 0 : 1;
    out.key = options.newFileKey;
    for (int k = 0; k < kTableCount; ++k) {
        const MergedTable& t = tables[static_cast<size_t>(k)];
        if (!t.install(out.tables[static_cast<size_t>(k)])) return ended(MergeOutcome::SaveFailed);
        result.kept += t.count();
        result.skipped += t.skipped();
    }
    WriteError cause = WriteError::None;
    const bool saved = saveBase(out, kMaskAllTables, &cause);
    closeBase(out);
    if (!saved) return ended(MergeOutcome::SaveFailed, cause);
    result.outcome = MergeOutcome::Done;
    return result;
}

} // namespace talsk
