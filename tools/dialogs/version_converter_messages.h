#pragma once
// Message boxes of the converter and the key change windows.

#include <QMessageBox>
#include <QString>

#include <cstdint>
#include <string>

namespace talsk {

// The caption of message boxes without their own.
inline constexpr const char* kToolsAppTitle = "Тальский телефонный справочник";

// A message box with the exact text (UTF-8), the application title unless
// given, and the buttons; returns the button pressed.
QMessageBox::StandardButton toolMessage(QWidget* parent, QMessageBox::Icon icon,
                                        const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        const QString& caption = QString::fromUtf8(kToolsAppTitle));

// The load status box: the file's path (Windows-1251), a line break and the
// short form of its status message; "Ошибка", warning, OK.
void loadStatusBox(QWidget* parent, const std::string& path, int32_t status);

} // namespace talsk
