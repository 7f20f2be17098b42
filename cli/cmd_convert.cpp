// talsk-cli convert: a base file of one version rewritten in another.

#include "base/base_file.h"
#include "base/file_info.h"
#include "base/load_status.h"
#include "cli/cli_util.h"
#include "cli/command.h"
#include "platform/cp1251.h"
#include "tools/convert.h"

#include <cstdio>

namespace talsk::cli {

namespace {

std::string fileTitle(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int runConvert(const std::vector<std::string>& args) {
    const char* usage = "usage: talsk-cli convert SRC DST --to 2.0|1.2 [--key TEXT] [--cut]";
    std::string key;
    std::string to;
    FieldCutting cutting = FieldCutting::Refuse;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--cut") {
            cutting = FieldCutting::Allow;
        } else if (args[i] == "--key" || args[i] == "--to") {
            if (i + 1 >= args.size()) return fail("option " + args[i] + " needs a value");
            (args[i] == "--key" ? key : to) = args[i + 1];
            ++i;
        } else if (!args[i].empty() && args[i][0] == '-') {
            return fail("unknown option " + args[i]);
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2 || to.empty()) return fail(usage);
    if (!typedKeyFits(key)) return fail(kKeyTooLong);
    uint16_t target = 0;
    if (to == "2.0")
        target = kVersion20;
    else if (to == "1.2")
        target = kVersion12;
    else
        return fail("--to must be 2.0 or 1.2");

    const std::string source = files[0];
    const std::string destination = files[1];
    const ConvertResult r =
        convertFileWithTypedKey(source, destination, target, utf8ToCp1251(key), {}, cutting);
    switch (r.outcome) {
    case ConvertOutcome::Done:
        std::printf("Конвертирование завершено\n");
        return 0;
    case ConvertOutcome::NothingToConvert: {
        PhoneBase info;
        (void)readFileInfo(source, info); // the version word is read even from a bad header
        return fail(files[0] + ": " + versionName(info.version) +
                    " cannot be converted to version " + to);
    }
    case ConvertOutcome::CannotOpen:
        return fail(withCause(files[0] + ": Ошибка при открытии файла", r.cause));
    case ConvertOutcome::CannotCreate:
        return fail(withCause("Ошибка при создании файла " + files[1], r.cause));
    case ConvertOutcome::CannotRead:
        return fail(files[0] + ": " + oneLine(statusMessage(r.status, true)));
    case ConvertOutcome::Damaged:
        return fail("Файл " + fileTitle(source) + " поврежден, продолжение невозможно");
    case ConvertOutcome::WouldCut:
        return fail(files[0] + ": " + oneLine(cutFieldsMessage(r.cut)) +
                    " Not converted: --cut converts with the fields cut.");
    case ConvertOutcome::SaveFailed:
        break;
    }
    return fail(withCause("Ошибка при сохранении файла", r.cause));
}

CommandRegistrar reg("convert", "convert SRC DST --to 2.0|1.2 [--key TEXT] [--cut]", &runConvert);

} // namespace

} // namespace talsk::cli
