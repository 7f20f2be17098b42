#include "base/char_tables.h"

#include "resources/keytable.h"

namespace talsk {

namespace {

// Windows-1251 letters outside a-z and а-я whose upper-case form the code
// page also holds: small form, capital form.
struct CasePair {
    unsigned char small;
    unsigned char capital;
};

constexpr CasePair kOtherLetters[] = {
    {0xB8, 0xA8}, // ё Ё
    {0x90, 0x80}, // ђ Ђ
    {0x83, 0x81}, // ѓ Ѓ
    {0x9A, 0x8A}, // љ Љ
    {0x9C, 0x8C}, // њ Њ
    {0x9D, 0x8D}, // ќ Ќ
    {0x9E, 0x8E}, // ћ Ћ
    {0x9F, 0x8F}, // џ Џ
    {0xA2, 0xA1}, // ў Ў
    {0xBC, 0xA3}, // ј Ј
    {0xB4, 0xA5}, // ґ Ґ
    {0xBA, 0xAA}, // є Є
    {0xBF, 0xAF}, // ї Ї
    {0xB3, 0xB2}, // і І
    {0xBE, 0xBD}, // ѕ Ѕ
};

constexpr UpperTable buildUpperTable() {
    UpperTable t{};
    for (int c = 0; c < 256; ++c)
        t[static_cast<size_t>(c)] = static_cast<unsigned char>(c);
    for (int c = 'a'; c <= 'z'; ++c)
        t[static_cast<size_t>(c)] = static_cast<unsigned char>(c - 0x20);
    for (int c = 0xE0; c <= 0xFF; ++c) // а..я
        t[static_cast<size_t>(c)] = static_cast<unsigned char>(c - 0x20);
    for (const CasePair& p : kOtherLetters)
        t[p.small] = p.capital;
    return t;
}

constexpr UpperTable kUpperTable = buildUpperTable();

constexpr unsigned char kYoSmall = 0xB8, kYoCapital = 0xA8, kYeSmall = 0xE5, kYeCapital = 0xC5;

constexpr UpperTable buildUpperYoTable() {
    UpperTable t = buildUpperTable();
    t[kYoSmall] = kYeCapital;
    t[kYoCapital] = kYeCapital;
    return t;
}

constexpr UpperTable buildYoTable() {
    UpperTable t{};
    for (int c = 0; c < 256; ++c)
        t[static_cast<size_t>(c)] = static_cast<unsigned char>(c);
    t[kYoSmall] = kYeSmall;
    t[kYoCapital] = kYeCapital;
    return t;
}

constexpr UpperTable kUpperYoTable = buildUpperYoTable();
constexpr UpperTable kYoTable = buildYoTable();

} // namespace

const UpperTable& upperTable() {
    return kUpperTable;
}

const UpperTable& upperYoTable() {
    return kUpperYoTable;
}

const UpperTable& yoTable() {
    return kYoTable;
}

void loadLayoutTable(LayoutTable& table) {
    table = keyTableResource();
}

} // namespace talsk
