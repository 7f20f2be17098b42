#pragma once
// The picture buttons of the field search panel, made in one place.

#include <QString>
#include <QWidget>

#include <functional>

namespace talsk {

enum class PicturePosition { Left = 0, Right = 1, Above = 2 };

// A flat button with a picture, a caption and a tool tip that sends its
// command id to `command` when clicked.
QWidget* makePictureButton(int id, const QString& image, const QString& toolTip,
                           std::function<void(int)> command, QWidget* parent);
// Caption and picture position for the panel's orientation.
void setPictureButtonFace(QWidget* button, const QString& caption, PicturePosition position);

} // namespace talsk
