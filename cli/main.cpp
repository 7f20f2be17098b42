#include "cli/cli_util.h"
#include "cli/command.h"

#include <cstdio>
#include <cstring>

namespace talsk::cli {

namespace {
std::vector<Command>& registry() {
    static std::vector<Command> list;
    return list;
}

void printUsage(FILE* out) {
    std::fprintf(out, "Usage: talsk-cli COMMAND [OPTIONS]\n\nCommands:\n");
    for (const Command& c : commands())
        std::fprintf(out, "  %s\n", c.usage);
}
} // namespace

CommandRegistrar::CommandRegistrar(const char* name, const char* usage, CommandFunction run) {
    registry().push_back(Command{name, usage, run});
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
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const Command& c : commands())
        if (std::strcmp(c.name, argv[1]) == 0) return c.run(args);
    return fail(std::string("unknown command '") + argv[1] + "' (see talsk-cli --help)");
}
