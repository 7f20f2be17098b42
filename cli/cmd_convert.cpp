// talsk-cli convert: a base file of one version rewritten in another.

#include "base/base_file.h"
#include "base/file_info.h"
#include "base/load_status.h"
#include "cli/cli_util.h"
#include "cli/command.h"
#include "cli/output.h"
#include "platform/cp1251.h"
#include "tools/convert.h"
#include "tools/destination.h"

#include <cstdio>

namespace talsk::cli {

namespace {

const CommandTable kTable = {
    "convert",
    "Rewrites a base file in another version (2.0 or 1.2).",
    "SRC DST --to 2.0|1.2 [--key TEXT | --key-file FILE] [--cut]",
    "Rewrites a base file in another version (1.0 -> 1.2, 1.0 -> 2.0, 1.2 -> 2.0, 2.0b -> 2.0, "
    "2.0 -> 1.2). SRC and DST may be the same file. A keyed file keeps its key.",
    {{"--to", "2.0|1.2", false, "The version to write."},
     kKeyOption,
     kKeyFileOption,
     {"--cut", nullptr, false,
      "Cut the fields that version 1.2 cannot hold instead of refusing to convert."}},
    2,
    2};

std::string fileTitle(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The version number of a version word, as --to takes it.
std::string versionNumber(uint16_t version) {
    switch (version) {
    case kVersion20:
        return "2.0";
    case kVersion20b:
        return "2.0b";
    case kVersion10a:
    case kVersion10b:
        return "1.0";
    case kVersion12:
        return "1.2";
    default:
        return "unknown";
    }
}

int runConvert(const ParsedArgs& args) {
    std::string key;
    if (int status = typedKeyOption(args, "--key", key); status >= 0) return status;
    const FieldCutting cutting = args.has("--cut") ? FieldCutting::Allow : FieldCutting::Refuse;
    const std::vector<std::string>& files = args.positional;
    const std::string to = args.value("--to");
    if (!args.has("--to")) return fail(usageLine(kTable), kUsageError);
    uint16_t target = 0;
    if (to == "2.0")
        target = kVersion20;
    else if (to == "1.2")
        target = kVersion12;
    else
        return fail("--to must be 2.0 or 1.2", kUsageError);

    const std::string source = files[0];
    const std::string destination = withBaseExtension(files[1]);
    if (key.empty()) {
        // A keyed source without a key: ask for it when someone can answer.
        PhoneBase info;
        if (readFileInfo(source, info) && info.keyed) (void)askKeyOnTerminal(files[0], key);
        if (!typedKeyFits(key)) return fail(kKeyTooLong, kUsageError);
    }
    const ConvertResult r =
        convertFileWithTypedKey(source, destination, target, utf8ToCp1251(key), {}, cutting);
    switch (r.outcome) {
    case ConvertOutcome::Done:
        print("Конвертирование завершено\n");
        return 0;
    case ConvertOutcome::NothingToConvert: {
        PhoneBase info;
        (void)readFileInfo(source, info); // the version word is read even from a bad header
        return fail(files[0] + ": a file of version " + versionNumber(info.version) +
                    " cannot be converted to version " + to + ".");
    }
    case ConvertOutcome::CannotOpen:
        return fail(withCause(files[0] + ": Ошибка при открытии файла", r.cause));
    case ConvertOutcome::CannotCreate:
        return fail(withCause("Ошибка при создании файла " + destination, r.cause));
    case ConvertOutcome::CannotRead:
        return fail(files[0] + ": " + oneLine(statusMessage(r.status, true, r.cause)));
    case ConvertOutcome::Damaged:
        return fail("Файл " + fileTitle(source) + " поврежден, продолжение невозможно");
    case ConvertOutcome::WouldCut: {
        // The window's question ends the message; here --cut is the answer.
        std::string message = cutFieldsMessage(r.cut);
        message.erase(message.rfind('\n'));
        fail(files[0] + ": " + oneLine(message));
        return fail("Nothing was converted: --cut converts with these fields cut.");
    }
    case ConvertOutcome::SaveFailed:
        break;
    }
    return fail(withCause("Ошибка при сохранении файла", r.cause));
}

CommandRegistrar reg(kTable, &runConvert);

} // namespace

} // namespace talsk::cli
