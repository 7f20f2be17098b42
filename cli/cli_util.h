#pragma once
// Helpers shared by the talsk-cli commands: messages, option parsing, the
// export line format and loading a file for a command.

#include "base/records.h"
#include "platform/write_error.h"

#include <map>
#include <string>
#include <vector>

namespace talsk::cli {

// Prints "talsk-cli: message" on stderr; returns 1 (or the given status).
int fail(const std::string& message, int status = 1);
// A message of several lines on one line, for the terminal's one-line reports.
std::string oneLine(std::string text);
// "message: cause" when a cause is known, else the message alone.
std::string withCause(const std::string& message, WriteError cause);

// Parses a whole decimal number; false on anything else.
bool parseInt(const std::string& text, long long& value);

// The table names of the export format, by TableKind.
const char* tableName(TableKind kind);
bool tableFromName(const std::string& name, TableKind& kind);

// Escapes tab, newline and backslash as \t, \n and \\ (Windows-1251 in, UTF-8 out).
std::string escapeField(const char* cp1251);
// The reverse; false on a bad escape.
bool unescapeField(const std::string& utf8, std::string& cp1251);
// Splits a line at tabs.
std::vector<std::string> splitTabs(const std::string& line);

// "population\t12\t<seven fields>" for record i of a table.
std::string exportLine(TableKind kind, int32_t i, const BaseTable& table);

// The options of a command on one base file: [--key TEXT] [--version 2.0|1.2] FILE.
struct FileCommandOptions {
    std::string key; // typed, UTF-8
    bool version12 = false;
    std::string file; // UTF-8
};
// Returns 0, or the exit status after printing why the arguments do not fit.
int parseFileCommand(const std::vector<std::string>& args, const char* usage,
                     FileCommandOptions& options);

// Key options of the form FILE=TEXT, as given (UTF-8 FILE, typed key TEXT).
struct KeyOptions {
    std::map<std::string, std::string> byFile; // file name as listed -> typed key (cp1251)
    // The typed key (cp1251) for a file listed as `file`, or empty.
    std::string keyFor(const std::string& file) const;
};
// Takes FILE=TEXT; on failure `error` says why.
bool parseKeyOption(const std::string& value, KeyOptions& keys, std::string& error);

// The program's key boxes take at most 32 characters, so a longer key could
// never be typed there: every command refuses it alike.
bool typedKeyFits(const std::string& utf8Key);
extern const char* const kKeyTooLong;

} // namespace talsk::cli
