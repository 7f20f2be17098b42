#include "cli/options.h"

#include "cli/cli_util.h"
#include "cli/output.h"

#include <algorithm>

namespace talsk::cli {

std::string ParsedArgs::value(const std::string& name) const {
    auto it = values_.find(name);
    return it == values_.end() ? std::string() : it->second.back();
}

const std::vector<std::string>& ParsedArgs::values(const std::string& name) const {
    static const std::vector<std::string> none;
    auto it = values_.find(name);
    return it == values_.end() ? none : it->second;
}

std::string usageLine(const CommandTable& table) {
    return std::string("usage: talsk-cli ") + table.name + " " + table.synopsis;
}

std::string commandHelp(const CommandTable& table) {
    std::string text = usageLine(table) + "\n\n" + table.summary + "\n";
    std::vector<std::pair<std::string, std::string>> rows;
    for (const OptionEntry& o : table.options)
        rows.emplace_back(std::string(o.name) + (o.value ? std::string(" ") + o.value : ""),
                          o.help);
    rows.emplace_back("-h, --help", "Print this help.");
    size_t width = 0;
    for (const auto& row : rows)
        width = std::max(width, row.first.size());
    text += "\nOptions:\n";
    for (const auto& row : rows)
        text += "  " + row.first + std::string(width - row.first.size(), ' ') + "  " + row.second +
                "\n";
    return text;
}

int parseCommandArgs(const CommandTable& table, const std::vector<std::string>& args,
                     ParsedArgs& parsed) {
    const std::string seeHelp = std::string(" (see talsk-cli ") + table.name + " --help)";
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            writeOut(commandHelp(table));
            return 0;
        }
        const size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        auto found = std::find_if(table.options.begin(), table.options.end(),
                                  [&](const OptionEntry& o) { return name == o.name; });
        if (found == table.options.end())
            return fail("unknown option " + name + seeHelp, kUsageError);
        const OptionEntry& option = *found;
        if (!option.repeatable && parsed.has(name))
            return fail("option " + name + " may be given only once", kUsageError);
        if (!option.value) {
            if (eq != std::string::npos)
                return fail("option " + name + " takes no value", kUsageError);
            parsed.add(name, {});
        } else if (eq != std::string::npos) {
            parsed.add(name, arg.substr(eq + 1));
        } else if (i + 1 < args.size()) {
            parsed.add(name, args[++i]);
        } else {
            return fail("option " + name + " needs " + option.value + seeHelp, kUsageError);
        }
    }
    const size_t n = parsed.positional.size();
    if (n < table.minPositional || n > table.maxPositional)
        return fail(usageLine(table), kUsageError);
    return -1;
}

} // namespace talsk::cli
