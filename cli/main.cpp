#include "cli/cli_util.h"
#include "cli/command.h"
#include "platform/journal.h"
#include "platform/terminal.h"

#include <cstdio>

#ifndef TALSK_VERSION
#error "TALSK_VERSION comes from the project's version in CMake"
#endif

namespace talsk::cli {

namespace {
std::vector<Command>& registry() {
    static std::vector<Command> list;
    return list;
}

void printUsage(FILE* out) {
    std::fprintf(out, "Usage: talsk-cli COMMAND [OPTIONS] [--] ARGUMENTS\n"
                      "       talsk-cli COMMAND --help\n"
                      "       talsk-cli --version\n\nCommands:\n");
    for (const Command& c : commands())
        std::fprintf(out, "  %s %s\n", c.table->name, c.table->synopsis);
    std::fprintf(out, "\nA key given with --key can be read by every local user in the process "
                      "list. Give it with --key-file FILE, or leave it out to be asked for it "
                      "when standard input is a terminal.\n");
}
} // namespace

CommandRegistrar::CommandRegistrar(const CommandTable& table, CommandFunction run) {
    registry().push_back(Command{&table, run});
}

const std::vector<Command>& commands() {
    return registry();
}

} // namespace talsk::cli

int main(int argc, char** argv) {
    using namespace talsk::cli;
    talsk::prepareStandardStreams();
    const std::vector<std::string> all = talsk::commandLineArguments(argc, argv);
    // A file opened by a command may first have a save cut short undone.
    talsk::setRecoveryReporter([](const std::string& path, talsk::Recovery what) {
        fail(path + (what == talsk::Recovery::RolledBack
                         ? ": a save that was cut short was undone; the file is as it was before it"
                         : ": a save that was cut short could not be undone (the file cannot be "
                           "written); it may be damaged"));
    });
    if (all.empty() || all[0] == "--help" || all[0] == "-h") {
        printUsage(all.empty() ? stderr : stdout);
        return all.empty() ? 1 : 0;
    }
    if (all[0] == "--version") {
        std::printf("talsk-cli %s\n", TALSK_VERSION);
        return 0;
    }
    const std::vector<std::string> args(all.begin() + 1, all.end());
    for (const Command& c : commands()) {
        if (all[0] != c.table->name) continue;
        ParsedArgs parsed;
        if (const int status = parseCommandArgs(*c.table, args, parsed); status >= 0) return status;
        return c.run(parsed);
    }
    return fail("unknown command '" + all[0] + "' (see talsk-cli --help)");
}
