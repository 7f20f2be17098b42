// talsk-cli merge: base files joined into one new file, optionally without
// repeated records.

#include "base/cipher.h"
#include "base/load_status.h"
#include "cli/cli_util.h"
#include "cli/command.h"
#include "platform/cp1251.h"
#include "tools/destination.h"
#include "tools/merge.h"

#include <cstdio>

namespace talsk::cli {

namespace {

constexpr const char* kUsage = "merge DST SRC... [--key SRC=TEXT]... [--repeats same|phone] "
                               "[--new-key TEXT] [--ignore-failed]";

int runMerge(const std::vector<std::string>& args) {
    KeyOptions keys;
    MergeOptions options;
    bool ignoreFailed = false;
    std::vector<std::string> files;
    std::string error;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--ignore-failed") {
            ignoreFailed = true;
            continue;
        }
        if (a == "--key" || a == "--repeats" || a == "--new-key") {
            if (i + 1 >= args.size()) return fail("option " + a + " needs a value");
            const std::string& v = args[++i];
            if (a == "--key") {
                if (!parseKeyOption(v, keys, error)) return fail(error);
            } else if (a == "--repeats") {
                if (v == "same")
                    options.repeats = MergeRepeats::SameRecord;
                else if (v == "phone")
                    options.repeats = MergeRepeats::SamePhone;
                else
                    return fail("--repeats must be same or phone");
            } else {
                if (!typedKeyFits(v)) return fail(kKeyTooLong);
                options.newFileKey = v.empty() ? std::string() : deriveFileKey(utf8ToCp1251(v));
            }
        } else if (!a.empty() && a[0] == '-') {
            return fail("unknown option " + a);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() < 2) return fail(std::string("usage: talsk-cli ") + kUsage);
    if (files.size() - 1 > kMaxMergeSources) return fail("at most 16 files can be merged");

    std::vector<MergeSource> sources;
    for (size_t i = 1; i < files.size(); ++i) {
        const std::string typed = keys.keyFor(files[i]);
        sources.push_back({files[i], typed.empty() ? typed : deriveFileKey(typed)});
    }
    const std::string destination = files[0];
    const WriteError creatable = checkDestination(destination);
    if (creatable != WriteError::None)
        return fail(withCause("Ошибка при создании файла " + files[0], creatable));

    // Nobody to ask: a file that does not load stops the merge, or is left out.
    const SourceFailure onFailure = [&](size_t index, const std::string&, int32_t status,
                                        std::string&) {
        fail(files[index + 1] + ": " + oneLine(statusMessage(status, true)) +
             (ignoreFailed ? " Left out." : ""));
        return ignoreFailed ? SourceAnswer::Ignore : SourceAnswer::Abort;
    };
    const MergeResult r = mergeFiles(sources, destination, options, onFailure);
    switch (r.outcome) {
    case MergeOutcome::Done:
        std::printf("Объединение файлов завершено\n%lld records written, %lld repeats left out\n",
                    static_cast<long long>(r.kept), static_cast<long long>(r.skipped));
        return r.ignored.empty() ? 0 : 1;
    case MergeOutcome::Aborted:
        return fail("Nothing written.");
    case MergeOutcome::NoSources:
    case MergeOutcome::Cancelled:
    case MergeOutcome::SaveFailed:
        break;
    }
    return fail(withCause("Ошибка при сохранении базы, данные не были сохранены", r.cause));
}

CommandRegistrar reg("merge", kUsage, &runMerge);

} // namespace

} // namespace talsk::cli
