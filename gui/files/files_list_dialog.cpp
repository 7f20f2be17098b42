#include "gui/files/files_list_dialog.h"

#include "base/load_status.h"
#include "gui/widgets/app_texts.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/text.h"

#include <QCheckBox>
#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace talsk {

FilesListAnswer runFilesListDialog(QWidget* parent, const std::vector<FileListEntry>& files,
                                   bool readOnlyMode, bool showChangeButton) {
    FilesListAnswer answer;
    if (files.empty()) return answer;

    QDialog dialog(parent);
    dialog.setWindowTitle(fromUtf8(kAppTitle));
    const DialogUnits u = dialogUnits(dialog);

    auto* heading = new QLabel(readOnlyMode ? QStringLiteral("Файлы открыты только для чтения:")
                                            : QStringLiteral("Не подключены следующие файлы:"));
    heading->setObjectName(QStringLiteral("heading"));
    auto* list = new QListWidget;
    list->setObjectName(QStringLiteral("files"));
    for (const FileListEntry& f : files)
        list->addItem(fromNativePath(f.path));
    heading->setBuddy(list);

    // Three lines: the longest full messages wrap to that in a narrow dialog.
    auto* status = new QLabel(QStringLiteral("Статус файла:"));
    status->setObjectName(QStringLiteral("status"));
    status->setWordWrap(true);
    status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    status->setFrameShape(QFrame::StyledPanel);
    status->setMargin(u.x(4));
    status->setMinimumHeight(3 * status->fontMetrics().lineSpacing() + 2 * u.x(4) + 2);
    QObject::connect(list, &QListWidget::currentRowChanged, &dialog, [&](int row) {
        if (row >= 0 && row < static_cast<int>(files.size()))
            status->setText(
                QString::fromStdString(statusMessage(files[static_cast<size_t>(row)].status, false,
                                                     files[static_cast<size_t>(row)].cause)));
    });

    auto* dontShow = new QCheckBox(QStringLiteral("Не показывать это в дальнейшем"));
    dontShow->setObjectName(QStringLiteral("dontShow"));

    auto* change = new QPushButton(QStringLiteral("Изменить"));
    change->setObjectName(QStringLiteral("change"));
    change->setVisible(!readOnlyMode && showChangeButton);
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
        answer.choice = FilesListChoice::Ok;
        dialog.accept();
    });
    QObject::connect(change, &QPushButton::clicked, &dialog, [&] {
        answer.choice = FilesListChoice::Change;
        dialog.accept();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(dontShow);
    buttons->addStretch(1);
    buttons->addWidget(change);
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(u.x(8), u.y(8), u.x(8), u.y(8));
    layout->addWidget(heading);
    layout->addWidget(list, 1);
    layout->addWidget(status);
    layout->addLayout(buttons);
    dialog.resize(u.x(520), u.y(260));

    list->setCurrentRow(0);
    list->setFocus();
    if (dialog.exec() != QDialog::Accepted) answer.choice = FilesListChoice::Cancel;
    answer.dontShowAgain = dontShow->isChecked();
    return answer;
}

} // namespace talsk
