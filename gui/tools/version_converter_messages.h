#pragma once
// Message boxes of the converter and the key change windows.

#include "gui/widgets/app_texts.h"
#include "gui/widgets/text.h"

#include <QMessageBox>
#include <QString>

#include <cstdint>
#include <string>

namespace talsk {

// A message box with the exact text (UTF-8), the application title unless
// given, and the buttons; returns the button pressed.
QMessageBox::StandardButton toolMessage(QWidget* parent, QMessageBox::Icon icon,
                                        const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        const QString& caption = fromUtf8(kAppTitle));

// The load status box: the file's path (Windows-1251), a line break and the
// short form of its status message; "Ошибка", warning, OK.
void loadStatusBox(QWidget* parent, const std::string& path, int32_t status);

} // namespace talsk
