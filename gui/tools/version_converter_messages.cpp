#include "gui/tools/version_converter_messages.h"

#include "base/load_status.h"
#include "gui/widgets/text.h"

#include <QGridLayout>

namespace talsk {

QMessageBox::StandardButton toolMessage(QWidget* parent, QMessageBox::Icon icon,
                                        const QString& text, QMessageBox::StandardButtons buttons,
                                        const QString& caption) {
    QMessageBox box(icon, caption, text, buttons, parent);
    box.setObjectName(QStringLiteral("toolMessage"));
    // A short text would make the box too narrow for its caption.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(box.fontMetrics().horizontalAdvance(caption) + 120, 0,
                                      QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void loadStatusBox(QWidget* parent, const std::string& path, int32_t status) {
    toolMessage(parent, QMessageBox::Warning,
                fromNativePath(path) + "\n" + QString::fromStdString(statusMessage(status, true)),
                QMessageBox::Ok, QStringLiteral("Ошибка"));
}

} // namespace talsk
