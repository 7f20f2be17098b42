#include "gui/widgets/image_button.h"

#include "gui/widgets/accessibility.h"
#include "gui/widgets/icons.h"
#include "gui/widgets/stock_font.h"
#include "gui/widgets/ui_resources.h"

#include <QAccessible>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace talsk {

namespace {

const QCursor& hotCursor() {
    static const QCursor cursor(Qt::PointingHandCursor);
    return cursor;
}

const QCursor& pressedCursor() {
    static const QCursor cursor(Qt::ClosedHandCursor);
    return cursor;
}

QPixmap loadPicture(const QString& path) {
    if (path.isEmpty()) return {};
    // A drawing is rendered for the screen's pixel density, 16 points square.
    if (path.endsWith(".svg", Qt::CaseInsensitive))
        return programPicture(path, QSize(16, 16), qApp->devicePixelRatio());
    const QImage image(path);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(keyColourTransparent(image));
}

// A one-pixel edge: `topLeft` on the top and left sides, `bottomRight` on the others.
void drawEdge(QPainter& painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    painter.setPen(topLeft);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

} // namespace

QImage keyColourTransparent(const QImage& image) {
    if (image.isNull() || image.depth() < 8) return image;
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = out.pixel(0, 0);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if (line[x] == key) line[x] = 0;
    }
    return out;
}

ImageButton::ImageButton(const QString& caption, int commandId, QWidget* parent)
    : QWidget(parent), caption_(caption), commandId_(commandId) {
    initUiResources();
    installAccessibility();
    setFont(stockFont());
    setCursor(hotCursor());
    setMouseTracking(true);
}

void ImageButton::setImages(const QString& image, const QString& pressedImage,
                            ImagePosition position) {
    image_ = loadPicture(image);
    pressedImage_ = loadPicture(pressedImage);
    imagePosition_ = position;
}

void ImageButton::setCaption(const QString& caption, bool redraw) {
    const bool renamed = caption != caption_;
    caption_ = caption;
    if (redraw) repaint();
    if (renamed) { // the caption is the button's name for a screen reader
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

QSize ImageButton::sizeHint() const {
    const QSize text = fontMetrics().size(Qt::TextSingleLine, caption_);
    const QSize picture = image_.deviceIndependentSize().toSize();
    const int gap = caption_.isEmpty() ? 0 : 4;
    if (imagePosition_ == ImagePosition::Above)
        return {std::max(text.width(), picture.width()) + 8,
                text.height() + picture.height() + gap + 6};
    return {text.width() + picture.width() + 2 * gap + 8,
            std::max(text.height(), picture.height()) + 6};
}

void ImageButton::setState(State state) {
    state_ = state;
    setCursor(state == State::Pressed ? pressedCursor() : hotCursor());
    repaint();
}

void ImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().button());
    const QPixmap* picture = &image_;
    if (state_ == State::Hot) {
        drawEdge(painter, rect(), palette().light().color(), palette().dark().color());
    } else if (state_ == State::Pressed) {
        drawEdge(painter, rect(), palette().dark().color(), palette().light().color());
        if (hasPressedImage()) picture = &pressedImage_;
    }

    // Edges of the content as exclusive right and bottom, as the layout counts them.
    const bool down = state_ == State::Pressed;
    int left = down ? 2 : 1;
    int top = left;
    int right = width() - (down ? 1 : 2);
    int bottom = height() - (down ? 1 : 2);
    painter.setClipRect(QRect(left, top, right - left, bottom - top));
    const QSize size = picture->deviceIndependentSize().toSize();
    const int w = size.width();
    const int h = size.height();
    if (w > 0 && h > 0) {
        QPoint at;
        switch (imagePosition_) {
        case ImagePosition::Left:
            at = {left + 2, top + (bottom - top - h) / 2};
            left += w + 2;
            break;
        case ImagePosition::Right:
            at = {right - w - 2, top + (bottom - top - h) / 2};
            right -= w + 2;
            break;
        case ImagePosition::Above:
            at = {left + (right - left - w) / 2, top + 1};
            top += h + 1;
            break;
        }
        painter.drawPixmap(at, *picture);
    }
    painter.setPen(palette().buttonText().color());
    painter.drawText(QRect(left, top, right - left, bottom - top),
                     Qt::AlignCenter | Qt::TextSingleLine, caption_);
}

void ImageButton::mouseMoveEvent(QMouseEvent* event) {
    // A press keeps the mouse events coming while the pointer is outside; the
    // button treats that as the mouse leaving it.
    if (!rect().contains(event->position().toPoint())) {
        if (tracking_ || pressed_) mouseLeft();
        return;
    }
    if (tracking_) return;
    if (!pressed_) setState(State::Hot);
    tracking_ = true;
}

void ImageButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setState(State::Pressed);
    pressed_ = true;
}

void ImageButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint())) return;
    setState(State::Hot);
    const bool wasPressed = pressed_;
    pressed_ = false;
    if (wasPressed) Q_EMIT command(commandId_);
}

void ImageButton::leaveEvent(QEvent*) {
    mouseLeft();
}

void ImageButton::mouseLeft() {
    tracking_ = false;
    pressed_ = false;
    setState(State::Normal);
}

} // namespace talsk
