#include "gui/tools/dbf_import_dialog.h"

#include "gui/tools/dbf_import_page.h"
#include "gui/widgets/app_texts.h"
#include "gui/widgets/queued_call.h"
#include "gui/widgets/text.h"
#include "platform/file.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace talsk {

namespace {

const char* const kTitle = "Конвертирование";
const char* const kDefaultNames[kTableCount] = {"nasel.dbf", "predp.dbf", "gorod.dbf"};

} // namespace

DbfImportDialog::DbfImportDialog(std::string folder, QWidget* parent)
    : QDialog(parent), folder_(std::move(folder)) {
    setWindowTitle(QStringLiteral("Конвертирование Dbf файлов"));
    const QString dir = fromNativePath(folder_);
    chooseSource = [this, dir](TableKind) {
        return QFileDialog::getOpenFileName(this, QString(), dir,
                                            QStringLiteral("Dbf files (*.dbf)"));
    };
    chooseDestination = [this, dir] {
        return QFileDialog::getSaveFileName(this, QString(), dir,
                                            QStringLiteral("Base telephone number (*.btn)"));
    };

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tables"));
    const char* tabNames[kTableCount] = {"База населения", "База организаций", "База городов"};
    for (int k = 0; k < kTableCount; ++k) {
        pages_[k] = new DbfImportPage(static_cast<TableKind>(k), tabs_);
        tabs_->addTab(pages_[k], QString::fromUtf8(tabNames[k]));
        connect(pages_[k], &DbfImportPage::chooseClicked, this, [this, k] {
            if (running_) return;
            pages_[k]->chose(toNativePath(chooseSource(static_cast<TableKind>(k))));
        });
    }

    auto* useBox = new QGroupBox(QStringLiteral("Использовать"), this);
    auto* useRow = new QHBoxLayout(useBox);
    const char* useNames[kTableCount] = {"Население", "Органиации", "Коды городов"};
    const char* useObjects[kTableCount] = {"usePopulation", "useOrganizations", "useCityCodes"};
    for (int k = 0; k < kTableCount; ++k) {
        use_[k] = new QCheckBox(QString::fromUtf8(useNames[k]), useBox);
        use_[k]->setObjectName(QLatin1String(useObjects[k]));
        use_[k]->setChecked(true);
        useRow->addWidget(use_[k]);
        connect(use_[k], &QCheckBox::toggled, this, [this, k](bool on) { useToggled(k, on); });
    }
    useRow->addStretch(1);

    keyed_ = new QCheckBox(QStringLiteral("Использовать ключ:"), this);
    key_ = new QLineEdit(this);
    key_->setObjectName(QStringLiteral("key"));
    keyed_->setObjectName(QStringLiteral("keyed"));
    key_->setMaxLength(int(kMaxKeyLength));
    key_->setEchoMode(QLineEdit::Password);
    key_->setEnabled(false);
    connect(keyed_, &QCheckBox::toggled, key_, &QWidget::setEnabled);
    auto* keyRow = new QHBoxLayout;
    keyRow->addWidget(keyed_);
    keyRow->addWidget(key_, 1);

    progressLabel_ = new QLabel(QStringLiteral("Процесс конвертирования:"), this);
    progress_ = new QProgressBar(this);
    progress_->setTextVisible(false);
    progress_->setObjectName(QStringLiteral("progress"));
    progressLabel_->setObjectName(QStringLiteral("progressLabel"));
    progressLabel_->hide();
    progress_->hide();
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(progressLabel_);
    progressRow->addWidget(progress_, 1);

    proceed_ = new QPushButton(QStringLiteral("Продолжить"), this);
    proceed_->setDefault(true);
    proceed_->setObjectName(QStringLiteral("proceed"));
    close_ = new QPushButton(QStringLiteral("Выход"), this);
    connect(proceed_, &QPushButton::clicked, this, &DbfImportDialog::proceed);
    connect(close_, &QPushButton::clicked, this, &DbfImportDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(proceed_);
    buttons->addWidget(close_);

    auto* v = new QVBoxLayout(this);
    v->addWidget(tabs_, 1);
    v->addWidget(useBox);
    v->addLayout(keyRow);
    v->addLayout(progressRow);
    v->addLayout(buttons);
}

DbfImportDialog::~DbfImportDialog() {
    stopWorker();
}

void DbfImportDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (opened_) return;
    opened_ = true;
    // After the window is up, so that a damaged file's message shows over it.
    QTimer::singleShot(0, this, &DbfImportDialog::openPages);
}

void DbfImportDialog::openPages() {
    for (int k = 0; k < kTableCount; ++k)
        if (use_[k]->isChecked() && !pages_[k]->valid())
            pages_[k]->readFile(pathInFolder(folder_, kDefaultNames[k]), false);
}

void DbfImportDialog::useToggled(int table, bool on) {
    if (!on) pages_[table]->reset();
    pages_[table]->setEnabled(on);
}

void DbfImportDialog::proceed() {
    if (running_) return;
    DbfImportJob job;
    bool any = false;
    for (int k = 0; k < kTableCount; ++k) {
        job.tables[static_cast<size_t>(k)] = pages_[k]->collect();
        any = any || !job.tables[static_cast<size_t>(k)].path.empty();
    }
    if (!any) {
        QMessageBox::information(this, QString::fromUtf8(kTitle), QStringLiteral("Выберите файл"));
        return;
    }
    job.keyed = keyed_->isChecked();
    job.typedKey = toCp1251(key_->text());
    if (job.keyed && job.typedKey.empty()) {
        QMessageBox::information(this, QString::fromUtf8(kTitle), QStringLiteral("Введите ключ"));
        return;
    }
    std::string destination = toNativePath(chooseDestination());
    if (destination.empty()) return;
    if (destination.size() < 4 || destination.compare(destination.size() - 4, 4, ".btn") != 0)
        destination += ".btn";
    job.destination = destination;
    // A table none of whose fields has a column is left out, as if it had no file.
    for (int k = 0; k < kTableCount; ++k)
        if (!hasPrimaryColumn(static_cast<TableKind>(k), job.tables[static_cast<size_t>(k)]) &&
            pages_[k]->valid()) {
            pages_[k]->reset();
            job.tables[static_cast<size_t>(k)].path.clear();
        }
    job_ = job;
    setRunning(true);
    launch();
}

void DbfImportDialog::launch() {
    stopWorker();
    stop_ = false;
    const unsigned run = ++run_;
    progress_->setRange(0, 0); // until the first report gives the total
    worker_ = std::thread([this, run, job = job_] {
        const DbfImportResult r = importDbf(
            job,
            [this, run](int64_t done, int64_t all) {
                postToThreadOf(this, [this, run, done, all] {
                    if (run != run_) return;
                    const int max = static_cast<int>(std::min<int64_t>(all - 1, INT32_MAX));
                    if (progress_->maximum() != max) progress_->setRange(0, max);
                    progress(run, done);
                });
            },
            &stop_);
        postToThreadOf(this, [this, run, r] { workerDone(run, r); });
    });
}

void DbfImportDialog::progress(unsigned run, int64_t done) {
    if (run != run_) return;
    progress_->setValue(static_cast<int>(std::min<int64_t>(done, progress_->maximum())));
}

void DbfImportDialog::stopWorker() {
    if (!worker_.joinable()) return;
    // The worker looks at the flag after every record, so this wait is short.
    stop_ = true;
    worker_.join();
}

void DbfImportDialog::retryOrRestore(const QString& text) {
    const auto answer = QMessageBox::warning(this, QString::fromUtf8(kTitle), text,
                                             QMessageBox::Retry | QMessageBox::Cancel);
    if (answer == QMessageBox::Retry)
        launch();
    else
        setRunning(false);
}

void DbfImportDialog::workerDone(unsigned run, const DbfImportResult& r) {
    if (run != run_) return;
    if (worker_.joinable()) worker_.join();
    const QString source = fromNativePath(job_.tables[static_cast<size_t>(r.table)].path);
    switch (r.outcome) {
    case DbfImportOutcome::Done:
        close_->setEnabled(false);
        QMessageBox::information(this, fromUtf8(kAppTitle),
                                 QStringLiteral("Конвертирование завершено"));
        break;
    case DbfImportOutcome::CannotCreate:
        retryOrRestore(QStringLiteral("Ошибка при создании файла ") +
                       fromNativePath(job_.destination));
        return;
    case DbfImportOutcome::CannotOpen:
        retryOrRestore(QStringLiteral("Ошибка при открытии файла ") + source);
        return;
    case DbfImportOutcome::Damaged:
        QMessageBox::warning(this, QString::fromUtf8(kTitle),
                             QString::fromStdString(dbfStatusMessage(r.status, {})));
        break;
    case DbfImportOutcome::SaveFailed:
        QMessageBox::critical(this, fromUtf8(kAppTitle),
                              QStringLiteral("Ошибка при сохранении базы, данные не были "
                                             "сохранены\n перезапустите программу"));
        break;
    case DbfImportOutcome::NoTable:
        QMessageBox::information(this, QString::fromUtf8(kTitle), QStringLiteral("Выберите файл"));
        break;
    case DbfImportOutcome::KeyMissing:
        QMessageBox::information(this, QString::fromUtf8(kTitle), QStringLiteral("Введите ключ"));
        break;
    case DbfImportOutcome::Cancelled:
        break;
    }
    setRunning(false);
}

void DbfImportDialog::setRunning(bool on) {
    running_ = on;
    close_->setText(on ? QStringLiteral("Отмена") : QStringLiteral("Выход"));
    close_->setEnabled(true);
    proceed_->setEnabled(!on);
    tabs_->setEnabled(!on);
    keyed_->setVisible(!on);
    key_->setVisible(!on);
    progressLabel_->setVisible(on);
    progress_->setVisible(on);
    if (on) progress_->setValue(0);
}

void DbfImportDialog::reject() {
    if (!running_) {
        QDialog::reject();
        return;
    }
    // "Отмена" while running: stop the worker, keep the window.
    ++run_;
    stopWorker();
    setRunning(false);
}

void runDbfImportDialog(QWidget* parent, const std::string& programFolder) {
    DbfImportDialog dialog(programFolder, parent);
    dialog.exec();
}

} // namespace talsk
