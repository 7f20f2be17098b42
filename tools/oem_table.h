#pragma once
// The OEM code page of DOS tables (866) and Windows-1251: dBASE files carry
// their text in the former, the program keeps everything in the latter.

#include <array>
#include <cstddef>

namespace talsk {

using CharTable = std::array<unsigned char, 256>;

// OEM -> Windows-1251. Letters of both cases and Ё/ё map to their letters;
// box-drawing becomes '+', '-', '|', '=' and shades '#'; signs without a
// Windows-1251 form become the nearest one.
const CharTable& oemToAnsiTable();
// Windows-1251 -> OEM for what the OEM page holds (letters, Ё/ё and the
// signs above); anything else becomes '?'.
const CharTable& ansiToOemTable();

// In place.
void oemToAnsi(char* text, size_t n);
void ansiToOem(char* text, size_t n);

} // namespace talsk
