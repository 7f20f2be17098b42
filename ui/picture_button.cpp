#include "ui/picture_button.h"

#include "ui/icons.h"

#include <QToolButton>

namespace talsk {

QWidget* makePictureButton(int id, const QString& image, const QString& toolTip,
                           std::function<void(int)> command, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString("button%1").arg(id));
    b->setProperty("commandId", id);
    b->setIcon(programIcon(image));
    b->setIconSize(QSize(21, 21));
    b->setAutoRaise(true);
    b->setToolTip(toolTip);
    b->setFocusPolicy(Qt::NoFocus);
    QObject::connect(b, &QToolButton::clicked, b, [id, command] { command(id); });
    return b;
}

void setPictureButtonFace(QWidget* button, const QString& caption, PicturePosition position) {
    auto* b = static_cast<QToolButton*>(button);
    b->setText(caption);
    if (caption.isEmpty())
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    else
        b->setToolButtonStyle(position == PicturePosition::Above ? Qt::ToolButtonTextUnderIcon
                                                                 : Qt::ToolButtonTextBesideIcon);
    // A picture at the right of its caption.
    b->setLayoutDirection(position == PicturePosition::Right ? Qt::RightToLeft : Qt::LeftToRight);
}

} // namespace talsk
