#pragma once
// Merging up to 16 base files into one new base file, table by table in list
// order, optionally dropping repeated records (of repeats the first in list
// order is kept). The destination is written only at the end, through the
// atomic writer: an abort, a cancel or a failure leaves no new file behind
// and an existing one untouched.

#include "platform/write_error.h"
#include "tools/merge_table.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace talsk {

constexpr size_t kMaxMergeSources = 16;

struct MergeSource {
    std::string path;    // Windows-1251
    std::string fileKey; // derived from the typed key; empty when none is set
};

struct MergeOptions {
    MergeRepeats repeats = MergeRepeats::Keep;
    std::string newFileKey; // the destination's key (derived); empty: not keyed
};

enum class SourceAnswer { Abort, Retry, Ignore };

// Asked when a source does not load: status is its LoadStatus. Before a
// Retry the answer may set a new fileKey (the key asked again).
using SourceFailure = std::function<SourceAnswer(size_t index, const std::string& path,
                                                 int32_t status, std::string& fileKey)>;
// Called with the running count whenever it is a multiple of the step.
using MergeProgress = std::function<void(int64_t done, int64_t total)>;

enum class MergeOutcome {
    Done,
    NoSources,  // the list is empty or longer than 16
    Aborted,    // a source did not load and the answer was Abort
    Cancelled,  // the cancel flag was set
    SaveFailed, // the destination could not be written (or would be too large)
};

struct MergeResult {
    MergeOutcome outcome = MergeOutcome::NoSources;
    WriteError cause = WriteError::None; // why writing failed, when the file system said
    int64_t kept = 0;                    // records written
    int64_t skipped = 0;                 // repeats dropped
    std::vector<size_t> ignored;         // sources skipped after failing to load
};

// The number of records the sources' headers announce (unreadable ones count 0).
int64_t announcedRecords(const std::vector<MergeSource>& sources);

[[nodiscard]] MergeResult mergeFiles(const std::vector<MergeSource>& sources,
                                     const std::string& destination, const MergeOptions& options,
                                     const SourceFailure& onFailure,
                                     const MergeProgress& progress = {},
                                     const std::atomic<bool>* cancel = nullptr);

} // namespace talsk
