#pragma once
// UTF-8 and the UTF-16 of Windows' wide-character calls. Paths, arguments and
// typed text stay UTF-8 in the program and become wide only at the system
// call, never through a code page, so that any name passes. Windows only.

#include <string>

namespace talsk {

// False when the bytes are not valid UTF-8 (such a name cannot exist there).
[[nodiscard]] bool utf8ToWide(const std::string& utf8, std::wstring& wide);
// Unpaired surrogates, which no valid name has, become U+FFFD.
std::string wideToUtf8(const wchar_t* wide, size_t length);
std::string wideToUtf8(const std::wstring& wide);

} // namespace talsk
