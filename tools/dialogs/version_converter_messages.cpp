#include "tools/dialogs/version_converter_messages.h"

#include "base/load_status.h"
#include "ui/text.h"

namespace talsk {

QMessageBox::StandardButton toolMessage(QWidget* parent, QMessageBox::Icon icon,
                                        const QString& text, QMessageBox::StandardButtons buttons,
                                        const QString& caption) {
    QMessageBox box(icon, caption, text, buttons, parent);
    box.setObjectName(QStringLiteral("toolMessage"));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void loadStatusBox(QWidget* parent, const std::string& path, int32_t status) {
    toolMessage(parent, QMessageBox::Warning,
                fromCp1251(path) + "\n" + QString::fromStdString(statusMessage(status, true)),
                QMessageBox::Ok, QStringLiteral("Ошибка"));
}

} // namespace talsk
