#pragma once
// The file information panel of the converter: counts and dates of the three
// tables, whether a key is required and the version, from a file's header.

#include <QWidget>

class QLabel;

namespace talsk {

struct PhoneBase;

class FileInfoPanel : public QWidget {
    Q_OBJECT

public:
    explicit FileInfoPanel(QWidget* parent = nullptr);
    // Shows what readFileInfo read; null clears the panel.
    void display(const PhoneBase* base);

private:
    QLabel* counts_[3] = {};
    QLabel* created_[3] = {};
    QLabel* updated_[3] = {};
    QLabel* keyNotice_ = nullptr;
    QLabel* version_ = nullptr;
};

} // namespace talsk
