#include "gui/widgets/icons.h"

#include "gui/widgets/ui_resources.h"

#include <QFile>
#include <QImage>
#include <QPainter>

#ifdef TALSK_SVG
#include <QSvgRenderer>
#endif

namespace talsk {

namespace {

// The sizes the bars and the window list ask for, at 100 % and 200 %.
constexpr int kSides[] = {16, 21, 24, 32, 42, 48, 64};

#ifndef TALSK_SVG
// "x.svg" rendered beforehand as "x" + suffix + ".png".
QString rendered(const QString& svgPath, const QString& suffix) {
    QString path = svgPath;
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) path.chop(4);
    return path + suffix + QStringLiteral(".png");
}
#endif

QPixmap transparentPixmap(const QSize& size, qreal ratio) {
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QIcon programIcon(const QString& path) {
    initUiResources();
    QIcon icon;
#ifdef TALSK_SVG
    QSvgRenderer svg(path);
    if (!svg.isValid()) return icon;
    for (int side : kSides) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        svg.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
#else
    for (int side : kSides) {
        const QPixmap pixmap(rendered(path, QStringLiteral("-%1").arg(side)));
        if (!pixmap.isNull()) icon.addPixmap(pixmap);
    }
#endif
    return icon;
}

QPixmap programPicture(const QString& path, const QSize& size, qreal ratio) {
    initUiResources();
    QPixmap pixmap = transparentPixmap(size, ratio);
#ifdef TALSK_SVG
    QSvgRenderer svg(path);
    if (svg.isValid()) {
        QPainter painter(&pixmap);
        svg.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
#else
    // A picture has one large rendering, scaled down here; an icon has its
    // sides, of which the icon picks the nearest.
    const QString picture = rendered(path, QString());
    if (!QFile::exists(picture)) {
        const QPixmap icon = programIcon(path).pixmap(size, ratio);
        return icon.isNull() ? pixmap : icon;
    }
    const QImage image(picture);
    if (!image.isNull()) {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(QPointF(0, 0), QSizeF(size)), image);
    }
#endif
    return pixmap;
}

} // namespace talsk
