#include "gui/help/licence_dialog.h"

#include "gui/help/about_box_resources.h"
#include "gui/widgets/app_texts.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/text.h"

#include <QFile>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace talsk {

QString licenceText() {
    initAboutResources();
    QFile file(QStringLiteral(":/licence.txt"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    // The whole resource by its length: it carries no terminator.
    return QString::fromUtf8(file.readAll());
}

LicenceDialog::LicenceDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Лицензия ") + fromUtf8(kAppTitle));
    const DialogUnits u = dialogUnits(*this);

    auto* text = new QPlainTextEdit;
    text->setObjectName(QStringLiteral("licenceText"));
    text->setReadOnly(true);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text->setPlainText(licenceText());
    const QFontMetrics fm(text->font());
    // Wide enough for the caption too.
    QFont caption = font();
    caption.setBold(true);
    const int width = std::max(fm.averageCharWidth() * 80,
                               QFontMetrics(caption).horizontalAdvance(windowTitle()) + u.x(100));
    text->setMinimumSize(width, fm.lineSpacing() * 22);

    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(u.x(7), u.y(7), u.x(7), u.y(7));
    layout->setSpacing(u.y(7));
    layout->addWidget(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    ok->setFocus();
}

void runLicenceDialog(QWidget* parent) {
    LicenceDialog dialog(parent);
    dialog.exec();
}

} // namespace talsk
