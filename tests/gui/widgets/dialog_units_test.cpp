// The layouts' units across font sizes: both kinds measure the same font,
// grow with it, and round their pixels down.

#include "gui/widgets/dialog_units.h"

#include <QFontMetrics>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>

namespace talsk {
namespace {

TEST(DialogUnits, FollowTheFontInBothKinds) {
    DialogUnits first, smaller{0, 0};
    for (int points : {7, 8, 10, 14, 24}) {
        SCOPED_TRACE(points);
        QFont font;
        font.setPointSize(points);
        QWidget widget;
        widget.setFont(font);
        const DialogUnits dialog = dialogUnits(widget);
        const DialogUnits frame = frameUnits(font);
        EXPECT_EQ(dialog.bx, dialogUnits(font).bx);
        EXPECT_EQ(dialog.by, dialogUnits(font).by);
        // One average width and one height behind both.
        EXPECT_DOUBLE_EQ(dialog.bx * 8, frame.bx * 6);
        EXPECT_DOUBLE_EQ(dialog.by * 16, QFontMetrics(font).height());
        EXPECT_DOUBLE_EQ(frame.by * 13, QFontMetrics(font).height());
        EXPECT_GE(dialog.bx, smaller.bx);
        EXPECT_GE(dialog.by, smaller.by);
        if (smaller.bx == 0) first = dialog;
        smaller = dialog;
        for (int n : {1, 3, 7, 150, 801})
            for (const DialogUnits& u : {dialog, frame}) {
                EXPECT_EQ(u.x(n), int(std::floor(n * u.bx)));
                EXPECT_EQ(u.y(n), int(std::floor(n * u.by)));
            }
    }
    EXPECT_GT(smaller.bx, first.bx * 2);
    EXPECT_GT(smaller.by, first.by * 2);
}

} // namespace
} // namespace talsk
