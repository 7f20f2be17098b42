#pragma once
// NewBaseFileDialog: "Сохранить как ..." of the record editor. Picks the
// connected, writable file a record is added to, or creates a new empty base
// file and connects it at once.

#include "base/base_set.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace talsk {

class NewBaseFileDialog : public QDialog {
    Q_OBJECT

public:
    // settings: whose file list a new file joins and where the choice is
    // kept; none: a copy of the dialog's own.
    NewBaseFileDialog(BaseSet& set, ProgramSettings* settings, QWidget* parent = nullptr);

    // After OK: the chosen or created file's name (Windows-1251), and whether
    // it was created (the caller then refills its own list of files).
    const std::string& resultName() const { return resultName_; }
    bool created() const { return created_; }

    void accept() override;

private:
    bool newFileChosen() const;
    void enableNewFileControls();

    BaseSet& set_;
    ProgramSettings ownSettings_; // when none were given
    ProgramSettings& settings_;
    std::string resultName_;
    bool created_ = false;
    QComboBox* files_ = nullptr;
    QLineEdit* name_ = nullptr;
    QCheckBox* useKey_ = nullptr;
    QLineEdit* key_ = nullptr;
    QCheckBox* rememberKey_ = nullptr;
};

// Runs the dialog modally; true on OK with name and created filled.
bool runNewBaseFileDialog(QWidget* parent, BaseSet& set, ProgramSettings& settings,
                          std::string& name, bool& created);

} // namespace talsk
