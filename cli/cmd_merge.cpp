// talsk-cli merge: base files joined into one new file, optionally without
// repeated records.

#include "base/cipher.h"
#include "base/load_status.h"
#include "cli/cli_util.h"
#include "cli/command.h"
#include "cli/output.h"
#include "platform/cp1251.h"
#include "tools/destination.h"
#include "tools/merge.h"

#include <cstdio>

namespace talsk::cli {

namespace {

const CommandTable kTable = {
    "merge",
    "Joins base files into a new one.",
    "DST SRC... [--key SRC=TEXT | --key-file SRC=KEYFILE]... [--repeats same|phone] "
    "[--new-key TEXT | --new-key-file FILE] [--ignore-failed]",
    "Joins up to 16 base files into a new version 2.0 file DST, table by table in the order "
    "given (\".btn\" is appended to DST unless it ends so). A source that does not load stops "
    "the merge with nothing written.",
    {kFileKeyOption,
     kFileKeyFileOption,
     {"--repeats", "same|phone", false,
      "Leave out a record equal to one already taken except for letter case (same), or whose "
      "telephone was already taken (phone)."},
     {"--new-key", "TEXT", false,
      "Protect the new file with this key. Other local users can read it in the process list: "
      "prefer --new-key-file."},
     {"--new-key-file", "FILE", false, "Protect the new file with the first line of FILE."},
     {"--ignore-failed", nullptr, false,
      "Leave out a source that does not load, write the others and exit with status 1."}},
    2,
    kAnyCount};

int runMerge(const ParsedArgs& args) {
    KeyOptions keys;
    if (int status = keyOptions(args, keys); status >= 0) return status;
    MergeOptions options;
    if (args.has("--repeats")) {
        const std::string v = args.value("--repeats");
        if (v == "same")
            options.repeats = MergeRepeats::SameRecord;
        else if (v == "phone")
            options.repeats = MergeRepeats::SamePhone;
        else
            return fail("--repeats must be same or phone", kUsageError);
    }
    std::string newKey;
    if (int status = typedKeyOption(args, "--new-key", newKey); status >= 0) return status;
    if (!newKey.empty()) options.newFileKey = deriveFileKey(utf8ToCp1251(newKey));
    const bool ignoreFailed = args.has("--ignore-failed");
    const std::vector<std::string>& files = args.positional;
    if (files.size() - 1 > kMaxMergeSources)
        return fail("at most 16 files can be merged", kUsageError);
    warnUnusedKeys(keys, {files.begin() + 1, files.end()});

    std::vector<MergeSource> sources;
    for (size_t i = 1; i < files.size(); ++i) {
        const std::string typed = keys.keyFor(files[i]);
        sources.push_back({files[i], typed.empty() ? typed : deriveFileKey(typed)});
    }
    const std::string destination = withBaseExtension(files[0]);
    const WriteError creatable = checkDestination(destination);
    if (creatable != WriteError::None)
        return fail(withCause("Ошибка при создании файла " + destination, creatable));

    // A keyed source without its key asks for it when a terminal can answer;
    // otherwise a file that does not load stops the merge, or is left out.
    const SourceFailure onFailure = [&](size_t index, const std::string&, int32_t status,
                                        std::string& fileKey) {
        const std::string& file = files[index + 1];
        if (status == StatusKeyMissing && keys.keyFor(file).empty() && keys.ask(file)) {
            fileKey = deriveFileKey(keys.keyFor(file));
            return SourceAnswer::Retry;
        }
        fail(file + ": " + oneLine(statusMessage(status, true)));
        if (ignoreFailed) fail(file + " is left out of the merge.");
        return ignoreFailed ? SourceAnswer::Ignore : SourceAnswer::Abort;
    };
    const MergeResult r = mergeFiles(sources, destination, options, onFailure);
    switch (r.outcome) {
    case MergeOutcome::Done:
        print("Объединение файлов завершено\n%lld records written, %lld repeats left out\n",
              static_cast<long long>(r.kept), static_cast<long long>(r.skipped));
        return r.ignored.empty() ? 0 : 1;
    case MergeOutcome::Aborted:
        return fail("Nothing was written.");
    case MergeOutcome::NoSources:
    case MergeOutcome::Cancelled:
    case MergeOutcome::SaveFailed:
        break;
    }
    return fail(withCause("Ошибка при сохранении базы, данные не были сохранены", r.cause));
}

CommandRegistrar reg(kTable, &runMerge);

} // namespace

} // namespace talsk::cli
