#include "gui/files/key_entry_dialog.h"

#include "base/load_status.h"
#include "base/records.h"
#include "gui/widgets/dialog_layout.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/text.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

namespace talsk {

KeyEntryDialog::KeyEntryDialog(QWidget* parent, const std::vector<KeyEntryFile>& files)
    : QDialog(parent), typed_(files.size()) {
    setWindowTitle(QStringLiteral("Декодирование"));
    const DialogUnits u = dialogUnits(*this);

    auto* text =
        new QLabel(QStringLiteral("Введите ключ(и) для следующих файлов:\n"
                                  "Отметьте файлы, у которых необходимо запомнить ключи."));
    list_ = new FileCheckList;
    for (const KeyEntryFile& f : files) {
        addCheckItem(*list_, fromNativePath(f.path), f.remember);
        statuses_.push_back(f.status);
    }

    auto* keyCaption = new QLabel(QStringLiteral("Ключ:"));
    key_ = new QLineEdit;
    key_->setObjectName(QStringLiteral("key"));
    key_->setMaxLength(static_cast<int>(kMaxKeyLength));
    key_->installEventFilter(this);
    keyCaption->setBuddy(key_);
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);
    status_->setMinimumHeight(2 * status_->fontMetrics().height());
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The list keeps 45 by above and 74 by below it.
    auto* top = new QVBoxLayout;
    top->setContentsMargins(u.x(8), u.y(10), u.x(8), u.y(4));
    top->addWidget(text);
    auto* keyRow = new QHBoxLayout;
    keyRow->addWidget(keyCaption);
    keyRow->addWidget(key_, 1);
    auto* bottom = new QVBoxLayout;
    bottom->setContentsMargins(u.x(8), u.y(6), u.x(8), u.y(8));
    bottom->addLayout(keyRow);
    bottom->addWidget(status_);
    bottom->addLayout(okCancelRow(*this));
    layOutAroundList(*this, list_, top, 45, bottom, 74);
    resize(u.x(540), u.y(270));

    connect(list_, &QListWidget::currentRowChanged, this, &KeyEntryDialog::showSelected);
    if (list_->count() > 0) list_->setCurrentRow(0);
}

// The selected file's status, or nothing once a key is typed for a file that
// only lacked one; a file still without a key puts the caret into the key box.
void KeyEntryDialog::showSelected() {
    const int row = list_->currentRow();
    if (row < 0) {
        status_->clear();
        return;
    }
    const bool typed = !typed_[static_cast<size_t>(row)].isEmpty();
    const LoadStatus status = statuses_[static_cast<size_t>(row)];
    status_->setText(status == StatusKeyMissing && typed
                         ? QString()
                         : QString::fromStdString(statusMessage(status, true)));
    if (!typed) key_->setFocus();
}

void KeyEntryDialog::keepTypedKey() {
    const int row = list_->currentRow();
    if (row < 0 || key_->text().isEmpty()) return;
    typed_[static_cast<size_t>(row)] = key_->text();
    key_->clear();
    showSelected();
}

int KeyEntryDialog::firstWithoutKey() const {
    const auto it =
        std::find_if(typed_.begin(), typed_.end(), [](const QString& t) { return t.isEmpty(); });
    return it == typed_.end() ? -1 : static_cast<int>(it - typed_.begin());
}

bool KeyEntryDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == key_ && event->type() == QEvent::FocusOut) keepTypedKey();
    return QDialog::eventFilter(watched, event);
}

// A key in the box is kept and the next file without one is offered; with
// the box empty the dialog closes once any file has a key.
void KeyEntryDialog::accept() {
    if (!key_->text().isEmpty()) {
        keepTypedKey();
        const int next = firstWithoutKey();
        if (next >= 0) list_->setCurrentRow(next);
        return;
    }
    const bool anyKey =
        std::any_of(typed_.begin(), typed_.end(), [](const QString& t) { return !t.isEmpty(); });
    if (anyKey) QDialog::accept();
}

void KeyEntryDialog::takeAnswer(std::vector<KeyEntryFile>& files) const {
    for (size_t i = 0; i < files.size() && i < typed_.size(); ++i) {
        files[i].typedKey = toCp1251(typed_[i]);
        files[i].remember = isItemChecked(*list_, static_cast<int>(i));
    }
}

bool runKeyEntryDialog(QWidget* parent, std::vector<KeyEntryFile>& files) {
    bool confirmed = false;
    if (!files.empty()) {
        KeyEntryDialog dialog(parent, files);
        confirmed = dialog.exec() == QDialog::Accepted;
        if (confirmed) dialog.takeAnswer(files);
    }
    if (!confirmed)
        for (KeyEntryFile& f : files) {
            f.typedKey.clear();
            f.remember = false;
        }
    return confirmed;
}

} // namespace talsk
