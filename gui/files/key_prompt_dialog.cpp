#include "gui/files/key_prompt_dialog.h"

#include "base/records.h"
#include "gui/widgets/dialog_layout.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/text.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace talsk {

bool runKeyPromptDialog(QWidget* parent, const std::string& path, std::string& typedKey,
                        bool& remember) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Декодирование"));
    const DialogUnits u = dialogUnits(dialog);

    auto* file = new QLabel(fromNativePath(path));
    file->setObjectName(QStringLiteral("file"));
    file->setWordWrap(true);
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* caption = new QLabel(QStringLiteral("Введите ключ:"));
    auto* key = new QLineEdit;
    key->setObjectName(QStringLiteral("key"));
    key->setMaxLength(static_cast<int>(kMaxKeyLength));
    caption->setBuddy(key);

    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(u.x(8), u.y(8), u.x(8), u.y(8));
    layout->addWidget(file);
    layout->addSpacing(u.y(4));
    layout->addWidget(caption);
    layout->addWidget(key);
    layout->addSpacing(u.y(4));
    layout->addLayout(okCancelRow(dialog));
    dialog.setMinimumWidth(u.x(320));
    key->setFocus();

    if (dialog.exec() != QDialog::Accepted) return false;
    typedKey = toCp1251(key->text());
    remember = false;
    return true;
}

} // namespace talsk
