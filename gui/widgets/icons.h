#pragma once
// The program's pictures, drawn as SVG and rendered crisply at every scale.

#include <QIcon>
#include <QString>

namespace talsk {

// path: a resource path such as ":/icons/search.svg".
QIcon programIcon(const QString& path);

} // namespace talsk
