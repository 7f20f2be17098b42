// talsk-cli import: a new version 2.0 base file from lines of the export format.

#include "base/base_file.h"
#include "base/cipher.h"
#include "base/legacy_12.h"
#include "base/legacy_records.h"
#include "base/table_builder.h"
#include "cli/cli_util.h"
#include "cli/command.h"
#include "cli/line_reader.h"
#include "cli/output.h"
#include "platform/cp1251.h"
#include "tools/destination.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace talsk::cli {

namespace {

const char* const kFieldNames[] = {"",      "phone", "name",         "street",
                                   "house", "unit",  "organization", "comment"};

// What version 1.2 cannot keep of a record, or empty. An organization's unit
// is kept joined to its house ("house-unit") when both fit.
std::string lostIn12(const RecordFields& f, TableKind kind) {
    if (kind == TableKind::CityCodes) return "version 1.2 holds no city codes";
    const size_t population[8] = {0, 9, 60, 60, 8, 4, 0, 100};
    const size_t organizations[8] = {0, 9, 60, 60, 8, 5, 80, 100};
    const size_t* limits = kind == TableKind::Population ? population : organizations;
    for (int k = 1; k <= kFieldCount; ++k) {
        const size_t length = std::strlen(f.field(k));
        if (length > limits[k])
            return limits[k] == 0
                       ? std::string("field ") + kFieldNames[k] + " is not kept by version 1.2"
                       : std::string("field ") + kFieldNames[k] + " is longer than " +
                             std::to_string(limits[k]) + " characters for version 1.2";
    }
    if (kind == TableKind::Organizations && f.unit[0] != '\0' &&
        std::strlen(f.house) + std::strlen(f.unit) >= 8)
        return "house and unit together are longer than 7 characters for version 1.2";
    return {};
}

// Writes the records as a version 1.2 file, scrambled with the typed key.
int write12(const std::string& file, Legacy12Table (&tables)[kLegacy12TableCount],
            const std::string& typedKey) {
    const BaseDate date = todayBaseDate();
    for (Legacy12Table& t : tables)
        if (t.count > 0) t.created = t.updated = date;
    std::unique_ptr<File> held;
    WriteError cause = WriteError::None;
    if (!writeLegacy12(file, tables, !typedKey.empty(), typedKey, held, &cause)) {
        if (typedKey.size() >= 3 && static_cast<unsigned char>(typedKey[2]) < 2)
            return fail("this key cannot scramble a version 1.2 file; nothing was written");
        return failWrite(file, cause);
    }
    if (held) held->close();
    print("%s: %d population, %d organizations, 0 citycodes\n", file.c_str(), tables[0].count,
          tables[1].count);
    return 0;
}

int runImport(const ParsedArgs& args) {
    FileCommandOptions options;
    if (int status = fileCommandOptions(args, options); status >= 0) return status;
    // Named as every other command names a new base file.
    const std::string file = withBaseExtension(options.file);
    const std::string& key = options.key;
    const bool v12 = options.version12;
    if (!mayReplace(file, args)) return 1;

    TableBuilder builders[kTableCount];
    Legacy12Table legacy[kLegacy12TableCount];
    LegacyRecord legacyRecord;
    std::string line;
    long lineNo = 0;
    RecordFields fields;
    LineReader input(stdin, longestExportLine());
    for (LineReader::Result got; (got = input.next(line)) != LineReader::Result::End;) {
        ++lineNo;
        const std::string where = "line " + std::to_string(lineNo) + ": ";
        // A failed read is no end of the input: a base of part of it would
        // take the place of the old one.
        if (got == LineReader::Result::Failed)
            return fail(std::string("cannot read standard input: ") + std::strerror(input.error()) +
                        "; nothing was written");
        if (got == LineReader::Result::TooLong)
            return fail(where + "longer than " + std::to_string(longestExportLine()) +
                        " bytes, more than any record takes");
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::vector<std::string> parts = splitTabs(line);
        if (parts.size() != 2 + kFieldCount)
            return fail(where + "expected 9 tab-separated columns, found " +
                        std::to_string(parts.size()));
        TableKind kind;
        if (!tableFromName(parts[0], kind)) return fail(where + "unknown table '" + parts[0] + "'");
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
        if (v12) {
            const std::string lost = lostIn12(fields, kind);
            if (!lost.empty()) return fail(where + lost);
            Legacy12Table& t = legacy[static_cast<int>(kind)];
            fieldsToLegacy12(fields, kind, legacyRecord);
            if (!packLegacy12(legacyRecord, kind, t.text))
                return fail(where + "the record does not fit version 1.2");
            ++t.count;
            continue;
        }
        if (!builders[static_cast<int>(kind)].add(fields))
            return fail(where + "the table cannot take more records");
    }
    if (v12) return write12(file, legacy, utf8ToCp1251(key));

    PhoneBase base;
    base.path = file;
    if (!key.empty()) {
        base.keyed = 1;
        base.key = deriveFileKey(utf8ToCp1251(key));
    }
    const BaseDate date = todayBaseDate();
    for (int k = 0; k < kTableCount; ++k)
        if (!builders[k].install(base.tables[static_cast<size_t>(k)], date))
            return fail("not enough memory for the records");
    WriteError cause = WriteError::None;
    if (!saveBase(base, kMaskAllTables, &cause)) {
        closeBase(base);
        return failWrite(file, cause);
    }
    print("%s: %d population, %d organizations, %d citycodes\n", file.c_str(), base.tables[0].count,
          base.tables[1].count, base.tables[2].count);
    closeBase(base);
    return 0;
}

const CommandTable kTable = {
    "import",
    "Writes a base file from lines of the export format.",
    "[--key TEXT | --key-file FILE] [--version 2.0|1.2] [--force] FILE < records",
    "Writes a new base file from lines of the export format read from standard input; "
    "\".btn\" is appended to FILE unless it ends so. An existing file is replaced only with "
    "--force.",
    {kKeyOption, kKeyFileOption, kVersionOption, kForceOption},
    1,
    1};
CommandRegistrar reg(kTable, &runImport);

} // namespace

} // namespace talsk::cli
