#pragma once
// The information panel of a base file: per table its record
// count, created and updated dates, the key notice, the version and the
// notice that the file is not loaded. The connected-files dialog, the file
// information dialog and the file browser show it.

#include "base/file_info.h"

#include <QWidget>

class QBoxLayout;
class QGridLayout;
class QLabel;

namespace talsk {

class FileInfoPanel : public QWidget {
    Q_OBJECT

public:
    explicit FileInfoPanel(QWidget* parent = nullptr);

    // Shows the texts as they are.
    void showTexts(const FileInfoTexts& texts);
    // Reads the header of the file at path (Windows-1251; empty: nothing is
    // selected) and shows what it holds, or a cleared panel.
    void showFile(const std::string& path);
    // The not-loaded notice: "Файл не загружен" or nothing.
    void setNotLoaded(bool notLoaded);
    // The file information dialog has no version line.
    void setVersionShown(bool shown);
    // The notices go under the three tables, side by side, when beside them
    // the panel would be wider than width (large fonts).
    void fitWidth(int width);

private:
    QGridLayout* row_ = nullptr;
    QBoxLayout* notices_ = nullptr;
    QLabel* counts_[kTableCount] = {};
    QLabel* created_[kTableCount] = {};
    QLabel* updated_[kTableCount] = {};
    QLabel* keyNotice_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* notLoaded_ = nullptr;
};

} // namespace talsk
