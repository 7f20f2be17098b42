#pragma once
// Windows-1251 bytes <-> QString at the widgets' edge.

#include "platform/cp1251.h"

#include <QString>
#include <string>

namespace talsk {

inline QString fromCp1251(const std::string& text) {
    return QString::fromStdString(cp1251ToUtf8(text));
}
inline std::string toCp1251(const QString& text) {
    return utf8ToCp1251(text.toStdString());
}

} // namespace talsk
