#include "gui/files/file_info_panel.h"

#include "gui/widgets/dialog_units.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace talsk {

namespace {

const char* const kTableTitles[kTableCount] = {"Население", "Организации", "Код города"};
const char* const kTableNames[kTableCount] = {"population", "organizations", "cityCodes"};

QLabel* valueLabel(int table, const char* what) {
    auto* label = new QLabel(QStringLiteral("-"));
    label->setObjectName(QLatin1String(kTableNames[table]) + QLatin1String(what));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // As wide as the longest date or count, so that the boxes keep their size
    // from one file to the next.
    const QFontMetrics fm = label->fontMetrics();
    label->setMinimumWidth(std::max(fm.horizontalAdvance(QStringLiteral("00.00.0000")),
                                    fm.horizontalAdvance(QStringLiteral("00000000"))));
    return label;
}

} // namespace

FileInfoPanel::FileInfoPanel(QWidget* parent) : QWidget(parent) {
    const DialogUnits u = dialogUnits(*this);
    auto* row = new QGridLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row_ = row;
    for (int k = 0; k < kTableCount; ++k) {
        auto* group = new QGroupBox(QString::fromUtf8(kTableTitles[k]));
        auto* grid = new QGridLayout(group);
        grid->setContentsMargins(u.x(4), u.y(2), u.x(4), u.y(3));
        grid->setVerticalSpacing(u.y(1));
        counts_[k] = valueLabel(k, "Count");
        created_[k] = valueLabel(k, "Created");
        updated_[k] = valueLabel(k, "Updated");
        grid->addWidget(new QLabel(QStringLiteral("Записей - ")), 0, 0);
        grid->addWidget(counts_[k], 0, 1);
        grid->addWidget(new QLabel(QStringLiteral("Создан - ")), 1, 0);
        grid->addWidget(created_[k], 1, 1);
        grid->addWidget(new QLabel(QStringLiteral("Обновлен - ")), 2, 0);
        grid->addWidget(updated_[k], 2, 1);
        grid->setColumnStretch(1, 1);
        row->addWidget(group, 0, k);
        row->setColumnStretch(k, 1);
    }
    // The notices share a column at the right, one line each.
    auto* notices = new QVBoxLayout;
    notices_ = notices;
    notices->setContentsMargins(u.x(4), u.y(6), 0, 0);
    keyNotice_ = new QLabel;
    keyNotice_->setObjectName(QStringLiteral("keyNotice"));
    version_ = new QLabel;
    version_->setObjectName(QStringLiteral("version"));
    notLoaded_ = new QLabel;
    notLoaded_->setObjectName(QStringLiteral("notLoaded"));
    const QFontMetrics fm = fontMetrics();
    const int wide = std::max({fm.horizontalAdvance(QStringLiteral("Требуется ключ")),
                               fm.horizontalAdvance(QStringLiteral("Файл не загружен")),
                               fm.horizontalAdvance(QStringLiteral("Неверный формат"))});
    for (QLabel* l : {keyNotice_, version_, notLoaded_}) {
        l->setMinimumWidth(wide + u.x(4));
        notices->addWidget(l);
    }
    notices->addStretch(1);
    row->addLayout(notices, 0, kTableCount);
    setLayout(row);
    showTexts(fileInfoTexts(PhoneBase{}, FileInfoRead::NoFile));
}

void FileInfoPanel::fitWidth(int width) {
    if (minimumSizeHint().width() <= width) return;
    row_->removeItem(notices_);
    notices_->setDirection(QBoxLayout::LeftToRight);
    notices_->setContentsMargins(0, 0, 0, 0);
    row_->addLayout(notices_, 1, 0, 1, kTableCount);
}

void FileInfoPanel::showTexts(const FileInfoTexts& texts) {
    for (size_t k = 0; k < kTableCount; ++k) {
        counts_[k]->setText(QString::fromStdString(texts.counts[k]));
        created_[k]->setText(QString::fromStdString(texts.created[k]));
        updated_[k]->setText(QString::fromStdString(texts.updated[k]));
    }
    keyNotice_->setText(QString::fromStdString(texts.keyNotice));
    version_->setText(QString::fromStdString(texts.version));
}

void FileInfoPanel::showFile(const std::string& path) {
    PhoneBase base;
    FileInfoRead outcome = FileInfoRead::NoFile;
    (void)readFileInfo(path, base, &outcome); // the outcome tells what to show
    showTexts(fileInfoTexts(base, outcome));
}

void FileInfoPanel::setNotLoaded(bool notLoaded) {
    notLoaded_->setText(notLoaded ? QStringLiteral("Файл не загружен") : QString());
}

void FileInfoPanel::setVersionShown(bool shown) {
    version_->setVisible(shown);
}

} // namespace talsk
