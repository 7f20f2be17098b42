#include "cli/cli_util.h"
#include "cli/command.h"

#include <cstdio>
#include <cstring>

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
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 1 : 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("talsk-cli %s\n", TALSK_VERSION);
        return 0;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const Command& c : commands()) {
        if (std::strcmp(c.table->name, argv[1]) != 0) continue;
        ParsedArgs parsed;
        if (const int status = parseCommandArgs(*c.table, args, parsed); status >= 0) return status;
        return c.run(parsed);
    }
    return fail(std::string("unknown command '") + argv[1] + "' (see talsk-cli --help)");
}
