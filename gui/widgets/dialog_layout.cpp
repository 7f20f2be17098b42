#include "gui/widgets/dialog_layout.h"

#include "gui/widgets/dialog_units.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace talsk {

QHBoxLayout* okCancelRow(QDialog& dialog) {
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"));
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

void layOutAroundList(QDialog& dialog, QWidget* list, QBoxLayout* top, int topBy,
                      QBoxLayout* bottom, int bottomBy) {
    const DialogUnits u = dialogUnits(dialog);
    auto band = [](QBoxLayout* contents, int height) {
        auto* widget = new QWidget;
        widget->setLayout(contents);
        widget->setMinimumHeight(height);
        return widget;
    };
    auto* middle = new QHBoxLayout;
    middle->setContentsMargins(u.x(8), 0, u.x(8), 0);
    middle->addWidget(list);
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(band(top, u.y(topBy)));
    layout->addLayout(middle, 1);
    layout->addWidget(band(bottom, u.y(bottomBy)));
}

} // namespace talsk
