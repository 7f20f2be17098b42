#include "gui/mainwindow/no_base_hint.h"

#include "gui/widgets/text.h"

#include <QEvent>

#include <algorithm>

namespace talsk {

NoBaseHint::NoBaseHint(QWidget* area) : QLabel(area) {
    setObjectName(QStringLiteral("noBaseHint"));
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setMargin(16);
    setAutoFillBackground(true); // the empty grid does not show through
    area->installEventFilter(this);
    setGeometry(area->rect());
    hide();
}

void NoBaseHint::follow(const BaseSet& set) {
    const bool none = std::none_of(set.bases.begin(), set.bases.end(),
                                   [](const PhoneBase& b) { return b.connected == 1; });
    if (!none) {
        hide();
        return;
    }
    setText(QStringLiteral("Нет подключенных файлов справочника.\n\n"
                           "Скопируйте файлы «.btn» в папку программы\n") +
            fromNativePath(set.folder) +
            QStringLiteral("\nи нажмите F4 («Подключить файлы»).\n\n"
                           "Файл из другой папки можно посмотреть: F7 («Информация») → "
                           "«Другие файлы ...» («Просмотр файлов»).\n"
                           "Файл из таблиц dBASE создает «Утилиты» → «Конвертировать DBF»."));
    setGeometry(parentWidget()->rect());
    show();
    raise();
}

bool NoBaseHint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QLabel::eventFilter(watched, event);
}

} // namespace talsk
