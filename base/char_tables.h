#pragma once
// The 256-byte character tables: upper-casing of Windows-1251 and the
// keyboard layout table (Latin key -> Cyrillic letter on the same key).

#include <array>
#include <cstddef>

namespace talsk {

using UpperTable = std::array<unsigned char, 256>;
// Entry c: the character the key that types Latin c gives on the Russian layout.
using LayoutTable = std::array<unsigned char, 256>;

// Upper-casing as the platform's ANSI upper-casing gives it for code page 1251.
const UpperTable& upperTable();
// The same with Ё and ё taken as Е: what the search folds through when case
// is ignored and ё is not told from е.
const UpperTable& upperYoTable();
// Case kept, ё taken as е and Ё as Е: the same when case matters.
const UpperTable& yoTable();

// Loads the KEYTABLE resource (187) into the table.
void loadLayoutTable(LayoutTable& table);

} // namespace talsk
