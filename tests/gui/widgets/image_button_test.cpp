// The image button: its picture's key colour, the press and release rules
// and what it shows.

#include "gui/widgets/image_button.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace talsk {
namespace {

TEST(ImageButtonPicture, KeyColourBecomesTransparentEverywhere) {
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(QColor(255, 0, 255));
    picture.setPixelColor(1, 1, QColor(10, 20, 30));
    picture.setPixelColor(2, 2, QColor(255, 0, 254));
    const QImage keyed = keyColourTransparent(picture);
    EXPECT_EQ(qAlpha(keyed.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(keyed.pixel(3, 2)), 0); // the key colour inside the picture too
    EXPECT_EQ(keyed.pixelColor(1, 1), QColor(10, 20, 30));
    EXPECT_EQ(keyed.pixelColor(2, 2), QColor(255, 0, 254));

    QImage mono(8, 2, QImage::Format_Mono); // under 8 bits a pixel: drawn opaque
    mono.fill(0);
    EXPECT_FALSE(keyColourTransparent(mono).hasAlphaChannel());
}

class ImageButtonTest : public testing::Test {
protected:
    void SetUp() override {
        button.setImages(QStringLiteral(":/images/search.png"), QString(),
                         ImageButton::ImagePosition::Left);
        button.resize(90, 26);
        button.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
        // The pointer stays where the last test left it, and a move to the
        // spot it is already at is dropped: start off the button, so the
        // first move onto it is a real one.
        QTest::mouseMove(&button, QPoint(-30, -30));
    }

    ImageButton button{QStringLiteral("Поиск"), 32800};
};

TEST_F(ImageButtonTest, ReleaseOverTheButtonSendsItsCommand) {
    QSignalSpy commands(&button, &ImageButton::command);
    QTest::mouseMove(&button, QPoint(40, 10));
    EXPECT_EQ(button.state(), ImageButton::State::Hot);
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(40, 10));
    EXPECT_EQ(button.state(), ImageButton::State::Pressed);
    EXPECT_EQ(button.cursor().shape(), Qt::ClosedHandCursor);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(40, 10));
    EXPECT_EQ(button.state(), ImageButton::State::Hot);
    EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands.at(0).at(0).toInt(), 32800);
}

TEST_F(ImageButtonTest, ReleaseAfterLeavingSendsNothing) {
    QSignalSpy commands(&button, &ImageButton::command);
    QTest::mouseMove(&button, QPoint(40, 10));
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(40, 10));
    QTest::mouseMove(&button, QPoint(150, 10));
    EXPECT_EQ(button.state(), ImageButton::State::Normal);
    QTest::mouseMove(&button, QPoint(40, 10));
    EXPECT_EQ(button.state(), ImageButton::State::Hot); // not pressed again
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(40, 10));
    EXPECT_EQ(commands.count(), 0);
}

TEST_F(ImageButtonTest, ShowsThePictureWithoutItsKeyColour) {
    const QImage shot = button.grab().toImage();
    int keyPixels = 0;
    int picturePixels = 0;
    const QColor face = button.palette().button().color();
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            keyPixels += shot.pixelColor(x, y) == QColor(255, 0, 255);
            picturePixels += x >= 3 && x < 19 && shot.pixelColor(x, y) != face;
        }
    EXPECT_EQ(keyPixels, 0);
    EXPECT_GT(picturePixels, 30); // the picture stands at the left
}

} // namespace
} // namespace talsk
