#include "cli/cli_util.h"
#include "cli/command.h"
#include "cli/output.h"
#include "platform/journal.h"
#include "platform/terminal.h"

#include <algorithm>
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

// One line per command within 80 columns; each command's --help and the
// manual page say the rest.
std::string usage() {
    std::string text = "Usage: talsk-cli COMMAND [OPTIONS] [--] ARGUMENTS\n"
                       "       talsk-cli help COMMAND | COMMAND --help\n"
                       "       talsk-cli --version\n\nCommands:\n";
    size_t width = 0;
    for (const Command& c : commands())
        width = std::max(width, std::strlen(c.table->name));
    for (const Command& c : commands()) {
        const std::string name = c.table->name;
        text += "  " + name + std::string(width + 2 - name.size(), ' ') + c.table->brief + "\n";
    }
    text += "\nExit status: 0 done, 1 failed, 2 wrong arguments.\n"
            "See man talsk-cli for the options and the examples.\n";
    return text;
}

const Command* findCommand(const std::string& name) {
    for (const Command& c : commands())
        if (name == c.table->name) return &c;
    return nullptr;
}

int unknownCommand(const std::string& name) {
    return fail("unknown command '" + name + "' (see talsk-cli --help)", kUsageError);
}

int run(const std::vector<std::string>& all) {
    if (all.empty()) {
        std::fputs(usage().c_str(), stderr);
        return kUsageError;
    }
    if (all[0] == "--help" || all[0] == "-h") {
        writeOut(usage());
        return 0;
    }
    if (all[0] == "--version") {
        print("talsk-cli %s\n", TALSK_VERSION);
        return 0;
    }
    if (all[0] == "help") {
        if (all.size() == 1) {
            writeOut(usage());
            return 0;
        }
        const Command* c = findCommand(all[1]);
        if (c == nullptr) return unknownCommand(all[1]);
        if (all.size() > 2) return fail("usage: talsk-cli help COMMAND", kUsageError);
        writeOut(commandHelp(*c->table));
        return 0;
    }
    const Command* c = findCommand(all[0]);
    if (c == nullptr) return unknownCommand(all[0]);
    ParsedArgs parsed;
    const std::vector<std::string> args(all.begin() + 1, all.end());
    if (const int status = parseCommandArgs(*c->table, args, parsed); status >= 0) return status;
    return c->run(parsed);
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
    return finishOutput(run(all));
}
