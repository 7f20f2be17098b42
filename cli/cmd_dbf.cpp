// talsk-cli dbf: a new base file from dBASE III tables; dbf-info: the columns
// of one table.

#include "base/char_tables.h"
#include "cli/cli_util.h"
#include "cli/command.h"
#include "cli/output.h"
#include "platform/cp1251.h"
#include "tools/dbf_import.h"
#include "tools/destination.h"

#include <cstdio>

namespace talsk::cli {

namespace {

const char* const kFieldNames[kFieldCount] = {"phone", "name",         "street", "house",
                                              "unit",  "organization", "comment"};

// One --map value, kept as text until the table's columns are known.
struct MapOption {
    TableKind kind = TableKind::Population;
    int field = 0;
    std::vector<std::string> parts; // COL, SEP, COL, SEP, COL (UTF-8)
};

std::vector<std::string> splitCommas(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) return parts;
        start = comma + 1;
    }
}

bool parseMap(const std::string& value, MapOption& map, std::string& error) {
    const size_t colon = value.find(':');
    const size_t equals = value.find('=');
    if (colon == std::string::npos || equals == std::string::npos || equals < colon) {
        error = "--map takes TABLE:FIELD=COL[,SEP,COL[,SEP,COL]]";
        return false;
    }
    if (!tableFromName(value.substr(0, colon), map.kind)) {
        error = "unknown table " + value.substr(0, colon);
        return false;
    }
    const std::string field = value.substr(colon + 1, equals - colon - 1);
    for (int k = 1; k <= kFieldCount; ++k)
        if (field == kFieldNames[k - 1]) map.field = k;
    if (map.field == 0 || !dbfSlotUsed(map.kind, map.field)) {
        error = "a " + std::string(tableName(map.kind)) + " table has no field " + field;
        return false;
    }
    map.parts = splitCommas(value.substr(equals + 1));
    if (map.parts.size() % 2 == 0 || map.parts.size() > 5 ||
        (map.parts.size() > 1 && !dbfSlotJoinable(map.field))) {
        error = "field " + field + " takes " +
                (dbfSlotJoinable(map.field) ? "one to three columns" : "one column");
        return false;
    }
    return true;
}

// A column by number from 1, by name (any letter case), or 0 / "none".
bool findColumn(const DbfTable& table, const std::string& text, uint8_t& column) {
    long long number = 0;
    if (text == "none" || (parseInt(text, number) && number == 0)) {
        column = kDbfNoColumn;
        return true;
    }
    if (parseInt(text, number)) {
        if (number < 1 || number > table.columnCount) return false;
        column = static_cast<uint8_t>(number - 1);
        return true;
    }
    const UpperTable& upper = upperTable();
    auto upperCased = [&](std::string s) {
        for (char& c : s)
            c = static_cast<char>(upper[static_cast<unsigned char>(c)]);
        return s;
    };
    const std::string wanted = upperCased(utf8ToCp1251(text));
    for (int c = 0; c < table.columnCount; ++c)
        if (upperCased(table.columns[static_cast<size_t>(c)].name) == wanted) {
            column = static_cast<uint8_t>(c);
            return true;
        }
    return false;
}

const CommandTable kDbfTable = {
    "dbf",
    "Builds a base file from dBASE III tables.",
    "DST [--population F.dbf] [--organizations F.dbf] [--citycodes F.dbf] "
    "[--map TABLE:FIELD=COL[,SEP,COL[,SEP,COL]]]... [--skip TABLE=TEXT]... "
    "[--key TEXT | --key-file FILE]",
    "Builds a new version 2.0 base file DST from dBASE III tables (text in code page 866); "
    "\".btn\" is appended to DST unless it ends so.",
    {{"--population", "F.dbf", false, "The residents' table."},
     {"--organizations", "F.dbf", false, "The organizations' table."},
     {"--citycodes", "F.dbf", false, "The city codes' table."},
     {"--map", "TABLE:FIELD=COL[,SEP,COL[,SEP,COL]]", true,
      "Take one field from up to three columns (by number from 1, by name, 0 or none for "
      "none), joined with the separators between them."},
     {"--skip", "TABLE=TEXT", true, "Leave out cells equal to one of the ;-separated texts."},
     {"--key", "TEXT", false,
      "Protect the new file with this key. Other local users can read it in the process list: "
      "prefer --key-file."},
     {"--key-file", "FILE", false, "Protect the new file with the first line of FILE."}},
    1,
    1};

const CommandTable kDbfInfoTable = {
    "dbf-info",
    "Prints a dBASE table's header and columns.",
    "F.dbf",
    "Prints a dBASE table's record count, date and lengths, then one line per column: number, "
    "name, type, length.",
    {},
    1,
    1};

int runDbf(const ParsedArgs& args) {
    DbfImportJob job;
    std::vector<MapOption> maps;
    for (int k = 0; k < kTableCount; ++k) {
        const std::string option = std::string("--") + tableName(static_cast<TableKind>(k));
        if (args.has(option)) job.tables[static_cast<size_t>(k)].path = args.value(option);
    }
    std::string error;
    for (const std::string& value : args.values("--map")) {
        MapOption map;
        if (!parseMap(value, map, error)) return fail(error);
        maps.push_back(map);
    }
    for (const std::string& value : args.values("--skip")) {
        TableKind kind;
        const size_t equals = value.find('=');
        if (equals == std::string::npos || !tableFromName(value.substr(0, equals), kind))
            return fail("--skip takes TABLE=TEXT", kUsageError);
        job.tables[static_cast<size_t>(kind)].skipText = utf8ToCp1251(value.substr(equals + 1));
    }
    std::string typedKey;
    if (int status = typedKeyOption(args, "--key", typedKey); status >= 0) return status;
    const bool keyGiven = args.has("--key") || args.has("--key-file");
    job.keyed = keyGiven;
    job.typedKey = utf8ToCp1251(typedKey);
    if (keyGiven && job.typedKey.empty()) return fail("Введите ключ");
    job.destination = withBaseExtension(args.positional[0]);

    // Every table starts from the usual columns; --map changes one field.
    std::array<DbfTable, kTableCount> headers;
    for (int k = 0; k < kTableCount; ++k) {
        DbfTableJob& t = job.tables[static_cast<size_t>(k)];
        if (t.path.empty()) continue;
        const DbfStatus status = readDbfHeader(t.path, headers[static_cast<size_t>(k)]);
        if (status != DbfStatus::Ok) return fail(t.path + ": " + dbfStatusMessage(status, t.path));
        setDefaultDbfMapping(static_cast<TableKind>(k), t);
    }
    for (const MapOption& map : maps) {
        DbfTableJob& t = job.tables[static_cast<size_t>(map.kind)];
        if (t.path.empty())
            return fail("--map for " + std::string(tableName(map.kind)) + " without its file",
                        kUsageError);
        DbfFieldMapping& f = t.fields[static_cast<size_t>(map.field) - 1];
        f.column = {kDbfNoColumn, kDbfNoColumn, kDbfNoColumn};
        for (size_t p = 0; p < map.parts.size(); p += 2) {
            if (!findColumn(headers[static_cast<size_t>(map.kind)], map.parts[p], f.column[p / 2]))
                return fail("no column " + map.parts[p] + " in " + t.path);
            if (p > 0)
                f.separator[p / 2 - 1] = utf8ToCp1251(map.parts[p - 1]).substr(0, kDbfMaxSeparator);
        }
        if (map.parts.size() > 1) t.join = true;
    }

    const DbfImportResult r = importDbf(job);
    const std::string source = job.tables[static_cast<size_t>(r.table)].path;
    switch (r.outcome) {
    case DbfImportOutcome::Done:
        print("%s: %d residents, %d organization records, %d city codes\n", job.destination.c_str(),
              r.counts[0], r.counts[1], r.counts[2]);
        print("Конвертирование завершено\n");
        return 0;
    case DbfImportOutcome::NoTable:
        return fail("Выберите файл");
    case DbfImportOutcome::KeyMissing:
        return fail("Введите ключ");
    case DbfImportOutcome::CannotCreate:
        return fail(withCause("Ошибка при создании файла " + job.destination, r.cause));
    case DbfImportOutcome::CannotOpen:
    case DbfImportOutcome::Damaged:
        return fail(source + ": " +
                    dbfStatusMessage(r.status, job.tables[static_cast<size_t>(r.table)].path));
    case DbfImportOutcome::Cancelled:
    case DbfImportOutcome::SaveFailed:
        break;
    }
    return fail(withCause("Ошибка при сохранении базы, данные не были сохранены", r.cause));
}

int runDbfInfo(const ParsedArgs& args) {
    DbfTable table;
    const std::string& file = args.positional[0];
    const std::string path = file;
    WriteError openCause = WriteError::None;
    const DbfStatus status = readDbfHeader(path, table, &openCause);
    if (status == DbfStatus::CannotOpen) {
        // The file is named once, then why it did not open when that is known.
        const FileAttributes a = fileSystem().attributes(path);
        const std::string cause =
            !a.exists                           ? "файл не найден"
            : a.directory                       ? "это папка"
            : openCause == WriteError::NoAccess ? "нет доступа к файлу"
            : openCause == WriteError::NotRegular || openCause == WriteError::LinkLoop
                ? writeErrorText(openCause)
                : "";
        return fail(file + ": Ошибка при открытии файла" + (cause.empty() ? "" : ": " + cause));
    }
    if (status != DbfStatus::Ok) return fail(file + ": " + dbfStatusMessage(status, path));
    print("records: %u\nupdated: %s\nheader length: %u\nrecord length: %u\ncolumns: %d\n",
          table.recordCount, formatBaseDate(table.date()).c_str(), table.headerLength,
          table.recordLength, table.columnCount);
    for (int c = 0; c < table.columnCount; ++c) {
        const DbfColumn& column = table.columns[static_cast<size_t>(c)];
        const char type =
            column.type >= 32 && column.type < 127 ? static_cast<char>(column.type) : '?';
        print("%d\t%s\t%c\t%u\n", c + 1, cp1251ToUtf8(column.name).c_str(), type, column.length);
    }
    return 0;
}

CommandRegistrar dbfReg(kDbfTable, &runDbf);
CommandRegistrar dbfInfoReg(kDbfInfoTable, &runDbfInfo);

} // namespace

} // namespace talsk::cli
