#pragma once
// Windows-1251 <-> UTF-8 conversion, used only at the edges (terminal,
// widgets, stored formats that hold Windows-1251 names); record data inside
// the program is Windows-1251 bytes, file paths are the system's own bytes.

#include <string>
#include <string_view>

namespace talsk {

std::string cp1251ToUtf8(std::string_view text);
// Characters that Windows-1251 cannot hold become '?'.
std::string utf8ToCp1251(std::string_view text);
// The lossless form: false (out empty) when some character has no exact
// Windows-1251 form or the text is not UTF-8.
[[nodiscard]] bool utf8ToCp1251Exact(std::string_view text, std::string& out);
// The Unicode code point of a Windows-1251 byte.
char32_t cp1251ToUnicode(unsigned char c);

} // namespace talsk
