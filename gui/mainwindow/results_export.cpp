// The results table's rows leaving the window: copied, saved as a list,
// printed.

#include "gui/files/file_browser.h"
#include "gui/mainwindow/list_print.h"
#include "gui/mainwindow/results_table.h"
#include "gui/widgets/app_texts.h"
#include "gui/widgets/grid_clipboard.h"
#include "gui/widgets/grid_text.h"
#include "gui/widgets/text.h"
#include "gui/widgets/user_settings.h"

#include <QAction>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QSettings>

namespace talsk {

namespace {

constexpr const char* kFolderKey = "listFolder";

} // namespace

void ResultsTable::connectListCommands() {
    connect(action(cmd::CopyRows), &QAction::triggered, this, &ResultsTable::copyRows);
    connect(action(cmd::CopyPhone), &QAction::triggered, this, &ResultsTable::copyPhone);
    connect(action(cmd::SaveList), &QAction::triggered, this, &ResultsTable::saveList);
    connect(action(cmd::PrintList), &QAction::triggered, this, &ResultsTable::printRequested);
}

void ResultsTable::copyRows() {
    copyGridRows(model());
}

void ResultsTable::copyPhone() {
    copyCurrentPhone(model());
}

bool ResultsTable::saveListTo(const QString& path, WriteError* cause) const {
    const std::string name = toNativePath(path);
    ListText list(listFormatForName(name));
    const std::vector<int> columns = shownColumns(model());
    for (int c : columns)
        list.cell(columnTitle(c).toStdString());
    list.endRow();
    appendGridRows(model(), columns, GridRows::All, list);
    return saveListText(name, list, cause);
}

void ResultsTable::saveList() {
    QSettings settings = userSettings();
    const QString path = browseFileToSave(
        this, QStringLiteral("Сохранить список"), settings.value(kFolderKey).toString(),
        {QStringLiteral("CSV (*.csv)"), QStringLiteral("Текст (*.txt)")});
    if (path.isEmpty()) return;
    settings.setValue(kFolderKey, QFileInfo(path).absolutePath());
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    WriteError cause = WriteError::None;
    const bool saved = saveListTo(path, &cause);
    QGuiApplication::restoreOverrideCursor();
    if (!saved)
        messageBox_(QMessageBox::Critical, QStringLiteral("Ошибка"),
                    QStringLiteral("Не удалось сохранить список ") + path + ": " +
                        QString::fromUtf8(writeErrorText(cause)),
                    QMessageBox::Ok);
}

void ResultsTable::printList(const QString& heading) {
    PrintedList list;
    list.grid = &model();
    list.columns = shownColumns(model());
    for (int c : list.columns)
        list.titles.append(columnTitle(c));
    list.heading = heading;

    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(QStringLiteral("Печать"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this, &list](QPrinter* p) {
        // Long lists show how far the pages have got and can be stopped.
        QProgressDialog progress(QStringLiteral("Подготовка страниц ..."), QStringLiteral("Отмена"),
                                 0, 0, this);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(500);
        printListPages(*p, list, [&progress](int done, int pages) {
            progress.setMaximum(pages);
            progress.setValue(done);
            return !progress.wasCanceled();
        });
    });
    preview.exec();
}

} // namespace talsk
