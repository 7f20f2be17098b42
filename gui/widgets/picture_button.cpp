#include "gui/widgets/picture_button.h"

#include "gui/widgets/image_button.h"

namespace talsk {

QWidget* makePictureButton(int id, const QString& image, const QString& toolTip,
                           std::function<void(int)> command, QWidget* parent) {
    auto* b = new ImageButton(QString(), id, parent);
    b->setObjectName(QString("button%1").arg(id));
    b->setImages(image, QString(), ImageButton::ImagePosition::Left);
    b->setToolTip(toolTip);
    b->setFocusPolicy(Qt::NoFocus);
    QObject::connect(b, &ImageButton::command, b, [command](int commandId) { command(commandId); });
    return b;
}

void setPictureButtonFace(QWidget* button, const QString& caption, PicturePosition position) {
    auto* b = static_cast<ImageButton*>(button);
    b->setImagePosition(static_cast<ImageButton::ImagePosition>(position));
    b->setCaption(caption, true);
}

} // namespace talsk
