// "Редактирование" and "Подключаемые файлы": the record editor's checks and
// the loading of connected files, with the button that forgets saved keys.

#include "base/key_store.h"
#include "gui/settings/settings_sheet_pages.h"
#include "gui/widgets/app_texts.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/text.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace talsk {

namespace {

QVBoxLayout* pageLayout(QWidget& page, std::initializer_list<QCheckBox*> boxes) {
    const DialogUnits u = dialogUnits(page);
    auto* layout = new QVBoxLayout(&page);
    layout->setContentsMargins(u.x(10), u.y(10), u.x(10), u.y(8));
    layout->setSpacing(u.y(6));
    for (QCheckBox* box : boxes)
        layout->addWidget(box);
    return layout;
}

} // namespace

COptionsEdit::COptionsEdit(QWidget* parent) : COptionsPageBase(parent) {
    confirmSave_ = sheetCheckBox(1088, "Подтверждение при сохранении записи");
    duplicates_ = sheetCheckBox(1089, "Проверка одинакового телефона в сохраняемом файле");
    askToSave_ = sheetCheckBox(1090, "Запрос на сохранение, если данные не были сохранены");
    saveOnClose_ = sheetCheckBox(1219, "Сохранять данные в файл только после закрытия окна");
    pageLayout(*this, {confirmSave_, duplicates_, askToSave_, saveOnClose_})->addStretch(1);
}

void COptionsEdit::load(const ProgramSettings& s) {
    const sheet::EditPage p = sheet::loadEdit(s);
    confirmSave_->setChecked(p.confirmSaveRecord);
    duplicates_->setChecked(p.checkDuplicatePhone);
    askToSave_->setChecked(p.askToSaveChanges);
    saveOnClose_->setChecked(p.saveOnClose);
}

std::optional<sheet::Refusal> COptionsEdit::store(ProgramSettings& s) const {
    sheet::storeEdit({confirmSave_->isChecked(), duplicates_->isChecked(), askToSave_->isChecked(),
                      saveOnClose_->isChecked()},
                     s);
    return std::nullopt;
}

COptionsLoaded::COptionsLoaded(const KeyStore& keys, QWidget* parent)
    : COptionsPageBase(parent), keys_(keys) {
    removeMissing_ = sheetCheckBox(1194, "Автоматически убирать несуществующие файлы");
    autoKeys_ = sheetCheckBox(1196, "Использовать автоматический ввод ключей");
    folderFiles_ = sheetCheckBox(1198, "Подключать все файлы в каталоге программы");
    loadErrors_ = sheetCheckBox(1126, "Сообщение об ошибке при загрузке файлов");
    readOnly_ = sheetCheckBox(1125, "Сообщение при подключении файлов только для чтения");
    auto* forget = new QPushButton("Удалить все сохраненные ключи");
    forget->setObjectName("forgetKeys");
    connect(forget, &QPushButton::clicked, this, &COptionsLoaded::forgetKeys);
    QVBoxLayout* layout =
        pageLayout(*this, {removeMissing_, autoKeys_, folderFiles_, loadErrors_, readOnly_});
    layout->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(forget);
    layout->addLayout(buttons);
}

void COptionsLoaded::load(const ProgramSettings& s) {
    const sheet::LoadedPage p = sheet::loadLoaded(s);
    removeMissing_->setChecked(p.autoRemoveMissing);
    autoKeys_->setChecked(p.autoKeyEntry);
    folderFiles_->setChecked(p.connectFolderFiles);
    loadErrors_->setChecked(p.loadErrorMessage);
    readOnly_->setChecked(p.readOnlyMessage);
}

std::optional<sheet::Refusal> COptionsLoaded::store(ProgramSettings& s) const {
    sheet::storeLoaded({removeMissing_->isChecked(), autoKeys_->isChecked(),
                        folderFiles_->isChecked(), loadErrors_->isChecked(),
                        readOnly_->isChecked()},
                       s);
    return std::nullopt;
}

void COptionsLoaded::forgetKeys() {
    const QString title = fromUtf8(kAppTitle);
    if (QMessageBox::question(this, title, "Удалить сохраненные ключи",
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    WriteError cause = WriteError::None;
    // Acted on at once: the sheet's OK or Cancel does not bring the keys back.
    if (!keys_.clearKeys(&cause))
        QMessageBox::warning(this, "Ошибка",
                             QString("Не удалось удалить ключи: ") +
                                 QString::fromUtf8(writeErrorText(cause)));
}

} // namespace talsk
