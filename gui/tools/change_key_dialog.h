#pragma once
// The "Изменение ключа файла" dialog: a version 2.0 base file gets a new key
// or loses its key; a connected file is changed through its loaded copy.

#include <QDialog>

#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace talsk {

struct BaseSet;
class KeyStore;

class ChangeKeyDialog : public QDialog {
    Q_OBJECT

public:
    // keys: the remembered keys, kept in step with the change (may be null).
    ChangeKeyDialog(QWidget* parent, BaseSet& set, const KeyStore* keys);

    // The file dialog; the default is the open dialog for base files.
    std::function<QString(QWidget*)> chooseFile;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void pickFile();
    void newKeyToggled(bool checked);
    void apply();
    void clearPath();

    BaseSet& set_;
    const KeyStore* keys_;
    std::string path_;
    bool opened_ = false;

    QLabel* pathLabel_ = nullptr;
    QLineEdit* oldKey_ = nullptr;
    QCheckBox* newKeyUsed_ = nullptr;
    QLineEdit* newKey_ = nullptr;
};

// Modal. The caller stops a running search first.
void runChangeKeyDialog(QWidget* parent, BaseSet& set, const KeyStore* keys);

} // namespace talsk
