#include "gui/mainwindow/search_area_bar.h"

#include "gui/widgets/base_units.h"

#include <QHBoxLayout>

namespace talsk {

SearchAreaBar::SearchAreaBar(QWidget* parent) : QWidget(parent) {
    const BaseUnits u = baseUnits(font());
    files_ = new QComboBox(this);
    files_->setObjectName("combo1020");
    files_->setToolTip("Файлы для поиска");
    files_->setMinimumWidth(int(150 * u.bx));
    files_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    tables_ = new QComboBox(this);
    tables_->setObjectName("combo1018");
    tables_->setToolTip("Таблицы для поиска");
    tables_->setMinimumWidth(int(160 * u.bx));
    tables_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(int(6 * u.bx));
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
