#include "gui/settings/settings_sheet.h"

#include "gui/settings/settings_sheet_pages.h"
#include "gui/widgets/app_texts.h"
#include "gui/widgets/dialog_layout.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/text.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace talsk {

COptionsSheet::COptionsSheet(const ProgramSettings& settings, const KeyStore& keys, QWidget* parent)
    : QDialog(parent), copy_(settings) {
    setWindowTitle("Настройки");
    const DialogUnits u = dialogUnits(*this);
    auto* general = new COptionsPage1;
    pages_ = {general, new COptionsSearch, new COptionsSResult, new COptionsEdit,
              new COptionsLoaded(keys)};
    connect(general, &COptionsPage1::restoreAllRequested, this, &COptionsSheet::restoreAll);
    tabs_ = new QTabWidget;
    const char* titles[5] = {"Общее", "Поиск", "Результаты поиска", "Редактирование",
                             "Подключаемые файлы"};
    for (size_t i = 0; i < pages_.size(); ++i) {
        pages_[i]->load(copy_);
        tabs_->addTab(pages_[i], QString::fromUtf8(titles[i]));
    }
    tabs_->setUsesScrollButtons(false); // every page's title in sight
    connect(tabs_, &QTabWidget::currentChanged, this, &COptionsSheet::pageChanged);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(u.x(7), u.y(7), u.x(7), u.y(7));
    layout->setSpacing(u.y(7));
    layout->addWidget(tabs_, 1);
    layout->addLayout(okCancelRow(*this));
    // A sheet's frame keeps its size, as large as its largest page needs.
    setFixedSize(sizeHint().expandedTo(QSize(u.x(250), u.y(200))));
}

bool COptionsSheet::storePage(int index, ProgramSettings& into) {
    const std::optional<sheet::Refusal> refused = pages_[static_cast<size_t>(index)]->store(into);
    if (!refused) return true;
    {
        const QSignalBlocker quiet(tabs_);
        tabs_->setCurrentIndex(refused->page);
        shown_ = refused->page;
    }
    QMessageBox::warning(this, fromUtf8(kAppTitle), QString::fromUtf8(refused->message.c_str()));
    if (auto* edit = findChild<QLineEdit*>(QString("id%1").arg(refused->control))) {
        edit->setFocus();
        edit->selectAll();
    }
    return false;
}

void COptionsSheet::pageChanged(int index) {
    // A page is left only with acceptable values; they wait in the copy.
    const int left = shown_;
    shown_ = index;
    (void)storePage(left, copy_);
}

void COptionsSheet::accept() {
    // Nothing reaches the copy unless every page takes its values.
    ProgramSettings result = copy_;
    for (int i = 0; i < static_cast<int>(pages_.size()); ++i)
        if (!storePage(i, result)) return;
    copy_ = std::move(result);
    QDialog::accept();
}

void COptionsSheet::restoreAll() {
    sheet::restoreAll(copy_);
    for (COptionsPageBase* page : pages_)
        page->load(copy_);
}

std::optional<ProgramSettings> runSettingsSheet(QWidget* parent, const ProgramSettings& settings,
                                                const KeyStore& keys) {
    COptionsSheet sheet(settings, keys, parent);
    if (sheet.exec() != QDialog::Accepted) return std::nullopt;
    return sheet.copy();
}

} // namespace talsk
