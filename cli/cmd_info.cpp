// talsk-cli info: what a base file holds and how it connects.

#include "base/base_file.h"
#include "base/file_info.h"
#include "base/load_status.h"
#include "cli/base_loader.h"
#include "cli/cli_util.h"
#include "cli/command.h"
#include "cli/output.h"
#include "platform/cp1251.h"

#include <cstdio>

namespace talsk::cli {

namespace {

// The earliest creation and the latest update over the tables that have records.
void baseDates(const PhoneBase& base, BaseDate& created, BaseDate& updated) {
    auto key = [](const BaseDate& d) { return d.year * 10000 + d.month * 100 + d.day; };
    created = updated = BaseDate{};
    if (!headerDescribesFile(base)) return;
    for (const BaseTable& t : base.tables) {
        if (t.count <= 0) continue;
        if (created.year == 0 || key(t.created) < key(created)) created = t.created;
        if (key(t.updated) > key(updated)) updated = t.updated;
    }
}

void printInfo(const std::string& path, PhoneBase& base) {
    print("path: %s\n", path.c_str());
    const bool headerRead = base.status != StatusNotFound && base.status != StatusCannotOpen &&
                            base.status != StatusNoData;
    print("version: %s\n", headerRead ? versionName(base.version) : "-");
    print("keyed: %d\n", base.keyed);
    print("status: %d\n", base.status);
    print("message: %s\n", oneLine(statusMessage(base.status, false, base.openCause)).c_str());
    const FileInfoTexts shown = fileInfoTexts(base);
    print("population: %s\n", shown.counts[0].c_str());
    print("organizations: %s\n", shown.counts[1].c_str());
    print("citycodes: %s\n", shown.counts[2].c_str());
    BaseDate created, updated;
    baseDates(base, created, updated);
    print("created: %s\n", formatBaseDate(created).c_str());
    print("updated: %s\n", formatBaseDate(updated).c_str());
    print("compression: %s\n", shown.ratio.c_str());
}

int runInfo(const ParsedArgs& args) {
    std::string key;
    if (int status = typedKeyOption(args, "--key", key); status >= 0) return status;
    const std::vector<std::string>& files = args.positional;
    int status = 0;
    for (size_t f = 0; f < files.size(); ++f) {
        if (f > 0) print("\n");
        PhoneBase base;
        if (!loadBaseFile(base, files[f], key)) {
            status = 1;
            fail(files[f] + ": " + loadFailure(base, "--key-file FILE"));
            // Older versions never connect, but their headers tell what they hold.
            if (base.status == StatusVersionMismatch) (void)readFileInfo(files[f], base);
        }
        printInfo(files[f], base);
        closeBase(base);
    }
    return status;
}

const CommandTable kTable = {
    "info",
    "Prints what base files hold and whether they connect.",
    "[--key TEXT | --key-file FILE] FILE...",
    "Prints, per file, its path, version, key, status, the three tables' counts, dates and "
    "compression ratio as name: value lines. Exits 1 when a file did not connect.",
    {kKeyOption, kKeyFileOption},
    1,
    kAnyCount};
CommandRegistrar reg(kTable, &runInfo);

} // namespace

} // namespace talsk::cli
