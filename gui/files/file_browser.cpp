#include "gui/files/file_browser.h"

#include "gui/files/file_info_panel.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/text.h"

#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QTreeView>

namespace talsk {

namespace {

enum Column { Size = 1, Type = 2, Modified = 3 };

// Qt's file model formats sizes and dates in the system's locale, which is
// seldom Russian ("118 bytes", "9 Dec 2026"); the program's locale says how.
class LocaleColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role == Qt::DisplayRole && files != nullptr && index.isValid()) {
            const QModelIndex source = mapToSource(index);
            const QLocale locale;
            if (index.column() == Size && !files->isDir(source)) {
                const qint64 bytes = files->size(source);
                // "байт" alone: Qt's own Russian "байты" does not agree with numbers.
                if (bytes < 1024) return locale.toString(bytes) + QStringLiteral(" байт");
                return locale.formattedDataSize(bytes, 2, QLocale::DataSizeTraditionalFormat);
            }
            if (index.column() == Modified)
                return locale.toString(files->lastModified(source), QLocale::ShortFormat);
        }
        return QIdentityProxyModel::data(index, role);
    }
};

// "*.csv" of "CSV (*.csv)": "csv".
QString filterSuffix(const QString& filter) {
    const qsizetype dot = filter.indexOf(QStringLiteral("*."));
    if (dot < 0) return {};
    qsizetype end = dot + 2;
    while (end < filter.size() && filter[end].isLetterOrNumber())
        ++end;
    return filter.mid(dot + 2, end - dot - 2);
}

} // namespace

FileBrowser::FileBrowser(QWidget* parent, const QString& folder)
    : QFileDialog(parent, QStringLiteral("Просмотр файлов"), folder,
                  QStringLiteral("Base telephone number *.btn")) {
    setUpView();
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    panel_ = new FileInfoPanel(this);
    // Wide enough for the columns of sizes and dates, and a list that shows
    // more than two files above the panel.
    const DialogUnits u = dialogUnits(*this);
    resize(u.x(760), u.y(540));
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(panel_, grid->rowCount(), 0, 1, grid->columnCount());
    // A folder or no selection is no file: the panel clears, version too.
    connect(this, &QFileDialog::currentChanged, this, [this](const QString& path) {
        panel_->showFile(QFileInfo(path).isFile() ? toNativePath(path) : std::string());
    });
}

FileBrowser::FileBrowser(QWidget* parent, const QString& title, const QString& folder,
                         const QStringList& filters)
    : QFileDialog(parent, title, folder) {
    setUpView();
    setFileMode(QFileDialog::AnyFile);
    setAcceptMode(QFileDialog::AcceptSave);
    setNameFilters(filters);
    const DialogUnits u = dialogUnits(*this);
    resize(u.x(760), u.y(400));
    if (!filters.isEmpty()) setDefaultSuffix(filterSuffix(filters.first()));
    connect(this, &QFileDialog::filterSelected, this,
            [this](const QString& filter) { setDefaultSuffix(filterSuffix(filter)); });
}

void FileBrowser::setUpView() {
    // The panel and the Russian columns need the dialog's own widgets, not
    // the platform's; and every file choice of the program looks the same.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setProxyModel(new LocaleColumns(this));
    // Sizes, types and dates whole, however long the locale writes them.
    if (auto* view = findChild<QTreeView*>("treeView"))
        for (int column : {Size, Type, Modified})
            view->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
}

void runFileBrowser(QWidget* parent, const QString& folder) {
    FileBrowser browser(parent, folder);
    browser.exec();
}

QString browseFileToSave(QWidget* parent, const QString& title, const QString& folder,
                         const QStringList& filters) {
    FileBrowser browser(parent, title, folder, filters);
    if (browser.exec() != QDialog::Accepted || browser.selectedFiles().isEmpty()) return {};
    return browser.selectedFiles().first();
}

} // namespace talsk
