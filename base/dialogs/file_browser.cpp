#include "base/dialogs/file_browser.h"

#include "base/dialogs/dialog_units.h"
#include "base/dialogs/file_info_panel.h"
#include "ui/text.h"

#include <QFileInfo>
#include <QGridLayout>

namespace talsk {

FileBrowser::FileBrowser(QWidget* parent, const QString& folder)
    : QFileDialog(parent, QStringLiteral("Просмотр файлов"), folder,
                  QStringLiteral("Base telephone number *.btn")) {
    // The panel needs the dialog's own widgets, not the platform's.
    setOption(QFileDialog::DontUseNativeDialog, true);
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

void runFileBrowser(QWidget* parent, const QString& folder) {
    FileBrowser browser(parent, folder);
    browser.exec();
}

} // namespace talsk
