#pragma once
// Windows-1251 <-> UTF-8 conversion, used only at the edges (terminal, OS file
// names, widgets); everything inside the program is Windows-1251 bytes.

#include <string>
#include <string_view>

namespace talsk {

std::string cp1251ToUtf8(std::string_view text);
// Characters that Windows-1251 cannot hold become '?'.
std::string utf8ToCp1251(std::string_view text);
// The Unicode code point of a Windows-1251 byte.
char32_t cp1251ToUnicode(unsigned char c);

} // namespace talsk
