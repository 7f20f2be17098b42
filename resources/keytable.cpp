#include "resources/keytable.h"

#include <cstddef>

namespace talsk {

namespace {

// The keys whose character differs between the Latin (QWERTY) and the Russian
// (ЙЦУКЕН) layouts: Latin character, then the Windows-1251 code of the
// character on the same key. Every other byte stands for itself.
struct KeyPair {
    unsigned char latin;
    unsigned char russian;
};

constexpr KeyPair kPairs[] = {
    // Letters, small: й ц у к е н г ш щ з / ф ы в а п р о л д / я ч с м и т ь
    {'q', 0xE9},
    {'w', 0xF6},
    {'e', 0xF3},
    {'r', 0xEA},
    {'t', 0xE5},
    {'y', 0xED},
    {'u', 0xE3},
    {'i', 0xF8},
    {'o', 0xF9},
    {'p', 0xE7},
    {'a', 0xF4},
    {'s', 0xFB},
    {'d', 0xE2},
    {'f', 0xE0},
    {'g', 0xEF},
    {'h', 0xF0},
    {'j', 0xEE},
    {'k', 0xEB},
    {'l', 0xE4},
    {'z', 0xFF},
    {'x', 0xF7},
    {'c', 0xF1},
    {'v', 0xEC},
    {'b', 0xE8},
    {'n', 0xF2},
    {'m', 0xFC},
    // Letters, capital: Й Ц У К Е Н Г Ш Щ З / Ф Ы В А П Р О Л Д / Я Ч С М И Т Ь
    {'Q', 0xC9},
    {'W', 0xD6},
    {'E', 0xD3},
    {'R', 0xCA},
    {'T', 0xC5},
    {'Y', 0xCD},
    {'U', 0xC3},
    {'I', 0xD8},
    {'O', 0xD9},
    {'P', 0xC7},
    {'A', 0xD4},
    {'S', 0xDB},
    {'D', 0xC2},
    {'F', 0xC0},
    {'G', 0xCF},
    {'H', 0xD0},
    {'J', 0xCE},
    {'K', 0xCB},
    {'L', 0xC4},
    {'Z', 0xDF},
    {'X', 0xD7},
    {'C', 0xD1},
    {'V', 0xCC},
    {'B', 0xC8},
    {'N', 0xD2},
    {'M', 0xDC},
    // Punctuation keys that carry letters: Э э б ю Ж ж Б Ю х ъ Х Ъ ё Ё, and Shift+6 gives ','.
    {'"', 0xDD},
    {'\'', 0xFD},
    {',', 0xE1},
    {'.', 0xFE},
    {':', 0xC6},
    {';', 0xE6},
    {'<', 0xC1},
    {'>', 0xDE},
    {'[', 0xF5},
    {']', 0xFA},
    {'{', 0xD5},
    {'}', 0xDA},
    {'`', 0xB8},
    {'~', 0xA8},
    {'^', ','},
};
static_assert(sizeof(kPairs) / sizeof(kPairs[0]) == 67);

constexpr std::array<unsigned char, 256> buildTable() {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[static_cast<size_t>(c)] = static_cast<unsigned char>(c);
    for (const KeyPair& p : kPairs)
        t[p.latin] = p.russian;
    return t;
}

constexpr std::array<unsigned char, 256> kKeyTable = buildTable();

} // namespace

const std::array<unsigned char, 256>& keyTableResource() {
    return kKeyTable;
}

} // namespace talsk
