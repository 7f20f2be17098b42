#include "search/dialogs/search_area_dialog.h"

#include "base/dialogs/dialog_text.h"
#include "base/dialogs/dialog_units.h"
#include "base/dialogs/file_check_list.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace talsk {

bool runSearchAreaFilesDialog(QWidget* parent, const BaseSet& set, FileMask& mask) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Область поиска"));
    const DialogUnits u = dialogUnits(dialog);

    auto* header = new QLabel(QStringLiteral("Укажите файлы для поиска:"));
    header->setObjectName(QStringLiteral("id1064"));
    auto* list = new FileCheckList;
    const size_t shown = std::min(set.bases.size(), mask.size());
    for (size_t i = 0; i < shown; ++i)
        addCheckItem(*list, fromCp1251(set.bases[i].path), mask[i] == 1,
                     QByteArray::fromStdString(set.bases[i].path));
    header->setBuddy(list);

    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"));
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);

    // The list keeps 8 bx at the sides, 18 by above and 30 by below it.
    auto* headerBand = new QVBoxLayout;
    headerBand->setContentsMargins(u.x(8), u.y(6), u.x(8), u.y(3));
    headerBand->addWidget(header);
    auto* top = new QWidget;
    top->setLayout(headerBand);
    top->setMinimumHeight(u.y(18));
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(u.x(8), u.y(4), u.x(8), u.y(4));
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* bottom = new QWidget;
    bottom->setLayout(buttons);
    bottom->setMinimumHeight(u.y(30));
    auto* middle = new QHBoxLayout;
    middle->setContentsMargins(u.x(8), 0, u.x(8), 0);
    middle->addWidget(list);

    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top);
    layout->addLayout(middle, 1);
    layout->addWidget(bottom);
    dialog.resize(u.x(400), u.y(220));
    if (list->count() > 0) list->setCurrentRow(0);

    if (dialog.exec() != QDialog::Accepted) return false;
    for (int row = 0; row < list->count(); ++row) {
        const std::string path = list->item(row)->data(Qt::UserRole).toByteArray().toStdString();
        const int base = findBase(set, path);
        if (base != kNoBase && static_cast<size_t>(base) < mask.size())
            mask[static_cast<size_t>(base)] = isItemChecked(*list, row) ? 1 : 0;
    }
    return true;
}

} // namespace talsk
