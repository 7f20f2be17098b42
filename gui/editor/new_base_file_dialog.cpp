// The "Сохранить как ..." dialog over createBaseFile.

#include "gui/editor/new_base_file_dialog.h"

#include "edit/new_base_file.h"
#include "gui/editor/record_editor.h"
#include "gui/widgets/text.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace talsk {

namespace {

constexpr const char* kNewFile = "Новый файл";

} // namespace

NewBaseFileDialog::NewBaseFileDialog(BaseSet& set, ProgramSettings* settings, QWidget* parent)
    : QDialog(parent), set_(set), settings_(settings ? *settings : ownSettings_) {
    setWindowTitle(fromUtf8("Сохранить как ..."));
    auto* root = new QVBoxLayout(this);

    root->addWidget(new QLabel(fromUtf8("Добавить в файл:"), this));
    files_ = new QComboBox(this);
    files_->view()->setMinimumWidth(150);
    // As wide as its longest entry, not the whole dialog.
    files_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // With the list full no further file can be connected.
    if (set_.count() < kMaxFiles) files_->addItem(fromUtf8(kNewFile));
    for (const PhoneBase& base : set_.bases)
        if (base.connected && !base.readOnly) files_->addItem(fromNativePath(base.path));
    root->addWidget(files_, 0, Qt::AlignLeft);

    auto* group = new QGroupBox(fromUtf8("Создание файла"), this);
    auto* form = new QFormLayout(group);
    name_ = new QLineEdit(group);
    name_->setMaxLength(int(kMaxPathLength));
    name_->setMinimumWidth(fontMetrics().averageCharWidth() * 32); // room for a path
    form->addRow(fromUtf8("Имя файла:"), name_);
    useKey_ = new QCheckBox(fromUtf8("Использовать ключ:"), group);
    key_ = new QLineEdit(group);
    key_->setMaxLength(int(kMaxKeyLength));
    form->addRow(useKey_, key_);
    rememberKey_ = new QCheckBox(fromUtf8("Запомнить ключ"), group);
    form->addRow(QString(), rememberKey_);
    root->addWidget(group);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(fromUtf8("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(fromUtf8("Отмена"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &NewBaseFileDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NewBaseFileDialog::reject);
    root->addWidget(buttons);

    // The settings keep the choice only on OK: Cancel leaves them as they were.
    int choice = settings_.saveAsChoice;
    if (choice < 0 || choice > settings_.fileCount || choice >= files_->count()) choice = 0;
    files_->setCurrentIndex(choice);
    useKey_->setChecked(true);
    rememberKey_->setChecked(true);
    enableNewFileControls();

    connect(files_, &QComboBox::activated, this, &NewBaseFileDialog::enableNewFileControls);
    connect(useKey_, &QCheckBox::clicked, this, &NewBaseFileDialog::enableNewFileControls);
    connect(key_, &QLineEdit::textChanged, this, &NewBaseFileDialog::enableNewFileControls);
    name_->setFocus();
}

bool NewBaseFileDialog::newFileChosen() const {
    return files_->currentText() == fromUtf8(kNewFile);
}

void NewBaseFileDialog::enableNewFileControls() {
    const bool fresh = newFileChosen();
    name_->setEnabled(fresh);
    useKey_->setEnabled(fresh);
    key_->setEnabled(fresh && useKey_->isChecked());
    rememberKey_->setEnabled(fresh && useKey_->isChecked() && !key_->text().isEmpty());
}

void NewBaseFileDialog::accept() {
    created_ = false;
    resultName_ = toNativePath(files_->currentText());
    if (newFileChosen()) {
        MessageBoxPrompts prompts(this);
        const NewBaseRequest request{toNativePath(name_->text()), useKey_->isChecked(),
                                     toCp1251(key_->text()), rememberKey_->isChecked()};
        const int index = createBaseFile(set_, &settings_, request, prompts);
        if (index == kNoBase) return; // the message said why; the user may correct
        resultName_ = set_.bases[size_t(index)].path;
        created_ = true;
    }
    settings_.saveAsChoice = int16_t(files_->currentIndex());
    QDialog::accept();
}

bool runNewBaseFileDialog(QWidget* parent, BaseSet& set, ProgramSettings& settings,
                          std::string& name, bool& created) {
    NewBaseFileDialog dialog(set, &settings, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    name = dialog.resultName();
    created = dialog.created();
    return true;
}

} // namespace talsk
