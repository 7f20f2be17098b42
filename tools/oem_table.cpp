#include "tools/oem_table.h"

namespace talsk {

namespace {

// Codes 0x80..0xFF of the OEM page, in Windows-1251.
constexpr unsigned char kUpper[128] = {
    // 0x80..0x9F: А..Я
    0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
    0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
    // 0xA0..0xAF: а..п
    0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
    // 0xB0..0xBF: shades, then single and double lines
    '#', '#', '#', '|', '+', '+', '+', '+', '+', '+', '|', '+', '+', '+', '+', '+',
    // 0xC0..0xCF
    '+', '+', '+', '+', '-', '+', '+', '+', '+', '+', '+', '+', '+', '=', '+', '+',
    // 0xD0..0xDF: the last five are blocks
    '+', '+', '+', '+', '+', '+', '+', '+', '+', '+', '+', '#', '#', '#', '#', '#',
    // 0xE0..0xEF: р..я
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
    // 0xF0..0xFF: Ё ё Є є Ї ї Ў ў ° ∙ · √ № ¤ ■ no-break space
    0xA8, 0xB8, 0xAA, 0xBA, 0xAF, 0xBF, 0xA1, 0xA2, 0xB0, 0x95, 0xB7, 'v', 0xB9, 0xA4, 0x95, 0xA0};

CharTable buildOemToAnsi() {
    CharTable t{};
    for (int c = 0; c < 128; ++c)
        t[static_cast<size_t>(c)] = static_cast<unsigned char>(c);
    for (int c = 0; c < 128; ++c)
        t[static_cast<size_t>(c + 128)] = kUpper[c];
    return t;
}

CharTable buildAnsiToOem() {
    CharTable t{};
    for (int c = 0; c < 128; ++c)
        t[static_cast<size_t>(c)] = static_cast<unsigned char>(c);
    for (int c = 128; c < 256; ++c)
        t[static_cast<size_t>(c)] = '?';
    // Only characters the OEM page really holds go back; the stand-ins for
    // lines and blocks are plain ASCII and stay themselves. The first OEM code
    // of a character wins (0xF9 for the bullet).
    for (int c = 255; c >= 128; --c) {
        const unsigned char a = kUpper[c - 128];
        if (a >= 128) t[a] = static_cast<unsigned char>(c);
    }
    return t;
}

} // namespace

const CharTable& oemToAnsiTable() {
    static const CharTable table = buildOemToAnsi();
    return table;
}

const CharTable& ansiToOemTable() {
    static const CharTable table = buildAnsiToOem();
    return table;
}

void oemToAnsi(char* text, size_t n) {
    const CharTable& t = oemToAnsiTable();
    for (size_t i = 0; i < n; ++i)
        text[i] = static_cast<char>(t[static_cast<unsigned char>(text[i])]);
}

void ansiToOem(char* text, size_t n) {
    const CharTable& t = ansiToOemTable();
    for (size_t i = 0; i < n; ++i)
        text[i] = static_cast<char>(t[static_cast<unsigned char>(text[i])]);
}

} // namespace talsk
