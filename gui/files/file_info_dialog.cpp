#include "gui/files/file_info_dialog.h"

#include "base/load_status.h"
#include "gui/files/file_browser.h"
#include "gui/files/file_info_panel.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/text.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace talsk {

namespace {

QLabel* valueLabel(const char* name, const QString& text = QString()) {
    auto* label = new QLabel(text);
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

FileInfoDialog::FileInfoDialog(const BaseSet& set, QWidget* parent) : QDialog(parent), set_(set) {
    setWindowTitle(QStringLiteral("Информация"));
    const DialogUnits u = dialogUnits(*this);

    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("files"));
    for (const PhoneBase& base : set.bases)
        list_->addItem(fromNativePath(base.path));

    auto* totals = new QGroupBox(QStringLiteral("Всего записей:"));
    auto* totalsForm = new QFormLayout(totals);
    totalsForm->addRow(QStringLiteral("Население:"),
                       valueLabel("populationTotal", QString::number(set.totalPopulation)));
    totalsForm->addRow(QStringLiteral("Предприятия:"),
                       valueLabel("organizationsTotal", QString::number(set.totalOrganizations)));
    totalsForm->addRow(QStringLiteral("Код города:"),
                       valueLabel("cityCodesTotal", QString::number(set.totalCityCodes)));

    auto* top = new QHBoxLayout;
    top->addWidget(list_, 1);
    auto* side = new QVBoxLayout;
    side->addWidget(totals);
    side->addStretch(1);
    top->addLayout(side);

    panel_ = new FileInfoPanel;
    panel_->setVersionShown(false);

    auto* statusBox = new QGroupBox(QStringLiteral("Статус файла"));
    auto* statusLayout = new QVBoxLayout(statusBox);
    status_ = valueLabel("status");
    status_->setWordWrap(true);
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The longest full messages take two lines.
    status_->setMinimumHeight(2 * status_->fontMetrics().lineSpacing());
    statusLayout->addWidget(status_);

    total_ = valueLabel("recordsInFile");
    ratio_ = valueLabel("ratio");
    auto* numbers = new QFormLayout;
    numbers->addRow(QStringLiteral("Всего записей в файле:"), total_);
    numbers->addRow(QStringLiteral("Степень сжатия файла:"), ratio_);

    auto* others = new QPushButton(QStringLiteral("Другие файлы ..."));
    auto* exit = new QPushButton(QStringLiteral("Выход"));
    exit->setDefault(true);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(others, &QPushButton::clicked, this,
            [this] { runFileBrowser(this, fromNativePath(set_.folder)); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(others);
    buttons->addStretch(1);
    buttons->addWidget(exit);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(u.x(7), u.y(7), u.x(7), u.y(7));
    layout->addLayout(top, 1);
    layout->addWidget(panel_);
    layout->addWidget(statusBox);
    layout->addLayout(numbers);
    layout->addLayout(buttons);
    resize(u.x(330), u.y(290));

    connect(list_, &QListWidget::currentRowChanged, this, &FileInfoDialog::showBase);
    if (list_->count() > 0)
        list_->setCurrentRow(0);
    else
        showBase(-1);
}

void FileInfoDialog::showBase(int row) {
    if (row < 0 || static_cast<size_t>(row) >= set_.bases.size()) {
        panel_->showTexts(fileInfoTexts(PhoneBase{}, FileInfoRead::NoFile));
        status_->clear();
        total_->clear();
        ratio_->clear();
        return;
    }
    const PhoneBase& base = set_.bases[static_cast<size_t>(row)];
    const FileInfoTexts texts = fileInfoTexts(base);
    panel_->showTexts(texts);
    status_->setText(QString::fromStdString(statusMessage(base.status, false, base.openCause)));
    total_->setText(QString::fromStdString(texts.total));
    ratio_->setText(QString::fromStdString(texts.ratio));
}

} // namespace talsk
