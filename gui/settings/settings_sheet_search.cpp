// "Поиск": the background search with its delay, and blanks in queries.

#include "gui/settings/settings_sheet_pages.h"
#include "gui/widgets/dialog_units.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace talsk {

COptionsSearch::COptionsSearch(QWidget* parent) : COptionsPageBase(parent) {
    const DialogUnits u = dialogUnits(*this);
    background_ = sheetCheckBox(1069, "Использовать фоновый поиск");
    delay_ = new SpinEdit(sheet::kDelayEdit);
    spaces_ = sheetCheckBox(1086, "Учитывать пробелы при поиске");
    // The delay means nothing without the background search.
    connect(background_, &QCheckBox::toggled, delay_, &QWidget::setEnabled);

    auto* group = new QGroupBox("Фоновый поиск");
    auto* inGroup = new QVBoxLayout(group);
    inGroup->setContentsMargins(u.x(8), u.y(6), u.x(8), u.y(6));
    inGroup->setSpacing(u.y(6));
    inGroup->addWidget(background_);
    auto* row = new QHBoxLayout;
    auto* delayLabel = new QLabel("Интервал ожидания (мСек):");
    delayLabel->setBuddy(delay_->edit());
    row->addWidget(delayLabel);
    row->addWidget(delay_);
    row->addStretch(1);
    inGroup->addLayout(row);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(u.x(10), u.y(10), u.x(10), u.y(8));
    layout->setSpacing(u.y(8));
    layout->addWidget(group);
    layout->addWidget(spaces_);
    layout->addStretch(1);
}

void COptionsSearch::load(const ProgramSettings& s) {
    const sheet::SearchPage p = sheet::loadSearch(s);
    background_->setChecked(p.backgroundSearch);
    delay_->setText(p.delayMs);
    delay_->setEnabled(p.backgroundSearch);
    spaces_->setChecked(p.spacesSignificant);
}

std::optional<sheet::Refusal> COptionsSearch::store(ProgramSettings& s) const {
    return sheet::storeSearch({background_->isChecked(), delay_->text(), spaces_->isChecked()}, s);
}

} // namespace talsk
