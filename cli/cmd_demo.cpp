// talsk-cli demo: writes the bundled demo base files of the town.

#include "base/base_file.h"
#include "base/cipher.h"
#include "cli/cli_util.h"
#include "cli/command.h"
#include "platform/cp1251.h"
#include "tools/dbf_demo.h"
#include "tools/demo_data.h"

#include <cstdio>

namespace talsk::cli {

namespace {

bool writeDemo(const std::string& folder, const char* name, const DemoOptions& options,
               const std::string& typedKey) {
    PhoneBase base;
    base.path = joinPath(folder, name);
    if (!typedKey.empty()) {
        base.keyed = 1;
        base.key = deriveFileKey(utf8ToCp1251(typedKey));
    }
    WriteError cause = WriteError::None;
    if (!fillDemoBase(base, options) || !saveBase(base, kMaskAllTables, &cause)) {
        fail(withCause("cannot write " + base.path, cause));
        closeBase(base);
        return false;
    }
    std::printf("%s: %d residents, %d organization records, %d city codes\n", base.path.c_str(),
                base.tables[0].count, base.tables[1].count, base.tables[2].count);
    closeBase(base);
    return true;
}

int runDemo(const std::vector<std::string>& args) {
    std::string folder;
    DemoOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        long long value = 0;
        auto number = [&](const char* what, long long max) {
            if (i + 1 >= args.size() || !parseInt(args[i + 1], value) || value < 0 || value > max) {
                fail(std::string("option ") + what + " needs a number from 0 to " +
                     std::to_string(max));
                return false;
            }
            ++i;
            return true;
        };
        if (a == "--residents") {
            if (!number("--residents", 5000000)) return 1;
            options.residents = static_cast<int32_t>(value);
        } else if (a == "--organizations") {
            if (!number("--organizations", 5000000)) return 1;
            options.organizations = static_cast<int32_t>(value);
        } else if (a == "--citycodes") {
            if (!number("--citycodes", 100000)) return 1;
            options.cityCodes = static_cast<int32_t>(value);
        } else if (a == "--seed") {
            if (!number("--seed", 4294967295LL)) return 1;
            options.seed = static_cast<uint32_t>(value);
        } else if (!a.empty() && a[0] == '-') {
            return fail("unknown option " + a);
        } else if (folder.empty()) {
            folder = a;
        } else {
            return fail("only one folder may be given");
        }
    }
    if (folder.empty())
        return fail("usage: talsk-cli demo DIR [--residents N] [--organizations N] [--citycodes N] "
                    "[--seed S]");
    const std::string cpFolder = folder;
    FileAttributes a = fileSystem().attributes(cpFolder);
    if (!a.exists || !a.directory) return fail("no such folder: " + folder);
    if (!writeDemo(cpFolder, "talsk.btn", options, "")) return 1;
    DemoOptions keyed;
    keyed.residents = 500;
    keyed.organizations = 0;
    keyed.cityCodes = 0;
    keyed.seed = options.seed + 1;
    if (!writeDemo(cpFolder, "talsk-keyed.btn", keyed, "тальск")) return 1;
    // Sample tables for the dBASE import.
    std::string failed;
    if (!writeDemoDbfTables(cpFolder, options.seed, failed)) return fail("cannot write " + failed);
    std::printf("%s: nasel.dbf, predp.dbf, gorod.dbf\n", folder.c_str());
    return 0;
}

CommandRegistrar reg("demo",
                     "demo DIR [--residents N] [--organizations N] [--citycodes N] [--seed S]",
                     &runDemo);

} // namespace

} // namespace talsk::cli
