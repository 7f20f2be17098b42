// talsk-cli import: a new version 2.0 base file from lines of the export format.

#include "base/base_file.h"
#include "base/cipher.h"
#include "base/table_builder.h"
#include "cli/cli_util.h"
#include "cli/command.h"
#include "platform/cp1251.h"

#include <cstring>
#include <iostream>
#include <string>

namespace talsk::cli {

namespace {

const char* const kFieldNames[] = {"",     "phone",        "name",   "street",
                                   "house", "unit", "organization", "comment"};

int runImport(const std::vector<std::string>& args) {
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
            return fail("only one file may be written at a time");
        }
    }
    if (file.empty())
        return fail("usage: talsk-cli import [--key TEXT] FILE < records");

    TableBuilder builders[kTableCount];
    std::string line;
    long lineNo = 0;
    RecordFields fields;
    while (std::getline(std::cin, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        const std::string where = "line " + std::to_string(lineNo) + ": ";
        std::vector<std::string> parts = splitTabs(line);
        if (parts.size() != 2 + kFieldCount)
            return fail(where + "expected 9 tab-separated columns, found " + std::to_string(parts.size()));
        TableKind kind;
        if (!tableFromName(parts[0], kind))
            return fail(where + "unknown table '" + parts[0] + "'");
        fields.clear();
        for (int k = 1; k <= kFieldCount; ++k) {
            std::string text;
            if (!unescapeField(parts[static_cast<size_t>(k) + 1], text))
                return fail(where + "bad escape in field " + kFieldNames[k]);
            if (text.size() > static_cast<size_t>(kFieldMax[k]))
                return fail(where + "field " + kFieldNames[k] + " is longer than " +
                            std::to_string(kFieldMax[k]) + " characters");
            if (std::memchr(text.data(), '\0', text.size()) != nullptr)
                return fail(where + "field " + kFieldNames[k] + " holds a zero byte");
            fields.set(k, text.c_str());
        }
        builders[static_cast<int>(kind)].add(fields);
    }

    PhoneBase base;
    base.path = utf8ToCp1251(file);
    if (!key.empty()) {
        base.keyed = 1;
        base.key = deriveFileKey(utf8ToCp1251(key));
    }
    const BaseDate date = todayBaseDate();
    for (int k = 0; k < kTableCount; ++k)
        if (!builders[k].install(base.tables[static_cast<size_t>(k)], date))
            return fail("not enough memory for the records");
    if (!saveBase(base, kMaskAllTables)) {
        closeBase(base);
        return fail("cannot write " + file);
    }
    std::printf("%s: %d population, %d organizations, %d citycodes\n", file.c_str(),
                base.tables[0].count, base.tables[1].count, base.tables[2].count);
    closeBase(base);
    return 0;
}

CommandRegistrar reg("import", "import [--key TEXT] FILE < records", &runImport);

} // namespace

} // namespace talsk::cli
