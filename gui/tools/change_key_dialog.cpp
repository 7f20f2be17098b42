#include "gui/tools/change_key_dialog.h"

#include "base/base_file.h"
#include "base/base_set.h"
#include "base/file_info.h"
#include "base/load_status.h"
#include "gui/tools/version_converter_messages.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/text.h"
#include "tools/rekey.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace talsk {

namespace {

QLineEdit* keyBox(const char* id) {
    auto* box = new QLineEdit;
    box->setObjectName(QString::fromLatin1(id));
    box->setMaxLength(static_cast<int>(kMaxKeyLength));
    return box;
}

} // namespace

ChangeKeyDialog::ChangeKeyDialog(QWidget* parent, BaseSet& set, const KeyStore* keys)
    : QDialog(parent), set_(set), keys_(keys) {
    setWindowTitle(QStringLiteral("Изменение ключа файла"));
    const DialogUnits u = dialogUnits(*this);
    chooseFile = [](QWidget* w) {
        return QFileDialog::getOpenFileName(w, QStringLiteral("Открыть"), QString(),
                                            QStringLiteral("Base telephone number (*.btn)"));
    };

    auto* choose = new QPushButton(QStringLiteral("Выбрать..."));
    choose->setObjectName(QStringLiteral("choose"));
    choose->setAutoDefault(false);
    pathLabel_ = new QLabel;
    pathLabel_->setObjectName(QStringLiteral("path"));
    pathLabel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pathLabel_->setMinimumWidth(u.x(180));
    pathLabel_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* oldLabel = new QLabel(QStringLiteral("Старый ключ:"));
    oldKey_ = keyBox("oldKey");
    oldKey_->setEchoMode(QLineEdit::Password);
    oldKey_->setEnabled(false);
    oldLabel->setBuddy(oldKey_);
    newKeyUsed_ = new QCheckBox(QStringLiteral("Новый ключ:"));
    newKeyUsed_->setObjectName(QStringLiteral("newKeyUsed"));
    newKeyUsed_->setChecked(true);
    newKey_ = keyBox("newKey");
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* exit = new QPushButton(QStringLiteral("Выход"));
    exit->setObjectName(QStringLiteral("exit"));
    exit->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(choose);
    top->addWidget(pathLabel_, 1);
    auto* grid = new QGridLayout;
    grid->addWidget(oldLabel, 0, 0);
    grid->addWidget(oldKey_, 0, 1);
    grid->addWidget(newKeyUsed_, 1, 0);
    grid->addWidget(newKey_, 1, 1);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(exit);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(u.x(7), u.y(7), u.x(7), u.y(7));
    layout->setSpacing(u.y(5));
    layout->addLayout(top);
    layout->addSpacing(u.y(3));
    layout->addLayout(grid);
    layout->addSpacing(u.y(3));
    layout->addLayout(buttons);

    // Wide enough for the whole title.
    setMinimumWidth(std::max(u.x(320), fontMetrics().horizontalAdvance(windowTitle()) + u.x(120)));

    connect(choose, &QPushButton::clicked, this, &ChangeKeyDialog::pickFile);
    connect(newKeyUsed_, &QCheckBox::toggled, this, &ChangeKeyDialog::newKeyToggled);
    connect(ok, &QPushButton::clicked, this, &ChangeKeyDialog::apply);
    connect(exit, &QPushButton::clicked, this, &ChangeKeyDialog::reject);
}

void ChangeKeyDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (opened_) return;
    opened_ = true;
    // The file chooser opens at once.
    QMetaObject::invokeMethod(this, &ChangeKeyDialog::pickFile, Qt::QueuedConnection);
}

void ChangeKeyDialog::clearPath() {
    path_.clear();
    pathLabel_->clear();
    oldKey_->setEnabled(false);
}

void ChangeKeyDialog::pickFile() {
    const QString chosen = chooseFile(this);
    if (chosen.isEmpty()) return;
    path_ = toNativePath(chosen);
    pathLabel_->setText(chosen);
    oldKey_->clear();
    PhoneBase info;
    if (!readFileInfo(path_, info)) {
        loadStatusBox(this, path_, info.status);
        clearPath();
    } else if (info.version != kVersion20) {
        loadStatusBox(this, path_, StatusVersionMismatch);
        clearPath();
    } else {
        oldKey_->setEnabled(info.keyed != 0);
        (oldKey_->isEnabled() ? oldKey_ : newKey_)->setFocus();
    }
    layout()->activate();
    adjustSize(); // a long path is shown whole
}

void ChangeKeyDialog::newKeyToggled(bool checked) {
    newKey_->setEnabled(checked);
    if (!checked) newKey_->clear();
}

void ChangeKeyDialog::apply() {
    if (path_.empty() || (oldKey_->isEnabled() && oldKey_->text().isEmpty()) ||
        (newKeyUsed_->isChecked() && newKey_->text().isEmpty()))
        return;
    RekeyRequest request;
    request.path = path_;
    request.oldKey = oldKey_->isEnabled() ? toCp1251(oldKey_->text()) : std::string();
    request.newKeyUsed = newKeyUsed_->isChecked();
    request.newKey = toCp1251(newKey_->text());
    const RekeyResult r = changeFileKey(&set_, request, keys_);
    switch (r.outcome) {
    case RekeyOutcome::Done:
        toolMessage(this, QMessageBox::Information, QStringLiteral("Ключ изменен"));
        if (r.keysNotSaved != WriteError::None)
            toolMessage(this, QMessageBox::Warning,
                        QStringLiteral("Не удалось запомнить ключи: ") +
                            QString::fromUtf8(writeErrorText(r.keysNotSaved)),
                        QMessageBox::Ok, QStringLiteral("Ошибка"));
        clearPath();
        oldKey_->clear();
        newKey_->clear();
        break;
    case RekeyOutcome::WrongKey:
        toolMessage(this, QMessageBox::Warning, QStringLiteral("Введен неверный ключ"));
        break;
    case RekeyOutcome::NotValid:
    case RekeyOutcome::WrongVersion:
    case RekeyOutcome::CannotOpen:
        loadStatusBox(this, path_, r.status);
        break;
    case RekeyOutcome::SaveFailed:
        toolMessage(this, QMessageBox::Critical,
                    QStringLiteral("Ошибка при сохранении базы, данные не были сохранены\n "
                                   "перезапустите программу"));
        break;
    case RekeyOutcome::Incomplete:
        break;
    }
}

void runChangeKeyDialog(QWidget* parent, BaseSet& set, const KeyStore* keys) {
    ChangeKeyDialog dialog(parent, set, keys);
    dialog.exec();
}

} // namespace talsk
