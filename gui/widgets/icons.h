#pragma once
// The program's pictures, drawn as SVG and rendered crisply at every scale.
// With a Qt that has no SVG support they come rendered beforehand as PNG,
// "NAME.png" beside "NAME.svg" and, for icons, "NAME-SIDE.png" at each side
// programIcon draws.

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace talsk {

// path: a resource path such as ":/icons/search.svg".
QIcon programIcon(const QString& path);

// The picture at path filling `size` points at the pixel ratio `ratio`;
// transparent when there is none.
QPixmap programPicture(const QString& path, const QSize& size, qreal ratio);

} // namespace talsk
