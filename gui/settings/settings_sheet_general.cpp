// "Общее": window, exit and start options, the log size, the start field and
// the reset of every option.

#include "gui/settings/settings_sheet_pages.h"
#include "gui/widgets/dialog_units.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace talsk {

COptionsPage1::COptionsPage1(QWidget* parent) : COptionsPageBase(parent) {
    const DialogUnits u = dialogUnits(*this);
    remember_ = sheetCheckBox(1060, "Запоминать положение окна");
    confirmExit_ = sheetCheckBox(1087, "Подтверждение при выходе");
    singleInstance_ = sheetCheckBox(1062, "Запускать только одну копию программы");
    latin_ = sheetCheckBox(1140, "Заменять английские символы русскими");
    capacity_ = new SpinEdit(sheet::kLogCapacityEdit);
    startFocus_ = new QComboBox;
    startFocus_->setObjectName("startFocus");
    // Item index = SearchFocus value.
    for (const char* item : {"Общий поиск", "Комментарий", "Фамилия", "Улица", "Дом", "Квартира",
                             "Организация", "Телефон"})
        startFocus_->addItem(QString::fromUtf8(item));
    auto* restore = new QPushButton("Восстановить все настройки");
    restore->setObjectName("restoreAll");
    connect(restore, &QPushButton::clicked, this, &COptionsPage1::restoreAllRequested);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(u.x(10), u.y(10), u.x(10), u.y(8));
    layout->setSpacing(u.y(6));
    for (QCheckBox* box : {remember_, confirmExit_, singleInstance_, latin_})
        layout->addWidget(box);
    layout->addSpacing(u.y(4));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(u.x(6));
    grid->setVerticalSpacing(u.y(6));
    auto* capacityLabel = new QLabel("Количество записей в журнале поиска:");
    capacityLabel->setBuddy(capacity_->edit());
    auto* focusLabel = new QLabel("Устанавливать курсор при запуске на:");
    focusLabel->setBuddy(startFocus_);
    grid->addWidget(capacityLabel, 0, 0);
    grid->addWidget(capacity_, 0, 1, Qt::AlignLeft);
    grid->addWidget(focusLabel, 1, 0);
    grid->addWidget(startFocus_, 1, 1, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);
    layout->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(restore);
    layout->addLayout(buttons);
}

void COptionsPage1::load(const ProgramSettings& s) {
    const sheet::GeneralPage p = sheet::loadGeneral(s);
    remember_->setChecked(p.rememberWindowPosition);
    confirmExit_->setChecked(p.confirmExit);
    singleInstance_->setChecked(p.singleInstance);
    latin_->setChecked(p.latinToCyrillic);
    capacity_->setText(p.logCapacity);
    startFocus_->setCurrentIndex(p.startFocus);
}

std::optional<sheet::Refusal> COptionsPage1::store(ProgramSettings& s) const {
    sheet::GeneralPage p;
    p.rememberWindowPosition = remember_->isChecked();
    p.confirmExit = confirmExit_->isChecked();
    p.singleInstance = singleInstance_->isChecked();
    p.latinToCyrillic = latin_->isChecked();
    p.logCapacity = capacity_->text();
    p.startFocus = startFocus_->currentIndex();
    return sheet::storeGeneral(p, s);
}

} // namespace talsk
