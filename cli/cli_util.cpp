#include "cli/cli_util.h"

#include "platform/cp1251.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

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

int parseFileCommand(const std::vector<std::string>& args, const char* usage,
                     FileCommandOptions& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--key") {
            if (i + 1 >= args.size()) return fail("option --key needs the key text");
            options.key = args[++i];
        } else if (args[i] == "--version") {
            if (i + 1 >= args.size() || (args[i + 1] != "2.0" && args[i + 1] != "1.2"))
                return fail("option --version takes 2.0 or 1.2");
            options.version12 = args[++i] == "1.2";
        } else if (!args[i].empty() && args[i][0] == '-') {
            return fail("unknown option " + args[i]);
        } else if (options.file.empty()) {
            options.file = args[i];
        } else {
            return fail("only one file may be given");
        }
    }
    if (options.file.empty()) return fail(usage);
    if (!typedKeyFits(options.key)) return fail(kKeyTooLong);
    return 0;
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
