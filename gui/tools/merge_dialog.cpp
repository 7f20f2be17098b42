#include "gui/tools/merge_dialog.h"

#include "base/cipher.h"
#include "base/load_status.h"
#include "base/records.h"
#include "gui/tools/merge_job.h"
#include "gui/widgets/app_texts.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/text.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace talsk {

namespace {

const QString kFilter = QStringLiteral("Base telephone number (*.btn)");

// The warning before the first repeat search is shown once a run of the program.
bool repeatWarningShown = false;

QPushButton* makeButton(const char* text, const char* name) {
    auto* b = new QPushButton(QString::fromUtf8(text));
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QCheckBox* makeCheck(const char* text, const char* name) {
    auto* c = new QCheckBox(QString::fromUtf8(text));
    c->setObjectName(QLatin1String(name));
    return c;
}

QLineEdit* makeKeyEdit(const char* name, bool password) {
    auto* e = new QLineEdit;
    e->setObjectName(QLatin1String(name));
    // As long as the program's other key boxes take: a file keyed elsewhere
    // with a longer key could not be merged otherwise.
    e->setMaxLength(static_cast<int>(kMaxKeyLength));
    if (password) e->setEchoMode(QLineEdit::Password);
    return e;
}

} // namespace

MergeDialog::MergeDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Объединение файлов"));
    chooseSources = [this] {
        return QFileDialog::getOpenFileNames(this, QStringLiteral("Открыть"), QString(), kFilter);
    };
    chooseDestination = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить как"), QString(),
                                            kFilter, nullptr, QFileDialog::DontConfirmOverwrite);
    };
    buildLayout();
    connect(add_, &QPushButton::clicked, this, &MergeDialog::addFiles);
    connect(remove_, &QPushButton::clicked, this, &MergeDialog::removeSelected);
    connect(up_, &QPushButton::clicked, this, [this] { move(true); });
    connect(down_, &QPushButton::clicked, this, [this] { move(false); });
    connect(files_, &QListWidget::currentRowChanged, this, &MergeDialog::selectionChanged);
    // Leaving a key box applies the keys; Enter there goes to "Продолжить",
    // which then only applies them.
    fileKey_->installEventFilter(this);
    newKey_->installEventFilter(this);
    connect(repeats_, &QCheckBox::clicked, this, &MergeDialog::repeatSearchToggled);
    connect(useNewKey_, &QCheckBox::toggled, this, &MergeDialog::newKeyToggled);
    connect(proceed_, &QPushButton::clicked, this, &MergeDialog::proceed);
    connect(exit_, &QPushButton::clicked, this, &MergeDialog::reject);
    useNewKey_->setChecked(true);
    samePhone_->setEnabled(false);
    fileKey_->setEnabled(false);
    setRunning(false);
    updateButtons();
}

MergeDialog::~MergeDialog() {
    if (worker_.joinable()) {
        // The worker keeps its job alive and finds nobody to report to.
        job_->detach();
        worker_.detach();
    }
}

void MergeDialog::buildLayout() {
    const DialogUnits u = dialogUnits(*this);
    files_ = new QListWidget;
    files_->setObjectName(QStringLiteral("files"));
    files_->setSelectionMode(QAbstractItemView::SingleSelection);
    files_->setMinimumSize(u.x(200), u.y(80));
    add_ = makeButton("Добавить ...", "add");
    remove_ = makeButton("Удалить", "remove");
    up_ = makeButton("Вверх", "up");
    down_ = makeButton("Вниз", "down");
    auto* listButtons = new QVBoxLayout;
    for (QPushButton* b : {add_, remove_, up_, down_}) {
        b->setMinimumWidth(u.x(50));
        listButtons->addWidget(b);
    }
    listButtons->addStretch(1);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(files_, 1);
    listRow->addLayout(listButtons);

    auto* keyLabel = new QLabel(QStringLiteral("Ключ файла:"));
    fileKey_ = makeKeyEdit("fileKey", true);
    keyLabel->setBuddy(fileKey_);
    repeats_ = makeCheck("Поиск одинаковых записей", "repeats");
    samePhone_ = makeCheck("Пропуск одинакового тел.", "samePhone");
    useNewKey_ = makeCheck("Использовать новый ключ:", "useNewKey");
    newKey_ = makeKeyEdit("newKey", false);
    progressLabel_ = new QLabel(QStringLiteral("Процесс объединения:"));
    progressLabel_->setObjectName(QStringLiteral("progressLabel"));
    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setTextVisible(false);

    auto* options = new QGridLayout;
    options->addWidget(keyLabel, 0, 0);
    options->addWidget(fileKey_, 0, 1);
    options->addWidget(repeats_, 1, 0);
    options->addWidget(samePhone_, 1, 1);
    // The new key's row and the progress take the same place in turn.
    options->addWidget(useNewKey_, 2, 0);
    options->addWidget(newKey_, 2, 1);
    options->addWidget(progressLabel_, 2, 0);
    options->addWidget(progress_, 2, 1);
    options->setColumnStretch(1, 1);

    proceed_ = makeButton("Продолжить", "proceed");
    proceed_->setDefault(true);
    proceed_->setAutoDefault(true);
    exit_ = makeButton("Выход", "exit");
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(proceed_);
    bottom->addWidget(exit_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(u.x(7), u.y(7), u.x(7), u.y(7));
    layout->addLayout(listRow, 1);
    layout->addSpacing(u.y(4));
    layout->addLayout(options);
    layout->addSpacing(u.y(4));
    layout->addLayout(bottom);
}

void MergeDialog::updateButtons() {
    add_->setEnabled(!running_ && list_.canAdd());
    remove_->setEnabled(!running_ && list_.size() > 0);
    up_->setEnabled(!running_);
    down_->setEnabled(!running_);
}

void MergeDialog::addFiles() {
    if (running_ || !chooseSources) return;
    for (const QString& name : chooseSources()) {
        if (!list_.canAdd()) break;
        const std::string path = toNativePath(name);
        int32_t status = 0;
        if (!list_.add(path, status)) {
            QMessageBox::warning(this, QStringLiteral("Ошибка"),
                                 fromNativePath(path) + "\n" +
                                     QString::fromUtf8(statusMessage(status, true).c_str()));
            continue;
        }
        files_->addItem(name);
    }
    if (files_->count() > 0) selectRow(files_->count() - 1);
    updateButtons();
}

void MergeDialog::removeSelected() {
    const int row = files_->currentRow();
    if (running_ || row < 0) return;
    const int next = list_.remove(row);
    delete files_->takeItem(row);
    selectRow(next);
    updateButtons();
}

void MergeDialog::move(bool up) {
    const int row = files_->currentRow();
    if (running_ || row < 0) return;
    const int to = up ? list_.moveUp(row) : list_.moveDown(row);
    if (to == row) return;
    QListWidgetItem* item = files_->takeItem(row);
    files_->insertItem(to, item);
    selectRow(to);
}

void MergeDialog::selectRow(int row) {
    files_->setCurrentRow(row);
    selectionChanged();
}

void MergeDialog::selectionChanged() {
    const int row = files_->currentRow();
    const bool keyed = row >= 0 && list_.entries()[static_cast<size_t>(row)].keyed;
    fileKey_->setEnabled(keyed && !running_);
    if (keyed && list_.entries()[static_cast<size_t>(row)].fileKey.empty()) fileKey_->setFocus();
}

void MergeDialog::applyKeys() {
    const int row = files_->currentRow();
    if (!fileKey_->text().isEmpty() && row >= 0)
        list_.setKey(row, deriveFileKey(toCp1251(fileKey_->text())));
    fileKey_->clear();
}

void MergeDialog::repeatSearchToggled(bool on) {
    samePhone_->setEnabled(on);
    samePhone_->setChecked(on);
    if (on && !repeatWarningShown) {
        repeatWarningShown = true;
        QMessageBox::information(
            this, fromUtf8(kAppTitle),
            QStringLiteral("Внимание! поиск повторов может занять много времени\nПри поиске "
                           "одинакового телефона, записи будут удаляться\nв файлах находящихся "
                           "ниже по списку"));
    }
}

void MergeDialog::newKeyToggled(bool on) {
    newKey_->setEnabled(on && !running_);
    newKey_->clear();
}

bool MergeDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && (watched == fileKey_ || watched == newKey_))
        applyKeys();
    return QDialog::eventFilter(watched, event);
}

void MergeDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && !running_) {
        removeSelected();
        return;
    }
    QDialog::keyPressEvent(event);
}

void runMergeDialog(QWidget* parent) {
    MergeDialog dialog(parent);
    dialog.exec();
}

} // namespace talsk
