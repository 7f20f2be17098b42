// "Результаты поиска": the column widths in percent of the window with their
// total, and what the results table does when nothing is found.

#include "gui/settings/settings_sheet_pages.h"
#include "gui/widgets/dialog_units.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace talsk {

COptionsSResult::COptionsSResult(QWidget* parent) : COptionsPageBase(parent) {
    const DialogUnits u = dialogUnits(*this);
    auto* widthGroup = new QGroupBox("Ширина столбцов");
    auto* grid = new QGridLayout(widthGroup);
    grid->setContentsMargins(u.x(8), u.y(6), u.x(8), u.y(6));
    grid->setHorizontalSpacing(u.x(6));
    grid->setVerticalSpacing(u.y(3));
    grid->addWidget(new QLabel("в % от ширины окна"), 0, 0, 1, 4);
    const char* names[5] = {"Телефон\t-", "Фамилия И.О.\t-", "Адрес\t\t-", "Организация\t- ",
                            "Комментарий\t- "};
    for (size_t i = 0; i < widths_.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        addTabbedText(*grid, row, QString::fromUtf8(names[i]));
        widths_[i] = new SpinEdit(sheet::kWidthEdits[i]);
        grid->addWidget(widths_[i], row, 2, Qt::AlignLeft);
        connect(widths_[i]->edit(), &QLineEdit::textChanged, this, &COptionsSResult::showTotal);
    }
    total_ = addTabbedText(*grid, 6, QString::fromUtf8(sheet::totalWidthText({}).c_str()), 2);
    total_->setObjectName("totalWidth");
    grid->setColumnStretch(3, 1);
    auto_ = sheetCheckBox(1038, "Автоматически изменять ширину столбцов");
    connect(auto_, &QCheckBox::toggled, this, &COptionsSResult::enableWidths);
    grid->addWidget(auto_, 7, 0, 1, 4);

    auto* foundGroup = new QGroupBox("Если ничего не найдено");
    auto* found = new QVBoxLayout(foundGroup);
    found->setContentsMargins(u.x(8), u.y(6), u.x(8), u.y(6));
    message_ = sheetCheckBox(1037, "Выводить сообщение");
    clear_ = sheetCheckBox(1040, "Очищать таблицу");
    found->addWidget(message_);
    found->addWidget(clear_);
    tracking_ = sheetCheckBox(1039, "Отслеживание мыши");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(u.x(10), u.y(10), u.x(10), u.y(8));
    layout->setSpacing(u.y(6));
    layout->addWidget(widthGroup);
    layout->addWidget(foundGroup);
    layout->addWidget(tracking_);
    layout->addStretch(1);
}

std::array<std::string, 5> COptionsSResult::percents() const {
    std::array<std::string, 5> texts;
    for (size_t i = 0; i < texts.size(); ++i)
        texts[i] = widths_[i]->text();
    return texts;
}

void COptionsSResult::showTotal() {
    // The label holds the part after the tab; its first part stands beside it.
    const QString text = QString::fromUtf8(sheet::totalWidthText(percents()).c_str());
    total_->setText(text.section('\t', -1).trimmed());
}

void COptionsSResult::enableWidths() {
    for (SpinEdit* w : widths_)
        w->setEnabled(auto_->isChecked());
}

void COptionsSResult::load(const ProgramSettings& s) {
    const sheet::ResultsPage p = sheet::loadResults(s);
    for (size_t i = 0; i < widths_.size(); ++i)
        widths_[i]->setText(p.widthPercents[i]);
    auto_->setChecked(p.autoColumnWidths);
    message_->setChecked(p.notFoundMessage);
    clear_->setChecked(p.notFoundClearTable);
    tracking_->setChecked(p.mouseTracking);
    enableWidths();
    showTotal();
}

std::optional<sheet::Refusal> COptionsSResult::store(ProgramSettings& s) const {
    sheet::ResultsPage p;
    p.widthPercents = percents();
    p.autoColumnWidths = auto_->isChecked();
    p.notFoundMessage = message_->isChecked();
    p.notFoundClearTable = clear_->isChecked();
    p.mouseTracking = tracking_->isChecked();
    return sheet::storeResults(p, s);
}

} // namespace talsk
