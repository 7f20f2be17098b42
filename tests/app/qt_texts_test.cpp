// The program's message boxes: Qt's standard buttons read in Russian once the
// program has installed Qt's own texts.

#include "app/qt_texts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

#include <gtest/gtest.h>

namespace talsk {
namespace {

TEST(QtTexts, StandardButtonsReadDaNetOtmena) {
    QTranslator translator;
    ASSERT_TRUE(installQtTexts(*qApp, translator)) << "qt6-translations-l10n is not installed";
    QMessageBox box(QMessageBox::Question, "Тальский телефонный справочник", "Выйти из программы",
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    const auto text = [&](QMessageBox::StandardButton b) {
        return box.button(b)->text().remove('&').toStdString();
    };
    EXPECT_EQ(text(QMessageBox::Yes), "Да");
    EXPECT_EQ(text(QMessageBox::No), "Нет");
    EXPECT_EQ(text(QMessageBox::Cancel), "Отмена");
    QCoreApplication::removeTranslator(&translator);
}

} // namespace
} // namespace talsk
