#include "cli/cli_util.h"

#include "cli/line_reader.h"
#include "platform/cp1251.h"
#include "platform/file.h"
#include "platform/terminal.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace talsk::cli {

std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\n') c = ' ';
    return text;
}

int fail(const std::string& message, int status) {
    std::fprintf(stderr, "talsk-cli: %s\n", message.c_str());
    return status;
}

std::string withCause(const std::string& message, WriteError cause) {
    if (cause == WriteError::None) return message;
    return message + ": " + writeErrorText(cause);
}

int failWrite(const std::string& utf8Path, WriteError cause) {
    return fail(withCause("Ошибка при сохранении файла " + utf8Path, cause));
}

int failKeyStore(const std::string& what, const std::string& storePath, WriteError cause) {
    fail(what + " " + storePath + ".");
    return fail(storePath + ": " + writeErrorText(cause));
}

const OptionEntry kForceOption = {"--force", nullptr, false, "Replace files that exist."};

bool mayReplace(const std::string& utf8Path, const ParsedArgs& args) {
    const FileAttributes a = fileSystem().attributes(utf8Path);
    if (!a.exists || a.directory || args.has("--force")) return true;
    fail(utf8Path + " exists; give --force to replace it");
    return false;
}

bool parseInt(const std::string& text, long long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end == nullptr || *end != '\0') return false;
    value = v;
    return true;
}

const char* tableName(TableKind kind) {
    switch (kind) {
    case TableKind::Population:
        return "population";
    case TableKind::Organizations:
        return "organizations";
    default:
        return "citycodes";
    }
}

bool tableFromName(const std::string& name, TableKind& kind) {
    for (int k = 0; k < kTableCount; ++k)
        if (name == tableName(static_cast<TableKind>(k))) {
            kind = static_cast<TableKind>(k);
            return true;
        }
    return false;
}

std::string escapeField(const char* cp1251) {
    std::string raw;
    for (const char* p = cp1251; *p; ++p) {
        switch (*p) {
        case '\t':
            raw += "\\t";
            break;
        case '\n':
            raw += "\\n";
            break;
        case '\\':
            raw += "\\\\";
            break;
        default:
            raw += *p;
        }
    }
    return cp1251ToUtf8(raw);
}

bool unescapeField(const std::string& utf8, std::string& cp1251) {
    std::string raw;
    for (size_t i = 0; i < utf8.size(); ++i) {
        char c = utf8[i];
        if (c != '\\') {
            raw += c;
            continue;
        }
        if (i + 1 >= utf8.size()) return false;
        char n = utf8[++i];
        if (n == 't')
            raw += '\t';
        else if (n == 'n')
            raw += '\n';
        else if (n == '\\')
            raw += '\\';
        else
            return false;
    }
    cp1251 = utf8ToCp1251(raw);
    return true;
}

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        size_t tab = line.find('\t', start);
        if (tab == std::string::npos) {
            parts.push_back(line.substr(start));
            return parts;
        }
        parts.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
}

std::string exportLine(TableKind kind, int32_t i, const BaseTable& table) {
    std::string line = tableName(kind);
    line += '\t';
    line += std::to_string(i);
    FieldPointers f = fieldPointers(table, i);
    for (int k = 1; k <= kFieldCount; ++k) {
        line += '\t';
        line += escapeField(f[k]);
    }
    return line;
}

std::string KeyOptions::keyFor(const std::string& file) const {
    auto it = byFile.find(file);
    if (it != byFile.end()) return it->second;
    // Also accept the name without its folder.
    auto slash = file.find_last_of("/\\");
    if (slash != std::string::npos) {
        it = byFile.find(file.substr(slash + 1));
        if (it != byFile.end()) return it->second;
    }
    return {};
}

const char* const kKeyTooLong = "the key may have at most 32 characters";

bool typedKeyFits(const std::string& utf8Key) {
    return utf8ToCp1251(utf8Key).size() <= kMaxKeyLength;
}

const OptionEntry kVersionOption = {"--version", "2.0|1.2", false,
                                    "The file's version: 2.0 (the default) or 1.2."};

int fileCommandOptions(const ParsedArgs& args, FileCommandOptions& options) {
    if (args.has("--version")) {
        const std::string v = args.value("--version");
        if (v != "2.0" && v != "1.2") return fail("option --version takes 2.0 or 1.2", kUsageError);
        options.version12 = v == "1.2";
    }
    options.file = args.positional.at(0);
    return typedKeyOption(args, "--key", options.key);
}

// Far more than 32 characters take in UTF-8, so a longer line is refused as too long.
constexpr size_t kLongestKeyLine = 1024;

bool readKeyFile(const std::string& utf8Path, std::string& typedUtf8) {
    std::FILE* f = openReadStream(utf8Path);
    if (f == nullptr) {
        fail("cannot read the key file " + utf8Path + ": " + std::strerror(errno));
        return false;
    }
    LineReader reader(f, kLongestKeyLine);
    std::string line;
    const LineReader::Result got = reader.next(line);
    std::fclose(f);
    if (got == LineReader::Result::Failed) {
        fail("cannot read the key file " + utf8Path + ": " + std::strerror(reader.error()));
        return false;
    }
    if (got == LineReader::Result::TooLong) {
        fail(kKeyTooLong);
        return false;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    typedUtf8 = line;
    return true;
}

int typedKeyOption(const ParsedArgs& args, const std::string& keyOption, std::string& typedUtf8) {
    const std::string fileOption = keyOption + "-file";
    if (args.has(keyOption) && args.has(fileOption))
        return fail("give either " + keyOption + " or " + fileOption + ", not both", kUsageError);
    if (args.has(fileOption)) {
        if (!readKeyFile(args.value(fileOption), typedUtf8)) return 1;
    } else {
        typedUtf8 = args.value(keyOption);
    }
    if (!typedKeyFits(typedUtf8)) return fail(kKeyTooLong, kUsageError);
    return -1;
}

bool askKeyOnTerminal(const std::string& shownFile, std::string& typedUtf8) {
    std::string line;
    if (!readSecretLine("Key for " + shownFile + ": ", kLongestKeyLine, line) || line.empty())
        return false;
    typedUtf8 = line;
    return true;
}

bool KeyOptions::ask(const std::string& file) {
    std::string typed;
    if (!askKeyOnTerminal(file, typed)) return false;
    if (!typedKeyFits(typed)) {
        fail(kKeyTooLong);
        return false;
    }
    byFile[file] = utf8ToCp1251(typed);
    return true;
}

const OptionEntry kFileKeyOption = {
    "--key", "FILE=TEXT", true,
    "The key typed for FILE (as listed, or its name alone). Other local users can read it in "
    "the process list: prefer --key-file."};
const OptionEntry kFileKeyFileOption = {"--key-file", "FILE=KEYFILE", true,
                                        "The key for FILE is the first line of KEYFILE."};

int keyOptions(const ParsedArgs& args, KeyOptions& keys) {
    std::string error;
    for (const std::string& v : args.values("--key"))
        if (!parseKeyOption(v, keys, error)) return fail(error, kUsageError);
    for (const std::string& v : args.values("--key-file")) {
        const size_t eq = v.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == v.size())
            return fail("option --key-file needs FILE=KEYFILE", kUsageError);
        std::string typed;
        if (!readKeyFile(v.substr(eq + 1), typed)) return 1;
        if (!parseKeyOption(v.substr(0, eq) + "=" + typed, keys, error))
            return fail(error, kUsageError);
    }
    return -1;
}

void warnUnusedKeys(const KeyOptions& keys, const std::vector<std::string>& files) {
    for (const auto& entry : keys.byFile) {
        bool used = false;
        for (const std::string& f : files) {
            const size_t slash = f.find_last_of('/');
            used = used || f == entry.first ||
                   (slash != std::string::npos && f.substr(slash + 1) == entry.first);
        }
        if (!used)
            std::fprintf(stderr, "talsk-cli: warning: a key was given for %s, which is not read\n",
                         entry.first.c_str());
    }
}

bool parseKeyOption(const std::string& value, KeyOptions& keys, std::string& error) {
    auto eq = value.find('=');
    if (eq == std::string::npos || eq == 0) {
        error = "option --key needs FILE=TEXT";
        return false;
    }
    if (!typedKeyFits(value.substr(eq + 1))) {
        error = kKeyTooLong;
        return false;
    }
    keys.byFile[value.substr(0, eq)] = utf8ToCp1251(value.substr(eq + 1));
    return true;
}

} // namespace talsk::cli
