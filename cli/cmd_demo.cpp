// talsk-cli demo: writes the bundled demo base files of the town.

#include "base/base_file.h"
#include "base/cipher.h"
#include "cli/cli_util.h"
#include "cli/command.h"
#include "cli/output.h"
#include "platform/cp1251.h"
#include "platform/file.h"
#include "tools/dbf_demo.h"
#include "tools/demo_data.h"

#include <cerrno>
#include <cstring>

namespace talsk::cli {

namespace {

const char* const kDemoFiles[] = {"talsk.btn", "talsk-keyed.btn", "nasel.dbf", "predp.dbf",
                                  "gorod.dbf"};

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
        failWrite(base.path, cause);
        closeBase(base);
        return false;
    }
    print("%s: %d residents, %d organization records, %d city codes\n", base.path.c_str(),
          base.tables[0].count, base.tables[1].count, base.tables[2].count);
    closeBase(base);
    return true;
}

const CommandTable kTable = {
    "demo",
    "Writes the demo base files and dBASE tables into a folder.",
    "DIR [--residents N] [--organizations N] [--citycodes N] [--seed S] [--force]",
    "Writes the deterministic demo files talsk.btn and talsk-keyed.btn (key \"тальск\") and "
    "the dBASE tables nasel.dbf, predp.dbf and gorod.dbf into the folder DIR, made when missing. "
    "Existing files are replaced only with --force.",
    {{"--residents", "N", false, "Residents in talsk.btn (0 to 5000000)."},
     {"--organizations", "N", false, "Organization records in talsk.btn (0 to 5000000)."},
     {"--citycodes", "N", false, "City codes in talsk.btn (0 to 100000)."},
     {"--seed", "S", false, "The seed of the generated records (0 to 4294967295)."},
     kForceOption},
    1,
    1};

// A numeric option from 0 to max into value; false after a message.
bool number(const ParsedArgs& args, const char* name, long long max, long long& value) {
    if (!args.has(name)) return true;
    if (parseInt(args.value(name), value) && value >= 0 && value <= max) return true;
    fail(std::string("option ") + name + " needs a number from 0 to " + std::to_string(max));
    return false;
}

int runDemo(const ParsedArgs& args) {
    DemoOptions options;
    long long residents = options.residents, organizations = options.organizations,
              cityCodes = options.cityCodes, seed = options.seed;
    if (!number(args, "--residents", 5000000, residents) ||
        !number(args, "--organizations", 5000000, organizations) ||
        !number(args, "--citycodes", 100000, cityCodes) ||
        !number(args, "--seed", 4294967295LL, seed))
        return kUsageError;
    options.residents = static_cast<int32_t>(residents);
    options.organizations = static_cast<int32_t>(organizations);
    options.cityCodes = static_cast<int32_t>(cityCodes);
    options.seed = static_cast<uint32_t>(seed);
    const std::string& folder = args.positional[0];
    const std::string cpFolder = folder;
    FileAttributes a = fileSystem().attributes(cpFolder);
    if (a.exists && !a.directory) return fail(folder + ": not a folder");
    errno = 0;
    if (!a.exists && !makeFolders(cpFolder, false))
        return fail("cannot make the folder " + folder +
                    (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string()));
    bool refused = false;
    for (const char* name : kDemoFiles)
        refused = !mayReplace(joinPath(cpFolder, name), args) || refused;
    if (refused) return 1;
    if (!writeDemo(cpFolder, "talsk.btn", options, "")) return 1;
    DemoOptions keyed;
    keyed.residents = 500;
    keyed.organizations = 0;
    keyed.cityCodes = 0;
    keyed.seed = options.seed + 1;
    if (!writeDemo(cpFolder, "talsk-keyed.btn", keyed, "тальск")) return 1;
    // Sample tables for the dBASE import.
    std::string failed;
    WriteError cause = WriteError::None;
    if (!writeDemoDbfTables(cpFolder, options.seed, failed, &cause))
        return failWrite(failed, cause);
    print("%s: nasel.dbf, predp.dbf, gorod.dbf\n", folder.c_str());
    return 0;
}

CommandRegistrar reg(kTable, &runDemo);

} // namespace

} // namespace talsk::cli
