#include "tools/dbf_demo.h"

#include "tools/dbf_writer.h"
#include "tools/demo_data.h"

#include <string_view>
#include <vector>

namespace talsk {

namespace {

struct Layout {
    std::vector<DbfWriterColumn> columns;
    std::vector<int> fields; // the record field of each column
};

Layout layoutOf(TableKind kind) {
    switch (kind) {
    case TableKind::Population:
        return {{{"TELEFON", 10}, {"FIO", 80}, {"PRIM", 100}, {"ULICA", 60}, {"DOM", 9}, {"KV", 5}},
                {1, 2, 7, 3, 4, 5}};
    case TableKind::Organizations:
        return {{{"TELEFON", 10},
                 {"ORG", 80},
                 {"DOLGN", 80},
                 {"ULICA", 60},
                 {"DOM", 9},
                 {"KAB", 5},
                 {"PRIM", 100}},
                {1, 6, 2, 3, 4, 5, 7}};
    case TableKind::CityCodes:
        break;
    }
    return {{{"KOD", 10}, {"GOROD", 80}, {"SPRAV", 60}, {"PRIM", 100}}, {1, 2, 3, 7}};
}

} // namespace

bool writeTableAsDbf(const std::string& path, const BaseTable& table, TableKind kind,
                     WriteError* cause) {
    const Layout layout = layoutOf(kind);
    DbfWriter writer(layout.columns, static_cast<uint32_t>(table.count), table.updated);
    std::vector<std::string_view> cells(layout.fields.size());
    for (int32_t i = 0; i < table.count; ++i) {
        const FieldPointers f = fieldPointers(table, i);
        for (size_t c = 0; c < cells.size(); ++c)
            cells[c] = f[layout.fields[c]];
        writer.addRecord(cells);
    }
    return writeDbfFile(path, writer, cause);
}

bool writeDemoDbfTables(const std::string& folder, uint32_t seed, std::string& failed,
                        WriteError* cause) {
    DemoOptions options;
    options.residents = 300;
    options.organizations = 80;
    options.cityCodes = 40;
    options.seed = seed + 2;
    PhoneBase base;
    if (!fillDemoBase(base, options)) {
        failed = folder;
        return false;
    }
    const char* names[kTableCount] = {"nasel.dbf", "predp.dbf", "gorod.dbf"};
    for (int k = 0; k < kTableCount; ++k) {
        const std::string path = joinPath(folder, names[k]);
        if (!writeTableAsDbf(path, base.tables[static_cast<size_t>(k)], static_cast<TableKind>(k),
                             cause)) {
            failed = path;
            closeBase(base);
            return false;
        }
    }
    closeBase(base);
    return true;
}

} // namespace talsk
