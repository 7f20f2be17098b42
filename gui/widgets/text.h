#pragma once
// Windows-1251 text <-> QString, only where text meets a widget; file paths
// (the system's own bytes) have their own pair.

#include <QString>

#include <string>
#include <string_view>

namespace talsk {

QString fromCp1251(std::string_view text);
QString fromCp1251(const char* text); // null = empty
// Characters that Windows-1251 cannot hold become '?'.
std::string toCp1251(const QString& text);

// The program's own UTF-8 texts (literals, the core's messages) -> QString.
QString fromUtf8(std::string_view text);

// A path as the system names it <-> QString, for widgets and file dialogs.
QString fromNativePath(std::string_view path);
std::string toNativePath(const QString& path);

} // namespace talsk
