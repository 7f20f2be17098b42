#include "tools/dialogs/version_converter_info.h"

#include "base/base_file.h"
#include "base/file_info.h"

#include <QGridLayout>
#include <QLabel>

namespace talsk {

namespace {

QLabel* value(const char* id) {
    auto* label = new QLabel(QStringLiteral("-"));
    label->setObjectName(QString::fromLatin1(id));
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000")));
    return label;
}

} // namespace

FileInfoPanel::FileInfoPanel(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    const char* tables[3] = {"Население", "Организации", "Код города"};
    const char* countIds[3] = {"id1053", "id1054", "id1085"};
    const char* createdIds[3] = {"id1056", "id1091", "id1083"};
    const char* updatedIds[3] = {"id1038", "id1078", "id1079"};
    grid->addWidget(new QLabel(QStringLiteral("Записей - ")), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Создан - ")), 2, 0);
    grid->addWidget(new QLabel(QStringLiteral("Обновлен - ")), 3, 0);
    for (int k = 0; k < 3; ++k) {
        auto* caption = new QLabel(QString::fromUtf8(tables[k]));
        caption->setStyleSheet(QStringLiteral("font-weight: bold"));
        grid->addWidget(caption, 0, k + 1);
        counts_[k] = value(countIds[k]);
        created_[k] = value(createdIds[k]);
        updated_[k] = value(updatedIds[k]);
        grid->addWidget(counts_[k], 1, k + 1);
        grid->addWidget(created_[k], 2, k + 1);
        grid->addWidget(updated_[k], 3, k + 1);
    }
    keyNotice_ = new QLabel;
    keyNotice_->setObjectName(QStringLiteral("id1220"));
    version_ = new QLabel;
    version_->setObjectName(QStringLiteral("id1005"));
    grid->addWidget(keyNotice_, 4, 0, 1, 2);
    grid->addWidget(version_, 4, 2, 1, 2);
    grid->setHorizontalSpacing(fontMetrics().averageCharWidth() * 2);
}

void FileInfoPanel::display(const PhoneBase* base) {
    const bool described = base != nullptr && headerDescribesFile(*base);
    const FileInfoTexts texts = described ? fileInfoTexts(*base) : FileInfoTexts{};
    for (int k = 0; k < 3; ++k) {
        const bool any = described && base->tables[static_cast<size_t>(k)].count > 0;
        counts_[k]->setText(described ? QString::fromStdString(texts.counts[k])
                                      : QStringLiteral("-"));
        created_[k]->setText(any ? QString::fromStdString(
                                       formatBaseDate(base->tables[static_cast<size_t>(k)].created))
                                 : QStringLiteral("-"));
        updated_[k]->setText(any ? QString::fromStdString(
                                       formatBaseDate(base->tables[static_cast<size_t>(k)].updated))
                                 : QStringLiteral("-"));
    }
    keyNotice_->setText(described && base->keyed ? QStringLiteral("Требуется ключ") : QString());
    version_->setText(base != nullptr && base->version != 0
                          ? QString::fromUtf8(versionName(base->version))
                          : QString());
}

} // namespace talsk
