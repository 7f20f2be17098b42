#pragma once
// Helpers shared by the talsk-cli commands: messages, paths, keys, the
// export line format.

#include "base/records.h"
#include "cli/options.h"
#include "platform/write_error.h"

#include <map>
#include <string>
#include <vector>

namespace talsk::cli {

// Prints "talsk-cli: message" on stderr; returns 1 (or the given status).
int fail(const std::string& message, int status = 1);
// A message of several lines on one line, for the terminal's one-line reports.
std::string oneLine(std::string text);
// "message: cause" when a cause is known, else the message alone. The cause
// is the program's own text, so the message must be one of the program's too.
std::string withCause(const std::string& message, WriteError cause);

// A base file (UTF-8 path) that could not be written, with the cause.
int failWrite(const std::string& utf8Path, WriteError cause);

// The key store (at a core path) that could not be written: what was not
// done ("the keys were not saved in"), then the cause on its own line.
int failKeyStore(const std::string& what, const std::string& storePath, WriteError cause);

// A file a command would write anew: true when it is missing, a folder (its
// save says why it fails) or --force was given; otherwise false after a
// message naming it.
bool mayReplace(const std::string& utf8Path, const ParsedArgs& args);
extern const OptionEntry kForceOption;

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

// The longest line exportLine can write, and a '\r' an editor may add: the
// longest table name, a record index, tabs, and every field at its limit
// with each character at its longest, three UTF-8 bytes (an escape takes two).
constexpr size_t longestExportLine() {
    size_t characters = 0;
    for (int k = 1; k <= kFieldCount; ++k)
        characters += static_cast<size_t>(kFieldMax[static_cast<size_t>(k)]);
    const size_t tableName = sizeof "organizations" - 1;
    const size_t index = 10; // digits of the largest int32_t
    return tableName + 1 + index + kFieldCount + characters * 3 + 1;
}

// The options of a command on one base file: [--key TEXT | --key-file FILE]
// [--version 2.0|1.2] FILE.
struct FileCommandOptions {
    std::string key; // typed, UTF-8
    bool version12 = false;
    std::string file; // UTF-8
};
// Returns -1, or the exit status after printing why the arguments do not fit.
int fileCommandOptions(const ParsedArgs& args, FileCommandOptions& options);
extern const OptionEntry kVersionOption;

// The typed key (UTF-8) of --key TEXT or --key-file FILE (the file's first
// line); `keyOption` names the pair, "--key" or "--new-key". Returns -1, or
// the exit status after a message.
int typedKeyOption(const ParsedArgs& args, const std::string& keyOption, std::string& typedUtf8);
// The first line of a key file, without its line end; false with a message
// on stderr when it cannot be read.
bool readKeyFile(const std::string& utf8Path, std::string& typedUtf8);
// Asks for the key of a file on the terminal, without echo. False when
// standard input is not a terminal or nothing was typed.
bool askKeyOnTerminal(const std::string& shownFile, std::string& typedUtf8);

// Key options of the form FILE=TEXT, as given (UTF-8 FILE, typed key TEXT).
struct KeyOptions {
    std::map<std::string, std::string> byFile; // file name as listed -> typed key (cp1251)
    // The typed key (cp1251) for a file listed as `file`, or empty.
    std::string keyFor(const std::string& file) const;
    // Asks on the terminal for the key of a file without one; the answer is
    // kept for the file. False when nothing could be asked or typed.
    bool ask(const std::string& file);
};
// Takes FILE=TEXT; on failure `error` says why.
bool parseKeyOption(const std::string& value, KeyOptions& keys, std::string& error);
// Every --key FILE=TEXT and --key-file FILE=KEYFILE of a command. Returns -1,
// or the exit status after a message.
int keyOptions(const ParsedArgs& args, KeyOptions& keys);
extern const OptionEntry kFileKeyOption;
extern const OptionEntry kFileKeyFileOption;
// Warns about keys given for files that the command does not read.
void warnUnusedKeys(const KeyOptions& keys, const std::vector<std::string>& files);

// The program's key boxes take at most 32 characters, so a longer key could
// never be typed there: every command refuses it alike.
bool typedKeyFits(const std::string& utf8Key);
extern const char* const kKeyTooLong;

} // namespace talsk::cli
