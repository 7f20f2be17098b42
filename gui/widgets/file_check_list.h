#pragma once
// The list with a check box per item that the key entry and the search area
// share: the CheckList, filled and read the same way in both.

#include "gui/widgets/check_list.h"

namespace talsk {

using FileCheckList = CheckList;

// Appends an item with its check box; data is kept in Qt::UserRole.
inline void addCheckItem(FileCheckList& list, const QString& text, bool checked,
                         const QVariant& data = {}) {
    auto* item = new QListWidgetItem(text, &list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    item->setData(Qt::UserRole, data);
}

inline bool isItemChecked(const FileCheckList& list, int row) {
    const QListWidgetItem* item = list.item(row);
    return item != nullptr && item->checkState() == Qt::Checked;
}

} // namespace talsk
