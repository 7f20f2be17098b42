// talsk-cli rekey: a version 2.0 base file gets a new key or loses its key.

#include "base/key_store.h"
#include "base/load_status.h"
#include "cli/cli_util.h"
#include "cli/command.h"
#include "platform/cp1251.h"
#include "tools/rekey.h"

#include <cstdio>

namespace talsk::cli {

namespace {

const char* const kUsage = "usage: talsk-cli rekey FILE [--key OLD] (--new-key NEW | --no-key)";

int runRekey(const std::vector<std::string>& args) {
    std::string oldKey;
    std::string newKey;
    bool noKey = false;
    bool newKeyGiven = false;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--no-key") {
            noKey = true;
        } else if (args[i] == "--key" || args[i] == "--new-key") {
            if (i + 1 >= args.size()) return fail("option " + args[i] + " needs a value");
            if (args[i] == "--new-key") newKeyGiven = true;
            (args[i] == "--key" ? oldKey : newKey) = args[i + 1];
            ++i;
        } else if (!args[i].empty() && args[i][0] == '-') {
            return fail("unknown option " + args[i]);
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 1 || noKey == newKeyGiven) return fail(kUsage);
    if (newKeyGiven && newKey.empty()) return fail("--new-key needs a key; --no-key removes it");
    if (!typedKeyFits(oldKey) || !typedKeyFits(newKey)) return fail(kKeyTooLong);

    RekeyRequest request;
    request.path = files[0];
    request.oldKey = utf8ToCp1251(oldKey);
    request.newKeyUsed = newKeyGiven;
    request.newKey = utf8ToCp1251(newKey);
    const KeyStore store(KeyStore::defaultPath());
    const RekeyResult r = changeFileKey(nullptr, request, &store);
    switch (r.outcome) {
    case RekeyOutcome::Done:
        std::printf("Ключ изменен\n");
        if (r.keysNotSaved != WriteError::None)
            return fail(
                withCause("the remembered key was not updated in " + store.path(), r.keysNotSaved));
        return 0;
    case RekeyOutcome::Incomplete:
        return fail(kUsage);
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

CommandRegistrar reg("rekey", "rekey FILE [--key OLD] (--new-key NEW | --no-key)", &runRekey);

} // namespace

} // namespace talsk::cli
