#include "tools/cut_fields.h"

#include "base/legacy_12.h"
#include "base/legacy_records.h"

namespace talsk {

namespace {

// The labels of the fields in each table, without their colons.
constexpr const char* kPopulationLabels[] = {"",    "Телефон",  "Фамилия И.О.", "Улица",
                                             "Дом", "Квартира", "Организация",  "Комментарий"};
constexpr const char* kOrganizationLabels[] = {"",    "Телефон", "Должность",   "Улица",
                                               "Дом", "Кабинет", "Организация", "Комментарий"};

} // namespace

CutFields cutFieldsIn12(const PhoneBase& base) {
    CutFields cut;
    RecordFields fields;
    for (int k = 0; k < kLegacy12TableCount; ++k) {
        const auto kind = static_cast<TableKind>(k);
        const BaseTable& t = base.tables[static_cast<size_t>(k)];
        for (int32_t i = 0; i < t.count; ++i) {
            unpackRecord(t, i, fields);
            const int field = fieldOver12Limit(fields, kind);
            if (field == 0) continue;
            if (cut.records++ == 0) {
                cut.table = kind;
                cut.record = i;
                cut.field = field;
            }
        }
    }
    return cut;
}

std::string cutFieldsMessage(const CutFields& cut) {
    const bool population = cut.table == TableKind::Population;
    const int field = cut.field >= 1 && cut.field <= kFieldCount ? cut.field : 0;
    return "Записей с полями длиннее допустимых в версии 1.2: " + std::to_string(cut.records) +
           ".\nПервая из них: " + (population ? "Население" : "Организации") + ", запись " +
           std::to_string(int64_t(cut.record) + 1) + ", поле \"" +
           (population ? kPopulationLabels : kOrganizationLabels)[field] +
           "\".\nЭти поля будут обрезаны. Продолжить?";
}

} // namespace talsk
