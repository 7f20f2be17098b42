#include "gui/widgets/text.h"

#include "platform/cp1251.h"

#include <QFile>

namespace talsk {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString fromCp1251(std::string_view text) {
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (const char c : text)
        out.append(QChar(static_cast<char16_t>(cp1251ToUnicode(static_cast<unsigned char>(c)))));
    return out;
}

QString fromCp1251(const char* text) {
    return text == nullptr ? QString() : fromCp1251(std::string_view(text));
}

std::string toCp1251(const QString& text) {
    return utf8ToCp1251(text.toUtf8().toStdString());
}

// The platform layer keeps Windows names in UTF-8 (it widens them itself);
// Qt's local 8-bit there is the ANSI code page, which cannot hold them.
QString fromNativePath(std::string_view path) {
#ifdef _WIN32
    return fromUtf8(path);
#else
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
#endif
}

std::string toNativePath(const QString& path) {
#ifdef _WIN32
    return path.toUtf8().toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

} // namespace talsk
