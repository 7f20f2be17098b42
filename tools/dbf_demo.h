#pragma once
// dBASE tables made from the records of a base, in the column order the
// import takes by default: the demo's "nasel.dbf", "predp.dbf" and
// "gorod.dbf", and large test tables.

#include "base/records.h"
#include "platform/write_error.h"

#include <cstdint>
#include <string>

namespace talsk {

// Writes the records of one table as a dBASE table (OEM text).
[[nodiscard]] bool writeTableAsDbf(const std::string& path, const BaseTable& table, TableKind kind,
                                   WriteError* cause = nullptr);

// Writes small demo tables "nasel.dbf", "predp.dbf" and "gorod.dbf" into the
// folder; on failure `failed` names the file.
[[nodiscard]] bool writeDemoDbfTables(const std::string& folder, uint32_t seed, std::string& failed,
                                      WriteError* cause = nullptr);

} // namespace talsk
