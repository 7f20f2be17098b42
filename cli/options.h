#pragma once
// One option table per command: every command parses its arguments, reports
// a wrong one and prints its help the same way.

#include <map>
#include <string>
#include <vector>

namespace talsk::cli {

struct OptionEntry {
    const char* name;  // "--key"
    const char* value; // the value's placeholder ("TEXT"), or nullptr for a flag
    bool repeatable;
    const char* help;
};

struct CommandTable {
    const char* name;
    const char* brief;    // one line for the list of commands
    const char* synopsis; // what follows the command's name on its usage line
    const char* summary;  // one or more sentences on what it does
    std::vector<OptionEntry> options;
    size_t minPositional;
    size_t maxPositional;
};

constexpr size_t kAnyCount = static_cast<size_t>(-1);

// The arguments of one command as its table reads them.
class ParsedArgs {
public:
    std::vector<std::string> positional;

    bool has(const std::string& name) const { return values_.count(name) != 0; }
    // The value given (the last one when repeated), or empty.
    std::string value(const std::string& name) const;
    // Every value given, in order.
    const std::vector<std::string>& values(const std::string& name) const;
    void add(const std::string& name, const std::string& value) { values_[name].push_back(value); }

private:
    std::map<std::string, std::vector<std::string>> values_;
};

// Parses the arguments after the command's name. "-h" and "--help" print the
// command's help on stdout; "--" ends the options; "--name=value" is taken
// like "--name value". Returns -1 when the command is to run, else the exit
// status (0 after the help, kUsageError after a message on stderr).
int parseCommandArgs(const CommandTable& table, const std::vector<std::string>& args,
                     ParsedArgs& parsed);

// The exit status of arguments that do not fit a command; 1 stays for
// failures of the work itself.
constexpr int kUsageError = 2;

// "usage: talsk-cli NAME SYNOPSIS".
std::string usageLine(const CommandTable& table);
std::string commandHelp(const CommandTable& table);

// The options every command that reads one keyed file shares.
inline constexpr OptionEntry kKeyOption = {
    "--key", "TEXT", false,
    "The key as typed in the program. Other local users can read it in the process list: "
    "prefer --key-file, or leave the key out and type it when asked."};
inline constexpr OptionEntry kKeyFileOption = {"--key-file", "FILE", false,
                                               "Read the key from the first line of FILE."};

} // namespace talsk::cli
