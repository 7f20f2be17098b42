// The program's pictures as the window gets them, whether Qt SVG draws them
// or they come rendered beforehand: every icon at every side the bars ask
// for, and pictures filling their size at any pixel ratio.

#include "gui/help/about_box_resources.h"
#include "gui/widgets/icons.h"
#include "gui/widgets/ui_resources.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

namespace talsk {
namespace {

// Pixels that are not fully transparent.
int drawnPixels(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            drawn += qAlpha(image.pixel(x, y)) != 0;
    return drawn;
}

TEST(ProgramPictures, EveryIconHasEverySideDrawn) {
    initUiResources();
    const QStringList names = QDir(QStringLiteral(":/icons")).entryList({QStringLiteral("*.svg")});
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        const QIcon icon = programIcon(QStringLiteral(":/icons/") + name);
        const QList<QSize> sides = icon.availableSizes();
        EXPECT_EQ(sides.size(), 7) << name.toStdString();
        for (int side : {16, 21, 24, 32, 42, 48, 64})
            EXPECT_TRUE(sides.contains(QSize(side, side))) << name.toStdString() << " " << side;
        const QImage image = icon.pixmap(QSize(32, 32)).toImage();
        EXPECT_EQ(image.size(), QSize(32, 32)) << name.toStdString();
        EXPECT_GT(drawnPixels(image), 32 * 32 / 10) << name.toStdString();
    }
    EXPECT_TRUE(programIcon(QStringLiteral(":/icons/none.svg")).isNull());
}

TEST(ProgramPictures, PictureFillsItsSizeAtThePixelRatio) {
    initAboutResources();
    const struct {
        const char* path;
        QSize size;
        qreal ratio;
        bool drawn;
    } cases[] = {
        {":/icons/search.svg", {16, 16}, 1.0, true},
        {":/icons/search.svg", {16, 16}, 1.25, true},
        {":/icons/log.svg", {16, 16}, 2.0, true},
        {":/pictures/about.svg", {96, 120}, 1.0, true},
        {":/pictures/about.svg", {141, 176}, 1.5, true},
        {":/pictures/none.svg", {20, 10}, 2.0, false},
    };
    for (const auto& c : cases) {
        const QPixmap pixmap = programPicture(QString::fromLatin1(c.path), c.size, c.ratio);
        const QSize pixels(qRound(c.size.width() * c.ratio), qRound(c.size.height() * c.ratio));
        EXPECT_EQ(pixmap.size(), pixels) << c.path << " " << c.ratio;
        EXPECT_EQ(pixmap.devicePixelRatio(), c.ratio) << c.path;
        const int drawn = drawnPixels(pixmap.toImage());
        if (c.drawn)
            EXPECT_GT(drawn, pixels.width() * pixels.height() / 10) << c.path << " " << c.ratio;
        else
            EXPECT_EQ(drawn, 0) << c.path;
    }
}

} // namespace
} // namespace talsk
