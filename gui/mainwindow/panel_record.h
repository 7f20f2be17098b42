#pragma once
// "Добавить в базу": the record and the table that the field search panel's
// texts make for the record editor.

#include "base/records.h"
#include "search/search_engine.h"

namespace talsk {

struct PanelRecord {
    RecordFields fields;
    TableKind kind = TableKind::Population;
};

PanelRecord recordFromQuery(const FieldQueryText& query, TableMask m);

} // namespace talsk
