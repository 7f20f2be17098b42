#include "gui/widgets/icons.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace talsk {

QIcon programIcon(const QString& path) {
    QSvgRenderer svg(path);
    QIcon icon;
    if (!svg.isValid()) return icon;
    // The sizes the bars and the window list ask for, at 100 % and 200 %.
    for (int side : {16, 21, 24, 32, 42, 48, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        svg.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace talsk
