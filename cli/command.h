#pragma once
// The commands of talsk-cli. Each command lives in its own file and registers
// itself, with its option table, through a static CommandRegistrar.

#include "cli/options.h"

#include <string>
#include <vector>

namespace talsk::cli {

// Runs a command on its parsed arguments (UTF-8 from the terminal). Returns
// the exit status.
using CommandFunction = int (*)(const ParsedArgs& args);

struct Command {
    const CommandTable* table;
    CommandFunction run;
};

struct CommandRegistrar {
    CommandRegistrar(const CommandTable& table, CommandFunction run);
};

const std::vector<Command>& commands();

} // namespace talsk::cli
