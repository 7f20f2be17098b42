// talsk-cli export: every record of a base file, one tab-separated line each.

#include "base/base_file.h"
#include "base/file_info.h"
#include "base/legacy_12.h"
#include "base/legacy_records.h"
#include "base/load_status.h"
#include "cli/base_loader.h"
#include "cli/cli_util.h"
#include "cli/command.h"
#include "cli/output.h"
#include "platform/cp1251.h"
#include "platform/journal.h"

#include <cstdio>

namespace talsk::cli {

namespace {

// The exit status once the records are out: a file whose tables did not all
// load is not exported whole.
int finish(const std::string& file, int32_t status) {
    if (status == StatusReadOnlyIncomplete) return fail(file + ": " + statusMessage(status, false));
    return 0;
}

// A version 1.2 file, read with the 1.2 reader; its records come out in the
// seven-field form the converter gives them.
int export12(const std::string& file, const std::string& typedKeyUtf8) {
    const std::string path = file;
    PhoneBase base;
    const FileAttributes a = fileSystem().attributes(path);
    std::unique_ptr<File> handle;
    if (a.exists && !a.directory) (void)recoverFile(path);
    if (a.directory) base.openCause = WriteError::IsFolder;
    if (!a.exists || a.directory)
        base.status = StatusNotFound;
    else if (!(handle = fileSystem().open(path, OpenMode::ReadShared, &base.openCause)))
        base.status = StatusCannotOpen;
    // A table that failed leaves the other one readable (status 10).
    if (!handle || (!readLegacy12(*handle, utf8ToCp1251(typedKeyUtf8), base) &&
                    base.status != StatusReadOnlyIncomplete))
        return fail(file + ": " + statusMessage(base.status, false, base.openCause));
    RecordFields fields;
    LegacyRecord record;
    for (int k = 0; k < kLegacy12TableCount; ++k) {
        const auto kind = static_cast<TableKind>(k);
        const BaseTable& t = base.tables[static_cast<size_t>(k)];
        for (int32_t i = 0; i < t.count; ++i) {
            legacy12Record(t, kind, i, record);
            legacyToFields(record, kind, fields);
            std::string line = std::string(tableName(kind)) + '\t' + std::to_string(i);
            for (int f = 1; f <= kFieldCount; ++f)
                line += '\t' + escapeField(fields.field(f));
            line += '\n';
            // A long export stops at the first lost line; main says why.
            if (!writeOut(line)) {
                closeBase(base);
                return 1;
            }
        }
    }
    const int32_t status = base.status;
    closeBase(base);
    return finish(file, status);
}

int runExport(const ParsedArgs& args) {
    FileCommandOptions options;
    if (int status = fileCommandOptions(args, options); status >= 0) return status;
    const std::string& file = options.file;
    const std::string& key = options.key;
    if (options.version12) return export12(file, key);
    PhoneBase base;
    if (!loadBaseFile(base, file, key)) {
        std::string message = loadFailure(base, "--key-file FILE");
        // An older file is read by its own reader, which is asked for by name.
        if (base.status == StatusVersionMismatch && readFileInfo(file, base) &&
            base.version == kVersion12)
            message += " A version 1.2 file is exported with --version 1.2.";
        closeBase(base);
        return fail(file + ": " + message);
    }
    for (int k = 0; k < kTableCount; ++k) {
        const BaseTable& t = base.tables[static_cast<size_t>(k)];
        for (int32_t i = 0; i < t.count; ++i) {
            std::string line = exportLine(static_cast<TableKind>(k), i, t);
            line += '\n';
            if (!writeOut(line)) {
                closeBase(base);
                return 1;
            }
        }
    }
    const int32_t status = base.status;
    closeBase(base);
    return finish(file, status);
}

const CommandTable kTable = {
    "export",
    "Prints every record of a base file, one line each.",
    "[--key TEXT | --key-file FILE] [--version 2.0|1.2] FILE",
    "Prints every record of a base file on one tab-separated line: table, record index and "
    "the seven fields.",
    {kKeyOption, kKeyFileOption, kVersionOption},
    1,
    1};
CommandRegistrar reg(kTable, &runExport);

} // namespace

} // namespace talsk::cli
