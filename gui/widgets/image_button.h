#pragma once
// ImageButton: a flat push button with a picture and an optional caption. Its
// edge rises while the mouse is over it and sinks while it is pressed; the
// command goes out when the button is released over it.

#include <QPixmap>
#include <QWidget>

#include <cstdint>

namespace talsk {

// The picture with every pixel of its top-left pixel's colour made transparent;
// pictures of fewer than 8 bits per pixel stay opaque.
QImage keyColourTransparent(const QImage& image);

class ImageButton : public QWidget {
    Q_OBJECT

public:
    enum class State : uint8_t { Normal = 0, Hot = 1, Pressed = 2 };
    enum class ImagePosition : uint8_t { Left = 0, Right = 1, Above = 2 };

    ImageButton(const QString& caption, int commandId, QWidget* parent = nullptr);

    // Loads the pictures (resource paths); an empty pressed path means the
    // normal picture serves the pressed state too.
    void setImages(const QString& image, const QString& pressedImage, ImagePosition position);
    void setCaption(const QString& caption, bool redraw);
    void setImagePosition(ImagePosition position) { imagePosition_ = position; }

    QString caption() const { return caption_; }
    State state() const { return state_; }
    int commandId() const { return commandId_; }
    bool hasPressedImage() const { return !pressedImage_.isNull(); }
    QSize sizeHint() const override;
    // What a click does, for a caller that is not the mouse.
    void click() { Q_EMIT command(commandId_); }

Q_SIGNALS:
    // Sent on release when the press began on the button.
    void command(int commandId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setState(State state);
    void mouseLeft();

    QString caption_;
    State state_ = State::Normal;
    ImagePosition imagePosition_ = ImagePosition::Left;
    bool tracking_ = false;
    bool pressed_ = false;
    int commandId_ = 0;
    QPixmap image_;
    QPixmap pressedImage_;
};

} // namespace talsk
