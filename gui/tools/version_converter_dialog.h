#pragma once
// The "Конвертер версий файлов" dialog: rewrites a base file of one version
// in another. Interactive, or driven by loading for one old-version file,
// which is then converted in place.

#include "tools/convert.h"

#include <QDialog>

#include <functional>
#include <string>
#include <thread>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace talsk {

class FileInfoPanel;

// The targets offered for a source version (0 for none): "1.2" in
// interactive mode only for 1.0 and 2.0, "2.0" for 1.0, 1.2 and 2.0b.
std::vector<uint16_t> converterTargets(uint16_t sourceVersion, bool driven);

class VersionConverterDialog : public QDialog {
    Q_OBJECT

public:
    // drivenPath (Windows-1251): the file to convert in place; empty for the
    // interactive window.
    explicit VersionConverterDialog(QWidget* parent, std::string drivenPath = {});
    ~VersionConverterDialog() override;

    // The key as typed (Windows-1251).
    std::string typedKey() const;
    bool running() const { return worker_.joinable(); }

    // The file dialogs; the defaults are the open and save dialogs for base files.
    std::function<QString(QWidget*)> chooseSource;
    std::function<QString(QWidget*)> chooseDestination;

    // "Выбрать ...", or the driven file: reads its header and offers its targets.
    bool selectSource(const std::string& path);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void pickSource();
    void convert();
    void start(const std::string& destination, FieldCutting cutting);
    void progress(int32_t done, int32_t total);
    void finished(const ConvertResult& result);
    void showTargets(bool shown);
    void fillTargets();

    std::string drivenPath_;
    std::string source_;
    std::string destination_;
    uint16_t version_ = 0;
    bool sourceKeyed_ = false;
    FieldCutting cutting_ = FieldCutting::Refuse;
    bool drivenStarted_ = false;
    std::thread worker_;

    QPushButton* choose_ = nullptr;
    QLabel* path_ = nullptr;
    QLineEdit* key_ = nullptr;
    FileInfoPanel* info_ = nullptr;
    QLabel* targetLabel_ = nullptr;
    QComboBox* targets_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* continue_ = nullptr;
    QPushButton* exit_ = nullptr;
};

// The interactive window, modal.
void runVersionConverter(QWidget* parent);
// Driven by loading: converts fullPath in place to version 2.0. True when it
// was converted; typedKey is then the key typed for it.
bool runDrivenConverter(QWidget* parent, const std::string& fullPath, std::string& typedKey);

} // namespace talsk
