// talsk-cli rekey: a version 2.0 base file gets a new key or loses its key.

#include "base/file_info.h"
#include "base/key_store.h"
#include "base/load_status.h"
#include "cli/cli_util.h"
#include "cli/command.h"
#include "cli/output.h"
#include "platform/cp1251.h"
#include "tools/rekey.h"

#include <cstdio>

namespace talsk::cli {

namespace {

const CommandTable kTable = {
    "rekey",
    "Gives a base file a new key or none.",
    "FILE [--key OLD | --key-file FILE] (--new-key NEW | --new-key-file FILE | --no-key)",
    "Gives a version 2.0 base file a new key, or writes it without key. A key the per-user key "
    "store remembers for FILE is replaced by the new one.",
    {{"--key", "OLD", false,
      "The file's present key as typed. Other local users can read it in the process list: "
      "prefer --key-file."},
     {"--key-file", "FILE", false, "Read the present key from the first line of FILE."},
     {"--new-key", "NEW", false,
      "The new key. Other local users can read it in the process list: prefer --new-key-file."},
     {"--new-key-file", "FILE", false, "Read the new key from the first line of FILE."},
     {"--no-key", nullptr, false, "Write the file without key."}},
    1,
    1};

int runRekey(const ParsedArgs& args) {
    std::string oldKey;
    std::string newKey;
    if (int status = typedKeyOption(args, "--key", oldKey); status >= 0) return status;
    if (int status = typedKeyOption(args, "--new-key", newKey); status >= 0) return status;
    const bool noKey = args.has("--no-key");
    const bool newKeyGiven = args.has("--new-key") || args.has("--new-key-file");
    const std::vector<std::string>& files = args.positional;
    if (noKey == newKeyGiven) return fail(usageLine(kTable), kUsageError);
    if (newKeyGiven && newKey.empty())
        return fail("--new-key needs a key; --no-key removes it", kUsageError);
    if (oldKey.empty()) {
        // A keyed file without its present key: ask for it when someone can answer.
        PhoneBase info;
        if (readFileInfo(files[0], info) && info.keyed) (void)askKeyOnTerminal(files[0], oldKey);
        if (!typedKeyFits(oldKey)) return fail(kKeyTooLong, kUsageError);
    }

    RekeyRequest request;
    request.path = files[0];
    request.oldKey = utf8ToCp1251(oldKey);
    request.newKeyUsed = newKeyGiven;
    request.newKey = utf8ToCp1251(newKey);
    const KeyStore store(KeyStore::defaultPath());
    const RekeyResult r = changeFileKey(nullptr, request, &store);
    switch (r.outcome) {
    case RekeyOutcome::Done:
        print("Ключ изменен\n");
        if (r.keysNotSaved != WriteError::None)
            return failKeyStore("the remembered key was not updated in", store.path(),
                                r.keysNotSaved);
        return 0;
    case RekeyOutcome::Incomplete:
        return fail(usageLine(kTable), kUsageError);
    case RekeyOutcome::NotValid:
    case RekeyOutcome::WrongVersion:
    case RekeyOutcome::CannotOpen:
        return fail(files[0] + ": " + oneLine(statusMessage(r.status, true)));
    case RekeyOutcome::WrongKey:
        return fail("Введен неверный ключ");
    case RekeyOutcome::SaveFailed:
        break;
    }
    return fail(withCause("Ошибка при сохранении базы, данные не были сохранены", r.cause));
}

CommandRegistrar reg(kTable, &runRekey);

} // namespace

} // namespace talsk::cli
