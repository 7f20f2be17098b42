#include "gui/widgets/grid_clipboard.h"

#include "gui/widgets/grid_text.h"
#include "gui/widgets/phone_grid.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

#include <string>

namespace talsk {

namespace {

void putOnClipboard(const std::string& utf8) {
    if (utf8.empty()) return;
    QGuiApplication::clipboard()->setText(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
}

} // namespace

void copyGridRows(const PhoneGridModel& grid) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    putOnClipboard(copiedRowsText(grid));
    QGuiApplication::restoreOverrideCursor();
}

void copyCurrentPhone(const PhoneGridModel& grid) {
    putOnClipboard(currentPhoneText(grid));
}

void addGridCopyKeys(CPhoneGrid& grid) {
    auto* copy = new QAction(QStringLiteral("Копировать"), &grid);
    copy->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(copy, &QAction::triggered, &grid, [&grid] { copyGridRows(grid.model()); });
    grid.addAction(copy);
}

} // namespace talsk
