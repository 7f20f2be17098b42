#include "gui/search/nothing_found_dialog.h"

#include "gui/widgets/dialog_units.h"

#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace talsk {

void runNothingFoundDialog(QWidget* parent, ProgramSettings& settings) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Результат поиска ..."));
    const DialogUnits u = dialogUnits(dialog);

    auto* icon = new QLabel;
    const int side = dialog.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &dialog);
    icon->setPixmap(
        dialog.style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(side, side));
    auto* text = new QLabel(QStringLiteral("Ничего не найдено !!!"));
    auto* dontShow = new QCheckBox(QStringLiteral("Не выводить это сообщение в дальнейшем"));
    dontShow->setObjectName(QStringLiteral("dontShow"));
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);

    auto* layout = new QGridLayout(&dialog);
    layout->setContentsMargins(u.x(10), u.y(10), u.x(10), u.y(8));
    layout->setHorizontalSpacing(u.x(10));
    layout->setVerticalSpacing(u.y(8));
    layout->addWidget(icon, 0, 0);
    layout->addWidget(text, 0, 1);
    layout->setColumnStretch(1, 1);
    layout->addWidget(dontShow, 1, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addStretch(1);
    layout->addLayout(buttons, 2, 0, 1, 2);
    dialog.setFixedSize(dialog.sizeHint());

    dialog.exec();
    if (dontShow->isChecked()) settings.notFoundMessage = 0;
}

} // namespace talsk
