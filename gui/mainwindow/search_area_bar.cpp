#include "gui/mainwindow/search_area_bar.h"

#include "gui/widgets/dialog_units.h"

#include <QHBoxLayout>

namespace talsk {

SearchAreaBar::SearchAreaBar(QWidget* parent) : QWidget(parent) {
    const DialogUnits u = frameUnits(font());
    files_ = new QComboBox(this);
    files_->setObjectName("areaFiles");
    files_->setToolTip("Файлы для поиска");
    // Windows screen readers take a list's name from here, not its text.
    files_->setAccessibleName(files_->toolTip());
    files_->setMinimumWidth(u.x(150));
    files_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    tables_ = new QComboBox(this);
    tables_->setObjectName("areaTables");
    tables_->setToolTip("Таблицы для поиска");
    tables_->setAccessibleName(tables_->toolTip());
    tables_->setMinimumWidth(u.x(160));
    tables_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(u.x(6));
    row->addWidget(files_);
    row->addWidget(tables_);
    connect(files_, qOverload<int>(&QComboBox::activated), this, &SearchAreaBar::filesChanged);
    connect(tables_, qOverload<int>(&QComboBox::activated), this, &SearchAreaBar::tablesChanged);
}

void SearchAreaBar::fill(QComboBox* list, const std::vector<std::string>& items) {
    list->blockSignals(true);
    list->clear();
    for (const std::string& item : items)
        list->addItem(QString::fromStdString(item));
    list->setCurrentIndex(0);
    list->blockSignals(false);
}

std::string SearchAreaBar::selectedText(const QComboBox* list) {
    return list->currentText().toStdString();
}

} // namespace talsk
