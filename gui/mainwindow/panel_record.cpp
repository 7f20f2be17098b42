#include "gui/mainwindow/panel_record.h"

#include "edit/record_editor_logic.h"

#include <string>

namespace talsk {

PanelRecord recordFromQuery(const FieldQueryText& query, TableMask m) {
    PanelRecord r;
    const bool hasOrganization = query.slot(RecordField::Organization)[0] != '\0';
    if (m == kMaskOrganizations || (m == kMaskPopulationOrganizations && hasOrganization))
        r.kind = TableKind::Organizations;
    else if (m == kMaskCityCodes)
        r.kind = TableKind::CityCodes;
    // Each text is cut to its field's maximum, kept on one line.
    for (int k = 1; k <= kFieldCount; ++k) {
        std::string text = blankControlCharacters(query.slot(k));
        if (text.size() > static_cast<size_t>(kFieldMax[k])) text.resize(kFieldMax[k]);
        r.fields.set(k, text.c_str());
    }
    return r;
}

} // namespace talsk
