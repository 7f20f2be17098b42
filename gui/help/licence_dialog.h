#pragma once
// The "Лицензия Тальский телефонный справочник" dialog: the program's
// licence, read-only, as it is built into the program.

#include <QDialog>

namespace talsk {

// The licence text from the program's resources; empty when it is missing.
QString licenceText();

class LicenceDialog : public QDialog {
    Q_OBJECT
public:
    explicit LicenceDialog(QWidget* parent = nullptr);
};

// Opens the licence modally.
void runLicenceDialog(QWidget* parent);

} // namespace talsk
