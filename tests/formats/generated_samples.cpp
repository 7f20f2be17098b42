#include "formats/generated_samples.h"

#include "platform/cp1251.h"
#include "support/legacy_images.h"

namespace talsk::test {

namespace {

// Fields in the 1.0 population order: phone, surname, initials, street,
// house, apartment, comment.
LegacyRecord person(const char* phone, const char* surname, const char* initials,
                    const char* street, const char* house, const char* apartment,
                    const char* comment) {
    LegacyRecord r;
    r.phone = utf8ToCp1251(phone);
    r.name = utf8ToCp1251(surname);
    r.initials = utf8ToCp1251(initials);
    r.street = utf8ToCp1251(street);
    r.house = utf8ToCp1251(house);
    r.apartment = utf8ToCp1251(apartment);
    r.comment = utf8ToCp1251(comment);
    return r;
}

// Fields in the 1.0 organization order: phone, name, organization, street,
// house, comment.
LegacyRecord organization(const char* phone, const char* name, const char* org, const char* street,
                          const char* house, const char* comment) {
    LegacyRecord r;
    r.phone = utf8ToCp1251(phone);
    r.name = utf8ToCp1251(name);
    r.organization = utf8ToCp1251(org);
    r.street = utf8ToCp1251(street);
    r.house = utf8ToCp1251(house);
    r.comment = utf8ToCp1251(comment);
    return r;
}

// Every field of the second record of each table at its 1.0 maximum.
constexpr const char* kStreet40 = "Проспект Сорокалетия Тальского Машиностр";
constexpr const char* kComment60 = "Приём по личным вопросам — вторник и четверг с 14:00 Приём п";

} // namespace

std::vector<unsigned char> makeSample10() {
    Legacy10Content c;
    c.tables[0] = {
        person("2-45-67", "Иванов", "И.", "Ленина", "12а", "45", ""),
        person("21-4567", "Константинопольская-Верхнеднепровская А ", "АВ", kStreet40, "123/45",
               "10а", kComment60),
        person("2-00-01", "Ёлкина", "", "пр. Мира", "7", "", "без инициалов"),
        person("", "", "", "", "", "", ""),
    };
    c.tables[1] = {
        organization("2-15-00", "Директор", "ОАО «Тальский завод»", "Советская", "1", "приёмная"),
        organization("21-4567", "Заместитель директора по общим вопросам ",
                     "Тальское областное государственное унитарное предприятие «Тальскводоканал» "
                     "Тальс",
                     kStreet40, "123/45", kComment60),
        organization("", "", "", "", "", ""),
    };
    return legacy10Image(c, "");
}

} // namespace talsk::test
