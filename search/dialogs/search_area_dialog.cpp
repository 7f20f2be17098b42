#include "search/dialogs/search_area_dialog.h"

#include "base/dialogs/dialog_layout.h"
#include "ui/text.h"
#include "base/dialogs/dialog_units.h"
#include "base/dialogs/file_check_list.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
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

    // The list keeps 18 by above and 30 by below it.
    auto* top = new QVBoxLayout;
    top->setContentsMargins(u.x(8), u.y(6), u.x(8), u.y(3));
    top->addWidget(header);
    QHBoxLayout* bottom = okCancelRow(dialog);
    bottom->setContentsMargins(u.x(8), u.y(4), u.x(8), u.y(4));
    layOutAroundList(dialog, list, top, 18, bottom, 30);
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
