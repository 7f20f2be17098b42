// talsk-cli export: every record of a base file, one tab-separated line each.

#include "base/load_status.h"
#include "cli/base_loader.h"
#include "cli/cli_util.h"
#include "cli/command.h"

#include <cstdio>

namespace talsk::cli {

namespace {

int runExport(const std::vector<std::string>& args) {
    std::string key;
    std::string file;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--key") {
            if (i + 1 >= args.size())
                return fail("option --key needs the key text");
            key = args[++i];
        } else if (!args[i].empty() && args[i][0] == '-') {
            return fail("unknown option " + args[i]);
        } else if (file.empty()) {
            file = args[i];
        } else {
            return fail("only one file may be exported at a time");
        }
    }
    if (file.empty())
        return fail("usage: talsk-cli export [--key TEXT] FILE");
    PhoneBase base;
    if (!loadBaseFile(base, file, key)) {
        std::string message = statusMessage(base.status, false);
        closeBase(base);
        return fail(file + ": " + message);
    }
    for (int k = 0; k < kTableCount; ++k) {
        const BaseTable& t = base.tables[static_cast<size_t>(k)];
        for (int32_t i = 0; i < t.count; ++i) {
            std::string line = exportLine(static_cast<TableKind>(k), i, t);
            line += '\n';
            std::fwrite(line.data(), 1, line.size(), stdout);
        }
    }
    closeBase(base);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

CommandRegistrar reg("export", "export [--key TEXT] FILE", &runExport);

} // namespace

} // namespace talsk::cli
