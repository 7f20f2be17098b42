// The program's message boxes leave room in their title bar for the whole
// caption besides the window icon and three buttons.

#include "app/message_box_captions.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

namespace talsk {
namespace {

TEST(MessageBoxCaptions, BoxIsWideEnoughForCaptionIconAndButtons) {
    fitMessageBoxCaptions(*qApp);
    struct Case {
        const char* caption;
        const char* text;
    };
    const Case cases[] = {
        {"Тальский телефонный справочник", "Введите ключ"},
        {"Подтверждение", "Удалить данные ?"},
        {"Ошибка", "Неизвестное имя файла"},
        {"Редактирование", "Сохранить внесенные изменения"},
    };
    for (const Case& c : cases) {
        QMessageBox box(QMessageBox::Question, QString::fromUtf8(c.caption),
                        QString::fromUtf8(c.text), QMessageBox::Yes | QMessageBox::No);
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box)) << c.caption;
        QFont bold = QApplication::font();
        bold.setBold(true);
        const QFontMetrics title(bold);
        const int buttonsAndIcon = 4 * title.height() * 3 / 2;
        EXPECT_GE(box.width(), title.horizontalAdvance(box.windowTitle()) + buttonsAndIcon)
            << c.caption;
    }
}

} // namespace
} // namespace talsk
