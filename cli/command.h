#pragma once
// The commands of talsk-cli. Each command lives in its own file and registers
// itself with a static CommandRegistrar.

#include <string>
#include <vector>

namespace talsk::cli {

// Arguments after the command name, as UTF-8 from the terminal. Returns the
// exit status.
using CommandFunction = int (*)(const std::vector<std::string>& args);

struct Command {
    const char* name;
    const char* usage;
    CommandFunction run;
};

struct CommandRegistrar {
    CommandRegistrar(const char* name, const char* usage, CommandFunction run);
};

const std::vector<Command>& commands();

} // namespace talsk::cli
